// Ends the process through KERNEL32 alone: the installer's run-time calls no C library function
// to end.
#include "runtime/give_up.h"

extern "C" __attribute__((dllimport, stdcall, noreturn)) void ExitProcess(unsigned exitCode);

namespace runtime {

void GiveUpWith(GiveUp reason) noexcept { ExitProcess(static_cast<unsigned>(reason)); }

} // namespace runtime
