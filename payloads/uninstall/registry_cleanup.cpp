#include "shared/product_names.h"
#include "shared/registry_tree.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

bool Gone(LONG result) { return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND; }

// A key that holds values or subkeys of someone else stays, and that is no failure.
bool DeleteIfEmpty(HKEY parent, const char* path) {
  HKEY key;
  LONG result = sys::RegOpenKeyExA(parent, path, 0, KEY_QUERY_VALUE, &key);
  if (result != ERROR_SUCCESS) return Gone(result);
  DWORD subkeys = 0, values = 0;
  result = sys::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 &values, nullptr, nullptr, nullptr, nullptr);
  sys::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return false;
  if (subkeys != 0 || values != 0) return true;
  return Gone(sys::RegDeleteKeyA(parent, path));
}

} // namespace

bool RemoveProductKeys() {
  return Gone(DeleteRegistryTree(HKEY_CURRENT_USER, BackupKeyPath)) &&
         DeleteIfEmpty(HKEY_CURRENT_USER, ProductKeyPath) &&
         DeleteIfEmpty(HKEY_CURRENT_USER, MakerKeyPath);
}

bool RemoveUninstallEntry() {
  return Gone(DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath));
}

} // namespace uninstall
