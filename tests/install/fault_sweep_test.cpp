// Every platform call of a whole installation, made to fail in turn. A successful run is traced
// once; then, on a fresh machine each time, the i-th call of that trace fails and the outcome is
// compared with the table below: which message boxes appear (exact texts), which effects of the
// installation must be missing, which may be missing, and that nothing else on the machine
// differs from either the state before or the state after a successful installation. Whatever
// fails, no payload file is ever left half-written and the installation returns.
//
// Needs a whole new machine for every fault, so it runs on the emulated platform only.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <map>
#include <string>
#include <vector>
#include <zlib.h>

#include "SEQUENCE_archive.h"
#include "foundation/platform_hooks.h"
#include "install/engine_state.h"
#include "install/installation.h"
#include "install/payload_archive.h"
#include "install/restore_log.h"
#include "install/screen_saver_activation.h"
#include "install/uninstall_registration.h"
#include "shared/product_names.h"
#include "support/expected_texts.h"
#include "support/machine_snapshot.h"
#include "support/message_boxes.h"
#include "support/restore_log_writer.h"
#include "support/test_machine.h"

namespace {

using sys::host::Family;

const HWND Owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x5150));
constexpr char WindowsDir[] = "C:\\WINDOWS\\";
constexpr char Win9xDir[] = "C:\\WINDOWS\\system\\";
constexpr char OtherSaver[] = "C:\\OTHER\\OLD.SCR";
constexpr char TestSection[] = "ZembrinoTests";

// Snapshot items, named as TakeSnapshot names them; a pattern matches every item containing it.
constexpr char Everything[] = "";
constexpr char LogValue[] = "ZembrinoTests [Restored]";
constexpr char LogEntry[] = "ini:[ZembrinoTests] Restored";
constexpr char OlderFile[] = "Zembrino's Screensaver.scr";
constexpr char BackupKeys[] = "HKEY_CURRENT_USER\\Software\\Zembrino\\";
constexpr char BackupValue[] = "Backup []";
constexpr char RegistrySetting[] = "Desktop [scrnsave.exe]";
constexpr char ProfileSetting[] = "ini:[boot] scrnsave.exe";
constexpr char OlderEntry[] = "Uninstall\\ZmSaver";
constexpr char NewEntry[] = "Uninstall\\Zembrino's Screen Saver";
constexpr char NewEntryName[] = "Zembrino's Screen Saver [DisplayName]";
constexpr char NewEntryCommand[] = "Zembrino's Screen Saver [UninstallString]";

const char* Setting(Family family) {
  return family == Family::NT ? RegistrySetting : ProfileSetting;
}

// Everything after the extraction: the setting, its backup and both uninstall entries (the launch
// and the screen-saving switch are checked on their own).
std::vector<const char*> AfterExtraction() {
  return {RegistrySetting, ProfileSetting, BackupKeys, OlderEntry, NewEntry};
}

std::vector<const char*> Plus(std::vector<const char*> items, std::vector<const char*> more) {
  items.insert(items.end(), more.begin(), more.end());
  return items;
}

struct Box {
  std::string text;
  std::string title;
};

std::string CopyError(const std::string& dir, const char* file) {
  return "Fatal error: could not copy " + dir + file + ".";
}

// What a failure leads to.
struct Outcome {
  const char* what;
  std::vector<Box> boxes;
  std::vector<const char*> notDone;  // items exactly as before the installation
  std::vector<const char*> mayMiss;  // items as before or as after a successful installation
  std::vector<const char*> anywhere; // items that may take other values (checked on their own)
  bool switchedOn = true;            // the screen-saving switch is asked for
  bool launched = true;              // the Display settings are asked for
  bool swept = true;                 // false: a failure the emulation cannot make realistic
};

// The failing call, as the table sees it: its name, its detail and, for the calls that name no
// resource or file themselves, the resource and the file that were last asked for before it.
struct FailingCall {
  std::string name;
  std::string context;
  int nth;
};

struct Rule {
  const char* name;
  const char* contextContains;
  Outcome (*outcome)(Family family, const std::string& dir);
  int onlyNth = 0;          // 0: every call of that name
  bool onlyOnNt = false;    // the rule holds on the NT family alone
  bool onlyOnWin9x = false; // on the 95/98 family alone
};

Outcome NoEffect(Family, const std::string&) { return {"no effect", {}, {}, {}, {}}; }

