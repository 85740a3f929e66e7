// Imports a function that is on neither list of allowed imports (the first 95/98 release lacks
// it): both import checks must refuse the program and name the function.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  return GetFileAttributesExA("C:\\", GetFileExInfoStandard, &data) ? 0 : 1;
}
