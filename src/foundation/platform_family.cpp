#include "foundation/platform_family.h"

#include "foundation/platform.h"

bool IsWindowsNT() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return sys::GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}
