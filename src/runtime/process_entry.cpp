// The installer starts here instead of in the C run-time library's start-up code. That code
// prepares what the installer never uses (argument vectors, thread-local storage, run-time
// relocations, floating-point state) and would tie the installer to a C run-time DLL.
#include <windows.h>

#include <cstdlib>

#include "runtime/command_line.h"
#include "runtime/dll_search.h"
#include "runtime/end_functions.h"
#include "runtime/static_constructors.h"

extern "C" {

// This compiler registers the destructor of each static object here once it is built.
int atexit(void (*function)()) { return runtime::RegisterEndFunction(function) ? 0 : -1; }

// Ends the program from anywhere (WinMain's return, the Agreement page on a damaged archive).
[[noreturn]] void exit(int code) {
  runtime::RunEndFunctions();
  ExitProcess(static_cast<UINT>(code));
}

[[noreturn]] void WinMainCRTStartup() {
  runtime::RestrictDllSearch();
  runtime::RunStaticConstructors();

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  exit(WinMain(GetModuleHandleA(nullptr), nullptr,
               const_cast<LPSTR>(runtime::SkipProgramName(GetCommandLineA())), show));
}

} // extern "C"
