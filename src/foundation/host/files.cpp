// Files on the emulated drives: handles with the platform's sharing rules, time stamps in its
// units and folders, all on the host files of the sandbox.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "foundation/host/drive_store.h"
#include "foundation/host/emulation.h"
#include "foundation/host/file_time.h"
#include "foundation/host/sandbox.h"
#include "foundation/host/short_names.h"
#include "foundation/path_text.h"
#include "foundation/platform_hooks.h"

namespace sys {
namespace {

using host::detail::Fails;
using host::detail::SetError;
namespace store = host::detail::store;

constexpr DWORD ErrorTooManyOpenFiles = 4;

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

FileIdentity IdentityOf(const struct stat& info) { return FileIdentity{info.st_dev, info.st_ino}; }

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

Files& State() {
  static Files files;
  return files;
}

bool Reads(DWORD access) { return (access & (GENERIC_READ | GENERIC_ALL)) != 0; }
bool Writes(DWORD access) { return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0; }

// An open collides with one already there when either side wants what the other does not share.
bool Collides(const OpenFile& held, DWORD access, DWORD share) {
  return (Writes(access) && !(held.share & FILE_SHARE_WRITE)) ||
         (Reads(access) && !(held.share & FILE_SHARE_READ)) ||
         (Writes(held.access) && !(share & FILE_SHARE_WRITE)) ||
         (Reads(held.access) && !(share & FILE_SHARE_READ));
}

bool SharingConflict(const FileIdentity& identity, DWORD access, DWORD share) {
  for (const auto& entry : State().handles)
    if (entry.second.identity == identity && Collides(entry.second, access, share)) return true;
  return false;
}

bool HeldWithoutDeleteSharing(const FileIdentity& identity) {
  for (const auto& entry : State().handles)
    if (entry.second.identity == identity && !(entry.second.share & FILE_SHARE_DELETE)) return true;
  return false;
}

DWORD ErrorFromHost(int error, const std::string& hostPath) {
  switch (error) {
  case ENOENT:
    return host::detail::MissingPathError(hostPath);
  case ENOTDIR:
    return ERROR_PATH_NOT_FOUND;
  case EEXIST:
    return ERROR_FILE_EXISTS;
  case ENOSPC:
  case EDQUOT:
    return ERROR_DISK_FULL;
  case EMFILE:
  case ENFILE:
    return ErrorTooManyOpenFiles;
  case ENOTEMPTY:
    return ERROR_DIR_NOT_EMPTY;
  case EINVAL:
    return ERROR_INVALID_PARAMETER;
  case ENAMETOOLONG:
    return ERROR_FILENAME_EXCED_RANGE;
  default:
    return ERROR_ACCESS_DENIED;
  }
}

// The host file of a Windows path; false with the platform's error when the path is refused.
bool MapPath(LPCSTR path, std::string* hostPath, bool* trailingSeparator, DWORD* error) {
  host::detail::WindowsPath parsed;
  if (!host::detail::ParseWindowsPath(path, &parsed, error)) return false;
  *hostPath = host::detail::ToHostPath(parsed);
  *trailingSeparator = parsed.trailingSeparator && !parsed.components.empty();
  return true;
}

OpenFile* FindHandle(HANDLE file) {
  auto found = State().handles.find(reinterpret_cast<std::uintptr_t>(file));
  return found == State().handles.end() ? nullptr : &found->second;
}

bool IsZero(const FILETIME* time) {
  return time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0);
}

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

void ResetFiles() {
  Files& files = State();
  for (auto& entry : files.handles) store::Close(entry.second.descriptor);
  files = Files{};
}

} // namespace host::detail

