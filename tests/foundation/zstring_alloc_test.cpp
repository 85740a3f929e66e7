// ZString against an allocator that can be told to refuse: every global allocation function of
// this executable is replaced by a malloc-based one that fails the next allocation on demand,
// answering as the standard allocator does (the new-handler when one is set, else bad_alloc or
// null).
#include <doctest/doctest.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "foundation/zstring.h"

namespace {

bool failNextAllocation = false;
int refusedAllocations = 0;

// Sizes of the allocations made while recording; a fixed array, so recording allocates nothing.
bool recording = false;
std::size_t recordedSizes[16];
int recordedCount = 0;

void* TryAllocate(std::size_t size) {
  if (failNextAllocation) {
    failNextAllocation = false;
    ++refusedAllocations;
    return nullptr;
  }
  if (recording && recordedCount < 16) recordedSizes[recordedCount++] = size;
  return std::malloc(size == 0 ? 1 : size);
}

void* AllocateOrThrow(std::size_t size) {
  for (;;) {
    if (void* block = TryAllocate(size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void* AllocateOrNull(std::size_t size) noexcept {
  try {
    return AllocateOrThrow(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

} // namespace

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

namespace {

// Runs op with the next allocation refused; tells what came out of it.
template <typename Op> std::string WithRefusedAllocation(Op op) {
  int refusedBefore = refusedAllocations;
  std::string outcome = "completed";
  failNextAllocation = true;
  try {
    op();
  } catch (const ZString::EOutOfMem&) {
    outcome = "ZString::EOutOfMem";
  } catch (const std::bad_alloc&) {
    outcome = "std::bad_alloc";
  }
  failNextAllocation = false;
  if (refusedAllocations == refusedBefore) outcome += " (nothing was allocated)";
  return outcome;
}

template <typename Op> std::vector<std::size_t> AllocationSizes(Op op) {
  recordedCount = 0;
  recording = true;
  op();
  recording = false;
  return std::vector<std::size_t>(recordedSizes, recordedSizes + recordedCount);
}

using Sizes = std::vector<std::size_t>;

int handlerCalls = 0;
void ThrowingNewHandler() {
  ++handlerCalls;
  throw std::bad_alloc();
}

// The program's entry installs a handler like this one; until then there is none.
struct NewHandlerInstalled {
  NewHandlerInstalled() {
    handlerCalls = 0;
    std::set_new_handler(ThrowingNewHandler);
  }
  ~NewHandlerInstalled() { std::set_new_handler(nullptr); }
  NewHandlerInstalled(const NewHandlerInstalled&) = delete;
  NewHandlerInstalled& operator=(const NewHandlerInstalled&) = delete;
};

std::string Bytes(const ZString& s) {
  return std::string(s.CStr(), static_cast<std::size_t>(s.Length()));
}

// Made before any test arms a failure.
const ZString replacement("replacement");

struct Construction {
  const char* name;
  void (*make)();
};
const Construction constructions[] = {
    {"empty", [] { ZString s; }},
    {"from text", [] { ZString s("text"); }},
    {"from bytes and a length", [] { ZString s("text", 2); }},
    {"copy", [] { ZString s(replacement); }},
};

struct Operation {
  const char* name;
  void (*apply)(ZString& s);
};

// Operations that build a new block and must leave the string as it was when they cannot.
const Operation lengthenings[] = {
    {"Append of bytes", [](ZString& s) { s.Append("xyz", 3); }},
    {"Append of text", [](ZString& s) { s.Append("xyz"); }},
    {"Append of a character", [](ZString& s) { s.Append('x'); }},
    {"Append of its own bytes", [](ZString& s) { s.Append(s.CStr(), s.Length()); }},
    {"GetBuffer beyond the length", [](ZString& s) { s.GetBuffer(260); }},
    {"Concat", [](ZString& s) { ZString joined = s.Concat("file.scr"); }},
    {"Left of a prefix", [](ZString& s) { ZString prefix = s.Left(2); }},
    {"Left of the whole text", [](ZString& s) { ZString whole = s.Left(50); }},
};

// Operations that give up the old text before they allocate.
const Operation replacings[] = {
    {"Assign of text", [](ZString& s) { s.Assign("replacement"); }},
    {"Assign of a string", [](ZString& s) { s.Assign(replacement); }},
    {"Format", [](ZString& s) { s.Format("%s %d", "replacement", 1); }},
};

} // namespace

TEST_CASE("without a new-handler a refused allocation throws ZString::EOutOfMem") {
  const bool noNewHandler = std::get_new_handler() == nullptr;
  REQUIRE(noNewHandler);

  for (const Construction& c : constructions) {
    INFO("construction: ", std::string(c.name));
    CHECK(WithRefusedAllocation(c.make) == "ZString::EOutOfMem");
  }

  for (const Operation& op : lengthenings) {
    INFO("operation: ", std::string(op.name));
    ZString s("C:\\WINNT\\");
    const char* buffer = s.CStr();
    CHECK(WithRefusedAllocation([&] { op.apply(s); }) == "ZString::EOutOfMem");
    CHECK(Bytes(s) == "C:\\WINNT\\");
    CHECK(s.CStr() == buffer);
  }

  for (const Operation& op : replacings) {
    INFO("operation: ", std::string(op.name));
    ZString s("old text");
    CHECK(WithRefusedAllocation([&] { op.apply(s); }) == "ZString::EOutOfMem");
    // The old text is gone; what is left is empty, usable and safe to destroy.
    CHECK(Bytes(s) == "");
    CHECK(s.CStr()[0] == '\0');
    op.apply(s);
    CHECK(Bytes(s).rfind("replacement", 0) == 0);
  }
}

TEST_CASE("a string left empty by a refused allocation can grow and be refused again") {
  ZString s("old text");
  CHECK(WithRefusedAllocation([&] { s.Assign("new"); }) == "ZString::EOutOfMem");
  CHECK(WithRefusedAllocation([&] { s.Format("%s", "new"); }) == "ZString::EOutOfMem");
  CHECK(WithRefusedAllocation([&] { s.Append('x'); }) == "ZString::EOutOfMem");
  CHECK(Bytes(s) == "");
  s.Clear();
  s.TrimLeft();
  s.TrimRight();
  CHECK(s.Left(0).Length() == 0);
  s.Append('x');
  CHECK(Bytes(s) == "x");
}

TEST_CASE("with a new-handler installed its std::bad_alloc passes through unchanged") {
  NewHandlerInstalled installed;

  for (const Construction& c : constructions) {
    INFO("construction: ", std::string(c.name));
    handlerCalls = 0;
    CHECK(WithRefusedAllocation(c.make) == "std::bad_alloc");
    CHECK(handlerCalls == 1);
  }

  for (const Operation& op : lengthenings) {
    INFO("operation: ", std::string(op.name));
    ZString s("C:\\WINNT\\");
    handlerCalls = 0;
    CHECK(WithRefusedAllocation([&] { op.apply(s); }) == "std::bad_alloc");
    CHECK(handlerCalls == 1);
    CHECK(Bytes(s) == "C:\\WINNT\\");
  }

  for (const Operation& op : replacings) {
    INFO("operation: ", std::string(op.name));
    ZString s("old text");
    handlerCalls = 0;
    CHECK(WithRefusedAllocation([&] { op.apply(s); }) == "std::bad_alloc");
    CHECK(handlerCalls == 1);
    CHECK(Bytes(s) == "");
  }
}

TEST_CASE("shortening and reading operations never allocate") {
  ZString s("  some text  ");
  CHECK(WithRefusedAllocation([&] {
          s.Trim();
          s.Erase(0, 1);
          s.GetBuffer(s.Length());
          s.ReleaseBuffer(-1);
          s.ReleaseBuffer(3);
          s.Equals("ome");
          s.CompareNoCase("OME");
          s.Clear();
        }) == "completed (nothing was allocated)");
}

TEST_CASE("every new text gets a block of exactly its size, Format its worst case") {
  ZString three("abc");
  ZString empty;

  CHECK(AllocationSizes([] { ZString s; }) == Sizes{1});
  CHECK(AllocationSizes([] { ZString s("abcdef", 3); }) == Sizes{4});
  CHECK(AllocationSizes([&] { ZString s(three); }) == Sizes{4});
  CHECK(AllocationSizes([&] { three.Concat("de"); }) == Sizes{6});
  CHECK(AllocationSizes([&] { three.Left(2); }) == Sizes{3});
  CHECK(AllocationSizes([&] { three.Left(9); }) == Sizes{4});
  CHECK(AllocationSizes([&] { empty.GetBuffer(260); }) == Sizes{261});
  CHECK(AllocationSizes([&] { empty.Assign("hello"); }) == Sizes{6});
  CHECK(AllocationSizes([&] { empty.Append("de"); }) == Sizes{8});
  CHECK(AllocationSizes([&] { empty.Append('!'); }) == Sizes{9});

  // Sign and ten digits, ten digits, eight nibbles, one byte per character, the text's length.
  CHECK(AllocationSizes([&] { empty.Format("%d", 7); }) == Sizes{12});
  CHECK(AllocationSizes([&] { empty.Format("%d|%u|%x|%c|%s|%%|%q", -1, 1u, 1u, 'c', "ok"); }) ==
        Sizes{11 + 1 + 10 + 1 + 8 + 1 + 1 + 1 + 2 + 1 + 1 + 1 + 0 + 1});
  CHECK(Bytes(empty) == "-1|1|1|c|ok|%|");
}
