// How a path is put together and handed to the system, written once for the installer and the
// uninstaller. Plain functions over char buffers: the payload programs have no C++ library.
#pragma once

// A directory as the system reports it may or may not end in a backslash; an empty one stays
// empty, so that a missing directory never turns a name into a path from the root.
inline bool NeedsPathSeparator(const char* directory, unsigned long length) {
  return length > 0 && directory[length - 1] != '\\';
}

// Unquoted, the system would take a path's first words as a program of their own.
inline bool NeedsQuotes(const char* path) {
  for (; *path != '\0'; ++path) {
    if (*path == ' ') return true;
  }
  return false;
}
