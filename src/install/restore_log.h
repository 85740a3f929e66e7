// The restore log "zmsaveru.log" that the uninstaller leaves in the installation directory:
// registry string values and system.ini entries to put back before a new installation.
#pragma once

#include <cstddef>

#include "foundation/zstring.h"
#include "shared/product_names.h"

class FileReader;

// The log does not match its format: a short read, a length out of range, a wrong format byte.
class EFile {};

// Applies the log in installDir (which ends in a backslash) record by record, then deletes it.
// A missing or malformed log is not an error: whatever came before the fault stays applied.
void ReplayRestoreLog(const ZString& installDir);

// Reads exactly count bytes or throws EFile.
void ReadExact(void* destination, std::size_t count, FileReader& log);
// Reads a 32-bit length and that many bytes (1 to capacity - 1) into buffer, then a NUL.
// Throws EFile for a length out of range or a short read.
void ReadCounted(char* buffer, int capacity, FileReader& log);
