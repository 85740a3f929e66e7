// The installation engine alone, for timing under Wine: one RunInstallation into the prefix's
// Windows directory from this program's own copy of the installer's archive. It links the test
// variant of the platform layer so that the Display settings are not launched (their start
// would dominate the time and outlive the run) and any message box is counted, not shown.
//
// Prints the milliseconds RunInstallation took; exits non-zero when it showed any message. With
// --start-only it installs nothing. With --run <command line> it starts that program instead and
// prints "elapsed <ms> exit <code>" for it: so the peer, the engine and a program that does
// nothing are timed alike from inside one running Wine, without Wine's own start-up.

#include <cstdio>
#include <cstring>

#include <windows.h>

#include "foundation/platform_hooks.h"
#include "install/installation.h"

namespace {

int ShownBoxes = 0;

int CountBox(HWND, LPCSTR text, LPCSTR, UINT) {
  ++ShownBoxes;
  std::fprintf(stderr, "zm_install_bench: message box: %s\n", text);
  return IDOK;
}

} // namespace

int TimeProgram(char* commandLine) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency{}, start{}, end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::fprintf(stderr, "zm_install_bench: cannot start %s\n", commandLine);
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
              static_cast<double>(frequency.QuadPart);
  std::printf("elapsed %.3f exit %lu\n", ms, static_cast<unsigned long>(code));
  return code == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--run") == 0) return TimeProgram(argv[2]);
  if (argc == 2 && std::strcmp(argv[1], "--start-only") == 0) {
    std::printf("0\n");
    return 0;
  }
  sys::hooks::SetMessageBoxHandler(&CountBox);
  sys::hooks::FailWhen("WinExec", "");

  LARGE_INTEGER frequency{}, start{}, end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  RunInstallation(nullptr, GetModuleHandleA(nullptr));
  QueryPerformanceCounter(&end);

  double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
              static_cast<double>(frequency.QuadPart);
  std::printf("%.3f\n", ms);
  return ShownBoxes == 0 ? 0 : 1;
}
