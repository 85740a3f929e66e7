#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "install/engine_state.h"
#include "install/screen_saver_activation.h"
#include "support/test_machine.h"

namespace {

constexpr char NewPath[] = "C:\\WINDOWS\\ZEMBRI~1.SCR";
constexpr char OtherSaver[] = "C:\\OTHER\\OLD.SCR";
constexpr char FirstBackup[] = "C:\\FIRST\\BACKUP.SCR";

std::string Backup() { return RegistryText(HKEY_CURRENT_USER, BackupKeyPath, nullptr); }

struct ActivationFixture : MachineFixture {
  ActivationFixture() { Fresh(true); }
  ~ActivationFixture() {
    sys::hooks::ClearFaults();
    ClearEngineState();
  }

  // A machine of that family without any trace of an installation, and no faults.
  static void Fresh(bool nt) {
#ifndef _WIN32
    sys::host::Reset();
#endif
    sys::hooks::Reset();
    ClearEngineState();
    if (!nt) UseWin9xFamily();
  }

  // The activation alone; the faults are gone before the machine is read back.
  static Trace Activate() {
    sys::hooks::ClearCalls();
    ActivateScreenSaver(ZString(NewPath));
    sys::hooks::ClearFaults();
    return TakeTrace();
  }
};

// Screen saving switched on exactly once, announced but not saved to the settings file.
void CheckSwitchedOn(const Trace& trace) {
  CHECK(CallDetails(trace, "SystemParametersInfoA") == std::vector<std::string>{"17,1,2"});
#ifndef _WIN32
  const auto calls = sys::host::SystemParameterCalls();
  REQUIRE(calls.size() == 1);
  CHECK(calls[0].action == SPI_SETSCREENSAVEACTIVE);
  CHECK(calls[0].param == 1);
  CHECK(calls[0].flags == SPIF_SENDWININICHANGE);
#endif
}

} // namespace

TEST_CASE_FIXTURE(ActivationFixture, "the previous setting is backed up only when it names "
                                     "another screen saver") {
  const std::string medium(300, 'M');
  const std::string longest(2048, 'L');
  const std::string tooLong(2049, 'T');
  struct Case {
    const char* name;
    const char* previous; // nullptr: no setting at all
    const char* earlierBackup;
    std::string expectedBackup;
  };
  const Case cases[] = {
      {"another screen saver", OtherSaver, nullptr, OtherSaver},
      {"another screen saver over an earlier backup", OtherSaver, FirstBackup, OtherSaver},
      {"the same path in other letter case", "c:\\windows\\zembri~1.scr", FirstBackup, FirstBackup},
      {"the same path, no earlier backup", NewPath, nullptr, MissingText},
      {"no setting", nullptr, FirstBackup, FirstBackup},
      {"no setting, no earlier backup", nullptr, nullptr, MissingText},
      {"an empty setting", "", nullptr, MissingText},
      {"a setting of 300 characters", medium.c_str(), nullptr, medium},
      {"a setting of 2048 characters", longest.c_str(), nullptr, longest},
      // Longer than any setting the engine accepts: no backup rather than a cut one.
      {"a setting of 2049 characters", tooLong.c_str(), nullptr, MissingText},
      // Our own file under another of its names is no choice of the user's: the backup of the
      // first installation stays.
      {"our long path", "C:\\WINDOWS\\Zembrino's Screen Saver.scr", FirstBackup, FirstBackup},
      {"our short name in another directory form", "C:\\PROGRA~1\\..\\WINDOWS\\zembri~1.scr",
       FirstBackup, FirstBackup},
      {"our long path in quotes", "\"c:\\windows\\ZEMBRINO'S SCREEN SAVER.SCR\"", nullptr,
       MissingText},
      {"the name of earlier versions", "C:\\WINDOWS\\Zembrino's Screensaver.scr", FirstBackup,
       FirstBackup},
      {"another short name beside ours", "C:\\WINDOWS\\ZEMBRI~2.SCR", FirstBackup,
       "C:\\WINDOWS\\ZEMBRI~2.SCR"},
      {"a name that only begins like ours", "C:\\WINDOWS\\Zembrino's Screen Saver.scr.old",
       FirstBackup, "C:\\WINDOWS\\Zembrino's Screen Saver.scr.old"},
  };
  for (bool nt : {true, false}) {
    for (const Case& c : cases) {
      INFO((std::string(nt ? "NT family: " : "95/98 family: ") + c.name));
      Fresh(nt);
      if (c.previous) SetSetting(nt, c.previous);
      if (c.earlierBackup)
        SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, c.earlierBackup);

      const Trace trace = Activate();

      CHECK(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
      CHECK(Backup() == c.expectedBackup);
      CHECK(Setting(nt) == NewPath);
      CHECK(Setting(!nt) == MissingText);
      CheckSwitchedOn(trace);
    }
  }
}

