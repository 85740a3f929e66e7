// Administrator rights on NT 6.0 and later. Programs and Features, like anyone else, may start
// the uninstaller without them, and then it could restore the setting but neither delete the
// screen saver from the Windows folder nor remove the uninstall entry. So a run without them
// starts this program again through the elevation prompt and waits for it.
#pragma once

namespace uninstall {

enum class Elevation {
  RunHere,  // the rights are here, or cannot be had otherwise: go on in this process
  RanThere, // an elevated run of this program did the work; its exit code is this run's
  Declined  // the user said no at the prompt: nothing has been done
};

// alreadyRestarted: this run is the one started through the prompt, which never starts another
// (a system that grants no rights after a yes would otherwise start runs without end).
Elevation RunWithAdministratorRights(bool quiet, bool alreadyRestarted, int* exitCode);

} // namespace uninstall
