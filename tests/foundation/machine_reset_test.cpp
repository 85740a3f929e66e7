// The reset of the emulated machine, with the drives on disk and in memory: whatever one user of
// the machine (a test case, a fuzz input) leaves behind, the next sees the machine as new.
#ifndef _WIN32

#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "foundation/host/host_machine.h"
#include "foundation/platform.h"
#include "support/test_machine.h"

namespace {

std::string Number(long long value) { return std::to_string(value); }

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

HKEY Created(HKEY root, const char* path) {
  HKEY key = nullptr;
  sys::RegCreateKeyA(root, path, &key);
  return key;
}

std::string ShortName(const char* path) {
  char buffer[MAX_PATH] = "";
  sys::GetShortPathNameA(path, buffer, sizeof buffer);
  return buffer;
}

std::string TempFileName() {
  char name[MAX_PATH] = "";
  sys::GetTempPathA(sizeof name, name);
  const std::string folder = name;
  sys::GetTempFileNameA(folder.c_str(), "zm", 0, name);
  return name;
}

// Something one user of the machine leaves behind, and how the next user would notice it.
struct Leftover {
  const char* what;
  void (*leave)();
  std::string (*observe)();
};

const Leftover Leftovers[] = {
    {"a file", [] { WriteFileBytes("C:\\WINDOWS\\left.txt", "x"); },
     [] { return Number(FileExists("C:\\WINDOWS\\left.txt")); }},
    {"a changed file of the new machine's folders",
     [] { WriteFileBytes("C:\\WINDOWS\\system\\left.dll", "x"); },
     [] { return Number(sys::GetFileAttributesA("C:\\WINDOWS\\system\\left.dll")); }},
    {"a folder", [] { sys::CreateDirectoryA("C:\\Left", nullptr); },
     [] { return Number(sys::GetFileAttributesA("C:\\Left")); }},
    {"a removed folder of the new machine", [] { sys::RemoveDirectoryA("C:\\WINDOWS\\system"); },
     [] { return Number(sys::GetFileAttributesA("C:\\WINDOWS\\system")); }},
    {"an open file that shares nothing",
     [] {
       sys::CreateFileA("C:\\WINDOWS\\held.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
     },
     [] {
       HANDLE file = sys::CreateFileA("C:\\WINDOWS\\held.txt", GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
       const bool opened = file != INVALID_HANDLE_VALUE;
       sys::CloseHandle(file);
       return Number(opened) + " " + Number(sys::host::OpenFileHandles());
     }},
    {"a short name given out", [] { WriteFileBytes("C:\\Long file one.txt", ""); },
     [] {
       WriteFileBytes("C:\\Long file two.txt", "");
       return ShortName("C:\\Long file two.txt");
     }},
    {"a temporary file's number",
     [] {
       TempFileName();
       TempFileName();
     },
     TempFileName},
    {"registry keys, values and open keys",
     [] {
       HKEY key = Created(HKEY_CURRENT_USER, "Software\\Left");
       sys::RegSetValueExA(key, "value", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
     },
     [] {
       return Joined(sys::host::RegistryDump()) + Number(sys::host::OpenRegistryHandles()) + " " +
              Number(sys::host::RegistryKeyChanges());
     }},
    {"a denied key", [] { sys::host::DenyKeyAccess(HKEY_CURRENT_USER, "Software"); },
     [] {
       HKEY key = nullptr;
       const LONG result = sys::RegCreateKeyA(HKEY_CURRENT_USER, "Software\\New", &key);
       sys::RegCloseKey(key);
       return Number(result);
     }},
    {"closes of predefined roots", [] { sys::RegCloseKey(HKEY_LOCAL_MACHINE); },
     [] { return Number(sys::host::PredefinedRootCloses()); }},
    {"the family", [] { sys::host::SetFamily(sys::host::Family::Win9x); },
     [] {
       OSVERSIONINFOA info{};
       info.dwOSVersionInfoSize = sizeof info;
       sys::GetVersionExA(&info);
       return Number(info.dwPlatformId);
     }},
    {"the Windows directory", [] { sys::host::SetWindowsDirectory("D:\\OTHER"); },
     [] {
       char buffer[MAX_PATH] = "";
       sys::GetWindowsDirectoryA(buffer, sizeof buffer);
       // The folders of each Windows directory are made afresh, or copied from the first time.
       return std::string(buffer) + " " + Number(sys::GetFileAttributesA("D:\\OTHER\\system32")) +
              " " + Number(sys::GetFileAttributesA("C:\\WINDOWS\\system32"));
     }},
    {"the temporary folder's variables",
     [] {
       sys::host::SetEnvironmentVariable("TMP", "D:\\ELSEWHERE");
       sys::host::SetEnvironmentVariable("TEMP", nullptr);
     },
     [] {
       char buffer[MAX_PATH] = "";
       sys::GetTempPathA(sizeof buffer, buffer);
       return std::string(buffer);
     }},
    {"a removed temporary folder", [] { sys::RemoveDirectoryA("C:\\WINDOWS\\TEMP"); },
     [] { return Number(sys::GetFileAttributesA("C:\\WINDOWS\\TEMP")); }},
    {"the program's name", [] { sys::host::SetModuleFileName("C:\\OTHER.EXE"); },
     [] {
       char buffer[MAX_PATH] = "";
       sys::GetModuleFileNameA(nullptr, buffer, sizeof buffer);
       return std::string(buffer);
     }},
    {"a loaded resource",
     [] {
       HMODULE module = sys::host::AddModule();
       sys::host::AddResource(module, "DATA", "LEFT", "x");
       sys::LoadResource(module, sys::FindResourceA(module, "LEFT", "DATA"));
     },
     [] { return Number(sys::host::LoadedResourceCount()); }},
    {"a profile entry", [] { sys::WritePrivateProfileStringA("left", "key", "x", "win.ini"); },
     [] {
       char buffer[16] = "";
       sys::GetPrivateProfileStringA("left", "key", "none", buffer, sizeof buffer, "win.ini");
       return std::string(buffer);
     }},
    {"launches and the current directory",
     [] {
       sys::SetCurrentDirectoryA("C:\\WINDOWS");
       sys::WinExec("left.exe", 1);
     },
     [] {
       return Joined(sys::host::LaunchedCommands()) + Joined(sys::host::LaunchFolders()) +
              sys::host::CurrentDirectory();
     }},
    {"a deletion at the restart",
     [] { sys::MoveFileExA("C:\\WINDOWS\\left.txt", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT); },
     [] { return Joined(sys::host::RestartOperations()); }},
    {"the screen saver switch",
     [] { sys::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, 0); },
     [] {
       const auto calls = sys::host::SystemParameterCalls().size();
       BOOL active = TRUE;
       sys::SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &active, 0);
       return Number(static_cast<long long>(calls)) + " " + Number(active);
     }},
    {"heap blocks", [] { sys::HeapAlloc(sys::GetProcessHeap(), 0, 16); },
     [] { return Number(sys::host::HeapBlocksInUse()); }},
    {"the last error", [] { sys::SetLastError(ERROR_ACCESS_DENIED); },
     [] { return Number(sys::GetLastError()); }},
};

} // namespace

TEST_CASE("nothing a user of the machine leaves behind outlasts a reset") {
  bool memory = false;
  bool keptRegistry = false;
  SUBCASE("drives on disk") { memory = false; }
  SUBCASE("drives in memory") { memory = true; }
  SUBCASE("drives in memory, a starting registry kept") { memory = keptRegistry = true; }
  sys::host::UseMemoryDrives(memory);
  if (keptRegistry) {
    sys::RegCloseKey(Created(HKEY_CURRENT_USER, "Software\\Kept"));
    sys::host::KeepStartingRegistry();
  }
  for (const Leftover& leftover : Leftovers) {
    const std::string what = leftover.what;
    CAPTURE(what);
    sys::host::Reset();
    const std::string onNewMachine = leftover.observe();
    sys::host::Reset();
    leftover.leave();
    CHECK_MESSAGE(leftover.observe() != onNewMachine, "the leftover shows until the reset");
    sys::host::Reset();
    CHECK(leftover.observe() == onNewMachine);
  }
  sys::host::ForgetStartingRegistry();
  sys::host::UseMemoryDrives(false);
}

TEST_CASE("a kept starting registry comes back whole after every reset, and only it") {
  sys::host::Reset();
  HKEY key = Created(HKEY_CURRENT_USER, "Software\\Kept");
  sys::RegSetValueExA(key, "value", 0, REG_SZ, reinterpret_cast<const BYTE*>("kept"), 5);
  sys::RegCloseKey(key);
  sys::host::KeepStartingRegistry();
  const std::string kept = Joined(sys::host::RegistryDump());

  // Each round changes the machine's registry in another way; none of it may reach the kept one.
  // The last two rounds open no key of their own, so that nothing but the change itself marks the
  // registry as changed.
  for (int round = 0; round < 5; ++round) {
    CAPTURE(round);
    sys::host::Reset();
    CHECK(Joined(sys::host::RegistryDump()) == kept);
    CHECK(sys::host::RegistryKeyChanges() == 0);
    if (round <= 2) {
      key = Created(HKEY_CURRENT_USER, "Software\\Kept");
      if (round == 0)
        sys::RegSetValueExA(key, "value", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
      if (round == 1) sys::RegCloseKey(Created(key, "Below"));
      if (round == 2) sys::RegDeleteValueA(key, "value");
      sys::RegCloseKey(key);
    }
    if (round == 3) sys::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Kept");
    if (round == 4)
      sys::RegSetValueExA(HKEY_CURRENT_USER, "root", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"),
                          2);
    CHECK(Joined(sys::host::RegistryDump()) != kept);
  }
  sys::host::Reset();
  CHECK(Joined(sys::host::RegistryDump()) == kept);

  sys::host::ForgetStartingRegistry();
  sys::host::Reset();
  CHECK(Joined(sys::host::RegistryDump()) != kept);
  CHECK(sys::RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Kept", 0, KEY_READ, &key) ==
        ERROR_FILE_NOT_FOUND);
}

#endif // _WIN32
