// The uninstaller's steps on the machine. Each reports whether it reached its goal, so that the
// program can tell the user exactly what is left. They reach the machine through the platform
// layer alone, so that they also run natively against the emulated machine.
#pragma once

#include "foundation/platform.h"

namespace uninstall {

struct Installation {
  bool nt;                             // the NT family, not 95/98
  char uninstaller[MAX_PATH];          // this program
  char screenSaver[MAX_PATH];          // the screen saver file beside it
  char screenSaverShortName[MAX_PATH]; // its 8.3 name; "" when the file is gone
};

// This program's own path, whole: false when the system cannot say or the path does not fit.
bool FindOwnPath(char (&path)[MAX_PATH]);

// Fills the paths from this program's own location, and the family. False when any of it
// cannot be known for sure.
bool FindInstallation(Installation* installation);

enum class SettingResult {
  Restored,  // it named our screen saver and holds the backed-up setting again
  LeftAlone, // it names something else: the user's later choice stays
  Failed     // the backup or the setting could not be read or written
};

// Puts the setting from before the installation back, where it still names our screen saver.
SettingResult RestoreScreenSaverSetting(const Installation& installation);

enum class Removal { Done, AtRestart, Failed };

// A missing file counts as deleted.
bool DeleteNow(const char* path);

// Deletes one of the installation's files, or, on the NT family, has the system delete it at
// the next start under another name when it is in use: never under its own name, which a later
// installation may have written again by then.
Removal DeleteNowOrAtRestart(const char* path, bool nt);
// The second half of it, for a file known to be in use (this program's own).
bool DeleteAsideAtRestart(const char* path, bool nt);
// For files under names no installation uses (the copy in the temporary folder).
bool DeleteAtRestart(const char* path, bool nt);

// Puts wininit.ini back where a run was cut short while it replaced it (95/98 family). Every
// uninstallation there begins with it, so that the later edits need not.
void RepairWininit();

// The Backup key, then the product's and the maker's keys where they hold nothing else.
bool RemoveProductKeys();
bool RemoveUninstallEntry();

// A running program cannot delete its own file. Starts a copy of this program from a new folder
// of its own in the temporary folder that deletes this one once it has ended (see
// self_removal.cpp).
bool StartSelfRemoval(const char* ownPath);
// The copy's part. Returns false when there was nothing it could safely do.
bool FinishSelfRemoval(unsigned long waitHandle, const char* uninstallerPath);

} // namespace uninstall
