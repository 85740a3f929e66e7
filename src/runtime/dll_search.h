// Where the system may look for DLLs that are loaded later by bare name.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace runtime {

// Keeps DLLs loaded by bare name (by the system's own code, or by a library the program loads)
// to the system folder, where the system allows it: a downloaded program runs from a folder
// that others can write to. Called by the programs' entries before anything else.
void RestrictDllSearch();

// The same with the calls that the module exports, which RestrictDllSearch takes from kernel32;
// nothing for a null module. Apart so that a test can offer each set of calls a system may have.
void RestrictDllSearchWith(HMODULE kernel);

} // namespace runtime
