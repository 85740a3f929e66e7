// The 95/98 family deletes files at the next start from the [rename] section of wininit.ini in
// the Windows directory: each line "NUL=<short path>" deletes that file. Several such lines are
// normal, and the profile functions would merge lines with the same key, so the text is edited
// directly.
#pragma once

namespace uninstall {

// Writes `text` with the line "NUL=<path>" added at the end of its first [rename] section, or
// with such a section appended, into `out`; the text is copied unchanged when the section holds
// that line already. Returns the new length, or -1 when `capacity` is too small. `out` is not
// NUL-terminated and must not overlap `text`.
long AddDeletionAtRestart(const char* text, unsigned long length, const char* path, char* out,
                          unsigned long capacity);

} // namespace uninstall
