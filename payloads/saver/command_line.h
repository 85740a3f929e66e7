// What the system asks a screen saver to do, read from its command line.
#pragma once

namespace saver {

enum class Mode {
  Settings,       // "/c", "/c:<owner>", no argument or an unknown switch: the settings dialog
  FullScreen,     // "/s": run now, covering the screen
  Preview,        // "/p <parent>" or "/p:<parent>": draw into a child of the parent window
  ChangePassword, // "/a", "/a <owner>" or "/a:<owner>": the 95/98 family's password dialog
  Nothing         // "/p" without a window
};

struct Command {
  Mode mode;
  // The preview parent or the dialog's owner as the number the system passed; 0 for none.
  unsigned long window;
};

// `arguments` is the command line without the program name, as WinMain receives it. Switches
// may begin with '/' or '-', in either letter case; a window number may follow after ':' or
// blanks.
Command ParseCommandLine(const char* arguments);

} // namespace saver
