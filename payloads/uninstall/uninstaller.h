// The uninstaller as a whole: removes Zembrino's Screen Saver and puts the user's previous screen
// saver back.
//
// Exit code 0: removed (files in use may wait for the next restart), or the user chose not to
// uninstall. Exit code 1: something could not be done; the box (or, with /quiet, nothing) says
// what, and whatever a second run needs is kept; also when the user declines the elevation
// prompt, as nothing has been removed then.
#pragma once

namespace uninstall {

// Runs the uninstaller with the text of its command line after the program name; returns the
// exit code.
int RunUninstaller(const char* arguments);

} // namespace uninstall
