#include "shared/registry_tree.h"

namespace {

// Longer subkey names end the walk like any other failure to enumerate.
constexpr DWORD SubKeyNameRoom = 1024;

} // namespace

LONG DeleteRegistryTree(HKEY parent, const char* path) {
  HKEY key;
  LONG result = sys::RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key);
  if (result != ERROR_SUCCESS) return result;
  char name[SubKeyNameRoom];
  // Each deletion shifts the indexes of the subkeys after it: the index moves on only past a
  // subkey that stayed.
  for (DWORD index = 0;;) {
    if (sys::RegEnumKeyA(key, index, name, SubKeyNameRoom) != ERROR_SUCCESS) break;
    if (DeleteRegistryTree(key, name) != ERROR_SUCCESS) ++index;
  }
  // Still open: the platform deletes an open key all the same.
  result = sys::RegDeleteKeyA(parent, path);
  sys::RegCloseKey(key);
  return result;
}
