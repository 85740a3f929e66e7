#include "foundation/product_names.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

bool Gone(LONG result) { return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND; }

// The NT family deletes only keys without subkeys, so the tree goes depth first.
LONG DeleteTree(HKEY parent, const char* path) {
  HKEY key;
  LONG result = RegOpenKeyExA(parent, path, 0, KEY_ALL_ACCESS, &key);
  if (result != ERROR_SUCCESS) return result;
  char name[MAX_PATH];
  while ((result = RegEnumKeyA(key, 0, name, sizeof name)) == ERROR_SUCCESS) {
    result = DeleteTree(key, name);
    if (result != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  if (result != ERROR_NO_MORE_ITEMS) return result;
  return RegDeleteKeyA(parent, path);
}

// A key that holds values or subkeys of someone else stays, and that is no failure.
bool DeleteIfEmpty(HKEY parent, const char* path) {
  HKEY key;
  LONG result = RegOpenKeyExA(parent, path, 0, KEY_QUERY_VALUE, &key);
  if (result != ERROR_SUCCESS) return Gone(result);
  DWORD subkeys = 0, values = 0;
  result = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                            nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  if (subkeys != 0 || values != 0) return true;
  return Gone(RegDeleteKeyA(parent, path));
}

} // namespace

bool RemoveProductKeys() {
  return Gone(DeleteTree(HKEY_CURRENT_USER, BackupKeyPath)) &&
         DeleteIfEmpty(HKEY_CURRENT_USER, ProductKeyPath) &&
         DeleteIfEmpty(HKEY_CURRENT_USER, MakerKeyPath);
}

bool RemoveUninstallEntry() { return Gone(DeleteTree(HKEY_LOCAL_MACHINE, UninstallKeyPath)); }

} // namespace uninstall
