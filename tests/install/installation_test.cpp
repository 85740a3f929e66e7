#include <doctest/doctest.h>

#include <string>
#include <vector>
#include <zlib.h>

#include "SEQUENCE_archive.h"
#include "foundation/platform_hooks.h"
#include "install/engine_state.h"
#include "install/installation.h"
#include "install/payload_archive.h"
#include "install/restore_log.h"
#include "install/screen_saver_activation.h"
#include "install/uninstall_registration.h"
#include "shared/ascii_case.h"
#include "shared/product_names.h"
#include "support/expected_texts.h"
#include "support/known_wine_deviation.h"
#include "support/message_boxes.h"
#include "support/restore_log_writer.h"
#include "support/test_machine.h"

namespace {

const HWND Owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x5150));

constexpr char OlderScreenSaverName[] = "Zembrino's Screensaver.scr";
constexpr char OtherSaver[] = "C:\\OTHER\\OLD.SCR";
constexpr char NoDirectoryText[] = "Error determining installation directory. Please\n"
                                   "reboot your computer and try installing again.";
constexpr char NoShortPathText[] = "Error registering Zembrino's Screen Saver. Please\n"
                                   "reboot your computer and try installing again.";

// Ends in a backslash; empty when the machine has none.
std::string WindowsDirectory() {
  char buffer[MAX_PATH];
  UINT length = sys::GetWindowsDirectoryA(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "";
  std::string directory(buffer, length);
  if (directory.back() != '\\') directory += '\\';
  return directory;
}

std::string InstallDirectory(bool nt) { return WindowsDirectory() + (nt ? "" : "system\\"); }

// The Display settings, opened through the rundll32.exe of the system directory on the NT family
// and of the Windows directory on the 95/98 family (these test machines have no blank in either).
std::string LaunchCommand(bool nt) {
  std::string directory = WindowsDirectory();
  if (nt) {
    char buffer[MAX_PATH];
    const UINT length = sys::GetSystemDirectoryA(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "(no system directory)";
    directory = std::string(buffer, length) + "\\";
  }
  return directory + "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = sys::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::uint32_t Adler(const std::string& bytes) {
  return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

// The file of the payload table's record, written whole and stamped.
bool Installed(const std::string& dir, const PayloadEntry& entry) {
  const std::string path = dir + entry.FileName;
  if (!FileExists(path)) return false;
  const FILETIME stamp = FileLastWriteTime(path);
  return Adler(ReadFileBytes(path)) == entry.InflatedAdler &&
         stamp.dwLowDateTime == entry.LastWriteTime.dwLowDateTime &&
         stamp.dwHighDateTime == entry.LastWriteTime.dwHighDateTime;
}

const PayloadEntry& ScreenSaverEntry() { return PayloadTable[0]; }
const PayloadEntry& UninstallerEntry() { return PayloadTable[1]; }

std::string Backup() { return RegistryText(HKEY_CURRENT_USER, BackupKeyPath, nullptr); }

// The uninstaller's path, quoted when it has a blank.
std::string UninstallCommand(const std::string& dir) {
  const std::string path = dir + UninstallerFileName;
  return path.find(' ') == std::string::npos ? path : '"' + path + '"';
}

std::string UninstallValue(const char* name) {
  return RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, name);
}

// The launch as the engine asked for it. Under Wine the launch itself is always made to fail,
// so that no window is left behind; the command line is in the trace all the same.
int LaunchAttempts(const Trace& trace, bool nt) {
  int count = 0;
  for (const std::string& command : CallDetails(trace, "WinExec"))
    if (command == LaunchCommand(nt)) ++count;
  return count;
}

void CheckLaunched(const Trace& trace, bool nt) {
  CHECK(CallCount(trace, "WinExec") == 1);
  CHECK(LaunchAttempts(trace, nt) == 1);
#ifndef _WIN32
  CHECK(sys::host::LaunchedCommands() == std::vector<std::string>{LaunchCommand(nt)});
#endif
}

struct InstallationFixture : MachineFixture {
  InstallationFixture() { Fresh(); }

  ~InstallationFixture() {
    sys::hooks::ClearFaults();
    ClearEngineState();
    RemoveInstalledFiles();
  }

  // A machine without any trace of an installation, and no traced calls, faults or boxes.
  void Fresh() {
#ifndef _WIN32
    sys::host::Reset();
#endif
    sys::hooks::Reset();
    TakeMessageBoxes();
    DeleteRegistryTree(HKEY_CURRENT_USER, TestRegistryRoot);
    ClearEngineState();
    RemoveInstalledFiles();
#ifdef _WIN32
    Instance = ::GetModuleHandleA(nullptr);
    // No Display settings left open by a test.
    sys::hooks::FailWhen("WinExec", "");
#else
    Instance = sys::host::AddModule();
    RegisterSequenceArchive(Instance);
#endif
    sys::hooks::ClearCalls();
  }

  static void RemoveInstalledFiles() {
    if (WindowsDirectory().empty()) return;
    for (bool nt : {true, false}) {
      const std::string dir = InstallDirectory(nt);
      for (const char* name :
           {ScreenSaverFileName, UninstallerFileName, OlderScreenSaverName, RestoreLogFileName})
        sys::DeleteFileA((dir + name).c_str());
    }
  }

  // The installation alone; the faults are gone before the machine is read back.
  Trace Install() const {
    sys::hooks::ClearCalls();
    RunInstallation(Owner, Instance);
    sys::hooks::ClearFaults();
    return TakeTrace();
  }

  HINSTANCE Instance = nullptr;
};

} // namespace

// The cases that hold on either family. Under Wine they run once in the NT-family prefix and once
// more in a prefix that reports Windows 98.
TEST_SUITE("whole installation") {

  TEST_CASE_FIXTURE(InstallationFixture, "a first installation") {
    const bool nt = ChooseFamily();
    CAPTURE(nt);
    const std::string dir = InstallDirectory(nt);
    SetSetting(nt, OtherSaver);
    WriteFileBytes(dir + OlderScreenSaverName, "older");

    const Trace trace = Install();

    CHECK(TakeMessageBoxes().empty());
    CHECK(Installed(dir, ScreenSaverEntry()));
    CHECK(Installed(dir, UninstallerEntry()));
    CHECK_FALSE(FileExists(dir + OlderScreenSaverName));

    const std::string shortPath = ShortPath(dir + ScreenSaverFileName);
    REQUIRE_FALSE(shortPath.empty());
#ifdef _WIN32
    // The setting names the file by a path without blanks.
    CHECK(shortPath.find(' ') == std::string::npos);
#endif
    CHECK(Setting(nt) == shortPath);
    CHECK(Setting(!nt) == MissingText);
    CHECK(Backup() == OtherSaver);
    CHECK(CallCount(trace, "SystemParametersInfoA", "17,1,2") == 1);

    CHECK(UninstallValue("DisplayName") == "Zembrino's Screen Saver");
    CHECK(UninstallValue("UninstallString") == UninstallCommand(dir));
    CheckLaunched(trace, nt);

    // Directory, family, restore log (its open; the payloads' opens are left out), payloads,
    // short path, activation (which asks for the family again), uninstall entry, launch.
    Trace steps;
    for (const auto& call : trace)
      if (call.name != "CreateFileA" || call.detail == dir + RestoreLogFileName)
        steps.push_back(call);
    CHECK(CallNames(steps, {"GetWindowsDirectoryA", "GetVersionExA", "CreateFileA", "FindResourceA",
                            "GetShortPathNameA", "RegCreateKeyA", "SystemParametersInfoA",
                            "WinExec", "MessageBoxA"}) ==
          std::vector<std::string>{"GetWindowsDirectoryA", "GetVersionExA", "CreateFileA",
                                   "FindResourceA", "FindResourceA", "GetShortPathNameA",
                                   "RegCreateKeyA", "GetVersionExA", "SystemParametersInfoA",
                                   "RegCreateKeyA", "WinExec"});
    CHECK(CallCount(trace, "CreateFileA", dir + RestoreLogFileName) == 1);
    CHECK(CallCount(trace, "DeleteFileA", dir + RestoreLogFileName) == 1);
    CHECK(CallCount(trace, "GetShortPathNameA", dir + ScreenSaverFileName) == 1);
  }

  TEST_CASE_FIXTURE(InstallationFixture, "a repeated installation keeps the first backup and "
                                         "writes everything else again") {
    const bool nt = ChooseFamily();
    CAPTURE(nt);
    const std::string dir = InstallDirectory(nt);
    SetSetting(nt, OtherSaver);
    Install();
    const std::string shortPath = ShortPath(dir + ScreenSaverFileName);
    REQUIRE(Setting(nt) == shortPath);

    // Between the two runs: the files damaged, the entry changed, the setting in other letter case.
    WriteFileBytes(dir + ScreenSaverFileName, "damaged");
    WriteFileBytes(dir + UninstallerFileName, "damaged");
    SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString", "C:\\ELSE.EXE");
    SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "Publisher", "kept");
    std::string lowerCase = shortPath;
    for (char& c : lowerCase) c = AsciiLower(c);
    SetSetting(nt, lowerCase);

    const Trace trace = Install();

    CHECK(TakeMessageBoxes().empty());
    CHECK(Installed(dir, ScreenSaverEntry()));
    CHECK(Installed(dir, UninstallerEntry()));
    CHECK(Setting(nt) == shortPath);
    CHECK(Backup() == OtherSaver);
    CHECK(UninstallValue("DisplayName") == "Zembrino's Screen Saver");
    CHECK(UninstallValue("UninstallString") == UninstallCommand(dir));
    CHECK(UninstallValue("Publisher") == "kept");
    CHECK(LaunchAttempts(trace, nt) == 1);
  }

  TEST_CASE_FIXTURE(InstallationFixture, "an installation over a restore log applies it first") {
    const bool nt = ChooseFamily();
    CAPTURE(nt);
    const std::string dir = InstallDirectory(nt);
    SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "Untouched", "");
    SetSetting(nt, OtherSaver);
    // The log puts back the setting that was in force before an earlier installation; the new
    // installation then keeps that one as its backup.
    RestoreLogWriter log;
    log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Restored", "yes");
    if (nt)
      log.RegistryValue(LogRootCurrentUser, DesktopKeyPath, ScreenSaverValueName,
                        "C:\\RESTORED.SCR");
    else
      log.ProfileEntry(BootSection, ScreenSaverValueName, "C:\\RESTORED.SCR");
    WriteFileBytes(dir + RestoreLogFileName, log.Bytes());

    const Trace trace = Install();

    CHECK(TakeMessageBoxes().empty());
    CHECK_FALSE(FileExists(dir + RestoreLogFileName));
    CHECK(RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "Restored") == "yes");
    CHECK(Backup() == "C:\\RESTORED.SCR");
    CHECK(Setting(nt) == ShortPath(dir + ScreenSaverFileName));
    CHECK(Installed(dir, ScreenSaverEntry()));
    CHECK(UninstallValue("DisplayName") == "Zembrino's Screen Saver");
    CHECK(LaunchAttempts(trace, nt) == 1);
  }

  // Files copied from a CD keep the read-only attribute on the 95/98 family: an earlier version
  // installed by hand that way is replaced like any other.
  TEST_CASE_FIXTURE(InstallationFixture, "an installation over read-only files of an earlier "
                                         "version") {
    const bool nt = ChooseFamily();
    CAPTURE(nt);
    const std::string dir = InstallDirectory(nt);
    const char* const names[] = {OlderScreenSaverName, ScreenSaverFileName, UninstallerFileName};
    std::vector<std::string> paths;
    for (const char* name : names) paths.push_back(dir + name);
    if (!MakeReadOnlyFiles(paths)) return;

    Install();

    CHECK(TakeMessageBoxes().empty());
    CHECK_FALSE(FileExists(dir + OlderScreenSaverName));
    CHECK(Installed(dir, ScreenSaverEntry()));
    CHECK(Installed(dir, UninstallerEntry()));
    for (const char* name : {ScreenSaverFileName, UninstallerFileName}) {
      CAPTURE(name);
      CHECK((sys::GetFileAttributesA((dir + name).c_str()) & FILE_ATTRIBUTE_READONLY) == 0);
    }
    CHECK(Setting(nt) == ShortPath(dir + ScreenSaverFileName));
    for (const char* name : names)
      sys::SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }

} // TEST_SUITE

