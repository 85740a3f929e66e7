#pragma once

namespace uninstall {

// True when the screen saver setting (a path as the system stores it, possibly in quotes)
// names a file called `longName` or `shortName`, letter case aside. Only the file name is
// compared: the setting may hold the short or the long form of the directory. An empty
// `shortName` (not known) matches nothing.
bool NamesScreenSaver(const char* setting, const char* longName, const char* shortName);

} // namespace uninstall
