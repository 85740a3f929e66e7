#include "foundation/regkey.h"

#include "shared/registry_tree.h"

#include <cstring>

namespace {

// Longer subkey names end the enumeration like any other failure.
constexpr DWORD SubKeyNameRoom = 1024;

} // namespace

ZRegKey::ZRegKey(HKEY handle) : Handle(handle), Owned(false) {}

ZRegKey::ZRegKey(const ZRegKey& parent, const char* path, int mode)
    : Handle(nullptr), Owned(false) {
  if (mode & ModeCreate) {
    if (sys::RegCreateKeyA(parent.Handle, path, &Handle) != ERROR_SUCCESS) throw ECreate();
  } else {
    if (sys::RegOpenKeyExA(parent.Handle, path, 0, KEY_ALL_ACCESS, &Handle) != ERROR_SUCCESS)
      throw EOpen();
  }
  Owned = true;
}

ZRegKey::~ZRegKey() { Close(); }

void ZRegKey::Close() {
  if (!Owned) return;
  sys::RegCloseKey(Handle);
  Owned = false;
}

bool ZRegKey::QueryString(const char* valueName, ZString& out, int maxLength) {
  DWORD type = 0;
  DWORD size = 0;
  if (sys::RegQueryValueExA(Handle, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      type != REG_SZ || maxLength < 0 || size > static_cast<DWORD>(maxLength) + 1) {
    out.Clear();
    return false;
  }

  // Room for every byte of the data and a NUL of our own: other writers may have stored the
  // text without its terminating NUL.
  const DWORD room = size;
  char* buffer = out.GetBuffer(static_cast<int>(room));
  DWORD read = room;
  if (sys::RegQueryValueExA(Handle, valueName, nullptr, nullptr, reinterpret_cast<LPBYTE>(buffer),
                            &read) != ERROR_SUCCESS) {
    out.ReleaseBuffer(0);
    return false;
  }
  if (read > room) read = room;

  const void* nul = std::memchr(buffer, '\0', read);
  int length = static_cast<int>(nul ? static_cast<const char*>(nul) - buffer : read);
  if (length > maxLength) {
    out.ReleaseBuffer(0);
    return false;
  }
  out.ReleaseBuffer(length);
  return true;
}

bool ZRegKey::SetString(const char* valueName, const ZString& value) {
  return sys::RegSetValueExA(Handle, valueName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.CStr()),
                             static_cast<DWORD>(value.Length()) + 1) == ERROR_SUCCESS;
}

bool ZRegKey::SetString(const char* valueName, const char* value) {
  return SetString(valueName, ZString(value));
}

void ZRegKey::GetSubKeyNames(std::vector<ZString>& names) {
  char name[SubKeyNameRoom];
  for (DWORD index = 0;; ++index) {
    DWORD size = SubKeyNameRoom;
    if (sys::RegEnumKeyExA(Handle, index, name, &size, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      return;
    names.push_back(ZString(name));
  }
}

bool ZRegKey::DeleteTree(const char* path) {
  return DeleteRegistryTree(Handle, path) == ERROR_SUCCESS;
}
