// The emulated machine itself: the rules of the platform that the engine's tests rely on when
// they run natively.
#ifndef _WIN32

#include <doctest/doctest.h>

#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/host/host_machine.h"
#include "foundation/platform.h"
#include "foundation/platform_hooks.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"

namespace {

constexpr LONG ErrorBadPathname = 161;
constexpr DWORD ErrorDirNotEmpty = 145;
constexpr DWORD ErrorNoAccess = 998;

HKEY CreateKey(HKEY root, const char* path) {
  HKEY key = nullptr;
  REQUIRE(sys::RegCreateKeyA(root, path, &key) == ERROR_SUCCESS);
  return key;
}

LONG OpenKey(HKEY root, const char* path, REGSAM access, HKEY* key) {
  *key = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0xBAD));
  return sys::RegOpenKeyExA(root, path, 0, access, key);
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

std::string HostFileBytes(const std::string& windowsPath) {
  std::ifstream file(sys::host::HostPath(windowsPath), std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

void WriteHostFile(const std::string& windowsPath, const std::string& bytes) {
  std::ofstream file(sys::host::HostPath(windowsPath), std::ios::binary);
  file << bytes;
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = sys::GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return "(" + std::to_string(length) + ")";
  return std::string(buffer, length);
}

std::string Profile(const char* section, const char* key, const char* fallback, DWORD size = 260) {
  std::vector<char> buffer(size + 1, 'X');
  DWORD length =
      sys::GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, "system.ini");
  REQUIRE(buffer[length] == '\0');
  return std::string(buffer.data(), length);
}

std::vector<std::string> Details(const char* name) {
  std::vector<std::string> details;
  for (const auto& call : sys::hooks::Calls())
    if (call.name == name) details.push_back(call.detail);
  return details;
}

} // namespace

