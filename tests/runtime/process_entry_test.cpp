// The installer's own process entry: static objects are built before WinMain, which receives the
// arguments after the program's name, and functions registered for the program's end run when
// it ends, the last registered first, before the process ends with WinMain's result or with the
// code given to exit().
//
// Run with the two arguments `one two` and `three`, which reach WinMain as `"one two" three`, it
// checks the start, then runs itself twice more: with `end`, where WinMain returns 7, and with
// `exit`, where WinMain calls exit(5). Each of those registers more functions than the list keeps
// in its first block and one more while they run; the destructor of a static object, registered
// first and so run last, signals an event when they ran in the expected order (so that a run in
// which they never ran fails too) and otherwise ends the process with 100.
// The exit code is 0 when everything holds, otherwise a bit per failed check (reported by a
// function run at the end, so that it also fails when that function never runs: WinMain itself
// returns 64).
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int Registered = 40;
constexpr int LateMark = 100;
constexpr int StaticMark = 200;
constexpr char InOrderEvent[] = "ZembrinoProcessEntryTestInOrder";

int Failures = 0;
int Constructed = 0;
bool EndChild = false;

// The marks of the end functions, in the order they ran.
int Ran[Registered + 2];
int RanCount = 0;

void Mark(int mark) {
  if (RanCount < Registered + 2) Ran[RanCount] = mark;
  ++RanCount;
}

bool RanInOrder() {
  if (RanCount != Registered + 2) return false;
  int next = 0;
  if (Ran[next++] != Registered - 1 || Ran[next++] != LateMark) return false;
  for (int mark = Registered - 2; mark >= 0; --mark)
    if (Ran[next++] != mark) return false;
  return Ran[next] == StaticMark;
}

struct BuiltFirst {
  BuiltFirst() { Constructed = 1; }
  ~BuiltFirst() {
    if (!EndChild) return;
    Mark(StaticMark);
    HANDLE inOrder = OpenEventA(EVENT_MODIFY_STATE, FALSE, InOrderEvent);
    if (!RanInOrder() || inOrder == nullptr || !SetEvent(inOrder)) ExitProcess(100);
  }
};
BuiltFirst builtFirst;

void Late() { Mark(LateMark); }

template <int N> void Record() {
  Mark(N);
  // Registered while the end functions run: it runs next, before those registered earlier.
  if (N == Registered - 1 && std::atexit(&Late) != 0) ExitProcess(101);
}

template <int... N> bool RegisterAll(std::integer_sequence<int, N...>) {
  return ((std::atexit(&Record<N>) == 0) && ...);
}

// Runs this program with the given arguments; its exit code, -1 when it did not run, -2 when its
// end functions did not all run in order.
long RunSelf(const char* arguments) {
  HANDLE inOrder = CreateEventA(nullptr, TRUE, FALSE, InOrderEvent);
  if (inOrder == nullptr) return -1;
  ResetEvent(inOrder);
  char path[MAX_PATH];
  if (GetModuleFileNameA(nullptr, path, MAX_PATH) == 0) return -1;
  char commandLine[MAX_PATH + 16] = "\"";
  std::strcat(std::strcat(std::strcat(commandLine, path), "\" "), arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  const bool ranInOrder = WaitForSingleObject(inOrder, 0) == WAIT_OBJECT_0;
  CloseHandle(inOrder);
  return ranInOrder ? static_cast<long>(code) : -2;
}

void AtEnd() { ExitProcess(static_cast<UINT>(Failures)); }

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR arguments, int) {
  const bool returns = std::strcmp(arguments, "end") == 0;
  const bool exits = std::strcmp(arguments, "exit") == 0;
  if (returns || exits) {
    EndChild = true;
    if (!RegisterAll(std::make_integer_sequence<int, Registered>())) return 102;
    if (exits) std::exit(5);
    return 7;
  }

  if (Constructed != 1) Failures |= 1;
  if (std::strcmp(arguments, "\"one two\" three") != 0) Failures |= 2;
  if (instance != GetModuleHandleA(nullptr) || previous != nullptr) Failures |= 4;
  if (std::atexit(&AtEnd) != 0) Failures |= 8;
  if (RunSelf("end") != 7) Failures |= 16;
  if (RunSelf("exit") != 5) Failures |= 32;
  return 64;
}
