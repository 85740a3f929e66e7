// Makes the installed screen saver the current user's active one, keeping the previous setting
// as a backup value.
#pragma once

#include "foundation/product_names.h"
#include "foundation/zstring.h"

// screenSaverPath: the short path of the installed screen saver. Shows nothing and reports
// nothing; registry keys that cannot be opened or created only skip what needs them.
void ActivateScreenSaver(const ZString& screenSaverPath);
