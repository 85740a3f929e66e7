#include "wizard/application.h"

// The installer reads no command line.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunInstaller(instance); }
