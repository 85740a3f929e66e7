// Self-removal. The uninstaller copies itself into the temporary folder and starts the copy
// with a handle to its own process (inherited) and its own path. The copy waits for that
// process to end, deletes the uninstaller and has itself deleted at the next restart.
//
// Why this way: it needs nothing but CreateProcess, inheritable handles and the restart
// deletion that exists on both families anyway, and it never deletes a file a process still
// runs from. The tricks that let a running image delete itself (a batch file racing the
// process, deleting the image's file through a closed module handle) work on one family only or
// depend on timing.
#include "uninstall/steps.h"

namespace uninstall {

namespace {

// The copy only ever deletes a file byte for byte equal to itself, so that its switch cannot
// be used to delete anything else.
bool IsCopyOfThisProgram(const char* self, const char* path) {
  HANDLE files[2];
  files[0] = sys::CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  files[1] = sys::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE &&
              sys::GetFileSize(files[0], nullptr) == sys::GetFileSize(files[1], nullptr);
  while (same) {
    char blocks[2][4096];
    DWORD read[2] = {0, 0};
    same = sys::ReadFile(files[0], blocks[0], sizeof blocks[0], &read[0], nullptr) &&
           sys::ReadFile(files[1], blocks[1], sizeof blocks[1], &read[1], nullptr) &&
           read[0] == read[1];
    if (!same || read[0] == 0) break;
    for (DWORD i = 0; i < read[0] && same; ++i) same = blocks[0][i] == blocks[1][i];
  }
  for (HANDLE file : files) {
    if (file != INVALID_HANDLE_VALUE) sys::CloseHandle(file);
  }
  return same;
}

} // namespace

bool StartSelfRemoval(const char* ownPath) {
  char temporary[MAX_PATH], copy[MAX_PATH];
  DWORD length = sys::GetTempPathA(MAX_PATH, temporary);
  if (length == 0 || length >= MAX_PATH) return false;
  if (sys::GetTempFileNameA(temporary, "zmu", 0, copy) == 0) return false;
  if (!sys::CopyFileA(ownPath, copy, FALSE)) {
    sys::DeleteFileA(copy);
    return false;
  }

  HANDLE self = nullptr;
  if (!sys::DuplicateHandle(sys::GetCurrentProcess(), sys::GetCurrentProcess(),
                            sys::GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0)) {
    sys::DeleteFileA(copy);
    return false;
  }
  char commandLine[3 * MAX_PATH];
  // The copy's path is quoted whether or not it holds a blank; the uninstaller's path is the
  // rest of the line.
  sys::wsprintfA(commandLine, "\"%s\" /finish %lu %s", copy,
                 static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(self)), ownPath);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  // The copy runs in the temporary folder so that it holds no handle on the installation's.
  bool started = sys::CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                     temporary, &startup, &process);
  sys::CloseHandle(self);
  if (!started) {
    sys::DeleteFileA(copy);
    return false;
  }
  sys::CloseHandle(process.hThread);
  sys::CloseHandle(process.hProcess);
  return true;
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
  if (!deleted) DeleteAtRestart(uninstallerPath, copy.nt);
  DeleteAtRestart(copy.uninstaller, copy.nt);
  return true;
}

} // namespace uninstall
