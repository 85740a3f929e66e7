// Functions of system DLLs that are looked up at run time instead of imported: an import that a
// system lacks stops the whole program from starting, and a DLL loaded by its bare name may be
// found in the current or the program's folder before the system folder.
#pragma once

#include "foundation/platform.h"
#include "shared/path_text.h"

namespace sys {

// GetProcAddress answers with a generic function pointer; the detour through void (*)() tells
// the compiler that the change of type is meant. Null when the module or the function is missing.
template <typename Function> Function SystemFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

// Loads a DLL of the system folder by its full path; null when the folder or the file is
// missing. No box about a missing file: the caller decides what a missing DLL means.
inline HMODULE LoadSystemLibrary(const char* name) {
  char path[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
  unsigned long nameLength = ::lstrlenA(name);
  if (length == 0 || length + 1 + nameLength >= MAX_PATH) return nullptr;
  if (NeedsPathSeparator(path, length)) path[length++] = '\\';
  ::lstrcpyA(path + length, name);
  UINT previousMode = ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE library = ::LoadLibraryA(path);
  ::SetErrorMode(previousMode);
  return library;
}

} // namespace sys
