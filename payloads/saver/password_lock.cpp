#include "saver/password_lock.h"

#include "foundation/win32/system_library.h"
#include "saver/lock_rules.h"

namespace saver {

namespace {

constexpr char DesktopKey[] = "Control Panel\\Desktop";
constexpr char PasswordValue[] = "ScreenSaveUsePassword";
constexpr char ScreenSaversKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Screen Savers";
constexpr char MouseThresholdValue[] = "Mouse Threshold";
constexpr char GraceValue[] = "Password Delay";

StoredValue ReadStoredValue(const char* keyPath, const char* name) {
  StoredValue value = {};
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return value;
  }
  // Room for more than the four bytes kept, so that a longer binary value still shows its first
  // bytes.
  unsigned char data[64] = {};
  DWORD type = 0, size = sizeof data;
  LONG result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return value;
  value.present = true;
  value.type = type;
  value.size = size;
  for (int i = 0; i < 4; ++i) value.bytes[i] = data[i];
  return value;
}

} // namespace

LockSettings ReadLockSettings(bool ntFamily) {
  LockSettings settings;
  settings.passwordOn = !ntFamily && PasswordSettingOn(ReadStoredValue(DesktopKey, PasswordValue));
  settings.mouseThreshold =
      MouseThresholdFrom(ReadStoredValue(ScreenSaversKey, MouseThresholdValue));
  settings.graceMilliseconds = GraceMillisecondsFrom(ReadStoredValue(ScreenSaversKey, GraceValue));
  return settings;
}

void PasswordLock::Engage() {
  library_ = sys::LoadSystemLibrary("password.cpl");
  if (library_ == nullptr) return;
  verify_ = sys::SystemFunction<VerifyFunction>(library_, "VerifyScreenSavePwd");
  if (verify_ == nullptr) {
    Release();
    return;
  }
  BOOL previous = FALSE;
  systemToldRunning_ = SystemParametersInfoA(SPI_SCREENSAVERRUNNING, TRUE, &previous, 0) != FALSE;
}

bool PasswordLock::Verify(HWND window) const { return verify_ == nullptr || verify_(window); }

void PasswordLock::Release() {
  if (systemToldRunning_) {
    BOOL previous = FALSE;
    SystemParametersInfoA(SPI_SCREENSAVERRUNNING, FALSE, &previous, 0);
    systemToldRunning_ = false;
  }
  verify_ = nullptr;
  if (library_ != nullptr) FreeLibrary(library_);
  library_ = nullptr;
}

bool ChangePassword(unsigned long owner) {
  HWND ownerWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(owner));
  if (ownerWindow == nullptr || !IsWindow(ownerWindow)) ownerWindow = GetForegroundWindow();
  HMODULE mpr = sys::LoadSystemLibrary("mpr.dll");
  if (mpr == nullptr) return false;
  using ChangeFunction = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, LPVOID);
  auto change = sys::SystemFunction<ChangeFunction>(mpr, "PwdChangePasswordA");
  if (change != nullptr) change("SCRSAVE", ownerWindow, 0, nullptr);
  FreeLibrary(mpr);
  return change != nullptr;
}

} // namespace saver
