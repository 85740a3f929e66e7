// The programs start here instead of in the C run-time library's start-up code: they use none
// of its services, and leaving it out leaves out msvcrt.dll and two thirds of their size.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "runtime/command_line.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);

extern "C" void __cdecl PayloadEntry() {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess(static_cast<UINT>(
      WinMain(GetModuleHandleA(nullptr), nullptr,
              const_cast<LPSTR>(runtime::SkipProgramName(GetCommandLineA())), show)));
}

// The compiler may call these for loops and large copies, and no library supplies them here.
// This file is built with -fno-builtin and without loop-to-call rewriting, so that they do not
// call themselves.
extern "C" {

void* memset(void* destination, int value, size_t size) {
  auto* d = static_cast<unsigned char*>(destination);
  while (size-- != 0) *d++ = static_cast<unsigned char>(value);
  return destination;
}

void* memcpy(void* destination, const void* source, size_t size) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  while (size-- != 0) *d++ = *s++;
  return destination;
}

size_t strlen(const char* text) {
  size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

} // extern "C"