namespace {

// What an installation left behind, step by step.
struct Effects {
  bool logReplayed;
  bool screenSaver;
  bool uninstaller;
  bool settingWritten;
  bool backupKey;
  bool switchedOn;
  bool olderEntryRemoved;
  bool entryWritten;
  bool launchAttempted;
};

constexpr Effects Everything{true, true, true, true, true, true, true, true, true};
constexpr Effects Nothing{false, false, false, false, false, false, false, false, false};
constexpr Effects UpToExtraction{true, false, false, false, false, false, false, false, false};
constexpr Effects UpToScreenSaverFile{true, true, false, false, false, false, false, false, false};
constexpr Effects UpToShortPath{true, true, true, false, false, false, false, false, false};

struct ExpectedBox {
  std::string text;
  std::string title;
};

struct FailureRow {
  const char* name;
  void (*arm)();
  Effects effects;
  std::vector<ExpectedBox> boxes;
};

} // namespace

TEST_CASE_FIXTURE(InstallationFixture, "NT family: each failure stops exactly what depends on it") {
  const std::string dir = InstallDirectory(true);
  const std::string copyError = "Fatal error: could not copy " + dir + UninstallerFileName + ".";
  const FailureRow rows[] = {
      {"no Windows directory",
       [] { sys::hooks::FailNth("GetWindowsDirectoryA", 1); },
       Nothing,
       {{NoDirectoryText, "Error"}}},
#ifndef _WIN32
      {"the machine reports no Windows directory",
       [] { sys::host::SetWindowsDirectory(nullptr); },
       Nothing,
       {{NoDirectoryText, "Error"}}},
      {"a Windows directory of 260 characters",
       [] { sys::host::SetWindowsDirectory(("C:\\" + std::string(257, 'W')).c_str()); },
       Nothing,
       {{NoDirectoryText, "Error"}}},
#endif
      {"the screen saver's payload is missing",
       [] { sys::hooks::FailWhen("FindResourceA", "IDR_00"); },
       UpToExtraction,
       {{expected::ArchiveErrorText, expected::ArchiveErrorTitle}}},
      {"the uninstaller's payload is missing",
       [] { sys::hooks::FailWhen("FindResourceA", "IDR_01"); },
       UpToScreenSaverFile,
       {{expected::ArchiveErrorText, expected::ArchiveErrorTitle}}},
      {"the uninstaller cannot be written",
       [] { sys::hooks::FailWhen("CreateFileA", UninstallerFileName); },
       UpToScreenSaverFile,
       {{copyError, "File copy error"}}},
      {"no short path",
       [] { sys::hooks::FailNth("GetShortPathNameA", 1); },
       UpToShortPath,
       {{NoShortPathText, "Error"}}},
      {"the backup key cannot be created",
       [] { sys::hooks::FailWhen("RegCreateKeyA", "Backup"); },
       {true, true, true, false, false, false, true, true, true},
       {}},
      {"the Desktop key cannot be opened",
       [] { sys::hooks::FailWhen("RegOpenKeyExA", DesktopKeyPath); },
       {true, true, true, false, true, true, true, true, true},
       {}},
      {"the older uninstall key cannot be opened",
       [] { sys::hooks::FailWhen("RegOpenKeyExA", "ZmSaver"); },
       {true, true, true, true, true, true, false, true, true},
       {}},
      {"the uninstall key cannot be created",
       [] { sys::hooks::FailWhen("RegCreateKeyA", "Uninstall\\Zembrino's Screen Saver"); },
       {true, true, true, true, true, true, true, false, true},
       {}},
#ifndef _WIN32
      {"the user may not write the uninstall entry",
       [] { sys::host::DenyKeyAccess(HKEY_LOCAL_MACHINE, UninstallKeyPath); },
       {true, true, true, true, true, true, true, false, true},
       {}},
#endif
      {"the launch fails", [] { sys::hooks::FailWhen("WinExec", ""); }, Everything, {}},
  };

  for (const FailureRow& row : rows) {
    INFO(row.name);
    Fresh();
    SetSetting(true, OtherSaver);
    SetRegistryString(HKEY_LOCAL_MACHINE, OldUninstallKeyPath, "DisplayName", "Zembrino");
    SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "Untouched", "");
    WriteFileBytes(dir + RestoreLogFileName,
                   RestoreLogWriter()
                       .RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Restored", "yes")
                       .Bytes());
    row.arm();

    const Trace trace = Install();

    const auto boxes = TakeMessageBoxes();
    REQUIRE(boxes.size() == row.boxes.size());
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      CHECK(boxes[i].text == row.boxes[i].text);
      CHECK(boxes[i].title == row.boxes[i].title);
      CHECK(boxes[i].style == static_cast<UINT>(MB_ICONERROR));
      CHECK(boxes[i].owner == Owner);
    }

    const Effects& expected = row.effects;
    CHECK(FileExists(dir + RestoreLogFileName) == !expected.logReplayed);
    CHECK((RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "Restored") == "yes") ==
          expected.logReplayed);
    CHECK(Installed(dir, ScreenSaverEntry()) == expected.screenSaver);
    CHECK(FileExists(dir + UninstallerFileName) == expected.uninstaller);
    CHECK(Setting(true) ==
          (expected.settingWritten ? ShortPath(dir + ScreenSaverFileName) : OtherSaver));
    CHECK(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath) == expected.backupKey);
    CHECK(CallCount(trace, "SystemParametersInfoA") == (expected.switchedOn ? 1 : 0));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, OldUninstallKeyPath) ==
          !expected.olderEntryRemoved);
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath) == expected.entryWritten);
    CHECK(LaunchAttempts(trace, true) == (expected.launchAttempted ? 1 : 0));
    if (!expected.screenSaver) CHECK(CallCount(trace, "GetShortPathNameA") == 0);
    if (!expected.logReplayed)
      CHECK(CallNames(trace) == std::vector<std::string>{"GetWindowsDirectoryA", "MessageBoxA"});
  }
}

