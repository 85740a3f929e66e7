// The installer's own process entry: static objects are built before WinMain, which receives the
// arguments after the program's name, and functions registered for the program's end run when
// it ends. Run with the two arguments `one two` and `three`, which reach WinMain as
// `"one two" three`; the exit code is 0 when all of that holds,
// otherwise a bit per failed check (reported by the function run at the end, so that it also
// fails when that function never runs: WinMain itself returns 64).
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

int Failures = 0;
int Constructed = 0;

struct BuiltFirst {
  BuiltFirst() { Constructed = 1; }
};
BuiltFirst builtFirst;

void AtEnd() { ExitProcess(static_cast<UINT>(Failures)); }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int) {
  if (Constructed != 1) Failures |= 1;
  if (std::strcmp(arguments, "\"one two\" three") != 0) Failures |= 2;
  if (instance != GetModuleHandleA(nullptr) || previous != nullptr) Failures |= 4;
  if (std::atexit(&AtEnd) != 0) Failures |= 8;
  return 64;
}
