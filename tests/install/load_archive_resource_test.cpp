// The checked loader of archive resources: either the caller gets verified bytes and one loaded
// resource to release, or it gets false and nothing stays loaded.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "archive_fixture.h"
#include "foundation/platform_hooks.h"
#include "support/test_machine.h"

namespace {

// Every load that succeeded was released again.
void CheckNothingLeftLoaded(int failedLoads = 0) {
  CHECK(CallCount("LoadResource") - failedLoads == CallCount("FreeResource"));
#ifndef _WIN32
  CHECK(sys::host::LoadedResourceCount() == 0);
#endif
}

} // namespace

TEST_CASE("LoadArchiveResource hands out the verified bytes, loaded until the caller frees them") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  struct Case {
    LPCSTR name;
    std::uint32_t adler;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {MAKEINTRESOURCEA(120), FixtureAgreementAdler, FixtureFile("agreement.txt")},
      {"IDR_00", Record(FixturePayloadTable, "IDR_00").StoredAdler, ""},
  };
  for (const Case& c : cases) {
    CAPTURE(c.adler);
    HGLOBAL loaded = nullptr;
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    REQUIRE(LoadArchiveResource(instance, c.name, c.adler, &loaded, &bytes, &size));
    REQUIRE(loaded != nullptr);
    REQUIRE(bytes != nullptr);
    if (!c.expected.empty())
      CHECK(std::string(reinterpret_cast<const char*>(bytes), size) == c.expected);
    else
      CHECK(size > 0);
#ifndef _WIN32
    CHECK(sys::host::LoadedResourceCount() == 1);
#endif
    sys::FreeResource(loaded);
    CheckNothingLeftLoaded();
  }
}

TEST_CASE("LoadArchiveResource fails without leaving anything loaded") {
  struct Case {
    const char* what;
    LPCSTR name;
    std::uint32_t adler;
    const char* failingCall; // a platform call made to fail once, or nullptr
  };
  const Case cases[] = {
      {"another sum", MAKEINTRESOURCEA(120), FixtureAgreementAdler ^ 1, nullptr},
      {"a changed stored byte", "IDR_CHANGED",
       Record(DamagedPayloadTable, "IDR_CHANGED").StoredAdler, nullptr},
      {"an empty resource, although 1 is the sum of no bytes", MAKEINTRESOURCEA(121),
       EmptyResourceAdler, nullptr},
      {"a missing resource", "IDR_NONE", 1, nullptr},
      {"FindResourceA failing", MAKEINTRESOURCEA(120), FixtureAgreementAdler, "FindResourceA"},
      {"SizeofResource failing", MAKEINTRESOURCEA(120), FixtureAgreementAdler, "SizeofResource"},
      {"LoadResource failing", MAKEINTRESOURCEA(120), FixtureAgreementAdler, "LoadResource"},
      {"LockResource failing", MAKEINTRESOURCEA(120), FixtureAgreementAdler, "LockResource"},
  };
  for (const Case& c : cases) {
    INFO(c.what);
    MachineFixture machine;
    HINSTANCE instance = ArchiveModule();
    if (c.failingCall) sys::hooks::FailNth(c.failingCall, 1);
    HGLOBAL loaded = nullptr;
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    CHECK_FALSE(LoadArchiveResource(instance, c.name, c.adler, &loaded, &bytes, &size));
    const bool loadFailed = c.failingCall && std::string(c.failingCall) == "LoadResource";
    CheckNothingLeftLoaded(loadFailed ? 1 : 0);
  }
}
