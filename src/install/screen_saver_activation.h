// Makes the installed screen saver the current user's active one, keeping the previous setting
// as a backup value.
#pragma once

#include "foundation/zstring.h"
#include "shared/product_names.h"

// screenSaverPath: the short path of the installed screen saver. Shows nothing and reports
// nothing; registry keys that cannot be opened or created only skip what needs them.
void ActivateScreenSaver(const ZString& screenSaverPath);