TEST_CASE_FIXTURE(InstallationFixture, "a damaged restore log does not stop the installation") {
  const std::string dir = InstallDirectory(true);
  SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "Untouched", "");
  RestoreLogWriter log;
  log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Restored", "yes")
      .RegistryValue(LogRootCurrentUser, TestRegistryRoot, WithLength(0), "never");
  WriteFileBytes(dir + RestoreLogFileName, log.Bytes());

  const Trace trace = Install();

  CHECK(TakeMessageBoxes().empty());
  CHECK_FALSE(FileExists(dir + RestoreLogFileName));
  CHECK(RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "Restored") == "yes");
  CHECK(Installed(dir, ScreenSaverEntry()));
  CHECK(Installed(dir, UninstallerEntry()));
  CHECK(LaunchAttempts(trace, true) == 1);
}

TEST_CASE_FIXTURE(InstallationFixture, "a failed version query installs as on the 95/98 family") {
  sys::hooks::FailWhen("GetVersionExA", "");
  const Trace trace = Install();
  const std::string dir = InstallDirectory(false);
  CHECK(TakeMessageBoxes().empty());
  CHECK(Installed(dir, ScreenSaverEntry()));
  CHECK(Installed(dir, UninstallerEntry()));
  CHECK(Setting(false) == ShortPath(dir + ScreenSaverFileName));
  CHECK(UninstallValue("UninstallString") == UninstallCommand(dir));
  CHECK(LaunchAttempts(trace, false) == 1);
}

