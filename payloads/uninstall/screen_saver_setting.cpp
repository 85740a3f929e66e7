#include "common/text.h"
#include "shared/product_names.h"
#include "shared/setting_match.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

// Longer than any path the system accepts for a screen saver.
constexpr DWORD SettingCapacity = 1024;

bool IsOurs(const char* setting, const Installation& installation) {
  return NamesProductScreenSaver(setting, installation.screenSaverShortName);
}

// The Backup key's default value; "" when the key or the value is missing, which means that
// there was no setting before. False when it exists but cannot be read whole. A backup that
// names one of our own files reads as none: an earlier installation took our setting for the
// user's, and restoring it would name a file that is going.
bool ReadBackup(char* value, const Installation& installation) {
  value[0] = '\0';
  HKEY key;
  LONG result = sys::RegOpenKeyExA(HKEY_CURRENT_USER, BackupKeyPath, 0, KEY_QUERY_VALUE, &key);
  if (result == ERROR_FILE_NOT_FOUND) return true;
  if (result != ERROR_SUCCESS) return false;
  DWORD type = 0, size = SettingCapacity - 1;
  result =
      sys::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  sys::RegCloseKey(key);
  if (result == ERROR_FILE_NOT_FOUND) {
    value[0] = '\0';
    return true;
  }
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  value[size] = '\0';
  if (NamesProductFile(value, installation.screenSaverShortName)) value[0] = '\0';
  return true;
}

SettingResult RestoreInRegistry(const Installation& installation) {
  HKEY desktop;
  LONG result = sys::RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKeyPath, 0,
                                   KEY_QUERY_VALUE | KEY_SET_VALUE, &desktop);
  if (result == ERROR_FILE_NOT_FOUND) return SettingResult::LeftAlone;
  if (result != ERROR_SUCCESS) return SettingResult::Failed;

  char current[SettingCapacity], backup[SettingCapacity];
  DWORD type = 0, size = SettingCapacity - 1;
  SettingResult outcome = SettingResult::LeftAlone;
  // A value that is missing, too long or not text cannot name our file; one that cannot be read
  // might, and its file must then stay.
  result = sys::RegQueryValueExA(desktop, ScreenSaverValueName, nullptr, &type,
                                 reinterpret_cast<BYTE*>(current), &size);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND && result != ERROR_MORE_DATA) {
    outcome = SettingResult::Failed;
  } else if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    current[size] = '\0';
    if (IsOurs(current, installation)) {
      outcome = SettingResult::Failed;
      if (ReadBackup(backup, installation)) {
        if (backup[0] == '\0') {
          result = sys::RegDeleteValueA(desktop, ScreenSaverValueName);
          if (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) {
            outcome = SettingResult::Restored;
          }
        } else if (sys::RegSetValueExA(desktop, ScreenSaverValueName, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(backup),
                                       static_cast<DWORD>(payload::Length(backup) + 1)) ==
                   ERROR_SUCCESS) {
          outcome = SettingResult::Restored;
        }
      }
    }
  }
  sys::RegCloseKey(desktop);
  return outcome;
}

SettingResult RestoreInSystemIni(const Installation& installation) {
  char current[SettingCapacity], backup[SettingCapacity];
  sys::GetPrivateProfileStringA(BootSection, ScreenSaverValueName, "", current, SettingCapacity,
                                SystemIniFileName);
  if (!IsOurs(current, installation)) return SettingResult::LeftAlone;
  if (!ReadBackup(backup, installation)) return SettingResult::Failed;
  // An empty value, not a missing key: the 95/98 family keeps the key and reads "" as none. It
  // may refuse to write an empty value, though; a missing key reads as none too, and its
  // deletion is known to succeed there.
  if (!sys::WritePrivateProfileStringA(BootSection, ScreenSaverValueName, backup,
                                       SystemIniFileName) &&
      (backup[0] != '\0' || !sys::WritePrivateProfileStringA(BootSection, ScreenSaverValueName,
                                                             nullptr, SystemIniFileName))) {
    return SettingResult::Failed;
  }
  // The 95/98 family caches profile files; this writes the cache out.
  sys::WritePrivateProfileStringA(nullptr, nullptr, nullptr, SystemIniFileName);
  return SettingResult::Restored;
}

} // namespace

SettingResult RestoreScreenSaverSetting(const Installation& installation) {
  return installation.nt ? RestoreInRegistry(installation) : RestoreInSystemIni(installation);
}

} // namespace uninstall
