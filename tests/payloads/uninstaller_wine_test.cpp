// The uninstaller as a program, on a machine prepared the way the installer leaves it. Runs in a
// prefix of its own, once as the NT family and once as the 95/98 family.
#include <doctest/doctest.h>

#include <algorithm>

#include "foundation/platform.h"
#include "shared/product_names.h"
#include "support/test_machine.h"
#include "wine_session.h"

namespace {

constexpr char OtherSaver[] = "C:\\windows\\system32\\ssmyst.scr";
constexpr DWORD Timeout = 30000;

struct Installation {
  std::string directory; // ends in a backslash, holds a blank like most real ones
  std::string uninstaller;
  std::string screenSaver;
  std::string shortPath;
};

// What the installer leaves behind: both files, the previous setting in the Backup key (when
// there was one other than ours), our short path as the setting, the uninstall entry.
Installation Install(const std::optional<std::string>& previousSetting) {
  RequireExpectedFamily();
  DeleteRegistryTree(HKEY_CURRENT_USER, MakerKeyPath);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath);
  SetScreenSaverSetting(previousSetting);

  Installation installation;
  installation.directory = NewScratchDirectory() + "Screen Savers\\";
  REQUIRE(::CreateDirectoryA(installation.directory.c_str(), nullptr));
  installation.uninstaller = installation.directory + UninstallerFileName;
  installation.screenSaver = installation.directory + ScreenSaverFileName;
  REQUIRE(
      ::CopyFileA(PayloadPath("ZM_UNINSTALLER").c_str(), installation.uninstaller.c_str(), FALSE));
  WriteFileBytes(installation.screenSaver, "MZ stands in for the screen saver");
  installation.shortPath = ShortPath(installation.screenSaver);

  HKEY backup;
  REQUIRE(::RegCreateKeyA(HKEY_CURRENT_USER, BackupKeyPath, &backup) == ERROR_SUCCESS);
  ::RegCloseKey(backup);
  if (previousSetting && !previousSetting->empty()) {
    SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, *previousSetting);
  }
  SetScreenSaverSetting(installation.shortPath);
  SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, DisplayNameValueName,
                    "Zembrino's Screen Saver");
  SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString",
                    installation.uninstaller);
  return installation;
}

long RunUninstaller(const Installation& installation, const std::string& arguments = "/quiet") {
  Process process = Start(installation.uninstaller, arguments);
  long code = WaitForExit(process, Timeout);
  EndProcess(process);
  return code;
}

bool IsListed(const std::vector<std::string>& files, const std::string& path) {
  return std::any_of(files.begin(), files.end(), [&](const std::string& listed) {
    return SameFile(listed, path) || SameFile(listed, ShortPath(path));
  });
}

// Whether the path is a "zmu" entry directly in the temporary folder (long or short path).
bool IsTemporaryEntry(const std::string& path) {
  char temporary[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temporary);
  const std::string shortTemporary = ShortPath(temporary);
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return false;
  const std::string directory = path.substr(0, slash + 1), name = path.substr(slash + 1);
  return (SameFile(directory, temporary) || SameFile(directory, shortTemporary)) &&
         ::CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, name.c_str(), 3, "zmu", 3) ==
             CSTR_EQUAL;
}

// The copy that removed the uninstaller lies in a folder of its own in the temporary folder
// until the next start; the NT family removes the folder then too.
bool TemporaryCopyIsListed() {
  bool copy = false, folder = false;
  for (const std::string& file : FilesDeletedAtRestart()) {
    folder = folder || IsTemporaryEntry(file);
    const std::size_t slash = file.rfind('\\');
    copy = copy || (slash != std::string::npos && IsTemporaryEntry(file.substr(0, slash)));
  }
  return copy && (folder || !IsNtFamily());
}

// The uninstaller's copy deletes it moments after it has ended.
void CheckUninstallerRemovesItself(const Installation& installation) {
  CHECK_MESSAGE(WaitUntil([&] { return !FileExists(installation.uninstaller); }, Timeout),
                installation.uninstaller << " is still there");
  CHECK(WaitUntil(TemporaryCopyIsListed, Timeout));
}

void CheckEverythingRemoved(const Installation& installation) {
  CHECK_FALSE(FileExists(installation.screenSaver));
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, MakerKeyPath));
  CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
  CheckUninstallerRemovesItself(installation);
}

void CheckNothingRemoved(const Installation& installation) {
  CHECK(ScreenSaverSetting() == installation.shortPath);
  CHECK(FileExists(installation.screenSaver));
  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
  CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
  PumpMessages(1000);
  CHECK(FileExists(installation.uninstaller));
}

} // namespace