Outcome NothingLaunched(Family family, const std::string& context) {
  Outcome outcome = NoEffect(family, context);
  outcome.what = "nothing launched";
  outcome.launched = false;
  return outcome;
}

Outcome NoDirectory(Family, const std::string&) {
  return {"no directory: the first message, nothing else",
          {{"Error determining installation directory. Please\n"
            "reboot your computer and try installing again.",
            "Error"}},
          {Everything},
          {},
          {},
          false,
          false};
}

Outcome ArchiveError(const char* file, std::vector<const char*> notDone) {
  return {file, {{expected::ArchiveErrorText, expected::ArchiveErrorTitle}}, notDone, {}, {}, false,
          false};
}

Outcome ScreenSaverArchiveError(Family, const std::string&) {
  return ArchiveError("archive error at the screen saver",
                      Plus(AfterExtraction(), {ScreenSaverFileName, UninstallerFileName}));
}

Outcome UninstallerArchiveError(Family, const std::string&) {
  return ArchiveError("archive error at the uninstaller",
                      Plus(AfterExtraction(), {UninstallerFileName}));
}

Outcome ScreenSaverCopyError(Family, const std::string& dir) {
  return {"copy error at the screen saver",
          {{CopyError(dir, ScreenSaverFileName), "File copy error"}},
          Plus(AfterExtraction(), {ScreenSaverFileName, UninstallerFileName}),
          {},
          {},
          false,
          false};
}

Outcome UninstallerCopyError(Family, const std::string& dir) {
  return {"copy error at the uninstaller",
          {{CopyError(dir, UninstallerFileName), "File copy error"}},
          Plus(AfterExtraction(), {UninstallerFileName}),
          {},
          {},
          false,
          false};
}

Outcome NoShortPath(Family, const std::string&) {
  return {"no short path: the second message, files stay",
          {{"Error registering Zembrino's Screen Saver. Please\n"
            "reboot your computer and try installing again.",
            "Error"}},
          AfterExtraction(),
          {},
          {},
          false,
          false};
}

// On the NT family a failed first version query picks the 95/98 installation directory; the
// activation asks again and still writes the registry setting.
Outcome InstallsIntoSystemFolder(Family, const std::string&) {
  return {"installs into the 95/98 folder",
          {},
          {RestoreLogFileName, LogValue, LogEntry, OlderFile,
           "WINDOWS\\Zembrino's Screen Saver.scr", "WINDOWS\\zmsaveru.exe"},
          {},
          {RegistrySetting, NewEntryCommand, "system\\Zembrino's Screen Saver.scr",
           "system\\zmsaveru.exe"}};
}

// On the NT family a failed second version query writes the setting to system.ini instead.
Outcome SettingInProfile(Family, const std::string&) {
  return {"setting in system.ini instead", {}, {RegistrySetting}, {}, {ProfileSetting}};
}

Outcome Missing(const char* what, std::vector<const char*> items) {
  return {what, {}, items, {}, {}};
}

Outcome MayMiss(const char* what, std::vector<const char*> items) {
  return {what, {}, {}, items, {}};
}

