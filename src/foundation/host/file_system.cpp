// The file system of the emulated drives: files and folders by their paths, their attributes,
// copies and renames, and what waits for the next start.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/host/drive_store.h"
#include "foundation/host/file_time.h"
#include "foundation/host/open_files.h"
#include "foundation/host/sandbox.h"
#include "foundation/host/short_names.h"
#include "foundation/platform_hooks.h"
#include "shared/path_text.h"

namespace sys {
namespace {

using namespace host::detail::files;
using host::detail::SetError;
namespace store = host::detail::store;

} // namespace

namespace host::detail {

bool IsExistingFile(LPCSTR path) {
  std::string hostPath;
  bool trailingSeparator = false;
  DWORD error = 0;
  struct stat info;
  return MapPath(path, &hostPath, &trailingSeparator, &error) && !trailingSeparator &&
         store::Stat(hostPath, &info) == 0 && S_ISREG(info.st_mode);
}

bool IsExistingDirectory(LPCSTR path, DWORD* error) {
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, error)) return false;
  struct stat info;
  if (store::Stat(hostPath, &info) != 0) {
    *error = ErrorFromHost(errno, hostPath);
    return false;
  }
  if (!S_ISDIR(info.st_mode)) {
    *error = ERROR_DIRECTORY;
    return false;
  }
  return true;
}

} // namespace host::detail

namespace host {

std::vector<std::string> RestartOperations() { return detail::files::State().restartOperations; }

} // namespace host