TEST_SUITE("headless") {

  TEST_CASE("uninstalling puts the previous screen saver back and removes everything") {
    Installation installation = Install(std::string(OtherSaver));
    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("without a previous screen saver the setting is cleared") {
    Installation installation = Install(std::nullopt);
    CHECK(RunUninstaller(installation) == 0);
    // The NT family has no value then; 95/98 keeps the key with an empty value.
    if (IsNtFamily()) {
      CHECK(ScreenSaverSetting() == std::nullopt);
    } else {
      CHECK(ScreenSaverSetting() == std::string());
    }
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("the setting is recognised by the long name of our file as well") {
    Installation installation = Install(std::string(OtherSaver));
    SetScreenSaverSetting(installation.screenSaver);
    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("a screen saver the user chose after the installation stays") {
    Installation installation = Install(std::string(OtherSaver));
    const std::string chosenLater = "C:\\windows\\system32\\mine.scr";
    SetScreenSaverSetting(chosenLater);
    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == chosenLater);
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("keys that hold something else stay") {
    SUBCASE("the product key holds another value") {
      Installation installation = Install(std::string(OtherSaver));
      SetRegistryString(HKEY_CURRENT_USER, ProductKeyPath, "Speed", "3");
      CHECK(RunUninstaller(installation) == 0);
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
      CHECK(RegistryKeyExists(HKEY_CURRENT_USER, ProductKeyPath));
      CheckUninstallerRemovesItself(installation);
    }
    SUBCASE("the maker's key holds another product") {
      Installation installation = Install(std::string(OtherSaver));
      SetRegistryString(HKEY_CURRENT_USER, std::string(MakerKeyPath) + "\\Other Product", "x", "1");
      CHECK(RunUninstaller(installation) == 0);
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, ProductKeyPath));
      CHECK(RegistryKeyExists(HKEY_CURRENT_USER, std::string(MakerKeyPath) + "\\Other Product"));
      CheckUninstallerRemovesItself(installation);
    }
    DeleteRegistryTree(HKEY_CURRENT_USER, MakerKeyPath);
  }

  // A restart deletion under the file's own name would also take the file of a later
  // installation. A file that another program holds so that it can be neither deleted nor renamed
  // therefore stays, and a second run, once it is free, finishes the job. (A running screen
  // saver, which the NT family renames, is the life-cycle test's.)
  TEST_CASE("a screen saver file held by another program stays, and nothing is queued under its "
            "name") {
    Installation installation = Install(std::string(OtherSaver));
    HANDLE inUse = ::CreateFileA(installation.screenSaver.c_str(), GENERIC_READ, 0, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    REQUIRE(inUse != INVALID_HANDLE_VALUE);
    long code = RunUninstaller(installation);
    ::CloseHandle(inUse);
    CHECK(code == 1);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CHECK(FileExists(installation.screenSaver));
    CHECK_FALSE(IsListed(FilesDeletedAtRestart(), installation.screenSaver));
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
    CHECK(FileExists(installation.uninstaller));

    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("a backup that cannot be read stops the uninstallation before anything is removed") {
    Installation installation = Install(std::string(OtherSaver));
    SetRegistryValue(HKEY_CURRENT_USER, BackupKeyPath, nullptr, REG_BINARY, "\x01\x02");
    CHECK(RunUninstaller(installation) == 1);
    CheckNothingRemoved(installation);
  }

  TEST_CASE("a second run after a removal that failed finishes the job") {
    Installation installation = Install(std::string(OtherSaver));
    SetRegistryValue(HKEY_CURRENT_USER, BackupKeyPath, nullptr, REG_BINARY, "\x01\x02");
    REQUIRE(RunUninstaller(installation) == 1);
    SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, OtherSaver);
    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("with nothing installed the uninstaller changes nothing and succeeds") {
    Installation installation = Install(std::string(OtherSaver));
    DeleteRegistryTree(HKEY_CURRENT_USER, MakerKeyPath);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath);
    REQUIRE(::DeleteFileA(installation.screenSaver.c_str()));
    SetScreenSaverSetting(std::string(OtherSaver));
    CHECK(RunUninstaller(installation) == 0);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckUninstallerRemovesItself(installation);
  }

  // The manifest tells Vista and later that the uninstaller asks for its rights itself (no
  // installer guess from its name, no virtual store). XP reads the manifest too: it refuses to
  // start a program whose trustInfo is in the manifest's own namespace, and crashes on one that
  // declares its namespace twice.
  TEST_CASE("the uninstaller's manifest declares its execution level in a form that XP accepts") {
    HMODULE program =
        ::LoadLibraryExA(PayloadPath("ZM_UNINSTALLER").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(program != nullptr);
    HRSRC found = ::FindResourceA(program, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string manifest;
    if (found != nullptr) {
      const void* bytes = ::LockResource(::LoadResource(program, found));
      if (bytes != nullptr)
        manifest.assign(static_cast<const char*>(bytes), ::SizeofResource(program, found));
    }
    ::FreeLibrary(program);
    REQUIRE_MESSAGE(!manifest.empty(), "no manifest (resource 1 of type 24)");
    CHECK(manifest.find("level=\"asInvoker\"") != std::string::npos);
    const std::size_t at = manifest.find("<trustInfo");
    REQUIRE(at != std::string::npos);
    CHECK(manifest.substr(at, manifest.find('>', at) + 1 - at) ==
          "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">");
  }

  // The elevation calls are found at run time (the 95/98 family and early NT lack them); here
  // they must reach the system's own functions. Wine answers for its administrator, whose
  // programs run elevated, on both families; Windows 98 itself has only failing stubs.
  TEST_CASE("the run-time elevation calls reach the system") {
    HANDLE token = nullptr;
    REQUIRE(sys::OpenProcessToken(sys::GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    CHECK(sys::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size));
    CHECK(size == sizeof elevation);
    CHECK(elevation.TokenIsElevated != 0);
    sys::CloseHandle(token);

    char command[MAX_PATH];
    REQUIRE(::GetSystemDirectoryA(command, MAX_PATH) > 0);
    ::lstrcatA(command, "\\cmd.exe");
    SHELLEXECUTEINFOA launch = {};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    launch.lpVerb = "runas";
    launch.lpFile = command;
    launch.lpParameters = "/c exit 5";
    launch.nShow = SW_HIDE;
    REQUIRE(sys::ShellExecuteExA(&launch));
    REQUIRE(launch.hProcess != nullptr);
    CHECK(sys::WaitForSingleObject(launch.hProcess, Timeout) == WAIT_OBJECT_0);
    DWORD code = 0;
    CHECK(sys::GetExitCodeProcess(launch.hProcess, &code));
    CHECK(code == 5);
    sys::CloseHandle(launch.hProcess);
  }

  TEST_CASE("the self-removal switch deletes nothing but a copy of the uninstaller") {
    Installation installation = Install(std::string(OtherSaver));
    const std::string precious = installation.directory + "precious.txt";
    WriteFileBytes(precious, "keep me");
    CHECK(RunUninstaller(installation, "/finish 4 " + precious) == 1);
    CHECK(FileExists(precious));
    CheckNothingRemoved(installation);
  }

} // TEST_SUITE

TEST_SUITE("display") {

  namespace {

  constexpr char BoxTitle[] = "Zembrino's Screen Saver Uninstall";

  HWND WaitForBox(const Process& process) {
    HWND box = nullptr;
    WaitUntil([&] { return (box = FindProcessWindow(process.id, "#32770", BoxTitle)) != nullptr; },
              Timeout);
    return box;
  }

  } // namespace

  TEST_CASE("answering No to the confirmation leaves everything as it is") {
    Installation installation = Install(std::string(OtherSaver));
    Process process = Start(installation.uninstaller, "");
    HWND box = WaitForBox(process);
    REQUIRE(box != nullptr);
    CHECK(MessageBoxText(box).find("Do you want to remove Zembrino's Screen Saver") !=
          std::string::npos);
    ::PostMessageA(box, WM_COMMAND, IDNO, 0);
    CHECK(WaitForExit(process, Timeout) == 0);
    EndProcess(process);
    CheckNothingRemoved(installation);
  }

  TEST_CASE("answering Yes uninstalls and ends with a report") {
    Installation installation = Install(std::string(OtherSaver));
    Process process = Start(installation.uninstaller, "");
    HWND box = WaitForBox(process);
    REQUIRE(box != nullptr);
    ::PostMessageA(box, WM_COMMAND, IDYES, 0);

    HWND report = nullptr;
    REQUIRE(WaitUntil(
        [&] {
          report = FindProcessWindow(process.id, "#32770", BoxTitle);
          return report != nullptr && report != box;
        },
        Timeout));
    CHECK(MessageBoxText(report) == "Zembrino's Screen Saver has been removed from your computer.");
    // The uninstaller is still running, so its copy waits before deleting it.
    PumpMessages(500);
    CHECK(FileExists(installation.uninstaller));
    ::PostMessageA(report, WM_COMMAND, IDOK, 0);
    CHECK(WaitForExit(process, Timeout) == 0);
    EndProcess(process);
    CHECK(ScreenSaverSetting() == std::string(OtherSaver));
    CheckEverythingRemoved(installation);
  }

  TEST_CASE("a failure is reported in a box and the exit code") {
    Installation installation = Install(std::string(OtherSaver));
    SetRegistryValue(HKEY_CURRENT_USER, BackupKeyPath, nullptr, REG_BINARY, "\x01\x02");
    Process process = Start(installation.uninstaller, "");
    HWND box = WaitForBox(process);
    REQUIRE(box != nullptr);
    ::PostMessageA(box, WM_COMMAND, IDYES, 0);
    HWND report = nullptr;
    REQUIRE(WaitUntil(
        [&] {
          report = FindProcessWindow(process.id, "#32770", BoxTitle);
          return report != nullptr && report != box;
        },
        Timeout));
    CHECK(MessageBoxText(report).find("could not be restored") != std::string::npos);
    ::PostMessageA(report, WM_COMMAND, IDOK, 0);
    CHECK(WaitForExit(process, Timeout) == 1);
    EndProcess(process);
    CheckNothingRemoved(installation);
  }

} // TEST_SUITE
