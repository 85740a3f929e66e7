// The uninstaller when the temporary folder, where its copy would remove it, is missing: on the
// emulated machine, on both families. Everything else is removed, and the uninstaller itself is
// either queued for deletion at the restart (NT family) or left with a box that names it (95/98
// family, which has no deletion at the restart for a name a later installation may use again).
// The missing folder is not made.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>
#include <vector>

#include "shared/product_names.h"
#include "support/message_boxes.h"
#include "support/test_machine.h"
#include "uninstall/uninstaller.h"

namespace {

using sys::host::Family;

constexpr char MissingFolder[] = "C:\\WINDOWS\\TEMP\\GONE";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

} // namespace

TEST_CASE("without its temporary folder the uninstaller removes the rest and says what stays") {
  struct Case {
    const char* name;
    const char* tmp;
    const char* temp;
  };
  const std::string tooLong = "C:\\" + std::string(MAX_PATH, 'T');
  const Case cases[] = {
      {"TEMP names a folder that is missing", nullptr, MissingFolder},
      {"TMP names a folder that is missing, TEMP one that exists", MissingFolder,
       "C:\\WINDOWS\\TEMP"},
      {"TMP names a folder too long for any path", tooLong.c_str(), "C:\\WINDOWS\\TEMP"},
  };
  for (Family family : {Family::NT, Family::Win9x}) {
    for (const Case& c : cases) {
      INFO((family == Family::NT ? "NT family, " : "95/98 family, ") << c.name);
      sys::host::Reset();
      sys::host::SetFamily(family);
      TakeMessageBoxes();
      const std::string directory =
          family == Family::NT ? "C:\\WINDOWS\\" : "C:\\WINDOWS\\system\\";
      const std::string screenSaver = directory + ScreenSaverFileName;
      const std::string uninstaller = directory + UninstallerFileName;
      WriteFileBytes(screenSaver, "MZ the screen saver");
      WriteFileBytes(uninstaller, "MZ the uninstaller");
      sys::host::SetModuleFileName(uninstaller);
      SetRegistryString(HKEY_LOCAL_MACHINE, UninstallKeyPath, DisplayNameValueName,
                        "Zembrino's Screen Saver");
      SetRegistryString(HKEY_CURRENT_USER, BackupKeyPath, nullptr, "");
      sys::host::SetEnvironmentVariable("TMP", c.tmp);
      sys::host::SetEnvironmentVariable("TEMP", c.temp);

      AnswerNextMessageBox(IDYES);
      const int code = uninstall::RunUninstaller("");
      const std::vector<RecordedBox> boxes = TakeMessageBoxes();

      CHECK_FALSE(FileExists(screenSaver));
      CHECK_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, UninstallKeyPath));
      CHECK_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, BackupKeyPath));
      CHECK(sys::host::StartedProcesses().empty());
      CHECK(sys::GetFileAttributesA(MissingFolder) == INVALID_FILE_ATTRIBUTES);
      REQUIRE_FALSE(boxes.empty());
      const std::string& report = boxes.back().text;
      if (family == Family::NT) {
        // Renamed aside in its own folder and deleted at the restart.
        CHECK(code == 0);
        CHECK_FALSE(FileExists(uninstaller));
        const std::vector<std::string> queued = sys::host::RestartOperations();
        REQUIRE(queued.size() == 1);
        CHECK(queued[0].rfind(directory, 0) == 0);
        CHECK(ReadFileBytes(queued[0]) == "MZ the uninstaller");
        CHECK(Contains(report, "has been removed"));
        CHECK(Contains(report, "restart"));
      } else {
        CHECK(code == 1);
        CHECK(ReadFileBytes(uninstaller) == "MZ the uninstaller");
        CHECK_FALSE(FileExists("C:\\WINDOWS\\wininit.ini"));
        CHECK(Contains(report, "could not remove itself; you may delete zmsaveru.exe"));
      }
    }
  }
}

#endif