TEST_CASE("a directory is trimmed and ends in exactly one backslash") {
  const struct {
    const char* given;
    const char* expected;
  } cases[] = {
      {"C:\\WINNT", "C:\\WINNT\\"},
      {"C:\\WINNT\\", "C:\\WINNT\\"},
      {"D:\\", "D:\\"},
      {"D:", "D:\\"},
      {" \tC:\\WIN 98\r\n", "C:\\WIN 98\\"},
      {"", ""},
      {" \t ", ""},
  };
  for (const auto& c : cases) {
    INFO(c.given);
    ZString path(c.given);
    NormalizeDirectory(path);
    CHECK(std::string(path.CStr(), path.Length()) == c.expected);
  }
  ZString untrimmed(" C:\\WIN ");
  EnsureTrailingBackslash(untrimmed);
  CHECK(std::string(untrimmed.CStr()) == " C:\\WIN \\");
}

#ifndef _WIN32
TEST_CASE_FIXTURE(InstallationFixture, "the installation directory follows the Windows directory "
                                       "and the family") {
  using sys::host::Family;
  const struct {
    const char* windowsDirectory;
    Family family;
    const char* installDirectory; // nullptr: no directory, the first message
  } cases[] = {
      {"D:\\WINNT", Family::NT, "D:\\WINNT\\"},
      {"D:\\WINDOWS", Family::Win9x, "D:\\WINDOWS\\system\\"},
      {"D:\\", Family::NT, "D:\\"},
      {"D:\\", Family::Win9x, "D:\\system\\"},
      {"  D:\\WINNT\t", Family::NT, "D:\\WINNT\\"},
      {"C:\\WINDOWS", Family::VersionQueryFails, "C:\\WINDOWS\\system\\"},
      // Nothing but blanks would make every path relative: no directory at all.
      {"   ", Family::NT, nullptr},
  };
  for (const auto& c : cases) {
    INFO(c.windowsDirectory);
    CAPTURE(static_cast<int>(c.family));
    Fresh();
    sys::host::SetWindowsDirectory(c.windowsDirectory);
    sys::host::SetFamily(c.family);
    // The extraction fails at once, so that only the choice of the directory matters.
    sys::hooks::FailNth("FindResourceA", 1);

    const Trace trace = Install();

    const auto boxes = TakeMessageBoxes();
    REQUIRE(boxes.size() == 1);
    if (!c.installDirectory) {
      CHECK(boxes[0].text == NoDirectoryText);
      CHECK(CallCount(trace, "CreateFileA") == 0);
      continue;
    }
    CHECK(boxes[0].text == expected::ArchiveErrorText);
    const std::string dir = c.installDirectory;
    CHECK(CallDetails(trace, "CreateFileA") == std::vector<std::string>{dir + RestoreLogFileName});
    CHECK(CallDetails(trace, "DeleteFileA") ==
          std::vector<std::string>{dir + RestoreLogFileName, dir + OlderScreenSaverName});
  }
}
#endif

