#pragma once

// True only when the version query succeeds and reports the NT family; a failed query counts
// as the 95/98 family. Asks the platform afresh every time.
bool IsWindowsNT();

// For a caller that must not guess: false when the version query fails, *nt untouched.
bool QueryWindowsNT(bool* nt);
