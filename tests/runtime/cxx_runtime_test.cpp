// The installer's lean run-time pieces behave as the library pieces they replace: exceptions
// are thrown, matched, cleaned up after and caught as with the library's own support, a
// container that cannot grow reports running out of memory, and each way the run-time gives up
// ends the program with its own code.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>
#include <vector>

#include <windows.h>

#include "foundation/regkey.h"
#include "foundation/zstring.h"
#include "runtime/give_up.h"

extern "C" void* __cxa_allocate_exception(std::size_t size) noexcept;
extern "C" int __gxx_personality_v0(int, int, std::uint64_t, void*, void*);

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

// Counts live objects, so a test sees every cleanup run exactly once.
int Alive = 0;
struct Counted {
  Counted() { ++Alive; }
  Counted(const Counted&) { ++Alive; }
  Counted& operator=(const Counted&) = default;
  ~Counted() { --Alive; }
};

[[gnu::noinline]] void ThrowThrough(int depth) {
  ZString held("kept alive while the exception passes");
  Counted counted;
  if (depth == 0) throw Thrown{42};
  ThrowThrough(depth - 1);
}

[[gnu::noinline]] void ThrowWithoutAllocating(int depth) {
  Counted counted;
  if (depth == 0) throw Thrown{42};
  ThrowWithoutAllocating(depth - 1);
}

struct Base {
  int tag = 1;
};
struct Middle : Base {};
struct Derived : Middle {
  Counted counted;
};

// A class caught by value goes through its copy constructor.
struct Copied {
  int copies = 0;
  Copied() = default;
  Copied(const Copied& other) : copies(other.copies + 1) {}
};

// Many arguments on the stack and many values live across the throwing call: the registers a
// function keeps across calls must come back as they were when the handler runs.
[[gnu::noinline]] int Throws(int a, int b, int c, int d, int e, int f) {
  if (a + b + c + d + e + f > 0) throw Thrown{a * b + c - d + e * f};
  return 0;
}

[[gnu::noinline]] int KeepsRegisters(volatile int seed) {
  int a = seed + 1, b = seed * 3, c = seed ^ 0x55, d = seed - 7, e = seed << 2, f = seed | 9;
  int caught = 0;
  try {
    caught = Throws(a, b, c, d, e, f) + a;
  } catch (const Thrown& thrown) {
    caught = thrown.value;
  }
  return caught + a + b + c + d + e + f;
}

// A function that realigns its stack and sizes its frame at run time reaches its arguments
// through a saved pointer, and describes its frame with DWARF expressions (the CFA and the
// registers it saves are found through the frame pointer): an exception passing through it must
// still give its caller back the registers it kept.
[[gnu::noinline, gnu::force_align_arg_pointer]] int RealignsAndThrows(int seed) {
  auto* sized = static_cast<volatile int*>(
      __builtin_alloca(sizeof(int) * (static_cast<unsigned>(seed & 3) + 1)));
  sized[0] = seed;
  int a = seed * 5, b = seed ^ 0x33, c = seed + 11;
  int thrown = Throws(sized[0], seed + 1, seed + 2, seed + 3, a, b);
  return thrown + a + b + c;
}

[[gnu::noinline]] int KeepsRegistersAcrossRealigned(volatile int seed) {
  int a = seed + 1, b = seed * 3, c = seed ^ 0x55, d = seed - 7, e = seed << 2, f = seed | 9;
  int caught = 0;
  try {
    caught = RealignsAndThrows(seed + a) + a;
  } catch (const Thrown& thrown) {
    caught = thrown.value;
  }
  return caught + a + b + c + d + e + f;
}

int ExpectedAcrossRealigned(int seed) {
  int a = seed + 1, b = seed * 3, c = seed ^ 0x55, d = seed - 7, e = seed << 2, f = seed | 9;
  int inner = seed + a;
  int p = inner, q = inner + 1, r = inner + 2, t = inner + 3, u = inner * 5, v = inner ^ 0x33;
  return (p * q + r - t + u * v) + a + b + c + d + e + f;
}

int Expected(int seed) {
  int a = seed + 1, b = seed * 3, c = seed ^ 0x55, d = seed - 7, e = seed << 2, f = seed | 9;
  return (a * b + c - d + e * f) + a + b + c + d + e + f;
}

struct Throwing {
  Counted before;
  Counted during;
  explicit Throwing(bool fail) {
    if (fail) throw Thrown{7};
  }
};

// Keeps the compiler from leaving out an allocation that is freed at once.
char* volatile Escaped = nullptr;

