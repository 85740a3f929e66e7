// The entry in the system's list of installed programs, and the removal of the maker's older one.
#pragma once

#include "foundation/zstring.h"
#include "shared/product_names.h"

// installDir: the installation directory, ending in a backslash, which holds the uninstaller.
// Shows nothing and reports nothing; keys that cannot be opened or created only skip their part.
void RegisterUninstall(const ZString& installDir);
