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
  // Nor the platform's attributes: those set on a file or folder, once anything has set them.
  std::map<FileIdentity, DWORD> attributes;
  std::vector<std::string> restartOperations;
  UINT nextTempNumber = 1;
};

Files& State();

// True when an open with this access and sharing meets a handle that does not allow it.
bool SharingConflict(const FileIdentity& identity, DWORD access, DWORD share);
bool HeldWithoutDeleteSharing(const FileIdentity& identity);
// The attributes that a file or folder keeps; the others follow from what the entry is.
constexpr DWORD KeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
// The kept attributes of an entry: a file that nothing has set them for carries the archive bit,
// as every file made or written does.
DWORD KeptAttributesOf(const struct stat& info);
// As GetFileAttributesA reports them: folders with FILE_ATTRIBUTE_DIRECTORY, a file with none of
// the kept ones as FILE_ATTRIBUTE_NORMAL.
DWORD ReportedAttributes(const struct stat& info);
bool IsReadOnly(const struct stat& info);
void KeepAttributes(const FileIdentity& identity, DWORD attributes);
// Writing marks a file for the next backup.
void MarkWritten(const FileIdentity& identity);
// What the emulation kept for an entry that is gone, so that a new one under the same host
// identity starts afresh.
void ForgetEntry(const FileIdentity& identity);
DWORD ErrorFromHost(int error, const std::string& hostPath);
// The host file of a Windows path; false with the platform's error when the path is refused.
bool MapPath(LPCSTR path, std::string* hostPath, bool* trailingSeparator, DWORD* error);

} // namespace sys::host::detail::files
