// The installer's lean run-time pieces behave as the library pieces they replace: exceptions
// are thrown and caught as before, a container that cannot grow reports running out of memory,
// and the small CRC-32 gives zlib's sums.

#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <vector>

#include <zlib.h>

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

void CheckCrc32() {
  static const unsigned char Digits[] = "123456789";
  Check(crc32(0, Z_NULL, 0) == 0, "the initial CRC-32 is 0");
  Check(crc32(0, Digits, 9) == 0xCBF43926u, "the CRC-32 of \"123456789\" is CBF43926");
  std::uint32_t chained = crc32(crc32(0, Digits, 4), Digits + 4, 5);
  Check(chained == 0xCBF43926u, "a CRC-32 taken in two pieces equals the whole one");
  Check(crc32(0, Digits, 0) == 0, "no bytes leave the CRC-32 unchanged");
}

} // namespace

int main() {
  CheckExceptions();
  CheckContainerLimit();
  CheckCrc32();
  std::printf("%d passed, %d failed\n", Checks - Failures, Failures);
  return Failures == 0 ? 0 : 1;
}
