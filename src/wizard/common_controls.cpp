#include "wizard/common_controls.h"

#include <cstring>

#include "foundation/win32/system_library.h"
#include "shared/path_text.h"

namespace {

using InitFunction = void(WINAPI*)();
using PropertySheetFunction = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERA);

constexpr char LibraryName[] = "comctl32.dll";

struct Library {
  bool Tried = false;
  InitFunction Init = nullptr;
  PropertySheetFunction PropertySheet = nullptr;
};

// The system directory's copy, or null; never a copy found by the usual search.
HMODULE LoadFromSystemDirectory(const char* name) {
  char path[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  if (NeedsPathSeparator(path, length)) path[length++] = '\\';
  const std::size_t nameLength = std::strlen(name);
  if (length + nameLength >= MAX_PATH) return nullptr;
  std::memcpy(path + length, name, nameLength + 1);
  return ::LoadLibraryA(path);
}

// Loaded once and kept until the program ends.
const Library& TheLibrary() {
  static Library library;
  if (!library.Tried) {
    library.Tried = true;
    if (HMODULE module = LoadFromSystemDirectory(LibraryName)) {
      library.Init = sys::SystemFunction<InitFunction>(module, "InitCommonControls");
      library.PropertySheet = sys::SystemFunction<PropertySheetFunction>(module, "PropertySheetA");
    }
  }
  return library;
}

} // namespace

bool InitCommonControlsFromSystem() {
  const Library& library = TheLibrary();
  if (!library.Init || !library.PropertySheet) return false;
  library.Init();
  return true;
}

INT_PTR RunPropertySheet(LPCPROPSHEETHEADERA header) {
  const Library& library = TheLibrary();
  return library.PropertySheet ? library.PropertySheet(header) : -1;
}
