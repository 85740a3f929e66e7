#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "install/engine_state.h"
#include "install/uninstall_registration.h"
#include "support/test_machine.h"

namespace {

constexpr char InstallDir[] = "C:\\WINDOWS\\";
constexpr char Uninstaller[] = "C:\\WINDOWS\\zmsaveru.exe";
constexpr char OlderSubKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ZmSaver"
                               "\\Parts\\Deeper";

struct UninstallFixture : MachineFixture {
  UninstallFixture() { ClearEngineState(); }
  ~UninstallFixture() {
    sys::hooks::ClearFaults();
    ClearEngineState();
  }
};

// An older entry with values and subkeys two levels deep.
void MakeOlderEntry() {
  SetRegistryString(HKEY_LOCAL_MACHINE, OlderSubKey, "Value", "deep");
  SetRegistryString(HKEY_LOCAL_MACHINE, std::string(OldUninstallKeyPath) + "\\Other", "Value", "x");
  SetRegistryString(HKEY_LOCAL_MACHINE, OldUninstallKeyPath, "UninstallString", "C:\\OLD.EXE");
}

// The registration alone; the faults are gone before the machine is read back.
Trace Register(const char* installDir = InstallDir) {
  sys::hooks::ClearCalls();
  RegisterUninstall(ZString(installDir));
  sys::hooks::ClearFaults();
  return TakeTrace();
}

void CheckCurrentEntry(const std::string& uninstallString = Uninstaller) {
  CHECK(RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName") ==
        "Zembrino's Screen Saver");
  CHECK(RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString") == uninstallString);
}

} // namespace

TEST_CASE_FIXTURE(UninstallFixture, "the older entry goes only when its display name starts "
                                    "with the maker's word, letter case as written") {
  struct Case {
    const char* name;
    DWORD type;
    const char* displayName; // nullptr: no display name at all
    bool removed;
  };
  const Case cases[] = {
      {"exactly the maker's word", REG_SZ, "Zembrino", true},
      {"the product's own name", REG_SZ, "Zembrino's Screen Saver", true},
      {"the maker's word in other letter case", REG_SZ, "zembrino's screen saver", false},
      {"shorter than the maker's word", REG_SZ, "Zemb", false},
      {"empty", REG_SZ, "", false},
      {"missing", REG_SZ, nullptr, false},
      {"not a plain string", REG_EXPAND_SZ, "Zembrino", false},
      {"another maker's", REG_SZ, "Other Saver", false},
  };
  for (const Case& c : cases) {
    INFO(c.name);
    ClearEngineState();
    MakeOlderEntry();
    if (c.displayName)
      SetRegistryValue(HKEY_LOCAL_MACHINE, OldUninstallKeyPath, "DisplayName", c.type,
                       std::string(c.displayName) + '\0');
    Register();
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, OldUninstallKeyPath) == !c.removed);
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, OlderSubKey) == !c.removed);
    CheckCurrentEntry();
  }
}

TEST_CASE_FIXTURE(UninstallFixture, "without an older entry only the current one is written") {
  const Trace trace = Register();
  CheckCurrentEntry();
  CHECK(CallCount(trace, "RegDeleteKeyA") == 0);
  CHECK(CallDetails(trace, "RegCreateKeyA") == std::vector<std::string>{UninstallKeyPath});
#ifndef _WIN32
  CHECK(sys::host::PredefinedRootCloses() == 0);
#endif
}

TEST_CASE_FIXTURE(UninstallFixture, "an earlier entry gets both values anew and keeps the rest") {
  SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName", "Old name");
  SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString", "C:\\OLD\\U.EXE");
  SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, "Publisher", "kept");
  Register();
  CheckCurrentEntry();
  CHECK(RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "Publisher") == "kept");
}

TEST_CASE_FIXTURE(UninstallFixture, "the uninstall command is quoted when its path has a blank") {
  Register("C:\\WINNT\\");
  CheckCurrentEntry("C:\\WINNT\\zmsaveru.exe");
  Register("D:\\My Windows\\system\\");
  CheckCurrentEntry("\"D:\\My Windows\\system\\zmsaveru.exe\"");
}

TEST_CASE_FIXTURE(UninstallFixture, "registry failures skip only their own part") {
  MakeOlderEntry();
  SetRegistryString(HKEY_LOCAL_MACHINE, OldUninstallKeyPath, "DisplayName", "Zembrino");

  SUBCASE("the older entry cannot be opened: it stays, the current one is written") {
    sys::hooks::FailWhen("RegOpenKeyExA", "ZmSaver");
    Register();
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, OlderSubKey));
    CheckCurrentEntry();
  }
  SUBCASE("the older key itself cannot be deleted: its subkeys are gone, it stays") {
    sys::hooks::FailWhen("RegDeleteKeyA", OldUninstallKeyPath);
    Register();
    CHECK(RegistryKeyExists(HKEY_LOCAL_MACHINE, OldUninstallKeyPath));
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, OlderSubKey));
    CheckCurrentEntry();
  }
  SUBCASE("the current entry cannot be created: the older one is still removed") {
    sys::hooks::FailWhen("RegCreateKeyA", "Uninstall\\Zembrino's Screen Saver");
    Register();
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, OldUninstallKeyPath));
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
  }
#ifndef _WIN32
  SUBCASE("the user may not write below the uninstall entries") {
    sys::host::DenyKeyAccess(HKEY_LOCAL_MACHINE,
                             "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    Register();
    CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
  }
#endif
  SUBCASE("one value cannot be written: the other still is") {
    sys::hooks::FailWhen("RegSetValueExA", "DisplayName");
    Register();
    CHECK(RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "DisplayName") == MissingText);
    CHECK(RegistryText(HKEY_LOCAL_MACHINE, UninstallKeyPath, "UninstallString") == Uninstaller);
  }
}
