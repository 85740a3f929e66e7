// The installer's lean run-time pieces behave as the library pieces they replace: exceptions
// are thrown and caught as before, and a container that cannot grow reports running out of
// memory.

#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include "foundation/zstring.h"

namespace {

int Checks = 0;
int Failures = 0;

void Check(bool ok, const char* what) {
  ++Checks;
  if (!ok) {
    ++Failures;
    std::printf("FAILED: %s\n", what);
  }
}

struct Thrown {
  int value;
};

[[gnu::noinline]] void ThrowThrough(int depth) {
  ZString held("kept alive while the exception passes");
  if (depth == 0) throw Thrown{42};
  ThrowThrough(depth - 1);
}

void CheckExceptions() {
  int caught = 0;
  try {
    ThrowThrough(5);
  } catch (const Thrown& thrown) {
    caught = thrown.value;
  }
  Check(caught == 42, "an exception thrown five frames down is caught with its value");

  bool outOfMemory = false;
  try {
    throw ZString::EOutOfMem();
  } catch (const ZString::EOutOfMem&) {
    outOfMemory = true;
  }
  Check(outOfMemory, "ZString::EOutOfMem is caught by its class");

  Check(std::get_terminate() != nullptr, "a terminate handler is installed");
}

void CheckContainerLimit() {
  std::vector<char> list;
  bool badAlloc = false;
  try {
    list.reserve(list.max_size() + 1);
  } catch (const std::bad_alloc&) {
    badAlloc = true;
  } catch (...) {}
  Check(badAlloc, "a list asked to hold more than it can address throws std::bad_alloc");

  list.assign(1000, 'x');
  Check(list.size() == 1000 && list[999] == 'x', "a list still grows as usual");
}

} // namespace

int main() {
  CheckExceptions();
  CheckContainerLimit();
  std::printf("%d passed, %d failed\n", Checks - Failures, Failures);
  return Failures == 0 ? 0 : 1;
}
