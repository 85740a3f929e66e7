// The programs start here instead of in the C run-time library's start-up code: they use none
// of its services, and leaving it out leaves out msvcrt.dll and two thirds of their size. The
// memory functions the compiler may call come from c_strings.cpp.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "runtime/command_line.h"
#include "runtime/dll_search.h"
#include "runtime/static_constructors.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int show);

extern "C" void __cdecl PayloadEntry() {
  runtime::RestrictDllSearch();
  runtime::RunStaticConstructors();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess(static_cast<UINT>(
      WinMain(GetModuleHandleA(nullptr), nullptr,
              const_cast<LPSTR>(runtime::SkipProgramName(GetCommandLineA())), show)));
}
