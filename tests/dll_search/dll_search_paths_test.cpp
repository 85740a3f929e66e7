// Each set of calls a system may offer, through a stand-in for kernel32 that records what the
// restriction called: the system folder alone where the newest call exists and works, else the
// current folder left out ("" is what leaves it out; a null pointer would put it back), else
// nothing.
#include <doctest/doctest.h>

#include <string>

#include "runtime/dll_search.h"

namespace {

using RecordedCallsFunction = const char*(__cdecl*)();

std::string CallsMadeWith(const char* fakeKernel) {
  HMODULE kernel = ::LoadLibraryA(fakeKernel);
  REQUIRE_MESSAGE(kernel != nullptr, fakeKernel << " does not load");
  runtime::RestrictDllSearchWith(kernel);
  auto recorded = reinterpret_cast<RecordedCallsFunction>(
      reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "RecordedCalls")));
  const bool records = recorded != nullptr;
  REQUIRE_MESSAGE(records, fakeKernel << " records nothing");
  std::string calls = recorded();
  ::FreeLibrary(kernel);
  return calls;
}

} // namespace

TEST_CASE("the restriction takes the best call the system offers") {
  const struct {
    const char* fakeKernel;
    const char* system;
    const char* expected;
  } cases[] = {
      {"zm_kernel_both.dll", "Windows 8 and later", "SetDefaultDllDirectories(0x800) "},
      {"zm_kernel_default_fails.dll", "the call there but refusing",
       "SetDefaultDllDirectories(0x800) SetDllDirectoryA(\"\") "},
      {"zm_kernel_dll_directory.dll", "XP SP1 to 7 without the update", "SetDllDirectoryA(\"\") "},
      {"zm_kernel_bare.dll", "95, 98, ME, NT 4.0, 2000, XP before SP1", ""},
  };
  for (const auto& c : cases) {
    INFO(std::string(c.system));
    CHECK(CallsMadeWith(c.fakeKernel) == std::string(c.expected));
  }
  runtime::RestrictDllSearchWith(nullptr);
}
