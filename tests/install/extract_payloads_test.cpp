// The walk over the payload table: the old screen saver file goes first, then every payload in
// order; the first failure shows its message, owned by the caller's window, and ends the walk.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "archive_fixture.h"
#include "foundation/platform_hooks.h"
#include "shared/product_names.h"
#include "support/expected_texts.h"
#include "support/known_wine_deviation.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"

namespace {

const HWND Owner = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x4711));
constexpr char OldScreenSaver[] = "Zembrino's Screensaver.scr";

void CheckExtracted(const std::string& path, const char* original) {
  CAPTURE(path);
  CHECK(ReadFileBytes(path) == FixtureFile(original));
  CHECK(SameTime(FileLastWriteTime(path), PayloadTime));
}

void CheckNothingLeftLoaded() {
  CHECK(CallCount("LoadResource") == CallCount("FreeResource"));
#ifndef _WIN32
  CHECK(sys::host::LoadedResourceCount() == 0);
#endif
}

} // namespace

TEST_CASE("ExtractPayloads writes every payload after deleting the old screen saver file") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  const std::string dir = NewScratchDirectory();
  SUBCASE("an old screen saver file is there") { WriteFileBytes(dir + OldScreenSaver, "old"); }
  SUBCASE("no old screen saver file is there") {}
  sys::hooks::ClearCalls();

  CHECK(ExtractPayloads(ZString(dir.c_str()), Owner, instance, FixturePayloadTable));

  CHECK(TakeMessageBoxes().empty());
  REQUIRE_FALSE(sys::hooks::Calls().empty());
  CHECK(sys::hooks::Calls().front().name == "DeleteFileA");
  CHECK_FALSE(FileExists(dir + OldScreenSaver));
  CheckExtracted(dir + ScreenSaverFileName, "screensaver.bin");
  CheckExtracted(dir + UninstallerFileName, "uninstaller.bin");
  CheckNothingLeftLoaded();
}

// Files copied from a CD keep the read-only attribute on the 95/98 family; an earlier version
// copied that way is replaced all the same.
TEST_CASE("ExtractPayloads replaces an earlier version's read-only files") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  const std::string dir = NewScratchDirectory();
  if (!MakeReadOnlyFiles(
          {dir + OldScreenSaver, dir + ScreenSaverFileName, dir + UninstallerFileName}))
    return;
  bool clearingFails = false;
  SUBCASE("the attributes can be cleared") {}
  SUBCASE("the attributes cannot be cleared") { clearingFails = true; }
  if (clearingFails) sys::hooks::FailWhen("SetFileAttributesA", "", ERROR_ACCESS_DENIED);

  const bool done = ExtractPayloads(ZString(dir.c_str()), Owner, instance, FixturePayloadTable);

  const std::vector<RecordedBox> boxes = TakeMessageBoxes();
  if (!clearingFails) {
    CHECK(done);
    CHECK(boxes.empty());
    CHECK_FALSE(FileExists(dir + OldScreenSaver));
    for (const char* name : {ScreenSaverFileName, UninstallerFileName}) {
      CAPTURE(name);
      CHECK((sys::GetFileAttributesA((dir + name).c_str()) & FILE_ATTRIBUTE_READONLY) == 0);
    }
    CheckExtracted(dir + ScreenSaverFileName, "screensaver.bin");
    CheckExtracted(dir + UninstallerFileName, "uninstaller.bin");
  } else {
    // The file that could not be written is named, and nothing is lost.
    CHECK_FALSE(done);
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].text == "Fatal error: could not copy " + dir + ScreenSaverFileName + ".");
    CHECK(ReadFileBytes(dir + ScreenSaverFileName) == "from the CD");
    CHECK(ReadFileBytes(dir + OldScreenSaver) == "from the CD");
    sys::hooks::ClearFaults();
    for (const char* name : {OldScreenSaver, ScreenSaverFileName, UninstallerFileName})
      sys::SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
  }
  CheckNothingLeftLoaded();
}

