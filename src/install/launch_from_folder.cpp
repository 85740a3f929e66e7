#include "install/launch_from_folder.h"

#include "foundation/platform.h"

bool LaunchFromFolder(const ZString& folder, const ZString& command) {
  if (!sys::SetCurrentDirectoryA(folder.CStr())) return false;
  // WinExec reports success with any value above 31.
  return sys::WinExec(command.CStr(), SW_SHOWNORMAL) > 31;
}
