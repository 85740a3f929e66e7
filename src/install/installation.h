// Everything that happens after Finish: the installation directory, the restore log, the
// payloads, the screen saver setting, the uninstall entry and the Display settings.
#pragma once

#include "foundation/platform.h"
#include "foundation/zstring.h"

// owner: the window that owns every message box of the installation; instance: the module
// whose resources hold the archive. Shows its own messages; returns in every case.
void RunInstallation(HWND owner, HINSTANCE instance);

// Appends a backslash to a non-empty path that does not end in one.
void EnsureTrailingBackslash(ZString& path);
// Trims white space at both ends, then ensures the trailing backslash.
void NormalizeDirectory(ZString& path);
