// Whether a screen saver setting names one of the product's files. The installer, the
// uninstaller and the tests share the rule, so that what one program takes for its own the
// others do too.
#pragma once

// True when the setting (a path as the system stores it, possibly in quotes) names a file called
// `longName` or `shortName`, letter case aside. Only the file name is compared: the setting may
// hold the short or the long form of the directory. An empty `shortName` (not known) matches
// nothing.
bool NamesScreenSaver(const char* setting, const char* longName, const char* shortName);

// True when the setting names the product's screen saver under any name it has had: its own,
// the one of earlier versions, or `shortName`, the 8.3 name of the installed file ("" when not
// known).
bool NamesProductScreenSaver(const char* setting, const char* shortName);

// True when the setting names any of the product's files: its screen saver as above, or the
// uninstaller. Such a setting is never one the user chose before the product was installed.
bool NamesProductFile(const char* setting, const char* shortName);