namespace host {

int OpenFileHandles() { return static_cast<int>(State().handles.size()); }

std::vector<std::string> RestartOperations() { return State().restartOperations; }

} // namespace host

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  static_cast<void>(security);
  static_cast<void>(flagsAndAttributes);
  static_cast<void>(templateFile);
  DWORD error = 0;
  ZM_TRACED(CreateFileA, path, access, shareMode, security, disposition, flagsAndAttributes,
            templateFile);
  std::string hostPath;
  bool trailingSeparator = false;
  if (!MapPath(path, &hostPath, &trailingSeparator, &error))
    return host::detail::FailWith(error, INVALID_HANDLE_VALUE);
  if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
      (disposition == TRUNCATE_EXISTING && !Writes(access)))
    return host::detail::FailWith(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  struct stat info;
  bool exists = store::Stat(hostPath, &info) == 0;
  if (exists && S_ISDIR(info.st_mode))
    return host::detail::FailWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  if (trailingSeparator) return host::detail::FailWith(ERROR_INVALID_NAME, INVALID_HANDLE_VALUE);
  if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING))
    return host::detail::FailWith(host::detail::MissingPathError(hostPath), INVALID_HANDLE_VALUE);
  if (exists && disposition == CREATE_NEW)
    return host::detail::FailWith(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
  // Sharing is settled before anything happens to the file: a refused open truncates nothing.
  if (exists && SharingConflict(IdentityOf(info), access, shareMode))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);

  bool truncate = exists && (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING);
  int flags = (Writes(access) || truncate ? O_RDWR : O_RDONLY) | O_CLOEXEC;
  if (truncate) flags |= O_TRUNC;
  if (!exists) flags |= O_CREAT | O_EXCL;
  int descriptor = store::Open(hostPath, flags, 0666);
  if (descriptor < 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), INVALID_HANDLE_VALUE);
  store::Fstat(descriptor, &info);
  FileIdentity identity = IdentityOf(info);
  if (!exists) {
    State().creationTimes[identity] = host::detail::CurrentFileTime();
    host::detail::NoteCreatedEntry(hostPath);
  }

  std::uintptr_t value = host::detail::NextHandleValue();
  State().handles[value] = OpenFile{descriptor, identity, access, shareMode};
  if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
    SetError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return reinterpret_cast<HANDLE>(value);
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
  static_cast<void>(overlapped);
  if (written) *written = 0;
  ZM_TRACED(WriteFile, file, data, count, written, overlapped);
  count = sys::hooks::AllowedWriteCount(count);
  OpenFile* open = FindHandle(file);
  if (!open) return host::detail::FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!Writes(open->access)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  const char* bytes = static_cast<const char*>(data);
  DWORD done = 0;
  while (done < count) {
    ssize_t step = store::Write(open->descriptor, bytes + done, count - done);
    if (step < 0 && errno == EINTR) continue;
    if (step <= 0) {
      if (written) *written = done;
      return host::detail::FailWith(step < 0 ? ErrorFromHost(errno, "") : ERROR_DISK_FULL, FALSE);
    }
    done += static_cast<DWORD>(step);
  }
  if (written) *written = done;
  return TRUE;
}

BOOL ReadFile(HANDLE file, LPVOID data, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  static_cast<void>(overlapped);
  if (read) *read = 0;
  ZM_TRACED(ReadFile, file, data, count, read, overlapped);
  OpenFile* open = FindHandle(file);
  if (!open) return host::detail::FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!Reads(open->access)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  char* bytes = static_cast<char*>(data);
  DWORD done = 0;
  while (done < count) {
    ssize_t step = store::Read(open->descriptor, bytes + done, count - done);
    if (step < 0 && errno == EINTR) continue;
    if (step < 0) {
      if (read) *read = done;
      return host::detail::FailWith(ErrorFromHost(errno, ""), FALSE);
    }
    if (step == 0) break; // the end of the file is a successful read of fewer bytes
    done += static_cast<DWORD>(step);
  }
  if (read) *read = done;
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  ZM_TRACED(GetFileSize, file, sizeHigh);
  OpenFile* open = FindHandle(file);
  if (!open) return host::detail::FailWith(ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  struct stat info;
  if (store::Fstat(open->descriptor, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, ""), INVALID_FILE_SIZE);
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  auto low = static_cast<DWORD>(size);
  // A size whose low part looks like the failure value is told apart by the last error.
  if (low == INVALID_FILE_SIZE) SetError(ERROR_SUCCESS);
  return low;
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  ZM_TRACED(GetFileTime, file, creation, lastAccess, lastWrite);
  OpenFile* open = FindHandle(file);
  if (!open) return host::detail::FailWith(ERROR_INVALID_HANDLE, FALSE);
  struct stat info;
  if (store::Fstat(open->descriptor, &info) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, ""), FALSE);
  if (lastWrite) *lastWrite = host::detail::FileTimeFromHost(info.st_mtim);
  if (lastAccess) *lastAccess = host::detail::FileTimeFromHost(info.st_atim);
  if (creation) {
    auto kept = State().creationTimes.find(open->identity);
    *creation = kept != State().creationTimes.end() ? kept->second
                                                    : host::detail::FileTimeFromHost(info.st_mtim);
  }
  return TRUE;
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  ZM_TRACED(SetFileTime, file, creation, lastAccess, lastWrite);
  OpenFile* open = FindHandle(file);
  if (!open) return host::detail::FailWith(ERROR_INVALID_HANDLE, FALSE);
  if (!Writes(open->access)) return host::detail::FailWith(ERROR_ACCESS_DENIED, FALSE);
  // A missing time, or one of zero, leaves that time as it is.
  timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_nsec = UTIME_OMIT;
  if (!IsZero(lastAccess)) times[0] = host::detail::HostTimeFromFileTime(*lastAccess);
  if (!IsZero(lastWrite)) times[1] = host::detail::HostTimeFromFileTime(*lastWrite);
  if (store::Futimens(open->descriptor, times) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, ""), FALSE);
  if (!IsZero(creation)) State().creationTimes[open->identity] = *creation;
  return TRUE;
}

