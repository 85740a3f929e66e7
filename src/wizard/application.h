// The program's run from start to end, apart from the platform's entry point so that tests can
// drive it.
#pragma once

#include "foundation/platform.h"

// Installs the out-of-memory handler, runs the installer's wizard modally and returns the exit
// code, which is 0 on every path.
int RunInstaller(HINSTANCE instance);

// The allocation operator's new-handler: tells the user once and throws std::bad_alloc, so
// that an allocation never yields null.
[[noreturn]] void OutOfMemoryHandler();
