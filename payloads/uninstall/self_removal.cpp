// Self-removal. The uninstaller copies itself into a new folder of its own in the temporary
// folder and starts the copy with a handle to its own process (inherited) and its own path. The
// copy waits for that process to end, deletes the uninstaller and has itself and its folder
// deleted at the next restart.
//
// Why this way: it needs nothing but CreateProcess, inheritable handles and the restart
// deletion that exists on both families anyway, and it never deletes a file a process still
// runs from. The tricks that let a running image delete itself (a batch file racing the
// process, deleting the image's file through a closed module handle) work on one family only or
// depend on timing.
//
// The temporary folder is writable by every program of the user, which on Vista and later
// includes programs without administrator rights, while the copy runs with the uninstaller's.
// So the copy's folder is made new (a name that exists already fails), and the copy is held
// open, sharing nothing but reading, from before it is checked until it has started: nobody can
// write, rename or delete it meanwhile, nor rename the folder that holds it, and whatever was
// done to it before it was held shows in the check.
#include "shared/ascii_case.h"
#include "shared/product_names.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

bool SameContents(HANDLE first, HANDLE second) {
  bool same = sys::GetFileSize(first, nullptr) == sys::GetFileSize(second, nullptr);
  while (same) {
    char blocks[2][4096];
    DWORD read[2] = {0, 0};
    same = sys::ReadFile(first, blocks[0], sizeof blocks[0], &read[0], nullptr) &&
           sys::ReadFile(second, blocks[1], sizeof blocks[1], &read[1], nullptr) &&
           read[0] == read[1];
    if (!same || read[0] == 0) break;
    for (DWORD i = 0; i < read[0] && same; ++i) same = blocks[0][i] == blocks[1][i];
  }
  return same;
}

HANDLE OpenToRead(const char* path) {
  return sys::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
}

// The copy only ever deletes a file byte for byte equal to itself, so that its switch cannot
// be used to delete anything else; and the uninstaller starts only a copy that is, byte for
// byte, itself.
bool IsCopyOfThisProgram(const char* self, HANDLE candidate) {
  HANDLE own = OpenToRead(self);
  if (own == INVALID_HANDLE_VALUE) return false;
  bool same = SameContents(own, candidate);
  sys::CloseHandle(own);
  return same;
}

bool IsCopyOfThisProgram(const char* self, const char* path) {
  HANDLE candidate = OpenToRead(path);
  if (candidate == INVALID_HANDLE_VALUE) return false;
  bool same = IsCopyOfThisProgram(self, candidate);
  sys::CloseHandle(candidate);
  return same;
}

// The position of the last backslash, or -1.
int LastSeparator(const char* path) {
  int last = -1;
  for (int i = 0; path[i] != '\0'; ++i) {
    if (path[i] == '\\') last = i;
  }
  return last;
}

// A folder that did not exist before, under a name no file in the temporary folder has: the
// system makes the name unique with an empty file, which the folder replaces. Should someone
// take the name in between, making the folder fails.
bool MakeOwnFolder(const char* temporary, char* folder) {
  if (sys::GetTempFileNameA(temporary, "zmu", 0, folder) == 0) return false;
  if (!sys::DeleteFileA(folder) && sys::GetLastError() != ERROR_FILE_NOT_FOUND) return false;
  return sys::CreateDirectoryA(folder, nullptr) != FALSE;
}

void RemoveCopy(const char* copy, const char* folder) {
  sys::DeleteFileA(copy);
  sys::RemoveDirectoryA(folder);
}

// The copy's folder, when this program is such a copy: a folder directly in the temporary
// folder. Empty otherwise, so that a copy run from anywhere else never removes its folder.
void FindOwnFolder(const char* self, char* folder) {
  folder[0] = '\0';
  char temporary[MAX_PATH];
  DWORD length = sys::GetTempPathA(MAX_PATH, temporary);
  if (length == 0 || length >= MAX_PATH) return;
  const int end = LastSeparator(self);
  if (end <= static_cast<int>(length) || !EqualsNoCase(self, length, temporary)) return;
  for (int i = static_cast<int>(length); i < end; ++i) {
    if (self[i] == '\\') return;
  }
  sys::lstrcpyA(folder, self);
  folder[end] = '\0';
}

} // namespace

