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
#include "platform_calls.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"

namespace {

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

} // namespace

TEST_SUITE("registry") {

  TEST_CASE_FIXTURE(MachineFixture, "closes of predefined roots are counted") {
    // A root read as a 32-bit number from a file and sign-extended is the same root.
    HKEY signExtended = reinterpret_cast<HKEY>(
        static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002))));
    CHECK(sys::host::PredefinedRootCloses() == 0);
    CHECK(sys::RegCloseKey(HKEY_CURRENT_USER) == ERROR_SUCCESS);
    CHECK(sys::RegCloseKey(signExtended) == ERROR_SUCCESS);
    CHECK(sys::host::PredefinedRootCloses() == 2);
  }

  TEST_CASE_FIXTURE(MachineFixture,
                    "keys made and deleted are counted, opened keys and values not") {
    HKEY key = nullptr;
    REQUIRE(sys::RegCreateKeyA(HKEY_CURRENT_USER, "Counted\\Below", &key) == 0);
    sys::RegCloseKey(key);
    CHECK(sys::host::RegistryKeyChanges() == 2);
    REQUIRE(sys::RegCreateKeyA(HKEY_CURRENT_USER, "Counted", &key) == 0);
    sys::RegSetValueExA(key, "value", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    sys::RegCloseKey(key);
    CHECK(sys::host::RegistryKeyChanges() == 2);
    CHECK(sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Counted\\Below") == 0);
    CHECK(sys::host::RegistryKeyChanges() == 3);
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

  TEST_CASE_FIXTURE(MachineFixture, "short names are numbered as on a real volume") {
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
    };
    for (const Case& c : cases) {
      CAPTURE(c.path);
      CHECK(ShortPath(c.path) == c.expected);
    }
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

  TEST_CASE_FIXTURE(MachineFixture,
                    "the file without a folder is the one in the Windows directory") {
    CHECK(sys::WritePrivateProfileStringA("boot", "scrnsave.exe", "A.SCR", "system.ini"));
    CHECK(HostFileBytes("C:\\WINDOWS\\system.ini") == "[boot]\r\nscrnsave.exe=A.SCR\r\n");

    sys::host::SetWindowsDirectory("D:\\WINNT");
    CHECK(Profile("system.ini", "boot", "scrnsave.exe", "none") == "none");
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
  }

  // The record's answers in the cases Wine's 98 prefix cannot show (there the system answers as
  // the NT family does). The flush (all NULL) is FALSE on both families: no record of Windows'
  // answer exists, and Wine's own implementation answers FALSE.
  TEST_CASE_FIXTURE(MachineFixture, "the flush of a profile file changes nothing") {
    ChooseFamily();
    REQUIRE(sys::WritePrivateProfileStringA("boot", "scrnsave.exe", "A.SCR", "system.ini"));
    const std::string before = HostFileBytes("C:\\WINDOWS\\system.ini");
    CHECK_FALSE(sys::WritePrivateProfileStringA(nullptr, nullptr, nullptr, "system.ini"));
    CHECK(HostFileBytes("C:\\WINDOWS\\system.ini") == before);
  }

  TEST_CASE_FIXTURE(MachineFixture, "deletions at the restart exist on the NT family alone") {
    CHECK(sys::MoveFileExA("C:\\A.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    CHECK(sys::MoveFileExA("C:\\B.DLL", "C:\\C.DLL", MOVEFILE_DELAY_UNTIL_REBOOT));
    CHECK(sys::host::RestartOperations() ==
          std::vector<std::string>{"C:\\A.DLL", "C:\\B.DLL|C:\\C.DLL"});
    sys::host::SetFamily(sys::host::Family::Win9x);
    CHECK_FALSE(sys::MoveFileExA("C:\\D.DLL", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    CHECK(sys::GetLastError() == ERROR_CALL_NOT_IMPLEMENTED);
    CHECK(sys::host::RestartOperations().size() == 2);
  }

  TEST_CASE_FIXTURE(MachineFixture, "a started program is recorded, and its handles wait for "
                                    "nothing") {
    WriteFileBytes("C:\\WINDOWS\\COPY.EXE", "MZ");
    char line[] = "\"C:\\WINDOWS\\COPY.EXE\" /finish 4 C:\\X.EXE";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    CHECK_FALSE(sys::CreateProcessA("C:\\WINDOWS\\MISSING.EXE", line, nullptr, nullptr, TRUE, 0,
                                    nullptr, nullptr, &startup, &process));
    CHECK(sys::GetLastError() == ERROR_FILE_NOT_FOUND);
    REQUIRE(sys::CreateProcessA("C:\\WINDOWS\\COPY.EXE", line, nullptr, nullptr, TRUE, 0, nullptr,
                                nullptr, &startup, &process));
    CHECK(sys::host::StartedProcesses() == std::vector<std::string>{line});
    CHECK(sys::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0);
    CHECK(sys::host::OpenProcessHandles() == 2);
    CHECK(sys::CloseHandle(process.hThread));
    CHECK(sys::CloseHandle(process.hProcess));
    CHECK(sys::host::OpenProcessHandles() == 0);
    CHECK(sys::WaitForSingleObject(process.hProcess, INFINITE) == WAIT_FAILED);
    CHECK(sys::GetLastError() == ERROR_INVALID_HANDLE);
  }

  TEST_CASE_FIXTURE(MachineFixture, "the Windows directory may be too long or missing") {
    char buffer[MAX_PATH];
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 10);
    CHECK(std::string(buffer) == "C:\\WINDOWS");

    const std::string tooLong = "C:\\" + std::string(257, 'W');
    sys::host::SetWindowsDirectory(tooLong.c_str());
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 261);
    sys::host::SetWindowsDirectory(nullptr);
    CHECK(sys::GetWindowsDirectoryA(buffer, sizeof buffer) == 0);
  }

  TEST_CASE_FIXTURE(MachineFixture, "loaded resources are counted until released") {
    HMODULE module = sys::host::AddModule();
    sys::host::AddResource(module, "ZEMBRINO", MAKEINTRESOURCEA(120),
                           std::string("agree\0ment", 10));
    CHECK(sys::FindResourceA(sys::host::AddModule(), "#120", "ZEMBRINO") == nullptr);

    HRSRC resource = sys::FindResourceA(module, MAKEINTRESOURCEA(120), "ZEMBRINO");
    REQUIRE(resource != nullptr);
    HGLOBAL first = sys::LoadResource(module, resource);
    HGLOBAL second = sys::LoadResource(module, resource);
    CHECK(sys::host::LoadedResourceCount() == 2);
    CHECK(std::string(static_cast<const char*>(sys::LockResource(first)),
                      sys::SizeofResource(module, resource)) == std::string("agree\0ment", 10));
    CHECK_FALSE(sys::FreeResource(first));
    CHECK(sys::host::LoadedResourceCount() == 1);
    CHECK(sys::FreeResource(first)); // already released: the emulation reports it
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

TEST_SUITE("temporary folder") {

  // What Wine cannot show: its own environment has other variables (USERPROFILE) to fall back on.
  TEST_CASE_FIXTURE(MachineFixture,
                    "TEMP on a fresh machine; without either variable, the Windows directory") {
    struct Case {
      const char* name;
      const char* tmp;
      const char* temp;
      const char* windows;
      std::string expected;
    };
    const Case cases[] = {
        {"a fresh machine", nullptr, "C:\\WINDOWS\\TEMP", "C:\\WINDOWS", "C:\\WINDOWS\\TEMP\\"},
        {"empty variables count as none", "", "", "C:\\WINDOWS", "C:\\WINDOWS\\"},
        {"neither variable", nullptr, nullptr, "D:\\WINNT", "D:\\WINNT\\"},
        {"nor a Windows directory", nullptr, nullptr, nullptr, "C:\\"},
    };
    for (const Case& c : cases) {
      CAPTURE(c.name);
      sys::host::Reset();
      sys::host::SetEnvironmentVariable("tmp", c.tmp); // names without regard to case
      sys::host::SetEnvironmentVariable("Temp", c.temp);
      sys::host::SetWindowsDirectory(c.windows);
      char path[MAX_PATH] = "";
      CHECK(sys::GetTempPathA(MAX_PATH, path) == c.expected.size());
      CHECK(std::string(path) == c.expected);
    }
    // A fresh machine's folder is there before anything asks for it.
    sys::host::Reset();
    CHECK(sys::GetFileAttributesA("C:\\WINDOWS\\TEMP") == FILE_ATTRIBUTE_DIRECTORY);
  }

} // TEST_SUITE("temporary folder")

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

} // TEST_SUITE("faults")

#endif // _WIN32