TEST_CASE(
    "ExtractPayloads with a table that starts with its end record only deletes the old file") {
  MachineFixture machine;
  HINSTANCE instance = ArchiveModule();
  const std::string dir = NewScratchDirectory();
  WriteFileBytes(dir + OldScreenSaver, "old");
  const std::vector<PayloadEntry> table = Table({});
  sys::hooks::ClearCalls();

  CHECK(ExtractPayloads(ZString(dir.c_str()), Owner, instance, table.data()));

  CHECK(TakeMessageBoxes().empty());
  REQUIRE(sys::hooks::Calls().size() == 1);
  CHECK(sys::hooks::Calls().front().name == "DeleteFileA");
  CHECK_FALSE(FileExists(dir + OldScreenSaver));
}

TEST_CASE("ExtractPayloads stops at the first payload that fails, with the message that fits") {
  const std::string archiveError = expected::ArchiveErrorText;
  const PayloadEntry screenSaver = Record(FixturePayloadTable, "IDR_00");
  const PayloadEntry uninstaller = Record(FixturePayloadTable, "IDR_01");
  PayloadEntry missing = uninstaller;
  std::strcpy(missing.ResourceName, "IDR_NONE");

  enum class Box { ArchiveError, CopyError };
  struct Case {
    const char* what;
    std::vector<PayloadEntry> table;
    Box box;
    int failingWrite; // the WriteFile call made to fail (1 = the first), or 0
    bool targetHeldOpen;
  };
  // The screen saver (one chunk, one write) always comes first and must survive; a third record
  // must never be looked at.
  const Case cases[] = {
      {"a changed stored byte",
       Table({screenSaver, Record(DamagedPayloadTable, "IDR_CHANGED"), uninstaller}),
       Box::ArchiveError, 0, false},
      {"a missing resource", Table({screenSaver, missing, uninstaller}), Box::ArchiveError, 0,
       false},
      {"a stream cut short",
       Table({screenSaver, Record(DamagedPayloadTable, "IDR_CUT"), uninstaller}), Box::CopyError, 0,
       false},
      {"a wrong sum of the inflated file",
       Table({screenSaver, Record(DamagedPayloadTable, "IDR_BADSUM"), uninstaller}), Box::CopyError,
       0, false},
      {"a failing write", Table({screenSaver, uninstaller, uninstaller}), Box::CopyError, 2, false},
      {"a target held open elsewhere", Table({screenSaver, uninstaller, uninstaller}),
       Box::CopyError, 0, true},
  };
  for (const Case& c : cases) {
    INFO(c.what);
    MachineFixture machine;
    HINSTANCE instance = ArchiveModule();
    const std::string dir = NewScratchDirectory();
    HANDLE other = INVALID_HANDLE_VALUE;
    if (c.targetHeldOpen) {
      WriteFileBytes(dir + UninstallerFileName, "held open");
      other = sys::CreateFileA((dir + UninstallerFileName).c_str(), GENERIC_READ, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      REQUIRE(other != INVALID_HANDLE_VALUE);
    }
    if (c.failingWrite > 0) sys::hooks::FailNth("WriteFile", c.failingWrite);
    sys::hooks::ClearCalls();

    CHECK_FALSE(ExtractPayloads(ZString(dir.c_str()), Owner, instance, c.table.data()));

    const std::vector<RecordedBox> boxes = TakeMessageBoxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].owner == Owner);
    CHECK(boxes[0].style == MB_ICONERROR);
    if (c.box == Box::ArchiveError) {
      CHECK(boxes[0].title == "Installation Archive Error");
      CHECK(boxes[0].text == archiveError);
    } else {
      CHECK(boxes[0].title == "File copy error");
      CHECK(boxes[0].text == "Fatal error: could not copy " + dir + UninstallerFileName + ".");
    }
    CHECK(CallCount("FindResourceA") == 2);
    CheckNothingLeftLoaded();
    CheckExtracted(dir + ScreenSaverFileName, "screensaver.bin");
    if (c.targetHeldOpen) {
      sys::CloseHandle(other);
      CHECK(ReadFileBytes(dir + UninstallerFileName) == "held open");
    } else {
      CHECK_FALSE(FileExists(dir + UninstallerFileName));
    }
  }
}
