// The uninstaller on NT 6.0 and later without administrator rights: it starts itself again
// through the elevation prompt and waits, a declined prompt changes nothing and says so, and
// everything that cannot be found out leaves the run as it was before elevation existed.
// On the emulated machine, where the started run is recorded, not run.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "shared/product_names.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"
#include "uninstall/uninstaller.h"

namespace {

using sys::host::Family;

constexpr char Uninstaller[] = "C:\\WINDOWS\\zmsaveru.exe";
constexpr char Confirmation[] = "Do you want to remove Zembrino's Screen Saver from your computer?";
constexpr char DeclinedText[] =
    "Zembrino's Screen Saver can only be removed with administrator rights, and they were not "
    "given.\n\nNothing has been removed. To remove it, run the uninstaller again and allow it "
    "to make changes to your computer.";
constexpr DWORD ElevatedRunsCode = 7;

// What the run did: started itself through the prompt, went on here (its confirmation box,
// answered No), or stopped with the refusal.
enum class Outcome { RanThere, RanHere, Declined, DeclinedQuietly };

struct Case {
  const char* name;
  Family family;
  DWORD ntMajor;
  bool elevated, allowed;
  const char* arguments;
  const char* failingCall; // made to fail once, with failingError (0: its usual error)
  DWORD failingError;
  Outcome outcome;
  int code;
  const char* parameters; // of the start through the prompt
};

const Case Cases[] = {
    {"the 95/98 family has no elevation", Family::Win9x, 4, false, true, "", nullptr, 0,
     Outcome::RanHere, 0, ""},
    {"NT 5 has no elevation", Family::NT, 5, false, true, "", nullptr, 0, Outcome::RanHere, 0, ""},
    {"an elevated run goes on", Family::NT, 6, true, true, "", nullptr, 0, Outcome::RanHere, 0, ""},
    {"a limited run starts itself through the prompt and passes on its outcome", Family::NT, 6,
     false, true, "", nullptr, 0, Outcome::RanThere, ElevatedRunsCode, "/elevated"},
    {"the quiet switch goes with it", Family::NT, 10, false, true, " /quiet", nullptr, 0,
     Outcome::RanThere, ElevatedRunsCode, "/elevated /quiet"},
    {"a declined prompt is reported", Family::NT, 6, false, false, "", nullptr, 0,
     Outcome::Declined, 1, "/elevated"},
    {"a declined prompt of a quiet run shows nothing and fails", Family::NT, 6, false, false,
     "/quiet", nullptr, 0, Outcome::DeclinedQuietly, 1, "/elevated /quiet"},
    {"the run started through the prompt never starts another", Family::NT, 6, false, true,
     "/elevated", nullptr, 0, Outcome::RanHere, 0, ""},
    {"a token that cannot be opened", Family::NT, 6, false, true, "", "OpenProcessToken", 0,
     Outcome::RanHere, 0, ""},
    {"an elevation that cannot be read", Family::NT, 6, false, true, "", "GetTokenInformation", 0,
     Outcome::RanHere, 0, ""},
    {"an own name that cannot be read", Family::NT, 6, false, true, "", "GetModuleFileNameA", 0,
     Outcome::RanHere, 0, ""},
    {"a start that fails other than by the user's no", Family::NT, 6, false, true, "",
     "ShellExecuteExA", ERROR_FILE_NOT_FOUND, Outcome::RanHere, 0, ""},
    {"a start refused by the user, seen through the call", Family::NT, 6, false, true, "",
     "ShellExecuteExA", ERROR_CANCELLED, Outcome::Declined, 1, ""},
    {"an outcome that cannot be waited for is a failure", Family::NT, 6, false, true, "",
     "WaitForSingleObject", 0, Outcome::RanThere, 1, "/elevated"},
    {"an outcome that cannot be read is a failure", Family::NT, 6, false, true, "",
     "GetExitCodeProcess", 0, Outcome::RanThere, 1, "/elevated"},
};

bool Called(const char* name) {
  for (const sys::hooks::Call& call : sys::hooks::Calls())
    if (call.name == name) return true;
  return false;
}

} // namespace

TEST_CASE("the uninstaller gets administrator rights through the prompt, or says why not") {
  for (const Case& c : Cases) {
    INFO(c.name);
    sys::host::Reset();
    sys::hooks::Reset();
    TakeMessageBoxes();
    sys::host::SetFamily(c.family);
    sys::host::SetNTVersion(c.ntMajor, 0);
    sys::host::SetElevated(c.elevated);
    sys::host::SetElevationAllowed(c.allowed);
    sys::host::SetStartedProcessExitCode(ElevatedRunsCode);
    WriteFileBytes(Uninstaller, "MZ the uninstaller");
    sys::host::SetModuleFileName(Uninstaller);
    SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, DisplayNameValueName,
                      "Zembrino's Screen Saver");
    const std::vector<std::string> registryBefore = sys::host::RegistryDump();
    if (c.failingCall != nullptr) sys::hooks::FailNth(c.failingCall, 1, c.failingError);
    AnswerNextMessageBox(IDNO);

    const int code = uninstall::RunUninstaller(c.arguments);

    CHECK(code == c.code);
    const std::vector<RecordedBox> boxes = TakeMessageBoxes();
    const std::vector<std::string> starts = sys::host::ShellStarts();
    switch (c.outcome) {
    case Outcome::RanThere:
      REQUIRE(starts.size() == 1);
      CHECK(starts[0] ==
            std::string("runas|") + Uninstaller + "|" + c.parameters + "|C:\\WINDOWS\\system32");
      CHECK(boxes.empty());
      break;
    case Outcome::RanHere:
      CHECK(starts.empty());
      REQUIRE(boxes.size() == 1);
      CHECK(boxes[0].text.rfind(Confirmation, 0) == 0);
      break;
    case Outcome::Declined:
      CHECK(starts.empty());
      REQUIRE(boxes.size() == 1);
      CHECK(boxes[0].text == DeclinedText);
      CHECK((boxes[0].style & MB_ICONWARNING) == MB_ICONWARNING);
      break;
    case Outcome::DeclinedQuietly:
      CHECK(starts.empty());
      CHECK(boxes.empty());
      break;
    }
    // Systems without elevation are never asked about it.
    if (c.family == Family::Win9x || c.ntMajor < 6) CHECK_FALSE(Called("OpenProcessToken"));
    // Nothing of the installation has been touched, and every handle is closed.
    CHECK(sys::host::RegistryDump() == registryBefore);
    CHECK(FileExists(Uninstaller));
    CHECK(sys::host::StartedProcesses().empty());
    CHECK(sys::host::OpenProcessHandles() == 0);
  }
}

#endif
