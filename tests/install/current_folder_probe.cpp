// Writes its current folder, as it found it at its start, into the file its command line names.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  char folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  if (length == 0 || length >= MAX_PATH) return 1;
  HANDLE file = CreateFileA(arguments, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  BOOL ok = WriteFile(file, folder, length, &written, nullptr) && written == length;
  CloseHandle(file);
  return ok ? 0 : 3;
}
