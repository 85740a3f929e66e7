#include "install/engine_state.h"

#include "foundation/platform_hooks.h"
#include "install/screen_saver_activation.h"
#include "install/uninstall_registration.h"
#include "support/test_machine.h"

std::string RegistryText(HKEY root, const std::string& path, const char* name) {
  DWORD type = REG_NONE;
  std::string bytes;
  if (!GetRegistryValue(root, path, name, &type, &bytes)) return MissingText;
  if (type != REG_SZ) return "(type " + std::to_string(type) + ")";
  if (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  return bytes;
}

void DeleteRegistryValue(HKEY root, const std::string& path, const char* name) {
  HKEY key = nullptr;
  if (sys::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  sys::RegDeleteValueA(key, name);
  sys::RegCloseKey(key);
}

std::string ProfileText(const char* section, const char* key) {
  std::vector<char> buffer(8192);
  DWORD length =
      sys::GetPrivateProfileStringA(section, key, MissingText, buffer.data(),
                                    static_cast<DWORD>(buffer.size()), SystemIniFileName);
  return std::string(buffer.data(), length);
}

void SetProfileText(const char* section, const char* key, const std::string& value) {
  sys::WritePrivateProfileStringA(section, key, value.c_str(), SystemIniFileName);
}

void DeleteProfileEntry(const char* section, const char* key) {
  sys::WritePrivateProfileStringA(section, key, nullptr, SystemIniFileName);
}

void ClearEngineState() {
  DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\Zembrino");
  DeleteRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName);
  DeleteProfileEntry(BootSection, ScreenSaverValueName);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, OldUninstallKeyPath);
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, UninstallKeyPath);
#ifndef _WIN32
  HKEY desktop = nullptr;
  if (sys::RegCreateKeyA(HKEY_CURRENT_USER, DesktopKeyPath, &desktop) == ERROR_SUCCESS)
    sys::RegCloseKey(desktop);
#endif
}

void UseWin9xFamily() {
#ifdef _WIN32
  sys::hooks::FailWhen("GetVersionExA", "");
#else
  sys::host::SetFamily(sys::host::Family::Win9x);
#endif
}

std::string Setting(bool nt) {
  return nt ? RegistryText(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName)
            : ProfileText(BootSection, ScreenSaverValueName);
}

void SetSetting(bool nt, const std::string& value) {
  if (nt)
    SetRegistryString(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, value);
  else
    SetProfileText(BootSection, ScreenSaverValueName, value);
}
