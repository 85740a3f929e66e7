// zmsaveru.exe: removes Zembrino's Screen Saver and puts the user's previous screen saver back
// (uninstaller.h).
#include "foundation/platform.h"
#include "uninstall/uninstaller.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  return uninstall::RunUninstaller(arguments);
}
