#include "runtime/end_functions.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace runtime {
namespace {

// Registrations fill a block in the program's data first, enough for every static object of
// the installer; only beyond it do further blocks come from the heap, so that a registration
// never fails while memory is left.
struct Block {
  Block* previous;
  int used;
  void (*functions[32])();
};

Block First;
Block* Newest = &First;

constexpr int Capacity = sizeof First.functions / sizeof First.functions[0];

} // namespace

bool RegisterEndFunction(void (*function)()) {
  if (Newest->used == Capacity) {
    auto* more = static_cast<Block*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Block)));
    if (more == nullptr) return false;
    more->previous = Newest;
    Newest = more;
  }
  Newest->functions[Newest->used++] = function;
  return true;
}

void RunEndFunctions() {
  for (;;) {
    while (Newest->used == 0) {
      if (Newest->previous == nullptr) return;
      Newest = Newest->previous;
    }
    // Taken off the list before it runs, so that an exit() from within it does not run it again.
    Newest->functions[--Newest->used]();
  }
}

} // namespace runtime