TEST_CASE_FIXTURE(ActivationFixture, "NT family: the Desktop key is closed before screen saving "
                                     "is switched on, the backup key only after") {
  SetSetting(true, OtherSaver);
  const Trace trace = Activate();
  CHECK(CallNames(trace, {"RegCreateKeyA", "GetVersionExA", "RegOpenKeyExA", "RegSetValueExA",
                          "RegCloseKey", "SystemParametersInfoA"}) ==
        std::vector<std::string>{"RegCreateKeyA", "GetVersionExA", "RegOpenKeyExA",
                                 "RegSetValueExA", "RegSetValueExA", "RegCloseKey",
                                 "SystemParametersInfoA", "RegCloseKey"});
  CHECK(CallDetails(trace, "RegCreateKeyA") == std::vector<std::string>{BackupKeyPath});
  CHECK(CallDetails(trace, "RegOpenKeyExA") == std::vector<std::string>{DesktopKeyPath});
#ifndef _WIN32
  CHECK(sys::host::PredefinedRootCloses() == 0);
#endif
}

TEST_CASE_FIXTURE(ActivationFixture, "NT family: a setting that is not a plain string counts as "
                                     "none and is replaced by one") {
  SetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, REG_EXPAND_SZ,
                   std::string("C:\\OTHER\\OLD.SCR\0", 17));
  Activate();
  CHECK(Backup() == MissingText);
  CHECK(Setting(true) == NewPath);
}

TEST_CASE_FIXTURE(ActivationFixture, "a failed version query selects system.ini") {
  SetSetting(false, OtherSaver);
  sys::hooks::FailWhen("GetVersionExA", "");
  const Trace trace = Activate();
  CHECK(Setting(false) == NewPath);
  CHECK(Backup() == OtherSaver);
  CHECK(Setting(true) == MissingText);
  CHECK(CallCount(trace, "RegOpenKeyExA") == 0);
  CheckSwitchedOn(trace);
}

TEST_CASE_FIXTURE(ActivationFixture, "without a backup key nothing changes, not even the switch") {
  struct Case {
    const char* name;
    void (*arm)();
  };
  const Case cases[] = {
      {"the key cannot be created", [] { sys::hooks::FailWhen("RegCreateKeyA", "Backup"); }},
#ifndef _WIN32
      {"the user may not write below the maker's key",
       [] { sys::host::DenyKeyAccess(HKEY_CURRENT_USER, "Software\\Zembrino"); }},
#endif
  };
  for (bool nt : {true, false}) {
    for (const Case& c : cases) {
      INFO((std::string(nt ? "NT family: " : "95/98 family: ") + c.name));
      Fresh(nt);
      SetSetting(nt, OtherSaver);
      c.arm();

      const Trace trace = Activate();

      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
      CHECK(Setting(nt) == OtherSaver);
      CHECK(CallCount(trace, "GetVersionExA") == 0);
      CHECK(CallCount(trace, "SystemParametersInfoA") == 0);
    }
  }
}

TEST_CASE_FIXTURE(ActivationFixture, "NT family: without the Desktop key only the switch is set") {
  SetSetting(true, OtherSaver);
  sys::hooks::FailWhen("RegOpenKeyExA", DesktopKeyPath);
  const Trace trace = Activate();

  CHECK(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
  CHECK(Backup() == MissingText);
  CHECK(Setting(true) == OtherSaver);
  CHECK(Setting(false) == MissingText);
  CheckSwitchedOn(trace);
}

TEST_CASE_FIXTURE(ActivationFixture, "a setting that cannot be written does not stop the switch") {
  for (bool nt : {true, false}) {
    INFO((nt ? "NT family" : "95/98 family"));
    Fresh(nt);
    SetSetting(nt, OtherSaver);
    if (nt)
      sys::hooks::FailWhen("RegSetValueExA", ScreenSaverValueName);
    else
      sys::hooks::FailWhen("WritePrivateProfileStringA", ScreenSaverValueName);

    const Trace trace = Activate();

    CHECK(Backup() == OtherSaver);
    CHECK(Setting(nt) == OtherSaver);
    CheckSwitchedOn(trace);
  }
}
