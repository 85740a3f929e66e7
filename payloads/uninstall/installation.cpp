#include "shared/platform_family.h"
#include "shared/product_names.h"
#include "uninstall/steps.h"

namespace uninstall {

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

bool FindOwnPath(char (&path)[MAX_PATH]) {
  // A character more than any whole path needs: a cut answer is then MAX_PATH or more on either
  // family (the NT family returns the buffer's size, the 95/98 family one less), while with a
  // buffer of MAX_PATH the 95/98 family's cut answer equals that of a path that just fits.
  char name[MAX_PATH + 1];
  DWORD length = sys::GetModuleFileNameA(nullptr, name, sizeof name);
  if (length == 0 || length >= MAX_PATH) return false;
  sys::lstrcpyA(path, name);
  return true;
}

bool FindInstallation(Installation* installation) {
  if (!QueryWindowsNT(&installation->nt)) return false;
  if (!FindOwnPath(installation->uninstaller)) return false;

  // The screen saver's name takes the place of this program's.
  int directoryLength = FileNameOffset(installation->uninstaller);
  if (directoryLength == 0 ||
      directoryLength + static_cast<int>(sizeof ScreenSaverFileName) > MAX_PATH) {
    return false;
  }
  sys::lstrcpyA(installation->screenSaver, installation->uninstaller);
  sys::lstrcpyA(installation->screenSaver + directoryLength, ScreenSaverFileName);

  char shortPath[MAX_PATH];
  installation->screenSaverShortName[0] = '\0';
  DWORD length = sys::GetShortPathNameA(installation->screenSaver, shortPath, MAX_PATH);
  if (length != 0 && length < MAX_PATH) {
    sys::lstrcpyA(installation->screenSaverShortName, shortPath + FileNameOffset(shortPath));
  } else if (sys::GetFileAttributesA(installation->screenSaver) != INVALID_FILE_ATTRIBUTES) {
    // Without its short name the setting cannot be recognised as ours.
    return false;
  }
  return true;
}

} // namespace uninstall
