#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "install/engine_state.h"
#include "install/restore_log.h"
#include "support/restore_log_writer.h"
#include "support/test_machine.h"

namespace {

constexpr char TestSection[] = "ZembrinoTests";
constexpr char MissingKey[] = "Software\\ZembrinoTests\\Missing";

// Three records that each leave their own mark: a registry value, a system.ini entry, and
// another registry value.
struct Marks {
  bool First;
  bool Second;
  bool Third;
};

RestoreLogWriter& FirstRecord(RestoreLogWriter& log) {
  return log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "First", "one");
}
RestoreLogWriter& SecondRecord(RestoreLogWriter& log) {
  return log.ProfileEntry(TestSection, "Second", "two");
}
RestoreLogWriter& ThirdRecord(RestoreLogWriter& log) {
  return log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Third", "three");
}

struct RestoreLogFixture : MachineFixture {
  RestoreLogFixture() : Dir(NewScratchDirectory()), LogPath(Dir + RestoreLogFileName) {
    SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "Untouched", "");
    ClearProfileSection();
  }
  // The tests' own section goes as a whole.
  ~RestoreLogFixture() {
    sys::WritePrivateProfileStringA(TestSection, nullptr, nullptr, SystemIniFileName);
  }

  static void ClearProfileSection() {
    for (const char* key : {"Second", "Key", "Long"}) DeleteProfileEntry(TestSection, key);
  }

  Trace Replay(const RestoreLogWriter& log) {
    WriteFileBytes(LogPath, log.Bytes());
    return ReplayOnly();
  }

  Trace ReplayOnly() const {
    sys::hooks::ClearCalls();
    ReplayRestoreLog(ZString(Dir.c_str()));
    return TakeTrace();
  }

  Marks Applied() const {
    return Marks{RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "First") == "one",
                 ProfileText(TestSection, "Second") == "two",
                 RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "Third") == "three"};
  }

  // Whatever ended the replay, the log was closed before it was deleted.
  void CheckClosedAndDeleted(const Trace& trace) const {
    CHECK_FALSE(FileExists(LogPath));
    const auto calls = CallNames(trace, {"CreateFileA", "ReadFile", "CloseHandle", "DeleteFileA"});
    REQUIRE(calls.size() >= 3);
    CHECK(calls[calls.size() - 2] == "CloseHandle");
    CHECK(calls.back() == "DeleteFileA");
    CHECK(CallCount(trace, "CloseHandle") == 1);
    CHECK(CallDetails(trace, "DeleteFileA") == std::vector<std::string>{LogPath});
  }

  void Reset() {
    DeleteRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, "First");
    DeleteRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, "Third");
    ClearProfileSection();
  }

  std::string Dir;
  std::string LogPath;
};

std::string Repeat(char c, std::size_t count) { return std::string(count, c); }

} // namespace

