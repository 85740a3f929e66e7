#include "install/screen_saver_activation.h"

#include <optional>

#include "foundation/platform.h"
#include "foundation/regkey.h"
#include "shared/platform_family.h"
#include "shared/setting_match.h"

namespace {

// A longer previous setting is treated as none, on both families.
constexpr int MaxSettingLength = 2048;

// The 8.3 name of the installed file: what follows the last backslash of its short path.
const char* ShortFileName(const ZString& screenSaverPath) {
  const char* path = screenSaverPath.CStr();
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (*p == '\\') name = p + 1;
  }
  return name;
}

// A backup is taken only of a setting that names another screen saver, so a repeated
// installation keeps the backup of the first one. Our own file under any of its names (the long
// path, another directory form, the name of earlier versions, which the extraction has just
// deleted) is no choice of the user's: backing it up would overwrite the user's real one.
void BackUpPreviousSetting(ZRegKey& backup, const ZString& previous,
                           const ZString& screenSaverPath) {
  if (previous.Length() == 0 || previous.CompareNoCase(screenSaverPath.CStr()) == 0) return;
  if (NamesProductScreenSaver(previous.CStr(), ShortFileName(screenSaverPath))) return;
  backup.SetString(nullptr, previous);
}

void ReplaceRegistrySetting(ZRegKey& backup, const ZString& screenSaverPath) {
  ZRegKey currentUser(HKEY_CURRENT_USER);
  std::optional<ZRegKey> desktop;
  try {
    desktop.emplace(currentUser, DesktopKeyPath, ZRegKey::ModeOpen);
  } catch (const ZRegKey::EOpen&) {
    return;
  }
  ZString previous;
  if (desktop->QueryString(ScreenSaverValueName, previous, MaxSettingLength))
    BackUpPreviousSetting(backup, previous, screenSaverPath);
  desktop->SetString(ScreenSaverValueName, screenSaverPath);
  desktop->Close();
}

void ReplaceProfileSetting(ZRegKey& backup, const ZString& screenSaverPath) {
  // One byte more than the longest accepted setting: a profile read that fills the buffer
  // may have been cut, and a cut path must never become the backup.
  constexpr DWORD room = MaxSettingLength + 2;
  ZString previous;
  const DWORD length = sys::GetPrivateProfileStringA(
      BootSection, ScreenSaverValueName, "", previous.GetBuffer(room - 1), room, SystemIniFileName);
  previous.ReleaseBuffer(length <= MaxSettingLength ? static_cast<int>(length) : 0);
  BackUpPreviousSetting(backup, previous, screenSaverPath);
  sys::WritePrivateProfileStringA(BootSection, ScreenSaverValueName, screenSaverPath.CStr(),
                                  SystemIniFileName);
}

} // namespace

void ActivateScreenSaver(const ZString& screenSaverPath) {
  ZRegKey currentUser(HKEY_CURRENT_USER);
  std::optional<ZRegKey> backup;
  try {
    backup.emplace(currentUser, BackupKeyPath, ZRegKey::ModeCreate);
  } catch (const ZRegKey::ECreate&) {
    // Without a place for the backup the setting is left alone altogether.
    return;
  }

  if (IsWindowsNT())
    ReplaceRegistrySetting(*backup, screenSaverPath);
  else
    ReplaceProfileSetting(*backup, screenSaverPath);

  // Screen saving on, announced to running programs but not written to the settings file.
  sys::SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, TRUE, nullptr, SPIF_SENDWININICHANGE);
  backup->Close();
}
