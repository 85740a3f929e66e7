#include "shared/platform_family.h"

#include "foundation/platform.h"

bool QueryWindowsNT(bool* nt) {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!sys::GetVersionExA(&info)) return false;
  *nt = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  return true;
}

bool IsWindowsNT() {
  bool nt = false;
  return QueryWindowsNT(&nt) && nt;
}
