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
bool IsCopyOfThisProgram(const char* path) {
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  HANDLE files[2];
  files[0] = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  files[1] = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  bool same = files[0] != INVALID_HANDLE_VALUE && files[1] != INVALID_HANDLE_VALUE &&
              GetFileSize(files[0], nullptr) == GetFileSize(files[1], nullptr);
  while (same) {
    char blocks[2][4096];
    DWORD read[2] = {0, 0};
    same = ReadFile(files[0], blocks[0], sizeof blocks[0], &read[0], nullptr) &&
           ReadFile(files[1], blocks[1], sizeof blocks[1], &read[1], nullptr) && read[0] == read[1];
    if (!same || read[0] == 0) break;
    for (DWORD i = 0; i < read[0] && same; ++i) same = blocks[0][i] == blocks[1][i];
  }
  for (HANDLE file : files) {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  return same;
}

} // namespace

bool StartSelfRemoval(const char* ownPath) {
  char temporary[MAX_PATH], copy[MAX_PATH];
  DWORD length = GetTempPathA(MAX_PATH, temporary);
  if (length == 0 || length >= MAX_PATH) return false;
  if (GetTempFileNameA(temporary, "zmu", 0, copy) == 0) return false;
  if (!CopyFileA(ownPath, copy, FALSE)) {
    DeleteFileA(copy);
    return false;
  }

  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE, TRUE, 0)) {
    DeleteFileA(copy);
    return false;
  }
  char commandLine[3 * MAX_PATH];
  wsprintfA(commandLine, "\"%s\" /finish %lu %s", copy,
            static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(self)), ownPath);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  // The copy runs in the temporary folder so that it holds no handle on the installation's.
  bool started = CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr, temporary,
                                &startup, &process);
  CloseHandle(self);
  if (!started) {
    DeleteFileA(copy);
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

bool FinishSelfRemoval(unsigned long waitHandle, const char* uninstallerPath) {
  // Checked first, so that a misused switch ends at once, whatever the handle is.
  if (!IsCopyOfThisProgram(uninstallerPath)) return false;
  HANDLE parent = reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(waitHandle));
  // The uninstaller ends when the user has closed its last box, however long that takes.
  // Should the handle be unusable, the retries below still wait for the file to come free.
  if (WaitForSingleObject(parent, INFINITE) != WAIT_FAILED) CloseHandle(parent);

  // The system may hold an ended program's file for a moment longer.
  bool deleted = false;
  for (int attempt = 0; attempt < 50 && !deleted; ++attempt) {
    if (attempt > 0) Sleep(200);
    deleted = DeleteNow(uninstallerPath);
  }
  if (!deleted) DeleteAtRestart(uninstallerPath);
  char self[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length != 0 && length < MAX_PATH) DeleteAtRestart(self);
  return true;
}

} // namespace uninstall
