// The names under which the product lives on a machine: its files, its registry keys and values,
// and the screen saver setting it changes. The installer, the uninstaller, the tests and the
// build all read them here, so that what one program writes the others find. Plain character
// arrays: the payload programs have no C++ library. The build reads the file names with a
// regular expression (cmake/ProductNames.cmake), so each stays on one line.
#pragma once

// The programs and the log, all in the installation directory.
inline constexpr char ScreenSaverFileName[] = "Zembrino's Screen Saver.scr";
// The screen saver's name in earlier versions ("Screensaver" in one word), which the installer
// deletes.
inline constexpr char OlderScreenSaverFileName[] = "Zembrino's Screensaver.scr";
inline constexpr char UninstallerFileName[] = "zmsaveru.exe";
inline constexpr char RestoreLogFileName[] = "zmsaveru.log";

// Under HKEY_CURRENT_USER. The Backup key's default value holds the screen saver setting that
// was in force before the installation.
inline constexpr char MakerKeyPath[] = "Software\\Zembrino";
inline constexpr char ProductKeyPath[] = "Software\\Zembrino\\Zembrino's Screen Saver";
inline constexpr char BackupKeyPath[] = "Software\\Zembrino\\Zembrino's Screen Saver\\Backup";

// The screen saver setting: a registry value on the NT family, a system.ini entry on 95/98.
inline constexpr char DesktopKeyPath[] = "Control Panel\\Desktop";
inline constexpr char ScreenSaverValueName[] = "scrnsave.exe";
inline constexpr char BootSection[] = "boot";
inline constexpr char SystemIniFileName[] = "system.ini";

// Under HKEY_LOCAL_MACHINE: the entry in the list of installed programs, and the maker's older
// one, which the installer removes when its display name says it is the maker's.
inline constexpr char UninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zembrino's Screen Saver";
inline constexpr char OldUninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZmSaver";
inline constexpr char DisplayNameValueName[] = "DisplayName";
inline constexpr char UninstallStringValueName[] = "UninstallString";