TEST_CASE_FIXTURE(RestoreLogFixture, "a log ends at its end byte, at the end of the file, at an "
                                     "unknown type byte or at a malformed field") {
  struct Case {
    const char* name;
    RestoreLogWriter log;
    Marks applied;
  };
  RestoreLogWriter wellFormed;
  ThirdRecord(SecondRecord(FirstRecord(wellFormed)));
  RestoreLogWriter wrongFormat(11);
  FirstRecord(wrongFormat);
  RestoreLogWriter ended;
  SecondRecord(FirstRecord(ended).EndByte());
  RestoreLogWriter typeThree;
  SecondRecord(FirstRecord(typeThree).Byte(3));
  RestoreLogWriter leadingTypeThree;
  FirstRecord(leadingTypeThree.Byte(3));

  // After the first record, a record whose field is out of range; then the second record,
  // which must not be reached.
  auto afterFirst = [](auto&& addBad) {
    RestoreLogWriter log;
    FirstRecord(log);
    addBad(log);
    return SecondRecord(log);
  };
  const std::string tooLong = Repeat('x', 1024);
  const Case cases[] = {
      {"an empty file", RestoreLogWriter::Empty(), {false, false, false}},
      {"the format byte 11", wrongFormat, {false, false, false}},
      {"only the format byte", RestoreLogWriter(), {false, false, false}},
      {"the end of the file after the last record", wellFormed, {true, true, true}},
      {"the end byte", ended, {true, false, false}},
      {"the type byte 3 between two records", typeThree, {true, false, false}},
      {"the type byte 3 first", leadingTypeThree, {false, false, false}},
      {"a subkey of length 0",
       afterFirst([](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, WithLength(0), "Third", "three");
       }),
       {true, false, false}},
      {"a value name of length 1024",
       afterFirst([&](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, tooLong, "three");
       }),
       {true, false, false}},
      {"a value name of length 0xFFFFFFFF",
       afterFirst([](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, WithLength(0xFFFFFFFF, "Third"),
                           "three");
       }),
       {true, false, false}},
      {"registry data of length 1024",
       afterFirst([&](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Third", tooLong);
       }),
       {true, false, false}},
      {"registry data of length 0xFFFFFFFF",
       afterFirst([](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "Third",
                           WithLength(0xFFFFFFFF, "three"));
       }),
       {true, false, false}},
      {"a section of length 0x80000000",
       afterFirst([](RestoreLogWriter& log) {
         log.ProfileEntry(WithLength(0x80000000, TestSection), "Key", "value");
       }),
       {true, false, false}},
      {"a profile key of length 0",
       afterFirst(
           [](RestoreLogWriter& log) { log.ProfileEntry(TestSection, WithLength(0), "value"); }),
       {true, false, false}},
      {"a profile value of length 1024",
       afterFirst([&](RestoreLogWriter& log) { log.ProfileEntry(TestSection, "Key", tooLong); }),
       {true, false, false}},
      {"a profile value of length 0xFFFFFFFF",
       afterFirst([](RestoreLogWriter& log) {
         log.ProfileEntry(TestSection, "Key", WithLength(0xFFFFFFFF, "value"));
       }),
       {true, false, false}},
      {"a length beyond the end of the file",
       afterFirst([](RestoreLogWriter& log) {
         log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, WithLength(100, "Third"), "three");
       }),
       {true, false, false}},
  };

  for (const Case& c : cases) {
    INFO(c.name);
    Reset();
    const Trace trace = Replay(c.log);
    const Marks applied = Applied();
    CHECK(applied.First == c.applied.First);
    CHECK(applied.Second == c.applied.Second);
    CHECK(applied.Third == c.applied.Third);
    CheckClosedAndDeleted(trace);
  }
}

TEST_CASE_FIXTURE(RestoreLogFixture, "a log cut at any byte applies exactly the whole records "
                                     "before the cut") {
  RestoreLogWriter full;
  const std::size_t firstEnd = FirstRecord(full).Size();
  const std::size_t secondEnd = SecondRecord(full).Size();
  const std::size_t thirdEnd = ThirdRecord(full).Size();

  for (std::size_t cut = 0; cut <= thirdEnd; ++cut) {
    CAPTURE(cut);
    Reset();
    RestoreLogWriter log = full;
    const Trace trace = Replay(log.CutAt(cut));
    const Marks applied = Applied();
    CHECK(applied.First == (cut >= firstEnd));
    CHECK(applied.Second == (cut >= secondEnd));
    CHECK(applied.Third == (cut >= thirdEnd));
    CheckClosedAndDeleted(trace);
  }
}

TEST_CASE_FIXTURE(RestoreLogFixture, "the longest texts are taken whole") {
  const std::string name = Repeat('n', 1023);
  const std::string data = Repeat('d', 1023);
  const std::string value = Repeat('v', 1023);
  const Trace trace = Replay(RestoreLogWriter()
                                 .RegistryValue(LogRootCurrentUser, TestRegistryRoot, name, data)
                                 .ProfileEntry(TestSection, "Long", value));
  CHECK(RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, name.c_str()) == data);
  CHECK(ProfileText(TestSection, "Long") == value);
  CheckClosedAndDeleted(trace);
}