const Rule Rules[] = {
    {"GetWindowsDirectoryA", "", NoDirectory},
    {"GetVersionExA", "", InstallsIntoSystemFolder, 1, true},
    {"GetVersionExA", "", SettingInProfile, 2, true},
    {"GetVersionExA", "", NoEffect, 0, false, true},
    // The restore log.
    {"CreateFileA", RestoreLogFileName,
     [](Family, const std::string&) {
       return Missing("the log is not read, but deleted", {LogValue, LogEntry});
     }},
    {"ReadFile", RestoreLogFileName,
     [](Family, const std::string&) {
       return MayMiss("the replay stops early, the log is deleted", {LogValue, LogEntry});
     }},
    {"RegOpenKeyExA", "ZembrinoTests",
     [](Family, const std::string&) { return Missing("one record skipped", {LogValue}); }},
    {"RegSetValueExA", "Restored",
     [](Family, const std::string&) { return Missing("one record lost", {LogValue}); }},
    {"WritePrivateProfileStringA", TestSection,
     [](Family, const std::string&) { return Missing("one record lost", {LogEntry}); }},
    // The payloads.
    // The older file keeps the first short name, so the setting names another one.
    {"DeleteFileA", OlderFile,
     [](Family, const std::string&) {
       return Outcome{
           "the older file stays", {}, {OlderFile}, {}, {RegistrySetting, ProfileSetting}};
     }},
    // After the older file's rule: the log stays the last file opened, so its name is in the
    // context of every later call.
    {"DeleteFileA", RestoreLogFileName,
     [](Family, const std::string&) { return Missing("the log stays", {RestoreLogFileName}); }},
    {"FindResourceA", "res=IDR_00", ScreenSaverArchiveError},
    {"SizeofResource", "res=IDR_00", ScreenSaverArchiveError},
    {"LoadResource", "res=IDR_00", ScreenSaverArchiveError},
    {"LockResource", "res=IDR_00", ScreenSaverArchiveError},
    {"FindResourceA", "res=IDR_01", UninstallerArchiveError},
    {"SizeofResource", "res=IDR_01", UninstallerArchiveError},
    {"LoadResource", "res=IDR_01", UninstallerArchiveError},
    {"LockResource", "res=IDR_01", UninstallerArchiveError},
    {"FreeResource", "", NoEffect},
    {"CreateFileA", "file=Zembrino's Screen Saver.scr", ScreenSaverCopyError},
    {"WriteFile", "file=Zembrino's Screen Saver.scr", ScreenSaverCopyError},
    {"CreateFileA", "file=zmsaveru.exe", UninstallerCopyError},
    {"WriteFile", "file=zmsaveru.exe", UninstallerCopyError},
    // Its result is not looked at: the file is whole, only not stamped.
    {"SetFileTime", "",
     [](Family, const std::string&) {
       return Outcome{"a payload keeps the current time",
                      {},
                      {},
                      {},
                      {ScreenSaverFileName, UninstallerFileName}};
     }},
    // Fails only for a handle that is not open, which the engine never passes; the emulation's
    // injected failure would keep the payload open for good, as no real system does.
    {"CloseHandle", "",
     [](Family, const std::string&) {
       Outcome outcome = NoEffect(Family::NT, "");
       outcome.what = "not swept: closing an open file does not fail";
       outcome.swept = false;
       return outcome;
     }},
    {"GetShortPathNameA", "", NoShortPath},
    // The screen saver setting.
    {"RegCreateKeyA", "Backup",
     [](Family family, const std::string&) {
       Outcome outcome = Missing("setting left alone", {BackupKeys, Setting(family)});
       outcome.switchedOn = false;
       return outcome;
     }},
    {"RegOpenKeyExA", "Control Panel\\Desktop",
     [](Family, const std::string&) {
       return Missing("setting left alone, backup key empty", {RegistrySetting, BackupValue});
     }},
    {"RegQueryValueExA", "scrnsave.exe",
     [](Family, const std::string&) { return Missing("no backup taken", {BackupValue}); }},
    {"GetPrivateProfileStringA", "scrnsave.exe",
     [](Family, const std::string&) { return Missing("no backup taken", {BackupValue}); }},
    {"RegSetValueExA", "scrnsave.exe",
     [](Family, const std::string&) { return Missing("setting not written", {RegistrySetting}); }},
    {"WritePrivateProfileStringA", "scrnsave.exe",
     [](Family, const std::string&) { return Missing("setting not written", {ProfileSetting}); }},
    {"SystemParametersInfoA", "", NoEffect},
    // The uninstall entries.
    {"RegOpenKeyExA", "ZmSaver",
     [](Family, const std::string&) {
       return MayMiss("older entry (partly) stays", {OlderEntry});
     }},
    {"RegOpenKeyExA", "Details",
     [](Family, const std::string&) {
       return MayMiss("older entry (partly) stays", {OlderEntry});
     }},
    {"RegEnumKeyA", "",
     [](Family, const std::string&) {
       return MayMiss("older entry (partly) stays", {OlderEntry});
     }},
    {"RegDeleteKeyA", "",
     [](Family, const std::string&) {
       return MayMiss("older entry (partly) stays", {OlderEntry});
     }},
    {"RegQueryValueExA", "DisplayName",
     [](Family, const std::string&) { return Missing("older entry stays", {OlderEntry}); }},
    {"RegCreateKeyA", "Uninstall",
     [](Family, const std::string&) { return Missing("no uninstall entry", {NewEntry}); }},
    {"RegSetValueExA", "DisplayName",
     [](Family, const std::string&) { return Missing("entry without name", {NewEntryName}); }},
    {"RegSetValueExA", "UninstallString",
     [](Family, const std::string&) {
       return Missing("entry without command", {NewEntryCommand});
     }},
    // The only other value written: the backup of the previous setting (the default value).
    {"RegSetValueExA", "",
     [](Family, const std::string&) { return Missing("no backup taken", {BackupValue}); }},
    {"RegCloseKey", "", NoEffect},
    // The launch: without the system folder to start from, nothing is launched.
    {"GetSystemDirectoryA", "", NothingLaunched},
    {"SetCurrentDirectoryA", "", NothingLaunched},
    {"WinExec", "", NoEffect},
};

