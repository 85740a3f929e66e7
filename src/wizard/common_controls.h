// The common controls library (comctl32.dll), loaded by its full path from the system directory.
// Unlike kernel32, user32 and the like, it is not one of the DLLs the system always takes from its
// own directory: as a static import it would be looked for in the program's folder first, and a
// downloaded installer runs from a folder that others can write to.
#pragma once

#include "foundation/platform.h"

#include <commctrl.h>

// Loads the library when needed and registers its window classes; false when it cannot be loaded.
bool InitCommonControlsFromSystem();

// The library's PropertySheetA; -1, the platform's failure, when the library cannot be loaded.
INT_PTR RunPropertySheet(LPCPROPSHEETHEADERA header);