TEST_SUITE("registry") {

  TEST_CASE_FIXTURE(MachineFixture,
                    "names are matched without regard to case and keep their spelling") {
    HKEY created = CreateKey(HKEY_CURRENT_USER, "Software\\Zembrino\\Alpha");
    CHECK(SetBytes(created, "DisplayName", REG_SZ, std::string("one", 4)) == ERROR_SUCCESS);
    sys::RegCloseKey(created);

    HKEY opened = nullptr;
    REQUIRE(OpenKey(HKEY_CURRENT_USER, "SOFTWARE\\zembrino\\ALPHA", KEY_READ, &opened) == 0);
    DWORD type = 0, size = 0;
    CHECK(sys::RegQueryValueExA(opened, "displayname", nullptr, &type, nullptr, &size) == 0);
    CHECK(type == REG_SZ);
    CHECK(size == 4);
    sys::RegCloseKey(opened);

    // Creating the same key in another case opens it; the first spelling stays.
    sys::RegCloseKey(CreateKey(HKEY_CURRENT_USER, "software\\ZEMBRINO\\alpha"));
    HKEY parent = nullptr;
    REQUIRE(OpenKey(HKEY_CURRENT_USER, "Software\\Zembrino", KEY_READ, &parent) == 0);
    CHECK(SubkeyNames(parent) == std::vector<std::string>{"Alpha"});
    sys::RegCloseKey(parent);
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "values are stored as given and read back by the size protocol") {
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Values");
    const std::string unterminated = "no terminator";
    const std::string embedded("a\0b", 3);
    REQUIRE(SetBytes(key, "Text", REG_SZ, unterminated) == 0);
    REQUIRE(SetBytes(key, "Expand", REG_EXPAND_SZ, embedded) == 0);
    REQUIRE(SetBytes(key, "Empty", REG_SZ, "") == 0);
    REQUIRE(SetBytes(key, nullptr, REG_DWORD, std::string("\x01\x00\x00\x00", 4)) == 0);

    SUBCASE("no buffer: type and size only") {
      DWORD type = 0, size = 0;
      CHECK(sys::RegQueryValueExA(key, "Text", nullptr, &type, nullptr, &size) == ERROR_SUCCESS);
      CHECK(type == REG_SZ);
      CHECK(size == unterminated.size());
    }
    SUBCASE("a buffer too small: ERROR_MORE_DATA and the size needed") {
      char buffer[4];
      DWORD size = sizeof buffer;
      CHECK(sys::RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &size) == ERROR_MORE_DATA);
      CHECK(size == unterminated.size());
    }
    SUBCASE("the exact bytes, no terminator added, embedded NULs kept") {
      char buffer[32];
      std::memset(buffer, 'X', sizeof buffer);
      DWORD type = 0, size = sizeof buffer;
      CHECK(sys::RegQueryValueExA(key, "Expand", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                  &size) == ERROR_SUCCESS);
      CHECK(type == REG_EXPAND_SZ);
      CHECK(std::string(buffer, size) == embedded);
      CHECK(buffer[size] == 'X');
      size = sizeof buffer;
      CHECK(sys::RegQueryValueExA(key, "Empty", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer),
                                  &size) == ERROR_SUCCESS);
      CHECK(size == 0);
    }
    SUBCASE("a null and an empty name both mean the default value") {
      DWORD type = 0, size = 0;
      CHECK(sys::RegQueryValueExA(key, "", nullptr, &type, nullptr, &size) == ERROR_SUCCESS);
      CHECK(type == REG_DWORD);
      CHECK(sys::RegDeleteValueA(key, nullptr) == ERROR_SUCCESS);
      CHECK(sys::RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) ==
            ERROR_FILE_NOT_FOUND);
    }
    SUBCASE("missing values and bad arguments") {
      DWORD size = 0;
      CHECK(sys::RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size) ==
            ERROR_FILE_NOT_FOUND);
      CHECK(sys::RegDeleteValueA(key, "Missing") == ERROR_FILE_NOT_FOUND);
      CHECK(sys::RegSetValueExA(key, "Bad", 0, REG_SZ, nullptr, 4) == ErrorNoAccess);
    }
    sys::RegCloseKey(key);
  }

  TEST_CASE_FIXTURE(MachineFixture, "subkeys are enumerated in the platform's order") {
    for (const char* name : {"gamma", "_under", "Beta", "alpha", "Zeta"})
      sys::RegCloseKey(
          CreateKey(HKEY_CURRENT_USER, (std::string("Software\\List\\") + name).c_str()));
    HKEY list = nullptr;
    REQUIRE(OpenKey(HKEY_CURRENT_USER, "Software\\List", KEY_READ, &list) == 0);
    // Upper-case order: '_' sorts after the letters.
    CHECK(SubkeyNames(list) ==
          std::vector<std::string>{"alpha", "Beta", "gamma", "Zeta", "_under"});

    char name[5];
    DWORD size = sizeof name;
    CHECK(sys::RegEnumKeyExA(list, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_MORE_DATA); // "alpha" and its NUL need six
    size = sizeof name;
    CHECK(sys::RegEnumKeyExA(list, 1, name, &size, nullptr, nullptr, nullptr, nullptr) == 0);
    CHECK(size == 4);
    CHECK(std::string(name) == "Beta");
    size = sizeof name;
    CHECK(sys::RegEnumKeyExA(list, 5, name, &size, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_NO_MORE_ITEMS);
    sys::RegCloseKey(list);
  }

  TEST_CASE_FIXTURE(MachineFixture, "RegDeleteKeyA follows the deletion rule of the family") {
    sys::RegCloseKey(CreateKey(HKEY_CURRENT_USER, "Software\\Tree\\Child\\Grandchild"));
    HKEY child = nullptr;
    REQUIRE(OpenKey(HKEY_CURRENT_USER, "Software\\Tree\\Child", KEY_ALL_ACCESS, &child) == 0);

    SUBCASE("NT: a key with subkeys is refused, a leaf goes") {
      CHECK(sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree") == ERROR_ACCESS_DENIED);
      CHECK(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Tree\\Child\\Grandchild"));
      CHECK(sys::RegDeleteKeyA(child, "GRANDCHILD") == ERROR_SUCCESS);
      CHECK(sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree\\Child") == ERROR_SUCCESS);
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Tree\\Child"));
    }
    SUBCASE("95/98: the whole subtree goes") {
      sys::host::SetFamily(sys::host::Family::Win9x);
      CHECK(sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree") == ERROR_SUCCESS);
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Tree"));
      CHECK(RegistryKeyExists(HKEY_CURRENT_USER, "Software"));
    }
    // Either way the open handle now names a deleted key, and it still closes.
    char name[16];
    DWORD size = sizeof name;
    CHECK(sys::RegEnumKeyExA(child, 0, name, &size, nullptr, nullptr, nullptr, nullptr) ==
          ERROR_KEY_DELETED);
    CHECK(SetBytes(child, "v", REG_SZ, "x") == ERROR_KEY_DELETED);
    CHECK(sys::RegCloseKey(child) == ERROR_SUCCESS);
    CHECK(sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Tree\\Child") == ERROR_FILE_NOT_FOUND);
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "handles are independent objects and roots are given by value") {
    sys::RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker"));
    HKEY first = nullptr, second = nullptr;
    REQUIRE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker", KEY_ALL_ACCESS, &first) == 0);
    REQUIRE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Maker", KEY_ALL_ACCESS, &second) == 0);
    CHECK(first != second);
    CHECK(sys::RegCloseKey(first) == ERROR_SUCCESS);
    CHECK(SetBytes(second, "still", REG_SZ, "open") == ERROR_SUCCESS);
    CHECK(sys::RegCloseKey(first) == ERROR_INVALID_HANDLE);
    CHECK(sys::RegCloseKey(second) == ERROR_SUCCESS);

    // A root read as a 32-bit number from a file, widened either way.
    const std::uint32_t stored = 0x80000002;
    HKEY signExtended = reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(stored))));
    HKEY zeroExtended = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(stored));
    HKEY key = nullptr;
    CHECK(OpenKey(signExtended, "software\\maker", KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
    sys::RegCloseKey(key);
    CHECK(OpenKey(zeroExtended, "software\\maker", KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
    sys::RegCloseKey(key);

    CHECK(OpenKey(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), "x", KEY_READ, &key) ==
          ERROR_INVALID_HANDLE);
    CHECK(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Missing", KEY_READ, &key) == ERROR_FILE_NOT_FOUND);
    CHECK(key == nullptr);
    CHECK(OpenKey(HKEY_LOCAL_MACHINE, "\\SOFTWARE", KEY_READ, &key) == ErrorBadPathname);

    // Closing a predefined root succeeds, and is counted so that tests can tell it happened.
    CHECK(sys::host::PredefinedRootCloses() == 0);
    CHECK(sys::RegCloseKey(HKEY_CURRENT_USER) == ERROR_SUCCESS);
    CHECK(sys::RegCloseKey(signExtended) == ERROR_SUCCESS);
    CHECK(sys::host::PredefinedRootCloses() == 2);
  }

  TEST_CASE_FIXTURE(MachineFixture, "a denied key can be read but neither written nor created") {
    sys::RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Inner"));
    sys::RegCloseKey(CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Open"));
    sys::host::DenyKeyAccess(HKEY_LOCAL_MACHINE, "Software\\Locked");

    HKEY key = nullptr;
    CHECK(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", KEY_ALL_ACCESS, &key) ==
          ERROR_ACCESS_DENIED);
    CHECK(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\LOCKED\\Inner", KEY_ALL_ACCESS, &key) ==
          ERROR_ACCESS_DENIED);
    CHECK(sys::RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", &key) == ERROR_ACCESS_DENIED);
    CHECK(sys::RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\New", &key) ==
          ERROR_ACCESS_DENIED);
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\New"));
    CHECK(sys::RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked\\Inner") == ERROR_ACCESS_DENIED);

    REQUIRE(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Locked", KEY_READ, &key) == ERROR_SUCCESS);
    CHECK(SubkeyNames(key) == std::vector<std::string>{"Inner"});
    CHECK(SetBytes(key, "v", REG_SZ, "x") == ERROR_ACCESS_DENIED); // a handle opened for reading
    sys::RegCloseKey(key);

    // Neighbours and the keys above are untouched.
    CHECK(OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Open", KEY_ALL_ACCESS, &key) == ERROR_SUCCESS);
    sys::RegCloseKey(key);
    CHECK(sys::RegCreateKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\LockedToo", &key) == ERROR_SUCCESS);
    sys::RegCloseKey(key);
  }

} // TEST_SUITE("registry")

TEST_SUITE("files") {

  TEST_CASE_FIXTURE(MachineFixture, "Windows paths map onto the sandbox without regard to case") {
    const std::string host = sys::host::HostPath("C:\\WINDOWS\\system");
    struct stat info;
    REQUIRE(::stat(host.c_str(), &info) == 0); // made by the reset
    CHECK(S_ISDIR(info.st_mode));
    CHECK(host.size() > std::strlen("/C/WINDOWS/system"));
    CHECK(host.compare(host.size() - 17, 17, "/C/WINDOWS/system") == 0);

    WriteFileBytes("C:\\WINDOWS\\Mixed Case.TXT", "content");
    CHECK(ReadFileBytes("c:/windows/MIXED case.txt") == "content");
    CHECK(sys::host::HostPath("c:\\windows\\mixed case.txt") ==
          sys::host::HostPath("C:\\WINDOWS\\Mixed Case.TXT"));
    CHECK(sys::GetFileAttributesA("C:\\windows") == FILE_ATTRIBUTE_DIRECTORY);
    CHECK(sys::GetFileAttributesA("C:\\windows\\.\\System\\..\\mixed case.txt") !=
          INVALID_FILE_ATTRIBUTES);
  }

  TEST_CASE_FIXTURE(MachineFixture, "CreateFileA dispositions and their errors") {
    const std::string dir = NewScratchDirectory();
    WriteFileBytes(dir + "existing.bin", "0123456789");
    struct Case {
      const char* name;
      std::string path;
      DWORD disposition;
      DWORD error; // 0: the open succeeds
      DWORD lastError;
    };
    const Case cases[] = {
        {"create new over an existing file", dir + "existing.bin", CREATE_NEW, ERROR_FILE_EXISTS,
         0},
        {"open a missing file", dir + "missing.bin", OPEN_EXISTING, ERROR_FILE_NOT_FOUND, 0},
        {"a missing folder", dir + "nowhere\\file.bin", CREATE_ALWAYS, ERROR_PATH_NOT_FOUND, 0},
        {"a folder itself", dir + ".", OPEN_EXISTING, ERROR_ACCESS_DENIED, 0},
        {"open-always a new file", dir + "fresh.bin", OPEN_ALWAYS, 0, ERROR_SUCCESS},
        {"create-always over an existing file", dir + "existing.bin", CREATE_ALWAYS, 0,
         ERROR_ALREADY_EXISTS},
    };
    for (const Case& c : cases) {
      CAPTURE(c.name);
      sys::SetLastError(12345);
      HANDLE file = Open(c.path, GENERIC_WRITE, 0, c.disposition);
      if (c.error != 0) {
        CHECK(file == INVALID_HANDLE_VALUE);
        CHECK(sys::GetLastError() == c.error);
        continue;
      }
      REQUIRE(file != INVALID_HANDLE_VALUE);
      CHECK(sys::GetLastError() == c.lastError);
      DWORD high = 7;
      CHECK(sys::GetFileSize(file, &high) == 0); // created empty, or truncated
      CHECK(high == 0);
      sys::CloseHandle(file);
    }
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "share modes are honoured and a refused open truncates nothing") {
    const std::string path = NewScratchDirectory() + "held.scr";
    WriteFileBytes(path, "original");

    SUBCASE("held without any sharing, as the extraction holds its files") {
      HANDLE held = Open(path, GENERIC_WRITE, 0, OPEN_EXISTING);
      REQUIRE(held != INVALID_HANDLE_VALUE);
      CHECK(Open(path, GENERIC_WRITE, FILE_SHARE_WRITE | FILE_SHARE_READ, CREATE_ALWAYS) ==
            INVALID_HANDLE_VALUE);
      CHECK(sys::GetLastError() == ERROR_SHARING_VIOLATION);
      CHECK(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING) ==
            INVALID_HANDLE_VALUE);
      CHECK_FALSE(sys::DeleteFileA(path.c_str()));
      CHECK(sys::GetLastError() == ERROR_SHARING_VIOLATION);
      CHECK(HostFileBytes(path) == "original");
      sys::CloseHandle(held);
    }
    SUBCASE("held for reading with read sharing") {
      HANDLE held = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
      REQUIRE(held != INVALID_HANDLE_VALUE);
      HANDLE reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
      CHECK(reader != INVALID_HANDLE_VALUE);
      sys::CloseHandle(reader);
      CHECK(Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS) == INVALID_HANDLE_VALUE);
      CHECK(sys::GetLastError() == ERROR_SHARING_VIOLATION);
      CHECK(HostFileBytes(path) == "original");
      sys::CloseHandle(held);
    }
    SUBCASE("held for reading with read and write sharing, as the restore log is read") {
      HANDLE held = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
      REQUIRE(held != INVALID_HANDLE_VALUE);
      CHECK(Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS) == INVALID_HANDLE_VALUE);
      HANDLE sharing = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
      CHECK(sharing != INVALID_HANDLE_VALUE);
      sys::CloseHandle(sharing);
      CHECK_FALSE(sys::DeleteFileA(path.c_str()));
      CHECK(HostFileBytes(path) == "original");
      sys::CloseHandle(held);
    }
    // Once released, everything is possible again.
    HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    CHECK(file != INVALID_HANDLE_VALUE);
    CHECK(sys::CloseHandle(file));
    CHECK(sys::DeleteFileA(path.c_str()));
    CHECK_FALSE(sys::DeleteFileA(path.c_str()));
    CHECK(sys::GetLastError() == ERROR_FILE_NOT_FOUND);
  }

  TEST_CASE_FIXTURE(MachineFixture, "file contents, sizes and times through handles") {
    const std::string path = NewScratchDirectory() + "payload.bin";
    HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    REQUIRE(file != INVALID_HANDLE_VALUE);
    DWORD count = 0;
    CHECK(sys::WriteFile(file, "abcdef", 6, &count, nullptr));
    CHECK(count == 6);
    CHECK_FALSE(sys::ReadFile(file, nullptr, 0, &count, nullptr)); // not opened for reading
    CHECK(sys::GetLastError() == ERROR_ACCESS_DENIED);

    // 2000-09-13 12:00:00 UTC and one more 100-ns step: no precision is lost on the way.
    const FILETIME stamp{0x24622001, 0x01C01D7A};
    FILETIME before{};
    REQUIRE(sys::GetFileTime(file, nullptr, &before, nullptr));
    CHECK(sys::SetFileTime(file, nullptr, nullptr, &stamp));
    FILETIME access{}, written{};
    CHECK(sys::GetFileTime(file, nullptr, &access, &written));
    CHECK(written.dwLowDateTime == stamp.dwLowDateTime);
    CHECK(written.dwHighDateTime == stamp.dwHighDateTime);
    CHECK(access.dwLowDateTime == before.dwLowDateTime); // a null time is left as it was
    CHECK(sys::CloseHandle(file));
    CHECK_FALSE(sys::CloseHandle(file));
    CHECK(sys::GetLastError() == ERROR_INVALID_HANDLE);

    const FILETIME reread = FileLastWriteTime(path);
    CHECK(reread.dwLowDateTime == stamp.dwLowDateTime);
    CHECK(reread.dwHighDateTime == stamp.dwHighDateTime);
    CHECK(ReadFileBytes(path) == "abcdef");
  }

  TEST_CASE_FIXTURE(MachineFixture, "folders") {
    const std::string dir = NewScratchDirectory();
    CHECK(sys::CreateDirectoryA((dir + "Sub").c_str(), nullptr));
    CHECK_FALSE(sys::CreateDirectoryA((dir + "SUB").c_str(), nullptr));
    CHECK(sys::GetLastError() == ERROR_ALREADY_EXISTS);
    CHECK_FALSE(sys::CreateDirectoryA((dir + "a\\b").c_str(), nullptr));
    CHECK(sys::GetLastError() == ERROR_PATH_NOT_FOUND);
    WriteFileBytes(dir + "sub\\file", "x");
    CHECK_FALSE(sys::RemoveDirectoryA((dir + "Sub").c_str()));
    CHECK(sys::GetLastError() == ErrorDirNotEmpty);
    CHECK(sys::DeleteFileA((dir + "Sub\\FILE").c_str()));
    CHECK(sys::RemoveDirectoryA((dir + "sub").c_str()));
    CHECK(sys::GetFileAttributesA((dir + "Sub").c_str()) == INVALID_FILE_ATTRIBUTES);
    CHECK(sys::GetLastError() == ERROR_FILE_NOT_FOUND);
  }

  TEST_CASE("a reset gives a new, empty sandbox and removes the old one") {
    sys::host::Reset();
    WriteFileBytes("C:\\WINDOWS\\left.txt", "x");
    const std::string oldHost = sys::host::HostPath("C:\\WINDOWS\\left.txt");
    sys::host::Reset();
    struct stat info;
    CHECK(::stat(oldHost.c_str(), &info) != 0);
    CHECK_FALSE(FileExists("C:\\WINDOWS\\left.txt"));
    CHECK(sys::GetFileAttributesA("C:\\WINDOWS\\system") == FILE_ATTRIBUTE_DIRECTORY);
  }

  TEST_CASE_FIXTURE(MachineFixture, "short names") {
    WriteFileBytes("C:\\WINDOWS\\Zembrino's Screen Saver.scr", "new");
    WriteFileBytes("C:\\WINDOWS\\Zembrino's Screensaver.scr", "old");
    WriteFileBytes("C:\\WINDOWS\\zmsaveru.exe", "uninstaller");
    sys::CreateDirectoryA("C:\\Program Files", nullptr);
    WriteFileBytes("C:\\Program Files\\my.long.file.name.html", "");
    WriteFileBytes("C:\\Program Files\\a b+c;d=e.txt", "");

    struct Case {
      const char* path;
      const char* expected;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\Zembrino's Screen Saver.scr", "C:\\WINDOWS\\ZEMBRI~1.SCR"},
        {"C:\\WINDOWS\\Zembrino's Screensaver.scr", "C:\\WINDOWS\\ZEMBRI~2.SCR"},
        {"c:\\windows\\ZEMBRINO'S SCREEN SAVER.SCR", "c:\\windows\\ZEMBRI~1.SCR"},
        {"C:\\windows\\zmsaveru.exe", "C:\\windows\\zmsaveru.exe"}, // already 8.3: as written
        {"C:\\Program Files\\my.long.file.name.html", "C:\\PROGRA~1\\MYLONG~1.HTM"},
        {"C:\\Program Files\\a b+c;d=e.txt", "C:\\PROGRA~1\\ABCDE~1.TXT"},
        {"C:/WINDOWS/", "C:\\WINDOWS\\"},
        {"C:\\WINDOWS\\missing.scr", "(0)"},
    };
    for (const Case& c : cases) {
      CAPTURE(c.path);
      CHECK(ShortPath(c.path) == c.expected);
    }
    CHECK(sys::GetShortPathNameA("C:\\WINDOWS\\missing.scr", nullptr, 0) == 0);
    CHECK(sys::GetLastError() == ERROR_FILE_NOT_FOUND);

    // Too small a buffer: the size needed with its NUL, and nothing written.
    char small[8] = "keep";
    CHECK(sys::GetShortPathNameA("C:\\WINDOWS\\zmsaveru.exe", small, sizeof small) == 24);
    CHECK(std::string(small) == "keep");
    char exact[24];
    CHECK(sys::GetShortPathNameA("C:\\WINDOWS\\zmsaveru.exe", exact, sizeof exact) == 23);

    // A short path names the same file as the long one.
    CHECK(ReadFileBytes("C:\\windows\\zembri~2.scr") == "old");
    CHECK(FileExists("C:\\PROGRA~1\\ABCDE~1.TXT"));
    CHECK_FALSE(FileExists("C:\\WINDOWS\\ZEMBRI~3.SCR"));
  }

  TEST_CASE_FIXTURE(MachineFixture, "aliases are numbered in the order the files appear") {
    const std::string dir = "C:\\WINDOWS\\";
    // Created in this order; name order would put the numbered files first.
    WriteFileBytes(dir + "Zembrino's Screensaver.scr", "");
    for (int i = 2; i <= 10; ++i)
      WriteFileBytes(dir + "Zembrino's Screen Saver " + std::to_string(i) + ".scr", "");
    CHECK(ShortPath(dir + "Zembrino's Screensaver.scr") == dir + "ZEMBRI~1.SCR");
    CHECK(ShortPath(dir + "Zembrino's Screen Saver 2.scr") == dir + "ZEMBRI~2.SCR");
    // From ten on, the base gives up a character so that the alias still fits in eight.
    CHECK(ShortPath(dir + "Zembrino's Screen Saver 10.scr") == dir + "ZEMBR~10.SCR");

    // A deleted file's alias is free again; the others keep theirs.
    REQUIRE(sys::DeleteFileA((dir + "Zembrino's Screensaver.scr").c_str()));
    WriteFileBytes(dir + "Zembrino's Screen Saver.scr", "");
    CHECK(ShortPath(dir + "Zembrino's Screen Saver.scr") == dir + "ZEMBRI~1.SCR");
    CHECK(ShortPath(dir + "Zembrino's Screen Saver 2.scr") == dir + "ZEMBRI~2.SCR");

    // A file put there behind the platform's back gets the smallest free number when first asked.
    WriteHostFile(dir + "Zembrino's Other.scr", "");
    CHECK(ShortPath(dir + "Zembrino's Other.scr") == dir + "ZEMBR~11.SCR");
  }

} // TEST_SUITE("files")

TEST_SUITE("profile files") {

  TEST_CASE_FIXTURE(MachineFixture, "reading: case, blanks, defaults and truncation") {
    WriteHostFile("C:\\WINDOWS\\system.ini",
                  "[boot]\r\nshell=Explorer.exe\r\n  SCRNSAVE.EXE =  C:\\OLD.SCR  \r\n"
                  "quoted=\"in quotes\"\r\n[other]\nscrnsave.exe=elsewhere\n");
    CHECK(Profile("BOOT", "scrnsave.exe", "") == "C:\\OLD.SCR");
    CHECK(Profile("boot", "quoted", "") == "in quotes");
    CHECK(Profile("boot", "missing", "fallback  ") == "fallback");
    CHECK(Profile("nosection", "scrnsave.exe", nullptr) == "");
    CHECK(Profile("boot", "scrnsave.exe", "", 5) == "C:\\O"); // size - 1 characters
    CHECK(Profile("boot", "scrnsave.exe", "", 1) == "");
    CHECK(Profile(nullptr, nullptr, "") == std::string("boot\0other\0", 11));
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "writing changes the file in place and keeps every other line") {
    const std::string original =
        "; settings\r\n[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=old\r\n"
        "\r\n[386Enh]\r\nkeyboard=*vkd\r\n";
    WriteHostFile("C:\\WINDOWS\\system.ini", original);
    struct Case {
      const char* name;
      const char* section;
      const char* key;
      const char* value;
      std::string expected;
    };
    const Case cases[] = {
        {"replace a value", "Boot", "scrnsave.exe", "C:\\NEW.SCR",
         "; "
         "settings\r\n[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=C:\\NEW.SCR\r\n\r\n[386Enh]\r\n"
         "keyboard=*vkd\r\n"},
        {"add a key at the end of its section", "boot", "added", "1",
         "; settings\r\n[boot]\r\nshell=Explorer.exe\r\nSCRNSAVE.EXE=old\r\nadded=1\r\n\r\n"
         "[386Enh]\r\nkeyboard=*vkd\r\n"},
        {"add a section", "New", "key", "v", original + "[New]\r\nkey=v\r\n"},
        {"delete a key", "BOOT", "scrnsave.exe", nullptr,
         "; settings\r\n[boot]\r\nshell=Explorer.exe\r\n\r\n[386Enh]\r\nkeyboard=*vkd\r\n"},
        {"delete a missing key", "boot", "missing", nullptr, original},
        {"delete a section", "boot", nullptr, nullptr,
         "; settings\r\n[386Enh]\r\nkeyboard=*vkd\r\n"},
    };
    for (const Case& c : cases) {
      CAPTURE(c.name);
      WriteHostFile("C:\\WINDOWS\\system.ini", original);
      CHECK(sys::WritePrivateProfileStringA(c.section, c.key, c.value, "system.ini"));
      CHECK(HostFileBytes("C:\\WINDOWS\\system.ini") == c.expected);
    }
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "the file without a folder is the one in the Windows directory") {
    CHECK(sys::WritePrivateProfileStringA("boot", "scrnsave.exe", "A.SCR", "system.ini"));
    CHECK(HostFileBytes("C:\\WINDOWS\\system.ini") == "[boot]\r\nscrnsave.exe=A.SCR\r\n");

    sys::host::SetWindowsDirectory("D:\\WINNT");
    CHECK(Profile("boot", "scrnsave.exe", "none") == "none");
    CHECK(sys::WritePrivateProfileStringA("boot", "scrnsave.exe", "B.SCR", "system.ini"));
    CHECK(HostFileBytes("D:\\WINNT\\system.ini") == "[boot]\r\nscrnsave.exe=B.SCR\r\n");
    CHECK(sys::GetFileAttributesA("D:\\WINNT\\system") == FILE_ATTRIBUTE_DIRECTORY);
  }

} // TEST_SUITE("profile files")

TEST_SUITE("system") {

  TEST_CASE_FIXTURE(MachineFixture, "the version query answers per family") {
    struct Case {
      sys::host::Family family;
      BOOL result;
      DWORD platform, major, minor;
    };
    const Case cases[] = {
        {sys::host::Family::NT, TRUE, VER_PLATFORM_WIN32_NT, 5, 0},
        {sys::host::Family::Win9x, TRUE, VER_PLATFORM_WIN32_WINDOWS, 4, 10},
        {sys::host::Family::VersionQueryFails, FALSE, 0, 0, 0},
    };
    for (const Case& c : cases) {
      CAPTURE(static_cast<int>(c.family));
      sys::host::SetFamily(c.family);
      OSVERSIONINFOA info{};
      info.dwOSVersionInfoSize = sizeof info;
      REQUIRE(sys::GetVersionExA(&info) == c.result);
      if (!c.result) continue;
      CHECK(info.dwPlatformId == c.platform);
      CHECK(info.dwMajorVersion == c.major);
      CHECK(info.dwMinorVersion == c.minor);
    }
    sys::host::SetFamily(sys::host::Family::NT);
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info - 1;
    CHECK_FALSE(sys::GetVersionExA(&info));
  }

  TEST_CASE_FIXTURE(MachineFixture, "the Windows directory and its length rule") {
    char buffer[MAX_PATH];
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 10);
    CHECK(std::string(buffer) == "C:\\WINDOWS");
    CHECK(sys::GetWindowsDirectoryA(buffer, 10) == 11); // no room for the NUL

    const std::string tooLong = "C:\\" + std::string(257, 'W');
    sys::host::SetWindowsDirectory(tooLong.c_str());
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 261);
    sys::host::SetWindowsDirectory(nullptr);
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 0);
  }

  TEST_CASE_FIXTURE(MachineFixture, "resources by text and by id, and their loads") {
    HMODULE module = sys::host::AddModule();
    sys::host::AddResource(module, "ZEMBRINO", "IDR_00", "payload");
    sys::host::AddResource(module, "ZEMBRINO", MAKEINTRESOURCEA(120),
                           std::string("agree\0ment", 10));

    HRSRC byText = sys::FindResourceA(module, "idr_00", "zembrino");
    REQUIRE(byText != nullptr);
    CHECK(sys::SizeofResource(module, byText) == 7);
    CHECK(sys::FindResourceA(module, MAKEINTRESOURCEA(120), "ZEMBRINO") ==
          sys::FindResourceA(module, "#120", "ZEMBRINO"));
    CHECK(sys::FindResourceA(module, "IDR_02", "ZEMBRINO") == nullptr);
    CHECK(sys::GetLastError() == ERROR_RESOURCE_NAME_NOT_FOUND);
    CHECK(sys::FindResourceA(module, "IDR_00", "OTHER") == nullptr);
    CHECK(sys::GetLastError() == ERROR_RESOURCE_TYPE_NOT_FOUND);
    CHECK(sys::FindResourceA(sys::host::AddModule(), "IDR_00", "ZEMBRINO") == nullptr);

    HRSRC byId = sys::FindResourceA(module, MAKEINTRESOURCEA(120), "ZEMBRINO");
    REQUIRE(byId != nullptr);
    HGLOBAL first = sys::LoadResource(module, byId);
    HGLOBAL second = sys::LoadResource(module, byId);
    REQUIRE(first != nullptr);
    CHECK(sys::host::LoadedResourceCount() == 2);
    const void* bytes = sys::LockResource(first);
    CHECK(bytes == sys::LockResource(second));
    CHECK(std::string(static_cast<const char*>(bytes), sys::SizeofResource(module, byId)) ==
          std::string("agree\0ment", 10));
    CHECK_FALSE(sys::FreeResource(first));
    CHECK(sys::host::LoadedResourceCount() == 1);
    CHECK(sys::FreeResource(first)); // already released
    CHECK_FALSE(sys::FreeResource(second));
    CHECK(sys::host::LoadedResourceCount() == 0);
  }

  TEST_CASE_FIXTURE(MachineFixture, "launches, the screen-saving switch and message boxes") {
    CHECK(sys::WinExec("rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1", SW_SHOWNORMAL) > 31);
    CHECK(sys::host::LaunchedCommands() ==
          std::vector<std::string>{"rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1"});

    CHECK(sys::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 1, nullptr, SPIF_SENDWININICHANGE));
    BOOL active = FALSE;
    CHECK(sys::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0));
    CHECK(active);
    const auto calls = sys::host::SystemParameterCalls();
    REQUIRE(calls.size() == 2);
    CHECK(calls[0].action == SPI_SETSCREENSAVEACTIVE);
    CHECK(calls[0].param == 1);
    CHECK(calls[0].flags == SPIF_SENDWININICHANGE);

    AnswerNextMessageBox(IDNO);
    CHECK(sys::MessageBoxA(nullptr, "Question?", "Title", MB_YESNO) == IDNO);
    CHECK(TakeMessageBoxes().size() == 1);
  }

} // TEST_SUITE("system")

TEST_SUITE("faults") {

  TEST_CASE_FIXTURE(MachineFixture, "an armed fault fails the call the way the platform fails it") {
    SUBCASE("the nth call of a name, once") {
      sys::hooks::FailNth("RegCreateKeyA", 2);
      HKEY key = nullptr;
      CHECK(sys::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\One", &key) == ERROR_SUCCESS);
      sys::RegCloseKey(key);
      CHECK(sys::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Two", &key) == ERROR_ACCESS_DENIED);
      CHECK(key == nullptr);
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "Software\\Two"));
      CHECK(sys::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Three", &key) == ERROR_SUCCESS);
      sys::RegCloseKey(key);
    }
    SUBCASE("every call whose detail matches, with the fault's own code") {
      const std::string dir = NewScratchDirectory();
      sys::hooks::FailWhen("CreateFileA", "secret", ERROR_SHARING_VIOLATION);
      CHECK(Open(dir + "secret.txt", GENERIC_WRITE, 0, CREATE_ALWAYS) == INVALID_HANDLE_VALUE);
      CHECK(sys::GetLastError() == ERROR_SHARING_VIOLATION);
      CHECK_FALSE(FileExists(dir + "secret.txt"));
      HANDLE other = Open(dir + "public.txt", GENERIC_WRITE, 0, CREATE_ALWAYS);
      CHECK(other != INVALID_HANDLE_VALUE);

      sys::hooks::FailNth("WriteFile", 1);
      DWORD written = 99;
      CHECK_FALSE(sys::WriteFile(other, "abc", 3, &written, nullptr));
      CHECK(written == 0);
      CHECK(sys::GetLastError() == ERROR_DISK_FULL);
      sys::CloseHandle(other);
      CHECK(ReadFileBytes(dir + "public.txt").empty());
    }
    SUBCASE("profile, short path and resource calls") {
      WriteFileBytes("C:\\WINDOWS\\Long File Name.txt", "");
      sys::hooks::FailWhen("GetShortPathNameA", "");
      sys::hooks::FailWhen("WritePrivateProfileStringA", "boot|");
      sys::hooks::FailWhen("FindResourceA", "#120");
      CHECK(ShortPath("C:\\WINDOWS\\Long File Name.txt") == "(0)");
      CHECK_FALSE(sys::WritePrivateProfileStringA("boot", "scrnsave.exe", "x", "system.ini"));
      CHECK_FALSE(FileExists("C:\\WINDOWS\\system.ini"));
      HMODULE module = sys::host::AddModule();
      sys::host::AddResource(module, "T", MAKEINTRESOURCEA(120), "x");
      CHECK(sys::FindResourceA(module, MAKEINTRESOURCEA(120), "T") == nullptr);
    }
  }

  TEST_CASE_FIXTURE(MachineFixture, "the trace names what each call was about") {
    HKEY key = CreateKey(HKEY_CURRENT_USER, "Software\\Traced");
    SetBytes(key, "Value", REG_SZ, "x");
    SetBytes(key, nullptr, REG_SZ, "x");
    sys::RegCloseKey(key);
    sys::GetPrivateProfileStringA("boot", "scrnsave.exe", "", nullptr, 0, "system.ini");
    sys::GetFileAttributesA("C:\\WINDOWS\\x.txt");
    sys::WinExec("prog.exe /x", SW_SHOWNORMAL);
    HMODULE module = sys::host::AddModule();
    sys::FindResourceA(module, MAKEINTRESOURCEA(120), "T");
    sys::FindResourceA(module, "IDR_00", "T");

    CHECK(Details("RegCreateKeyA") == std::vector<std::string>{"Software\\Traced"});
    CHECK(Details("RegSetValueExA") == std::vector<std::string>{"Value", "(null)"});
    CHECK(Details("RegCloseKey") ==
          std::vector<std::string>{"HKEY_CURRENT_USER\\Software\\Traced"});
    CHECK(Details("GetPrivateProfileStringA") == std::vector<std::string>{"boot|scrnsave.exe"});
    CHECK(Details("GetFileAttributesA") == std::vector<std::string>{"C:\\WINDOWS\\x.txt"});
    CHECK(Details("WinExec") == std::vector<std::string>{"prog.exe /x"});
    CHECK(Details("FindResourceA") == std::vector<std::string>{"#120", "IDR_00"});
  }

} // TEST_SUITE("faults")

#endif // _WIN32