const Rule* FindRule(const FailingCall& call, Family family) {
  for (const Rule& rule : Rules) {
    if (call.name != rule.name) continue;
    if (rule.onlyNth != 0 && rule.onlyNth != call.nth) continue;
    if (rule.onlyOnNt && family != Family::NT) continue;
    if (rule.onlyOnWin9x && family == Family::NT) continue;
    if (call.context.find(rule.contextContains) == std::string::npos) continue;
    return &rule;
  }
  return nullptr;
}

// The calls of a successful installation, each with what the table matches on.
std::vector<FailingCall> FailingCalls(const Trace& trace) {
  std::vector<FailingCall> calls;
  std::map<std::string, int> seen;
  std::string resource;
  std::string file;
  for (const auto& call : trace) {
    if (call.name == "FindResourceA") resource = call.detail;
    if (call.name == "CreateFileA") file = call.detail.substr(call.detail.rfind('\\') + 1);
    calls.push_back(
        {call.name, call.detail + " res=" + resource + " file=" + file, ++seen[call.name]});
  }
  return calls;
}

std::uint32_t Adler(const std::string& bytes) {
  return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

bool Matches(const std::string& item, const std::vector<const char*>& patterns) {
  for (const char* pattern : patterns)
    if (item.find(pattern) != std::string::npos) return true;
  return false;
}

// A payload file is either absent or whole with its bytes; with stamped, also with its time.
void CheckPayloadFiles(bool stamped) {
  for (const char* dir : {WindowsDir, Win9xDir}) {
    for (const PayloadEntry* entry = PayloadTable; entry->ResourceName[0] != 0; ++entry) {
      const std::string path = std::string(dir) + entry->FileName;
      if (!FileExists(path)) continue;
      INFO(path);
      CHECK(Adler(ReadFileBytes(path)) == entry->InflatedAdler);
      if (!stamped) continue;
      const FILETIME time = FileLastWriteTime(path);
      CHECK(time.dwLowDateTime == entry->LastWriteTime.dwLowDateTime);
      CHECK(time.dwHighDateTime == entry->LastWriteTime.dwHighDateTime);
    }
  }
}

struct Run {
  Trace trace;
  std::vector<RecordedBox> boxes;
  Snapshot before;
  Snapshot after;
  int openRegistryHandles;
  int openFileHandles;
};

// A fresh machine with an earlier installation's traces: a previous screen saver in both
// settings, an older uninstall entry of the maker (with a subkey), the older payload file and a
// restore log with a registry record and a system.ini record.
Run Install(Family family, const std::string& failName = "", int failNth = 0) {
  sys::host::Reset();
  sys::host::SetFamily(family);
  sys::hooks::Reset();
  TakeMessageBoxes();
  ClearEngineState();
  const HINSTANCE instance = sys::host::AddModule();
  RegisterSequenceArchive(instance);
  const std::string dir = family == Family::NT ? WindowsDir : Win9xDir;
  SetRegistryString(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, OtherSaver);
  SetProfileText(BootSection, ScreenSaverValueName, OtherSaver);
  SetRegistryString(HKEY_LOCAL_MACHINE, OldUninstallKeyPath, "DisplayName", "Zembrino 1.0");
  SetRegistryString(HKEY_LOCAL_MACHINE, std::string(OldUninstallKeyPath) + "\\Details", "Size",
                    "1");
  SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "Untouched", "");
  WriteFileBytes(dir + OlderFile, "older");
  WriteFileBytes(dir + RestoreLogFileName,
                 RestoreLogWriter()
                     .RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Restored", "yes")
                     .ProfileEntry(TestSection, "Restored", "yes")
                     .EndByte()
                     .Bytes());

  Run run;
  run.before = TakeSnapshot(WindowsDir);
  sys::hooks::ClearCalls();
  if (!failName.empty()) sys::hooks::FailNth(failName, failNth);
  CHECK_NOTHROW(RunInstallation(Owner, instance));
  sys::hooks::ClearFaults();
  run.trace = TakeTrace();
  run.boxes = TakeMessageBoxes();
  run.openRegistryHandles = sys::host::OpenRegistryHandles();
  run.openFileHandles = sys::host::OpenFileHandles();
  run.after = TakeSnapshot(WindowsDir);
  return run;
}

