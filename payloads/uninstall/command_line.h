// The uninstaller's command line.
//
//   (nothing)              ask for confirmation, uninstall, report the outcome in a message box
//   /quiet                 uninstall without asking and without any message box; the exit code
//                          alone tells the outcome (meant for tests and scripted removal)
//   /finish <handle> <path>  the copy in the temporary folder that removes the uninstaller at
//                          <path> once the process behind the inherited <handle> has ended
//   /elevated [/quiet]     the run started through the elevation prompt by a run without
//                          administrator rights (NT 6.0 and later); it never starts another
//
// Switches begin with '/' or '-' and ignore letter case.
#pragma once

namespace uninstall {

enum class Mode { Interactive, Quiet, FinishSelfRemoval, Invalid };

struct Command {
  Mode mode;
  bool elevated;            // Interactive and Quiet only: started through the prompt
  unsigned long waitHandle; // FinishSelfRemoval only
  char path[260];           // FinishSelfRemoval only: the uninstaller to delete
};

// An unknown switch asks for confirmation like no switch at all; a malformed /finish is
// Invalid, so that nothing gets deleted on a guess.
void ParseCommandLine(const char* arguments, Command* command);

} // namespace uninstall
