#include "uninstall/restart_list.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

// wininit.ini is a short list; anything bigger is not what we think it is.
constexpr DWORD MaxWininitSize = 256 * 1024;

bool WriteWholeFile(const char* path, const char* data, DWORD size) {
  HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
  return CloseHandle(file) && ok;
}

// The [rename] section of wininit.ini, edited as text. The new content is written beside the
// old file first, so a full disk cannot cost the entries other programs put there.
bool AddToWininit(const char* path) {
  char shortPath[MAX_PATH], wininit[MAX_PATH], staging[MAX_PATH];
  DWORD length = GetShortPathNameA(path, shortPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  UINT directory = GetWindowsDirectoryA(wininit, MAX_PATH - 16);
  if (directory == 0 || directory >= MAX_PATH - 16) return false;
  if (wininit[directory - 1] != '\\') lstrcatA(wininit, "\\");
  lstrcpyA(staging, wininit);
  lstrcatA(wininit, "wininit.ini");
  lstrcatA(staging, "wininit.zm$");

  // The 95/98 family may hold the file in its profile cache; write that out before reading.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, wininit);

  DWORD size = 0;
  HANDLE file = CreateFileA(wininit, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    size = GetFileSize(file, nullptr);
    if (size > MaxWininitSize) {
      CloseHandle(file);
      return false;
    }
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    return false;
  }

  DWORD capacity = size * 2 + MAX_PATH + 32;
  HANDLE heap = GetProcessHeap();
  char* buffer = static_cast<char*>(HeapAlloc(heap, 0, capacity));
  bool ok = buffer != nullptr;
  DWORD read = 0;
  if (ok && file != INVALID_HANDLE_VALUE) {
    ok = ReadFile(file, buffer, size, &read, nullptr) && read == size;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (ok) {
    long newSize = AddDeletionAtRestart(buffer, size, shortPath, buffer + size, capacity - size);
    ok = newSize >= 0 && WriteWholeFile(staging, buffer + size, static_cast<DWORD>(newSize));
    if (ok) {
      DeleteFileA(wininit);
      ok = MoveFileA(staging, wininit);
    }
    if (!ok) DeleteFileA(staging);
  }
  if (buffer != nullptr) HeapFree(heap, 0, buffer);
  return ok;
}

} // namespace

bool DeleteAtRestart(const char* path) {
  if (IsNtFamily()) return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return AddToWininit(path);
}

bool DeleteNow(const char* path) {
  // A read-only file would refuse deletion now and at the restart alike.
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(path)) return true;
  DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

Removal DeleteNowOrAtRestart(const char* path) {
  if (DeleteNow(path)) return Removal::Done;
  return DeleteAtRestart(path) ? Removal::AtRestart : Removal::Failed;
}

} // namespace uninstall