TEST_CASE_FIXTURE(RestoreLogFixture, "registry data is written up to its first NUL byte") {
  Replay(RestoreLogWriter().RegistryValue(LogRootCurrentUser, TestRegistryRoot, "First",
                                          std::string("on\0e", 4)));
  DWORD type = REG_NONE;
  std::string bytes;
  REQUIRE(GetRegistryValue(HKEY_CURRENT_USER, TestRegistryRoot, "First", &type, &bytes));
  CHECK(type == REG_SZ);
  CHECK(bytes == std::string("on\0", 3));
}

TEST_CASE_FIXTURE(RestoreLogFixture, "a registry record for a missing key is skipped without "
                                     "creating the key") {
  RestoreLogWriter log;
  log.RegistryValue(LogRootCurrentUser, MissingKey, "First", "one");
  const Trace trace = Replay(ThirdRecord(SecondRecord(log)));
  CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, MissingKey));
  CHECK(CallCount(trace, "RegCreateKeyA") == 0);
  const Marks applied = Applied();
  CHECK(applied.Second);
  CHECK(applied.Third);
  CheckClosedAndDeleted(trace);
}

TEST_CASE_FIXTURE(RestoreLogFixture, "empty data does nothing for the registry but removes a "
                                     "system.ini entry") {
  SetRegistryString(HKEY_CURRENT_USER, TestRegistryRoot, "First", "kept");
  SetProfileText(TestSection, "Second", "old");
  RestoreLogWriter log;
  log.RegistryValue(LogRootCurrentUser, TestRegistryRoot, "First", "")
      .ProfileEntry(TestSection, "Second", "");
  const Trace trace = Replay(ThirdRecord(log));
  // The empty registry record opened nothing: the one open is the third record's.
  CHECK(CallCount(trace, "RegOpenKeyExA") == 1);
  CHECK(RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "First") == "kept");
  CHECK(ProfileText(TestSection, "Second") == MissingText);
  CHECK(Applied().Third);
}

TEST_CASE_FIXTURE(RestoreLogFixture, "a root key is the 32-bit handle value the log names") {
  constexpr char machineKey[] = "SOFTWARE\\ZembrinoTests";
  SetRegistryString(HKEY_LOCAL_MACHINE, machineKey, "Untouched", "");
  Replay(RestoreLogWriter()
             .RegistryValue(LogRootLocalMachine, machineKey, "Machine", "lm")
             .RegistryValue(LogRootCurrentUser, TestRegistryRoot, "User", "cu"));
  CHECK(RegistryText(HKEY_LOCAL_MACHINE, machineKey, "Machine") == "lm");
  CHECK(RegistryText(HKEY_CURRENT_USER, TestRegistryRoot, "User") == "cu");
  DeleteRegistryTree(HKEY_LOCAL_MACHINE, machineKey);
#ifndef _WIN32
  CHECK(sys::host::PredefinedRootCloses() == 0);
#endif
}

TEST_CASE_FIXTURE(RestoreLogFixture, "failed writes do not stop the replay") {
  RestoreLogWriter log;
  ThirdRecord(SecondRecord(FirstRecord(log)));
  sys::hooks::FailNth("RegSetValueExA", 1);
  sys::hooks::FailNth("WritePrivateProfileStringA", 1);
  const Trace trace = Replay(log);
  const Marks applied = Applied();
  CHECK_FALSE(applied.First);
  CHECK_FALSE(applied.Second);
  CHECK(applied.Third);
  CheckClosedAndDeleted(trace);
}

TEST_CASE_FIXTURE(RestoreLogFixture, "without a readable log nothing is applied and the deletion "
                                     "is still attempted") {
  Trace trace;
  SUBCASE("no log") { trace = ReplayOnly(); }
  SUBCASE("a log that cannot be opened") {
    RestoreLogWriter log;
    WriteFileBytes(LogPath, FirstRecord(log).Bytes());
    sys::hooks::FailNth("CreateFileA", 1);
    trace = ReplayOnly();
  }
  CHECK(CallNames(trace, {"CreateFileA", "ReadFile", "CloseHandle", "DeleteFileA"}) ==
        std::vector<std::string>{"CreateFileA", "DeleteFileA"});
  CHECK(CallDetails(trace, "DeleteFileA") == std::vector<std::string>{LogPath});
  CHECK_FALSE(FileExists(LogPath));
  CHECK_FALSE(Applied().First);
}