BOOL DeleteFileA(LPCSTR path) {
  DWORD error = 0;
  ZM_TRACED(DeleteFileA, path);
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  struct stat info;
  if (store::Stat(hostPath, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  if (S_ISDIR(info.st_mode)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (trailingSeparator) return host::detail::FailWith(ERROR_INVALID_NAME, FALSE);
  if (IsReadOnly(info)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (HeldWithoutDeleteSharing(IdentityOf(info)))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (store::Unlink(hostPath) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  ForgetEntry(IdentityOf(info));
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR path) {
  DWORD error = 0;
  ZM_TRACED(GetFileAttributesA, path);
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, &error))
    return host::detail::FailWith(error, INVALID_FILE_ATTRIBUTES);
  struct stat info;
  if (store::Stat(hostPath, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), INVALID_FILE_ATTRIBUTES);
  if (trailingSeparator && !S_ISDIR(info.st_mode))
    return host::detail::FailWith(ERROR_INVALID_NAME, INVALID_FILE_ATTRIBUTES);
  return ReportedAttributes(info);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  static_cast<void>(security);
  DWORD error = 0;
  ZM_TRACED(CreateDirectoryA, path, security);
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  struct stat info;
  if (store::Stat(hostPath, &info) == 0) return host::detail::FailWith(ERROR_ALREADY_EXISTS, FALSE);
  if (store::Mkdir(hostPath, 0777) != 0)
    return host::detail::FailWith(
        errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorFromHost(errno, hostPath), FALSE);
  host::detail::NoteCreatedEntry(hostPath);
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR path) {
  DWORD error = 0;
  ZM_TRACED(RemoveDirectoryA, path);
  host::detail::WindowsPath parsed;
  if (!host::detail::ParseWindowsPath(path, &parsed, &error))
    return host::detail::FailWith(error, FALSE);
  if (parsed.components.empty())
    return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE); // a drive's root
  std::string hostPath = host::detail::ToHostPath(parsed);
  struct stat info;
  if (store::Stat(hostPath, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  if (!S_ISDIR(info.st_mode)) return host::detail::FailWith(ERROR_DIRECTORY, FALSE);
  if (store::Rmdir(hostPath) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  ForgetEntry(IdentityOf(info));
  return TRUE;
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  DWORD error = 0;
  ZM_TRACED(SetFileAttributesA, path, attributes);
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  struct stat info;
  if (store::Stat(hostPath, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  if (trailingSeparator && !S_ISDIR(info.st_mode))
    return host::detail::FailWith(ERROR_INVALID_NAME, FALSE);
  // FILE_ATTRIBUTE_NORMAL, like every bit that is not kept, sets nothing: it clears the others.
  KeepAttributes(IdentityOf(info), attributes);
  return TRUE;
}

BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists) {
  DWORD error = 0;
  ZM_TRACED(CopyFileA, existingPath, newPath, failIfExists);
  std::string from, to;
  bool trailingSeparator = false;
  if (!MapPath(existingPath, &from, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  if (!MapPath(newPath, &to, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  struct stat info;
  if (store::Stat(from, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, from), FALSE);
  if (S_ISDIR(info.st_mode)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (SharingConflict(IdentityOf(info), GENERIC_READ, FILE_SHARE_READ))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, FALSE);
  struct stat target;
  bool exists = store::Stat(to, &target) == 0;
  if (exists && failIfExists) return host::detail::FailWith(ERROR_FILE_EXISTS, FALSE);
  if (exists && S_ISDIR(target.st_mode)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  // A copy onto itself would empty the file before reading it: refused, each family its way.
  if (exists && IdentityOf(target) == IdentityOf(info))
    return host::detail::FailWith(host::detail::CurrentFamily() == host::Family::Win9x
                                      ? ERROR_FILE_EXISTS
                                      : ERROR_SHARING_VIOLATION,
                                  FALSE);
  if (exists && IsReadOnly(target)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  if (exists && SharingConflict(IdentityOf(target), GENERIC_WRITE, 0))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, FALSE);
  int input = store::Open(from, O_RDONLY | O_CLOEXEC);
  if (input < 0) return host::detail::FailWith(ErrorFromHost(errno, from), FALSE);
  int output = store::Open(to, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (output < 0) {
    store::Close(input);
    return host::detail::FailWith(ErrorFromHost(errno, to), FALSE);
  }
  char block[4096];
  bool ok = true;
  for (;;) {
    ssize_t got = store::Read(input, block, sizeof block);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    if (store::Write(output, block, static_cast<std::size_t>(got)) != got) {
      ok = false;
      break;
    }
  }
  // The copy keeps the source's attributes and last change, and is marked for the next backup.
  const timespec times[2] = {{0, UTIME_OMIT}, info.st_mtim};
  if (ok) ok = store::Futimens(output, times) == 0;
  struct stat copied;
  if (store::Fstat(output, &copied) == 0) {
    if (!exists) State().creationTimes[IdentityOf(copied)] = host::detail::CurrentFileTime();
    KeepAttributes(IdentityOf(copied), KeptAttributesOf(info) | FILE_ATTRIBUTE_ARCHIVE);
  }
  store::Close(input);
  store::Close(output);
  if (!exists) host::detail::NoteCreatedEntry(to);
  return ok ? TRUE : host::detail::FailWith(ERROR_DISK_FULL, FALSE);
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
  DWORD error = 0;
  ZM_TRACED(MoveFileA, existingPath, newPath);
  std::string from, to;
  bool trailingSeparator = false;
  if (!MapPath(existingPath, &from, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  if (!MapPath(newPath, &to, &trailingSeparator, &error))
    return host::detail::FailWith(error, FALSE);
  struct stat info;
  if (store::Stat(from, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, from), FALSE);
  struct stat target;
  if (store::Stat(to, &target) == 0) return host::detail::FailWith(ERROR_ALREADY_EXISTS, FALSE);
  if (HeldWithoutDeleteSharing(IdentityOf(info)))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (store::Rename(from, to) != 0) return host::detail::FailWith(ErrorFromHost(errno, to), FALSE);
  host::detail::NoteCreatedEntry(to);
  return TRUE;
}

BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
  ZM_TRACED(MoveFileExA, existingPath, newPath, flags);
  // The 95/98 family has the function only as a stub.
  if (host::detail::CurrentFamily() == host::Family::Win9x)
    return host::detail::FailWith(ERROR_CALL_NOT_IMPLEMENTED, FALSE);
  if (existingPath == nullptr) return host::detail::FailWith(ERROR_INVALID_PARAMETER, FALSE);
  if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
    State().restartOperations.push_back(newPath ? calls::Text(existingPath) + "|" + newPath
                                                : calls::Text(existingPath));
    return TRUE;
  }
  if (newPath == nullptr) return host::detail::FailWith(ERROR_INVALID_PARAMETER, FALSE);
  return MoveFileA(existingPath, newPath);
}

} // namespace sys
