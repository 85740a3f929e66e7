// The backup the uninstaller puts back, against the emulated machine on both families. A backup
// that names one of the product's own files was taken by an earlier installation from our own
// setting: it is no choice of the user's, and its file is going.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>

#include "foundation/platform_hooks.h"
#include "shared/product_names.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"
#include "uninstall/uninstaller.h"

namespace {

using sys::host::Family;

constexpr char UsersSaver[] = "C:\\WINDOWS\\SYSTEM\\MINE.SCR";
constexpr char NoSetting[] = "(none)";

std::string Setting(Family family) {
  if (family == Family::NT) {
    DWORD type = 0;
    std::string bytes;
    if (!GetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, &type, &bytes))
      return NoSetting;
    return bytes.c_str();
  }
  char value[MAX_PATH];
  sys::GetPrivateProfileStringA(BootSection, ScreenSaverValueName, NoSetting, value, MAX_PATH,
                                SystemIniFileName);
  // The 95/98 family keeps the key with an empty value where there is no setting.
  return value[0] == '\0' ? NoSetting : value;
}

void SetSetting(Family family, const std::string& value) {
  if (family == Family::NT) {
    SetRegistryString(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, value);
  } else {
    REQUIRE(sys::WritePrivateProfileStringA(BootSection, ScreenSaverValueName, value.c_str(),
                                            SystemIniFileName));
  }
}

// The machine as an installation leaves it, with `backup` in the Backup key; returns the
// setting once the uninstaller has run.
std::string UninstallWithBackup(Family family, const std::string& backup) {
  sys::host::Reset();
  sys::host::SetFamily(family);
  TakeMessageBoxes();
  const std::string directory = family == Family::NT ? "C:\\WINDOWS\\" : "C:\\WINDOWS\\system\\";
  WriteFileBytes(directory + ScreenSaverFileName, "MZ the screen saver");
  WriteFileBytes(directory + UninstallerFileName, "MZ the uninstaller");
  sys::host::SetModuleFileName(directory + UninstallerFileName);
  char shortPath[MAX_PATH];
  REQUIRE(sys::GetShortPathNameA((directory + ScreenSaverFileName).c_str(), shortPath, MAX_PATH) >
          0);
  SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, backup);
  SetSetting(family, shortPath);
  CHECK(uninstall::RunUninstaller("/quiet") == 0);
  CHECK_FALSE(FileExists(directory + ScreenSaverFileName));
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
  return Setting(family);
}

// The setting as stored: the 95/98 family's key in system.ini, "(missing)" without the key.
std::string StoredSetting(Family family) {
  if (family == Family::NT) return Setting(family);
  char value[MAX_PATH];
  sys::GetPrivateProfileStringA(BootSection, ScreenSaverValueName, "(missing)", value, MAX_PATH,
                                SystemIniFileName);
  return value;
}

} // namespace

// Without an earlier screen saver the 95/98 family's setting is emptied. Should the system refuse
// the empty value (it answers FALSE for one in a file that does not exist), the key goes
// instead, which reads as no setting all the same; only a setting that still names ours stops the
// run with "nothing removed".
TEST_CASE("a setting that cannot be emptied is removed; only one that stays ours stops the run") {
  struct Case {
    const char* name;
    Family family;
    const char* backup;
    const char* failingCall; // nullptr: none
    int failures;            // how many of its calls fail, from the first
    const char* setting;     // afterwards; "ours" for our screen saver's short path
    int exitCode;
  };
  const Case cases[] = {
      {"95/98, emptied", Family::Win9x, "", nullptr, 0, "", 0},
      {"95/98, the empty value refused", Family::Win9x, "", "WritePrivateProfileStringA", 1,
       "(missing)", 0},
      {"95/98, the empty value and the deletion refused", Family::Win9x, "",
       "WritePrivateProfileStringA", 2, "ours", 1},
      // The user's earlier screen saver is never given up for no setting.
      {"95/98, an earlier screen saver refused", Family::Win9x, UsersSaver,
       "WritePrivateProfileStringA", 1, "ours", 1},
      {"NT, removed", Family::NT, "", nullptr, 0, NoSetting, 0},
      {"NT, the removal refused", Family::NT, "", "RegDeleteValueA", 1, "ours", 1},
  };
  for (const Case& c : cases) {
    INFO(c.name);
    sys::host::Reset();
    sys::host::SetFamily(c.family);
    sys::hooks::Reset();
    TakeMessageBoxes();
    const std::string directory =
        c.family == Family::NT ? "C:\\WINDOWS\\" : "C:\\WINDOWS\\system\\";
    const std::string screenSaver = directory + ScreenSaverFileName;
    WriteFileBytes(screenSaver, "MZ the screen saver");
    WriteFileBytes(directory + UninstallerFileName, "MZ the uninstaller");
    sys::host::SetModuleFileName(directory + UninstallerFileName);
    char shortPath[MAX_PATH];
    REQUIRE(sys::GetShortPathNameA(screenSaver.c_str(), shortPath, MAX_PATH) > 0);
    SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, c.backup);
    SetSetting(c.family, shortPath);
    // Each armed fault takes the next call in turn.
    for (int i = 0; i < c.failures; ++i) sys::hooks::FailNth(c.failingCall, 1);

    CHECK(uninstall::RunUninstaller("/quiet") == c.exitCode);
    sys::hooks::ClearFaults();
    const std::string expected = std::string(c.setting) == "ours" ? shortPath : c.setting;
    CHECK(StoredSetting(c.family) == expected);
    // Nothing is removed while the setting names our file.
    CHECK(FileExists(screenSaver) == (c.exitCode != 0));
    CHECK(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath) == (c.exitCode != 0));
  }
}

TEST_CASE("a backup that names one of our own files is no backup") {
  struct Case {
    const char* backup;
    const char* expected;
  };
  const Case cases[] = {
      {UsersSaver, UsersSaver},
      {"C:\\WINDOWS\\Zembrino's Screen Saver.scr", NoSetting},
      {"\"c:\\windows\\system\\ZEMBRINO'S SCREEN SAVER.SCR\"", NoSetting},
      {"C:\\WINDOWS\\SYSTEM\\ZEMBRI~1.SCR", NoSetting},
      {"C:\\WINDOWS\\Zembrino's Screensaver.scr", NoSetting},
      {"C:\\WINDOWS\\zmsaveru.exe", NoSetting},
      // Another file whose short name merely resembles ours is the user's.
      {"C:\\OTHER\\ZEMBRI~9.SCR", "C:\\OTHER\\ZEMBRI~9.SCR"},
  };
  for (Family family : {Family::NT, Family::Win9x}) {
    for (const Case& c : cases) {
      INFO((family == Family::NT ? "NT family, " : "95/98 family, ") << "backup " << c.backup);
      CHECK(UninstallWithBackup(family, c.backup) == c.expected);
    }
  }
}

#endif
