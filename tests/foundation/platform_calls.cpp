#include "platform_calls.h"

#include <doctest/doctest.h>

HKEY CreateKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  REQUIRE(sys::RegCreateKeyA(root, path.c_str(), &key) == ERROR_SUCCESS);
  return key;
}

LONG OpenKey(HKEY root, const std::string& path, REGSAM access, HKEY* key) {
  *key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0xBAD));
  return sys::RegOpenKeyExA(root, path.c_str(), 0, access, key);
}

LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes) {
  return sys::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size()));
}

std::vector<std::string> SubkeyNames(HKEY key) {
  std::vector<std::string> names;
  char name[256];
  for (DWORD index = 0;; ++index) {
    DWORD size = sizeof name;
    if (sys::RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) != 0) break;
    names.emplace_back(name, size);
  }
  return names;
}

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  return sys::CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                          nullptr);
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = sys::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return "(" + std::to_string(length) + ")";
  return std::string(buffer, length);
}

std::string Profile(const std::string& file, const char* section, const char* key,
                    const char* fallback, DWORD size) {
  std::vector<char> buffer(size + 1, 'X');
  DWORD length =
      sys::GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
  REQUIRE(buffer[length] == '\0');
  return std::string(buffer.data(), length);
}