BOOL CloseHandle(HANDLE object) {
  ZM_TRACED(CloseHandle, object);
  auto found = State().handles.find(reinterpret_cast<std::uintptr_t>(object));
  if (found == State().handles.end()) {
    if (host::detail::CloseProcessHandle(object)) return TRUE;
    return host::detail::FailWith(ERROR_INVALID_HANDLE, FALSE);
  }
  store::Close(found->second.descriptor);
  State().handles.erase(found);
  return TRUE;
}

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
  if (HeldWithoutDeleteSharing(IdentityOf(info)))
    return host::detail::FailWith(ERROR_SHARING_VIOLATION, FALSE);
  if (store::Unlink(hostPath) != 0)
    return host::detail::FailWith(ErrorFromHost(errno, hostPath), FALSE);
  State().creationTimes.erase(IdentityOf(info));
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
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
  if (trailingSeparator) return host::detail::FailWith(ERROR_INVALID_NAME, INVALID_FILE_ATTRIBUTES);
  return FILE_ATTRIBUTE_ARCHIVE; // what a file written since the last backup carries
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
  return TRUE;
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  static_cast<void>(attributes); // the emulated files carry no attributes of their own
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

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  ZM_TRACED(GetTempPathA, size, buffer);
  std::string directory;
  if (!host::detail::WindowsDirectory(&directory) || directory.empty()) directory = "C:";
  if (NeedsPathSeparator(directory.c_str(), directory.size())) directory += '\\';
  directory += "TEMP\\";
  host::detail::MakeHostDirectories(directory);
  // Too small: the size it would need, NUL included.
  if (buffer == nullptr || size <= directory.size())
    return static_cast<DWORD>(directory.size() + 1);
  std::memcpy(buffer, directory.c_str(), directory.size() + 1);
  return static_cast<DWORD>(directory.size());
}

UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  DWORD error = 0;
  ZM_TRACED(GetTempFileNameA, directory, prefix, unique, tempFileName);
  if (directory == nullptr || prefix == nullptr || tempFileName == nullptr)
    return host::detail::FailWith(ERROR_INVALID_PARAMETER, 0u);
  std::string base = directory;
  if (NeedsPathSeparator(base.c_str(), base.size())) base += '\\';
  base += std::string(prefix).substr(0, 3);
  for (;;) {
    UINT number = unique != 0 ? unique : State().nextTempNumber++;
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X.TMP", number & 0xFFFF);
    std::string path = base + hex;
    if (path.size() >= MAX_PATH) return host::detail::FailWith(ERROR_BUFFER_OVERFLOW, 0u);
    std::string hostPath;
    bool trailingSeparator = false;
    if (!MapPath(path.c_str(), &hostPath, &trailingSeparator, &error))
      return host::detail::FailWith(error, 0u);
    // With a number given, the name is only made up, not created.
    if (unique == 0) {
      int descriptor = store::Open(hostPath, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (descriptor < 0 && errno == EEXIST) continue;
      if (descriptor < 0)
        return host::detail::FailWith(
            errno == ENOENT ? ERROR_DIRECTORY : ErrorFromHost(errno, hostPath), 0u);
      store::Close(descriptor);
      host::detail::NoteCreatedEntry(hostPath);
    }
    std::memcpy(tempFileName, path.c_str(), path.size() + 1);
    return number;
  }
}

} // namespace sys
