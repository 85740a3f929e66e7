// The emulated drives: every drive letter is a folder under one sandbox folder of the host, made
// afresh by each reset. Windows paths are taken apart here and matched against the host's files
// without regard to case, as Windows matches file names.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"

namespace sys::host::detail {

struct WindowsPath {
  char drive = 'C';                    // upper case
  std::vector<std::string> components; // "." and ".." already applied
  bool trailingSeparator = false;
};

// False, with the error the platform reports, for a path it refuses (empty, too long, a network
// path, a name with characters that files cannot have). A path without a drive letter is taken
// from the root of drive C, the emulated current directory.
bool ParseWindowsPath(const char* text, WindowsPath* path, DWORD* error);

// The host path of a Windows path: each component that exists in some letter case is spelled as
// it exists; the rest as given.
std::string ToHostPath(const WindowsPath& path);
std::string ToHostPath(const WindowsPath& path, std::size_t componentCount);

// The error for a host path that does not exist: the file is missing, or already a folder on
// the way to it is.
DWORD MissingPathError(const std::string& hostPath);

// Makes the folder and every folder above it; failures are ignored.
void MakeHostDirectories(const std::string& windowsPath);

} // namespace sys::host::detail
