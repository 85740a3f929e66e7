// Files held open on the emulated drives: handles with the platform's sharing rules, their
// contents and time stamps in the platform's units.
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

namespace host::detail::files {

namespace {

constexpr DWORD ErrorTooManyOpenFiles = 4;

bool Reads(DWORD access) { return (access & (GENERIC_READ | GENERIC_ALL)) != 0; }
bool Writes(DWORD access) { return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0; }

// An open collides with one already there when either side wants what the other does not share.
bool Collides(const OpenFile& held, DWORD access, DWORD share) {
  return (Writes(access) && !(held.share & FILE_SHARE_WRITE)) ||
         (Reads(access) && !(held.share & FILE_SHARE_READ)) ||
         (Writes(held.access) && !(share & FILE_SHARE_WRITE)) ||
         (Reads(held.access) && !(share & FILE_SHARE_READ));
}

} // namespace

Files& State() {
  static Files files;
  return files;
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

DWORD KeptAttributesOf(const struct stat& info) {
  auto kept = State().attributes.find(IdentityOf(info));
  if (kept != State().attributes.end()) return kept->second;
  return S_ISDIR(info.st_mode) ? 0 : FILE_ATTRIBUTE_ARCHIVE;
}

DWORD ReportedAttributes(const struct stat& info) {
  const DWORD kept = KeptAttributesOf(info);
  if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY | kept;
  return kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
}

bool IsReadOnly(const struct stat& info) {
  return (KeptAttributesOf(info) & FILE_ATTRIBUTE_READONLY) != 0;
}

void KeepAttributes(const FileIdentity& identity, DWORD attributes) {
  State().attributes[identity] = attributes & KeptAttributes;
}

void MarkWritten(const FileIdentity& identity) {
  auto kept = State().attributes.find(identity);
  if (kept != State().attributes.end()) kept->second |= FILE_ATTRIBUTE_ARCHIVE;
}

void ForgetEntry(const FileIdentity& identity) {
  State().creationTimes.erase(identity);
  State().attributes.erase(identity);
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

} // namespace host::detail::files

namespace {

using namespace host::detail::files;
using host::detail::SetError;
namespace store = host::detail::store;

OpenFile* FindHandle(HANDLE file) {
  auto found = State().handles.find(reinterpret_cast<std::uintptr_t>(file));
  return found == State().handles.end() ? nullptr : &found->second;
}

bool IsZero(const FILETIME* time) {
  return time == nullptr || (time->dwLowDateTime == 0 && time->dwHighDateTime == 0);
}

} // namespace

namespace host::detail {

void ResetFiles() {
  files::Files& files = files::State();
  for (auto& entry : files.handles) store::Close(entry.second.descriptor);
  files = files::Files{};
}

} // namespace host::detail

namespace host {

int OpenFileHandles() { return static_cast<int>(detail::files::State().handles.size()); }

} // namespace host

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  static_cast<void>(security);
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
  // A read-only file may be read, but neither written nor replaced.
  if (exists && IsReadOnly(info) &&
      (Writes(access) || disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING))
    return host::detail::FailWith(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
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
  // A file made or replaced carries the attributes asked for, and is marked for the next backup.
  const DWORD asked = flagsAndAttributes & KeptAttributes;
  if (!exists) {
    State().creationTimes[identity] = host::detail::CurrentFileTime();
    KeepAttributes(identity, asked | FILE_ATTRIBUTE_ARCHIVE);
    host::detail::NoteCreatedEntry(hostPath);
  } else if (disposition == CREATE_ALWAYS) {
    KeepAttributes(identity, KeptAttributesOf(info) | asked | FILE_ATTRIBUTE_ARCHIVE);
  } else if (truncate) {
    MarkWritten(identity);
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
  if (done > 0) MarkWritten(open->identity);
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

} // namespace sys