void Sweep(Family family) {
  const std::string dir = family == Family::NT ? WindowsDir : Win9xDir;
  const Run success = Install(family);
  REQUIRE(success.boxes.empty());
  REQUIRE(CallCount(success.trace, "WinExec") == 1);
  CheckPayloadFiles(true);
  // What a successful installation may change at all.
  const std::vector<const char*> effects = {
      RestoreLogFileName,  LogValue,   LogEntry,        OlderFile,  ScreenSaverFileName,
      UninstallerFileName, BackupKeys, Setting(family), OlderEntry, NewEntry};
  for (const auto& [item, value] : success.after)
    if (ValueIn(success.before, item) != value) CHECK_MESSAGE(Matches(item, effects), item);
  for (const auto& [item, value] : success.before)
    if (!success.after.count(item)) CHECK_MESSAGE(Matches(item, effects), item);

  const std::vector<FailingCall> calls = FailingCalls(success.trace);
  MESSAGE(calls.size() << " calls in a successful installation on the "
                       << std::string(family == Family::NT ? "NT" : "95/98") << " family");
  std::map<std::string, int> outcomes;
  for (const FailingCall& call : calls) {
    INFO("the " << call.nth << ". " << call.name << " fails (" << call.context << ")");
    const Rule* rule = FindRule(call, family);
    REQUIRE_MESSAGE(rule, "no outcome in the table for this failure");
    const Outcome expected = rule->outcome(family, dir);
    INFO("expected: " << std::string(expected.what));
    ++outcomes[expected.what];
    if (!expected.swept) continue;

    const Run run = Install(family, call.name, call.nth);

    REQUIRE(run.boxes.size() == expected.boxes.size());
    for (std::size_t i = 0; i < run.boxes.size(); ++i) {
      CHECK(run.boxes[i].text == expected.boxes[i].text);
      CHECK(run.boxes[i].title == expected.boxes[i].title);
      CHECK(run.boxes[i].style == static_cast<UINT>(MB_ICONERROR));
      CHECK(run.boxes[i].owner == Owner);
    }
    CHECK(CallCount(run.trace, "SystemParametersInfoA") == (expected.switchedOn ? 1 : 0));
    CHECK(CallCount(run.trace, "WinExec") == (expected.launched ? 1 : 0));
    CheckPayloadFiles(call.name != "SetFileTime");
    if (call.name != "RegCloseKey") CHECK(run.openRegistryHandles == 0);
    if (call.name != "CloseHandle") CHECK(run.openFileHandles == 0);

    // Every item as before, as after a success, or as the table allows.
    Snapshot items = run.after;
    items.insert(run.before.begin(), run.before.end());
    items.insert(success.after.begin(), success.after.end());
    items.insert(success.before.begin(), success.before.end());
    for (const auto& entry : items) {
      const std::string& item = entry.first;
      if (Matches(item, expected.anywhere)) continue;
      const std::string now = ValueIn(run.after, item);
      // Each machine is made afresh, so the fixture's own files differ in their times from one
      // run to the next: "before" is this run's, "done" the success's where it made a change.
      const std::string before = ValueIn(run.before, item);
      const std::string done = ValueIn(success.before, item) == ValueIn(success.after, item)
                                   ? before
                                   : ValueIn(success.after, item);
      INFO(item << ": before " << before << ", after a success " << done << ", now " << now);
      if (Matches(item, expected.notDone))
        CHECK(now == before);
      else if (Matches(item, expected.mayMiss))
        CHECK((now == before || now == done));
      else
        CHECK(now == done);
    }
  }
  for (const auto& [what, count] : outcomes) MESSAGE(count << " x " << what);
}

} // namespace

TEST_CASE("every single failure of a platform call leads to its specified outcome") {
  SUBCASE("NT family") { Sweep(Family::NT); }
  SUBCASE("95/98 family") { Sweep(Family::Win9x); }
}

#endif
