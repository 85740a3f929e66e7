// Makes the installed screen saver the current user's active one, keeping the previous setting
// as a backup value.
#pragma once

#include "foundation/zstring.h"

// Below HKEY_CURRENT_USER; its default value holds the setting in force before the installation.
inline constexpr char BackupKeyPath[] = "Software\\Zembrino\\Zembrino's Screen Saver\\Backup";

// screenSaverPath: the short path of the installed screen saver. Shows nothing and reports
// nothing; registry keys that cannot be opened or created only skip what needs them.
void ActivateScreenSaver(const ZString& screenSaverPath);
