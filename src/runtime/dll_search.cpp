// The calls that restrict the search are younger than most systems the programs run on, so they
// are looked up, never imported: an import the system lacks stops the program from starting.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "runtime/dll_search.h"

namespace runtime {

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, which older headers lack.
constexpr DWORD SearchSystemFolderOnly = 0x00000800;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);

// GetProcAddress answers with a generic function pointer; the detour through void (*)() tells
// the compiler that the change of type is meant.
template <typename Function> Function Entry(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

} // namespace

void RestrictDllSearch() {
  // Every process has kernel32 loaded; nothing is loaded here.
  RestrictDllSearchWith(::GetModuleHandleA("kernel32.dll"));
}

void RestrictDllSearchWith(HMODULE kernel) {
  if (kernel == nullptr) return;
  // Windows 8 and later, and earlier NT systems with the update that added it: the system folder
  // alone.
  auto setDefault = Entry<SetDefaultDllDirectoriesFunction>(kernel, "SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(SearchSystemFolderOnly)) return;
  // XP SP1 and later: at least no longer the current folder.
  auto setDirectory = Entry<SetDllDirectoryFunction>(kernel, "SetDllDirectoryA");
  if (setDirectory != nullptr) setDirectory("");
}

} // namespace runtime
