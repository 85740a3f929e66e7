#include "foundation/product_names.h"
#include "uninstall/steps.h"

namespace uninstall {

bool IsNtFamily() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

namespace {

// The position after the last backslash.
int FileNameOffset(const char* path) {
  int offset = 0;
  for (int i = 0; path[i] != '\0'; ++i) {
    if (path[i] == '\\') offset = i + 1;
  }
  return offset;
}

} // namespace

bool FindInstallation(Installation* installation) {
  DWORD length = GetModuleFileNameA(nullptr, installation->uninstaller, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;

  int directoryLength = FileNameOffset(installation->uninstaller);
  if (directoryLength == 0 || directoryLength + lstrlenA(ScreenSaverFileName) >= MAX_PATH) {
    return false;
  }
  lstrcpynA(installation->screenSaver, installation->uninstaller, directoryLength + 1);
  lstrcatA(installation->screenSaver, ScreenSaverFileName);

  char shortPath[MAX_PATH];
  installation->screenSaverShortName[0] = '\0';
  length = GetShortPathNameA(installation->screenSaver, shortPath, MAX_PATH);
  if (length != 0 && length < MAX_PATH) {
    lstrcpyA(installation->screenSaverShortName, shortPath + FileNameOffset(shortPath));
  }
  return true;
}

} // namespace uninstall
