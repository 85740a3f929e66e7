// The start of another program by the installer.
#pragma once

#include "foundation/zstring.h"

// Starts the command with the folder as its current folder, or does not start it at all: a
// started program inherits the installer's current folder (a download folder, a CD, a share),
// and the 95/98 family and NT systems without safe DLL search look there for the DLLs it loads
// by bare name before they look in the system folder. True when the program was started.
bool LaunchFromFolder(const ZString& folder, const ZString& command);
