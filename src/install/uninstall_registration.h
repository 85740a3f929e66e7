// The entry in the system's list of installed programs, and the removal of the maker's older one.
#pragma once

#include "foundation/zstring.h"

// Below HKEY_LOCAL_MACHINE: the maker's older entry, removed when its display name says it is
// the maker's, and the current entry.
inline constexpr char OldUninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZmSaver";
inline constexpr char UninstallKeyPath[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Zembrino's Screen Saver";

inline constexpr char UninstallerFileName[] = "zmsaveru.exe";

// installDir: the installation directory, ending in a backslash, which holds the uninstaller.
// Shows nothing and reports nothing; keys that cannot be opened or created only skip their part.
void RegisterUninstall(const ZString& installDir);