bool StartSelfRemoval(const char* ownPath) {
  char temporary[MAX_PATH], folder[MAX_PATH], copy[MAX_PATH];
  DWORD length = sys::GetTempPathA(MAX_PATH, temporary);
  if (length == 0 || length >= MAX_PATH) return false;
  if (!MakeOwnFolder(temporary, folder)) return false;
  if (sys::lstrlenA(folder) + 1 + static_cast<int>(sizeof UninstallerFileName) > MAX_PATH) {
    sys::RemoveDirectoryA(folder);
    return false;
  }
  sys::wsprintfA(copy, "%s\\%s", folder, UninstallerFileName);
  if (!sys::CopyFileA(ownPath, copy, TRUE)) {
    RemoveCopy(copy, folder);
    return false;
  }
  // A copy takes its original's attributes; a read-only copy could be deleted neither here nor
  // at the restart.
  sys::SetFileAttributesA(copy, FILE_ATTRIBUTE_NORMAL);
  HANDLE held =
      sys::CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) {
    RemoveCopy(copy, folder);
    return false;
  }
  HANDLE self = nullptr;
  bool started = IsCopyOfThisProgram(ownPath, held) &&
                 sys::DuplicateHandle(sys::GetCurrentProcess(), sys::GetCurrentProcess(),
                                      sys::GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);
  if (started) {
    char commandLine[3 * MAX_PATH];
    // The copy's path is quoted whether or not it holds a blank; the uninstaller's path is the
    // rest of the line.
    sys::wsprintfA(commandLine, "\"%s\" /finish %lu %s", copy,
                   static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)), ownPath);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    // The copy runs in the temporary folder so that it holds no handle on the installation's.
    started = sys::CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr, temporary,
                                  &startup, &process);
    sys::CloseHandle(self);
    if (started) {
      sys::CloseHandle(process.hThread);
      sys::CloseHandle(process.hProcess);
    }
  }
  sys::CloseHandle(held);
  if (!started) RemoveCopy(copy, folder);
  return started;
}

bool FinishSelfRemoval(unsigned long waitHandle, const char* uninstallerPath) {
  // This program, as the uninstaller finds itself, and the family for the restart deletions.
  // Checked first, so that a misused switch ends at once, whatever the handle is.
  Installation copy;
  if (!FindInstallation(&copy) || !IsCopyOfThisProgram(copy.uninstaller, uninstallerPath)) {
    return false;
  }
  HANDLE parent = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(waitHandle));
  // The uninstaller ends when the user has closed its last box, however long that takes.
  // Should the handle be unusable, the retries below still wait for the file to come free.
  if (sys::WaitForSingleObject(parent, INFINITE) != WAIT_FAILED) sys::CloseHandle(parent);

  // The system may hold an ended program's file for a moment longer.
  bool deleted = false;
  for (int attempt = 0; attempt < 50 && !deleted; ++attempt) {
    if (attempt > 0) sys::Sleep(200);
    deleted = DeleteNow(uninstallerPath);
  }
  if (!deleted) DeleteAsideAtRestart(uninstallerPath, copy.nt);
  DeleteAtRestart(copy.uninstaller, copy.nt);
  // The NT family removes a folder at the restart when it is empty by then, after the files
  // listed before it. wininit.ini of the 95/98 family is not known to remove folders: there the
  // empty folder stays.
  char folder[MAX_PATH];
  if (copy.nt) FindOwnFolder(copy.uninstaller, folder);
  if (copy.nt && folder[0] != '\0') DeleteAtRestart(folder, true);
  return true;
}

} // namespace uninstall