[[noreturn]] void ThrowFromNewHandler() { throw ZString::EOutOfMem(); }

void CheckExceptions() {
  struct Case {
    const char* what;
    bool (*run)();
  };
  static const Case Cases[] = {
      {"an exception thrown five frames down is caught with its value, every frame cleaned up",
       [] {
         int caught = 0;
         try {
           ThrowThrough(5);
         } catch (const Thrown& thrown) {
           caught = thrown.value;
         }
         return caught == 42 && Alive == 0;
       }},
      {"two hundred frames down",
       [] {
         try {
           ThrowThrough(200);
         } catch (const Thrown& thrown) {
           return thrown.value == 42 && Alive == 0;
         }
         return false;
       }},
      {"a class is caught by its own class",
       [] {
         try {
           throw ZString::EOutOfMem();
         } catch (const ZString::EOutOfMem&) {
           return true;
         }
       }},
      {"a handler for a base class catches a derived class, two levels down",
       [] {
         try {
           throw ZRegKey::EOpen();
         } catch (const ZRegKey::ECreate&) {
           return false;
         } catch (const ZRegKey::E&) {}
         try {
           throw Derived();
         } catch (const Base& base) {
           return base.tag == 1 && Alive == 1;
         }
       }},
      {"the thrown object is destroyed once its handler ends",
       [] {
         try {
           throw Derived();
         } catch (const Middle&) {}
         return Alive == 0;
       }},
      {"a handler that names another class lets the exception pass to the next one",
       [] {
         int reached = 0;
         try {
           try {
             throw Thrown{3};
           } catch (const ZRegKey::E&) {
             reached = 1;
           }
         } catch (...) {
           reached = 2;
         }
         return reached == 2;
       }},
      {"catch by value copies the object",
       [] {
         try {
           throw Copied();
         } catch (Copied copy) {
           return copy.copies >= 1;
         }
       }},
      {"a pointer is caught as a pointer",
       [] {
         static const char Text[] = "text";
         try {
           throw Text;
         } catch (const int*) {
           return false;
         } catch (const char* caught) {
           return caught == Text;
         }
       }},
      {"a rethrown exception is the same object and is destroyed once",
       [] {
         const void* inner = nullptr;
         const void* outer = nullptr;
         try {
           try {
             throw Derived();
           } catch (const Derived& first) {
             inner = &first;
             throw;
           }
         } catch (const Base& second) {
           outer = static_cast<const Derived*>(&second);
         }
         return inner != nullptr && inner == outer && Alive == 0;
       }},
      {"an exception thrown and caught inside a handler leaves the outer one intact",
       [] {
         try {
           throw Thrown{1};
         } catch (const Thrown& outer) {
           try {
             throw Thrown{2};
           } catch (const Thrown& inner) {
             if (inner.value != 2) return false;
           }
           return outer.value == 1;
         }
       }},
      {"registers kept across calls are restored in the handler",
       [] {
         for (int seed : {1, 2, 1000, 123456})
           if (KeepsRegisters(seed) != Expected(seed)) return false;
         return true;
       }},
      {"registers kept across calls come back through a frame that realigned its stack",
       [] {
         for (int seed : {1, 2, 1000, 123456})
           if (KeepsRegistersAcrossRealigned(seed) != ExpectedAcrossRealigned(seed)) return false;
         return true;
       }},
      {"a constructor that throws destroys the members it had built",
       [] {
         try {
           Throwing object(true);
         } catch (const Thrown& thrown) {
           return thrown.value == 7 && Alive == 0;
         }
         return false;
       }},
      {"an array whose third element fails to construct destroys the first two",
       [] {
         struct Element {
           Counted counted;
           Element() {
             if (Alive == 3) throw Thrown{3};
           }
         };
         try {
           Element* elements = new Element[5];
           delete[] elements;
         } catch (const Thrown&) {
           return Alive == 0;
         }
         return false;
       }},
      {"an allocation that cannot succeed throws std::bad_alloc",
       [] {
         try {
           volatile std::size_t huge = 0xFFFFFF00u;
           Escaped = new char[huge];
           delete[] Escaped;
         } catch (const std::bad_alloc&) {
           return true;
         }
         return false;
       }},
      {"the new-handler's exception leaves the allocation",
       [] {
         std::set_new_handler(&ThrowFromNewHandler);
         bool caught = false;
         try {
           volatile std::size_t huge = 0xFFFFFF00u;
           Escaped = new char[huge];
           delete[] Escaped;
         } catch (const ZString::EOutOfMem&) {
           caught = true;
         }
         std::set_new_handler(nullptr);
         return caught;
       }},
      {"with the heap exhausted, exceptions still arrive, nested ones too",
       [] {
         // Everything malloc gives, largest blocks first (only reserved: nothing is touched).
         static void* taken[8192];
         int count = 0;
         for (std::size_t size = std::size_t{1} << 30; size >= 8 && count < 8192;) {
           if (void* block = std::malloc(size))
             taken[count++] = block;
           else
             size /= 2;
         }
         bool exhausted = std::malloc(64) == nullptr;
         int caught = 0;
         try {
           ThrowWithoutAllocating(2);
         } catch (const Thrown& outer) {
           try {
             throw ZRegKey::EOpen();
           } catch (const ZRegKey::E&) {
             caught = outer.value;
           }
         }
         while (count > 0) std::free(taken[--count]);
         return exhausted && caught == 42 && Alive == 0;
       }},
      {"many exceptions in a row neither leak nor wear out the run-time",
       [] {
         int sum = 0;
         for (int i = 0; i < 20000; ++i) {
           try {
             ThrowThrough(i % 4);
           } catch (const Thrown& thrown) {
             sum += thrown.value;
           }
         }
         return sum == 20000 * 42 && Alive == 0;
       }},
  };
  for (const Case& c : Cases) {
    Alive = 0;
    Check(c.run(), c.what);
  }

  Check(std::get_terminate() != nullptr, "a terminate handler is installed");
}

