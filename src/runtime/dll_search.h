// Where the system may look for DLLs that are loaded later by bare name.
#pragma once

namespace runtime {

// Keeps DLLs loaded by bare name (by the system's own code, or by a library the program loads)
// to the system folder, where the system allows it: a downloaded program runs from a folder
// that others can write to. Called by the programs' entries before anything else.
void RestrictDllSearch();

} // namespace runtime
