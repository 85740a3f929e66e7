#include "support/test_machine.h"

#include <doctest/doctest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "shared/platform_family.h"
#include "support/known_wine_deviation.h"
#include "support/message_boxes.h"

MachineFixture::MachineFixture() {
#ifndef _WIN32
  // ZM_MEMORY_DRIVES: the drives in memory, to hold that store to the same rules as the disk.
  sys::host::UseMemoryDrives(std::getenv("ZM_MEMORY_DRIVES") != nullptr);
#endif
  DeleteRegistryTree(HKEY_CURRENT_USER, TestRegistryRoot);
  sys::hooks::Reset();
  TakeMessageBoxes();
}

MachineFixture::~MachineFixture() {
  sys::hooks::ClearFaults();
  DeleteRegistryTree(HKEY_CURRENT_USER, TestRegistryRoot);
}

#ifdef _WIN32
void RequireExpectedFamily() {
  const char* expected = std::getenv("ZM_EXPECT_FAMILY");
  REQUIRE_MESSAGE(expected != nullptr, "ZM_EXPECT_FAMILY is not set");
  const std::string family = expected;
  REQUIRE_MESSAGE((family == "nt" || family == "98"),
                  "ZM_EXPECT_FAMILY names no family: " << family);
  REQUIRE_MESSAGE(IsWindowsNT() == (family == "nt"),
                  "expected the " << family << " family, found the other one");
}
#endif

bool ChooseFamily() {
#ifdef _WIN32
  RequireExpectedFamily();
  return IsWindowsNT();
#else
  bool nt = true;
  SUBCASE("NT family") { nt = true; }
  SUBCASE("95/98 family") {
    nt = false;
    sys::host::SetFamily(sys::host::Family::Win9x);
  }
  return nt;
#endif
}

std::string NewScratchDirectory() {
  static int counter = 0;
#ifdef _WIN32
  char temp[MAX_PATH];
  DWORD length = ::GetTempPathA(MAX_PATH, temp);
  REQUIRE(length > 0);
  std::string base(temp, length);
  base += "zmtest-" + std::to_string(::GetCurrentProcessId()) + "-";
#else
  std::string base = "C:\\TEMP\\";
  sys::CreateDirectoryA(base.c_str(), nullptr);
  base += "scratch-";
#endif
  std::string dir;
  do {
    dir = base + std::to_string(++counter);
  } while (sys::GetFileAttributesA(dir.c_str()) != INVALID_FILE_ATTRIBUTES);
  REQUIRE(sys::CreateDirectoryA(dir.c_str(), nullptr));
  return dir + "\\";
}

bool FileExists(const std::string& path) {
  DWORD attributes = sys::GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

HANDLE OpenForReading(const std::string& path) {
  return sys::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

std::string ReadFileBytes(const std::string& path) {
  HANDLE file = OpenForReading(path);
  if (file == INVALID_HANDLE_VALUE) return "";
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (sys::ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0)
    bytes.append(chunk, read);
  sys::CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE file = sys::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot create " << path);
  DWORD written = 0;
  REQUIRE(sys::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  REQUIRE(written == bytes.size());
  sys::CloseHandle(file);
}

FILETIME FileLastWriteTime(const std::string& path) {
  FILETIME lastWrite{0, 0};
  HANDLE file = OpenForReading(path);
  REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot open " << path);
  sys::GetFileTime(file, nullptr, nullptr, &lastWrite);
  sys::CloseHandle(file);
  return lastWrite;
}

bool RegistryKeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (sys::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  sys::RegCloseKey(key);
  return true;
}

void SetRegistryValue(HKEY root, const std::string& path, const char* name, DWORD type,
                      const std::string& bytes) {
  HKEY key = nullptr;
  REQUIRE(sys::RegCreateKeyA(root, path.c_str(), &key) == ERROR_SUCCESS);
  REQUIRE(sys::RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                              static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS);
  sys::RegCloseKey(key);
}

void SetRegistryString(HKEY root, const std::string& path, const char* name,
                       const std::string& text) {
  SetRegistryValue(root, path, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

bool GetRegistryValue(HKEY root, const std::string& path, const char* name, DWORD* type,
                      std::string* bytes) {
  HKEY key = nullptr;
  if (sys::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG status = sys::RegQueryValueExA(key, name, nullptr, type, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    std::vector<BYTE> data(size + 1);
    status = sys::RegQueryValueExA(key, name, nullptr, type, data.data(), &size);
    if (status == ERROR_SUCCESS) bytes->assign(reinterpret_cast<char*>(data.data()), size);
  }
  sys::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool MakeReadOnlyFiles(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    WriteFileBytes(path, "from the CD");
    REQUIRE(sys::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  }
  if (!known_wine_deviation::UnderWineAsSuperuser()) return true;
  HANDLE probe = sys::CreateFileA(paths.front().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  KNOWN_WINE_DEVIATION_CHECK_EQ(probe == INVALID_HANDLE_VALUE, true,
                                "Windows refuses to write a read-only file (documented meaning of "
                                "FILE_ATTRIBUTE_READONLY); Wine refuses through the host's "
                                "permission bits, which the superuser passes");
  if (probe != INVALID_HANDLE_VALUE) sys::CloseHandle(probe);
  for (const std::string& path : paths)
    sys::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return false;
}
