// The installer starts here instead of in the C run-time library's start-up code. That code
// prepares what the installer never uses (argument vectors, thread-local storage, run-time
// relocations, floating-point state: about 9 KB); msvcrt.dll sets itself up when it is loaded,
// so its functions work without it.
#include <windows.h>

#include <cstdlib>

#include "runtime/command_line.h"

extern "C" {

// The linker's list of static constructors: a -1 or a count, the functions, a null.
extern void (*__CTOR_LIST__[])();

// Registrations for the program's end (destructors of static objects) go to msvcrt.dll's own
// list, which its exit() runs, whether the program ends here or elsewhere.
int atexit(void (*function)()) {
  return _onexit(reinterpret_cast<_onexit_t>(reinterpret_cast<void*>(function))) != nullptr ? 0
                                                                                            : -1;
}

[[noreturn]] void WinMainCRTStartup() {
  int constructors = 0;
  while (__CTOR_LIST__[constructors + 1] != nullptr) ++constructors;
  while (constructors > 0) __CTOR_LIST__[constructors--]();

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr,
                    const_cast<LPSTR>(runtime::SkipProgramName(GetCommandLineA())), show));
}

} // extern "C"
