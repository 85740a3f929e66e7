// The files that the emulated machine holds open, and what the calls on files share: how a
// handle's access and sharing meet another's, the host's errors in the platform's words, and a
// Windows path's host file. Not for the engine or for tests.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "foundation/host/emulation.h"

namespace sys::host::detail::files {

struct FileIdentity {
  dev_t device;
  ino_t inode;
  bool operator<(const FileIdentity& other) const {
    return device != other.device ? device < other.device : inode < other.inode;
  }
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode;
  }
};

inline FileIdentity IdentityOf(const struct stat& info) {
  return FileIdentity{info.st_dev, info.st_ino};
}

struct OpenFile {
  int descriptor;
  FileIdentity identity;
  DWORD access;
  DWORD share;
};

struct Files {
  std::map<std::uintptr_t, OpenFile> handles;
  // The host keeps no creation time that can be set, so the emulation keeps its own.
  std::map<FileIdentity, FILETIME> creationTimes;
  std::vector<std::string> restartOperations;
  UINT nextTempNumber = 1;
};

Files& State();

// True when an open with this access and sharing meets a handle that does not allow it.
bool SharingConflict(const FileIdentity& identity, DWORD access, DWORD share);
bool HeldWithoutDeleteSharing(const FileIdentity& identity);
DWORD ErrorFromHost(int error, const std::string& hostPath);
// The host file of a Windows path; false with the platform's error when the path is refused.
bool MapPath(LPCSTR path, std::string* hostPath, bool* trailingSeparator, DWORD* error);

} // namespace sys::host::detail::files
