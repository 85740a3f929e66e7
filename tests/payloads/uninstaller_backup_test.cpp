// The backup the uninstaller puts back, against the emulated machine on both families. A backup
// that names one of the product's own files was taken by an earlier installation from our own
// setting: it is no choice of the user's, and its file is going.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>

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

} // namespace

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
