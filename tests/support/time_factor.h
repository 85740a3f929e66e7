// How long the Windows test programs wait for what they start.
#pragma once

#include <windows.h>

// The time to allow for something that usually takes at most `milliseconds`: ZM_TIME_FACTOR
// times as long, for machines many times slower than usual (an emulated one, say). The factor
// is a positive whole number, 1 when unset; any other value stops the program.
DWORD Patience(DWORD milliseconds);
