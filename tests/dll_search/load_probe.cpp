// Loads a DLL by its bare name, as system code or a library loads its helpers. Linked with each
// of the programs' entries, and once with the tool chain's usual start-up code as the control.
// Exit code 1 when the DLL was loaded, 0 when it was not.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return LoadLibraryA("zmplanted.dll") != nullptr ? 1 : 0;
}
