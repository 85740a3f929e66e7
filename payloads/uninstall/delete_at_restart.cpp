#include "shared/path_text.h"
#include "uninstall/restart_list.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

// wininit.ini is a short list; anything bigger is not what we think it is.
constexpr DWORD MaxWininitSize = 256 * 1024;

bool WriteWholeFile(const char* path, const char* data, DWORD size) {
  HANDLE file = sys::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = sys::WriteFile(file, data, size, &written, nullptr) && written == size;
  return sys::CloseHandle(file) && ok;
}

bool Exists(const char* path) { return sys::GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// The paths of wininit.ini, of the new content written beside it (wininit.in$) and of the old
// content while the new one takes its place (wininit.in~).
struct WininitFiles {
  char wininit[MAX_PATH], staging[MAX_PATH], previous[MAX_PATH];
};

bool FindWininit(WininitFiles* files) {
  // Room for a separator and the name.
  UINT length = sys::GetWindowsDirectoryA(files->wininit, MAX_PATH - 16);
  if (length == 0 || length >= MAX_PATH - 16) return false;
  if (NeedsPathSeparator(files->wininit, length)) files->wininit[length++] = '\\';
  sys::lstrcpyA(files->wininit + length, "wininit.ini");
  sys::lstrcpyA(files->staging, files->wininit);
  sys::lstrcpyA(files->previous, files->wininit);
  files->staging[length + 10] = '$';
  files->previous[length + 10] = '~';
  return true;
}

// The 95/98 family has no call that replaces a file in one step. The old file is renamed aside
// first and deleted only once the new one is in place, so that no failure, and no run cut short
// between the renames (the next run puts things right here), costs the entries of others.
bool ReplaceWininit(const WininitFiles& files, bool hadOld) {
  if (hadOld && !sys::MoveFileA(files.wininit, files.previous)) return false;
  if (!sys::MoveFileA(files.staging, files.wininit)) {
    if (hadOld) sys::MoveFileA(files.previous, files.wininit);
    return false;
  }
  if (hadOld) sys::DeleteFileA(files.previous);
  return true;
}

// The old content goes back where the new one never arrived; beside a wininit.ini it is the
// content before a replacement that was complete.
void RecoverInterruptedReplacement(const WininitFiles& files) {
  if (!sys::MoveFileA(files.previous, files.wininit) && Exists(files.wininit)) {
    sys::DeleteFileA(files.previous);
  }
}

// The [rename] section of wininit.ini, edited as text. The new content is written beside the
// old file first, so a full disk cannot cost the entries other programs put there.
bool AddToWininit(const char* path) {
  char shortPath[MAX_PATH];
  DWORD length = sys::GetShortPathNameA(path, shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  WininitFiles files;
  if (!FindWininit(&files)) return false;

  // The 95/98 family may hold the file in its profile cache; write that out before reading.
  sys::WritePrivateProfileStringA(nullptr, nullptr, nullptr, files.wininit);

  DWORD size = 0;
  HANDLE file = sys::CreateFileA(files.wininit, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    size = sys::GetFileSize(file, nullptr);
    if (size > MaxWininitSize) {
      sys::CloseHandle(file);
      return false;
    }
  } else if (sys::GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }

  DWORD capacity = size * 2 + MAX_PATH + 32;
  HANDLE heap = sys::GetProcessHeap();
  char* buffer = static_cast<char*>(sys::HeapAlloc(heap, 0, capacity));
  bool ok = buffer != nullptr;
  DWORD read = 0;
  if (ok && file != INVALID_HANDLE_VALUE) {
    ok = sys::ReadFile(file, buffer, size, &read, nullptr) && read == size;
  }
  if (file != INVALID_HANDLE_VALUE) sys::CloseHandle(file);
  if (ok) {
    long newSize = AddDeletionAtRestart(buffer, size, shortPath, buffer + size, capacity - size);
    ok = newSize >= 0 &&
         WriteWholeFile(files.staging, buffer + size, static_cast<DWORD>(newSize)) &&
         ReplaceWininit(files, file != INVALID_HANDLE_VALUE);
    if (!ok) sys::DeleteFileA(files.staging);
  }
  if (buffer != nullptr) sys::HeapFree(heap, 0, buffer);
  return ok;
}

} // namespace

void RepairWininit() {
  WininitFiles files;
  if (FindWininit(&files)) RecoverInterruptedReplacement(files);
}

bool DeleteAtRestart(const char* path, bool nt) {
  if (nt) return sys::MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return AddToWininit(path);
}

bool DeleteNow(const char* path) {
  // A read-only file would refuse deletion now and at the restart alike.
  sys::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  if (sys::DeleteFileA(path)) return true;
  DWORD error = sys::GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// A deletion queued under the file's own name would also take the file that a later
// installation writes there before the restart. So the file in use goes aside, into a name of
// its own in the same folder, and that name is queued. Only the NT family renames a file in use:
// the 95/98 family queues nothing, and the user is asked to close what holds the file and to run
// the uninstaller again.
bool DeleteAsideAtRestart(const char* path, bool nt) {
  if (!nt) return false;
  // The restart would refuse a read-only file as the deletion now does: one that stays
  // read-only is not queued, so that no deletion is promised that cannot happen.
  sys::SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  const DWORD attributes = sys::GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return false;
  char folder[MAX_PATH], aside[MAX_PATH];
  sys::lstrcpyA(folder, path);
  int end = 0;
  for (int i = 0; folder[i] != '\0'; ++i) {
    if (folder[i] == '\\') end = i;
  }
  if (end == 0) return false;
  folder[end] = '\0';
  // The system makes the name unique with an empty file, which the renamed file replaces.
  if (sys::GetTempFileNameA(folder, "zms", 0, aside) == 0) return false;
  if (!sys::DeleteFileA(aside) || !sys::MoveFileA(path, aside)) return false;
  if (sys::MoveFileExA(aside, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  sys::MoveFileA(aside, path);
  return false;
}

Removal DeleteNowOrAtRestart(const char* path, bool nt) {
  if (DeleteNow(path)) return Removal::Done;
  return DeleteAsideAtRestart(path, nt) ? Removal::AtRestart : Removal::Failed;
}

} // namespace uninstall
