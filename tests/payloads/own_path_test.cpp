// The uninstaller's own path, against the emulated machine's answers for a buffer too small:
// the NT family returns the buffer's size, the 95/98 family one less, which is also the answer
// for a path that just fits a buffer of that size.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>

#include "support/test_machine.h"
#include "uninstall/steps.h"

TEST_CASE("the uninstaller takes its own path only when it has it whole") {
  struct Case {
    const char* name;
    std::size_t length;
    bool whole;
  };
  const Case cases[] = {
      {"a path that just fits", MAX_PATH - 1, true},
      {"one character too long", MAX_PATH, false},
      {"far too long", MAX_PATH + 40, false},
  };
  for (sys::host::Family family : {sys::host::Family::NT, sys::host::Family::Win9x}) {
    for (const Case& c : cases) {
      INFO((family == sys::host::Family::NT ? "NT family, " : "95/98 family, ") << c.name);
      sys::host::Reset();
      sys::host::SetFamily(family);
      const std::string folder = "C:\\" + std::string(c.length - 16, 'D') + "\\";
      const std::string path = folder + "zmsaveru.exe";
      REQUIRE(path.size() == c.length);
      sys::host::SetModuleFileName(path);
      char found[MAX_PATH] = "untouched";
      CHECK(uninstall::FindOwnPath(found) == c.whole);
      if (c.whole) CHECK(std::string(found) == path);
    }
  }
}

#endif