// The ways the run-time gives up, each run in a child process of this program.

// An exception that nobody catches ends the program without running the cleanups on its way
// (the search finds no handler before anything is unwound).
void ThrowUncaught() {
  struct Announces {
    ~Announces() { std::printf("cleanup ran\n"); }
  } announces;
  ThrowThrough(3);
}

[[gnu::noinline]] void ThrowsInsideNoexcept() noexcept { ThrowThrough(1); }

// Everything malloc gives, largest blocks first (only reserved: nothing is touched).
void ExhaustHeap() {
  for (std::size_t size = std::size_t{1} << 30; size >= 8;) {
    Escaped = static_cast<char*>(std::malloc(size));
    if (Escaped == nullptr) size /= 2;
  }
}

using runtime::GiveUp;

struct GiveUpScenario {
  const char* name;
  GiveUp expected;
  void (*run)();
};

const GiveUpScenario GiveUpScenarios[] = {
    {"uncaught", GiveUp::NoHandler, [] { ThrowUncaught(); }},
    {"rethrow-outside-handler", GiveUp::RethrowWithoutException, [] { throw; }},
    {"noexcept", GiveUp::NoexceptViolated, [] { ThrowsInsideNoexcept(); }},
    {"terminate", GiveUp::TerminateCalled, [] { std::terminate(); }},
    {"exception-memory", GiveUp::ExceptionMemoryExhausted,
     [] {
       ExhaustHeap();
       // The reserve's slots, then one more.
       for (int i = 0; i < 5; ++i) Escaped = static_cast<char*>(__cxa_allocate_exception(64));
     }},
    {"personality", GiveUp::PersonalityCalled,
     [] { __gxx_personality_v0(1, 1, 0, nullptr, nullptr); }},
    {"type-info-entry", GiveUp::TypeInfoEntryCalled,
     [] {
       const std::type_info& type = typeid(Thrown);
       Escaped = reinterpret_cast<char*>(type.__is_pointer_p());
     }},
};

DWORD RunChild(const char* self, const char* scenario) {
  char commandLine[MAX_PATH + 40];
  std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s", self, scenario);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return 0xFFFFFFFF;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

void CheckGiveUps(const char* self) {
  for (const GiveUpScenario& scenario : GiveUpScenarios) {
    DWORD exitCode = RunChild(self, scenario.name);
    bool ok = exitCode == static_cast<DWORD>(scenario.expected);
    if (!ok) std::printf("%s: exit code 0x%lx\n", scenario.name, exitCode);
    Check(ok, scenario.name);
  }
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

int main(int argc, char** argv) {
  if (argc > 1) {
    for (const GiveUpScenario& scenario : GiveUpScenarios) {
      if (std::strcmp(argv[1], scenario.name) == 0) scenario.run();
    }
    return 2; // the scenario went on where the run-time should have given up
  }
  CheckExceptions();
  CheckGiveUps(argv[0]);
  CheckContainerLimit();
  std::printf("%d passed, %d failed\n", Checks - Failures, Failures);
  return Failures == 0 ? 0 : 1;
}