#ifndef _WIN32
TEST_CASE_FIXTURE(InstallationFixture, "the Display settings are opened through the full path of "
                                       "the platform's own rundll32.exe, from the system folder") {
  using sys::host::Family;
  const struct {
    const char* windowsDirectory;
    Family family;
    const char* failing; // a call of the launch that fails, or nullptr
    const char* command; // nullptr: nothing is launched
    const char* folder;  // the current folder the command starts in
  } cases[] = {
      {"C:\\WINDOWS", Family::NT, nullptr,
       "C:\\WINDOWS\\system32\\rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1",
       "C:\\WINDOWS\\system32\\"},
      {"C:\\WINDOWS", Family::Win9x, nullptr,
       "C:\\WINDOWS\\rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1", "C:\\WINDOWS\\SYSTEM\\"},
      {"C:\\WINDOWS", Family::VersionQueryFails, nullptr,
       "C:\\WINDOWS\\rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1",
       "C:\\WINDOWS\\system32\\"},
      {"D:\\MY WIN", Family::NT, nullptr,
       "\"D:\\MY WIN\\system32\\rundll32.exe\" shell32.dll,Control_RunDLL desk.cpl,,1",
       "D:\\MY WIN\\system32\\"},
      {"D:\\MY WIN", Family::Win9x, nullptr,
       "\"D:\\MY WIN\\rundll32.exe\" shell32.dll,Control_RunDLL desk.cpl,,1",
       "D:\\MY WIN\\SYSTEM\\"},
      // A bare "rundll32.exe" would be searched for in the installer's folder first, and from
      // that folder the DLLs it loads by bare name too.
      {"C:\\WINDOWS", Family::NT, "GetSystemDirectoryA", nullptr, nullptr},
      {"C:\\WINDOWS", Family::Win9x, "GetSystemDirectoryA", nullptr, nullptr},
      {"C:\\WINDOWS", Family::NT, "SetCurrentDirectoryA", nullptr, nullptr},
      {"C:\\WINDOWS", Family::Win9x, "SetCurrentDirectoryA", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    INFO(c.windowsDirectory);
    CAPTURE(static_cast<int>(c.family));
    CAPTURE(c.failing ? c.failing : "nothing fails");
    Fresh();
    sys::host::SetWindowsDirectory(c.windowsDirectory);
    sys::host::SetFamily(c.family);
    if (c.failing) sys::hooks::FailNth(c.failing, 1);

    const Trace trace = Install();

    CHECK(TakeMessageBoxes().empty());
    CHECK(UninstallValue("DisplayName") == "Zembrino's Screen Saver");
    const std::vector<std::string> expected =
        c.command ? std::vector<std::string>{c.command} : std::vector<std::string>{};
    CHECK(CallDetails(trace, "WinExec") == expected);
    CHECK(sys::host::LaunchedCommands() == expected);
    const std::vector<std::string> folders =
        c.folder ? std::vector<std::string>{c.folder} : std::vector<std::string>{};
    CHECK(sys::host::LaunchFolders() == folders);
  }
}
#endif
