#include "foundation/path_text.h"

#include "foundation/platform.h"

bool JoinPath(const char* directory, const char* name, char* out, unsigned long capacity) {
  unsigned long length = static_cast<unsigned long>(sys::lstrlenA(directory));
  // Counts the separator even where none is needed: a byte of capacity is cheaper than code.
  if (length + 1 + static_cast<unsigned long>(sys::lstrlenA(name)) >= capacity) return false;
  sys::lstrcpyA(out, directory);
  if (NeedsPathSeparator(out, length)) out[length++] = '\\';
  sys::lstrcpyA(out + length, name);
  return true;
}
