#pragma once

#include "foundation/platform.h"

// Deletes the key at path below parent with everything below it, depth first, since the NT
// family deletes only keys without subkeys. A subkey that cannot go stays and the walk goes on
// with the rest. Returns the status of the last step, the deletion of the key itself:
// ERROR_SUCCESS only when the whole tree is gone, ERROR_FILE_NOT_FOUND when it was missing.
// Plain calls over char buffers, so that the installer and the uninstaller, which has no C++
// library, share it.
LONG DeleteRegistryTree(HKEY parent, const char* path);
