// Where the installer puts the screen saver and what it records about it: the uninstaller undoes
// exactly these.
#pragma once

namespace payload {

constexpr char kScreenSaverFileName[] = "Zembrino's Screen Saver.scr";

// Under HKEY_CURRENT_USER. The Backup key's default value holds the screen saver setting that
// was in force before the installation.
constexpr char kMakerKeyPath[] = "Software\\Zembrino";
constexpr char kProductKeyPath[] = "Software\\Zembrino\\Zembrino's Screen Saver";
constexpr char kBackupKeyPath[] = "Software\\Zembrino\\Zembrino's Screen Saver\\Backup";

// The screen saver setting: a registry value on the NT family, a system.ini entry on 95/98.
constexpr char kDesktopKeyPath[] = "Control Panel\\Desktop";
constexpr char kScreenSaverValue[] = "scrnsave.exe";
constexpr char kBootSection[] = "boot";
constexpr char kSystemIni[] = "system.ini";

// Under HKEY_LOCAL_MACHINE.
constexpr char kUninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zembrino's Screen Saver";

} // namespace payload
