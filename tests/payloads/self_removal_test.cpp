// The uninstaller's copy in the temporary folder, which runs with the uninstaller's rights,
// against another program of the same user that can write there: whatever that program does
// at any moment, it can neither change the copy once the copy is held nor have a copy started
// that is not the uninstaller. The other program acts through the platform hooks' observer, at
// the moment of a given call of the uninstaller, on the emulated machine.
#include <doctest/doctest.h>

#ifndef _WIN32

#include <string>
#include <vector>

#include "foundation/platform_hooks.h"
#include "shared/product_names.h"
#include "support/test_machine.h"
#include "uninstall/steps.h"

namespace {

constexpr char Uninstaller[] = "C:\\WINDOWS\\zmsaveru.exe";
constexpr char UninstallerBytes[] = "MZ the uninstaller";
constexpr char OthersBytes[] = "MZ someone else's program";

// What the other program did and what the system answered, and the copy's path once known.
struct Other {
  std::string copy;
  bool copyMade = false;
  bool acted = false;
  DWORD writeError = 0, deleteError = 0, renameError = 0;
};
Other other;

void Stage() {
  sys::host::Reset();
  sys::hooks::Reset();
  WriteFileBytes(Uninstaller, UninstallerBytes);
  sys::host::SetModuleFileName(Uninstaller);
  other = Other{};
}

// The copy's path, from its command line: quoted, first.
std::string CopyOf(const std::string& commandLine) {
  return commandLine.substr(1, commandLine.find('"', 1) - 1);
}

// Just before the copy starts: every way to change it fails.
void TryToChangeHeldCopy(const sys::hooks::Call& call) {
  if (call.name != "CreateProcessA" || other.acted) return;
  other.acted = true;
  other.copy = CopyOf(call.detail);
  HANDLE writer = sys::CreateFileA(other.copy.c_str(), GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  other.writeError = writer == INVALID_HANDLE_VALUE ? sys::GetLastError() : 0;
  if (writer != INVALID_HANDLE_VALUE) sys::CloseHandle(writer);
  other.deleteError = sys::DeleteFileA(other.copy.c_str()) ? 0 : sys::GetLastError();
  const std::string aside = other.copy + ".old";
  other.renameError = sys::MoveFileA(other.copy.c_str(), aside.c_str()) ? 0 : sys::GetLastError();
}

// Between the copy and its hold: the copy is replaced by another program.
void ReplaceCopyBeforeHold(const sys::hooks::Call& call) {
  if (call.name == "CopyFileA") {
    other.copy = call.detail.substr(call.detail.find('|') + 1);
    other.copyMade = true;
    return;
  }
  if (call.name != "CreateFileA" || !other.copyMade || other.acted) return;
  other.acted = true;
  WriteFileBytes(other.copy, OthersBytes);
}

// Between the making of the folder's name and of the folder: the name is taken by a folder of
// another program, which could leave DLLs there for the copy to load.
void TakeFolderName(const sys::hooks::Call& call) {
  if (call.name != "CreateDirectoryA" || other.acted) return;
  other.acted = true;
  REQUIRE(sys::CreateDirectoryA(call.detail.c_str(), nullptr));
}

} // namespace

TEST_CASE("the uninstaller's copy is held so that nobody can write, rename or delete it until "
          "it has started") {
  Stage();
  sys::hooks::SetCallObserver(TryToChangeHeldCopy);
  REQUIRE(uninstall::StartSelfRemoval(Uninstaller));
  sys::hooks::SetCallObserver(nullptr);

  REQUIRE(other.acted);
  CHECK(other.writeError == ERROR_SHARING_VIOLATION);
  CHECK(other.deleteError == ERROR_SHARING_VIOLATION);
  CHECK(other.renameError == ERROR_SHARING_VIOLATION);
  CHECK(ReadFileBytes(other.copy) == UninstallerBytes);
  // In a folder of its own, directly in the temporary folder.
  const std::string folder = other.copy.substr(0, other.copy.rfind('\\'));
  CHECK(folder.rfind("C:\\WINDOWS\\TEMP\\", 0) == 0);
  CHECK(folder.find('\\', sizeof "C:\\WINDOWS\\TEMP\\" - 1) == std::string::npos);
  CHECK(sys::host::StartedProcesses().size() == 1);
  // Let go once it has started.
  CHECK(sys::host::OpenFileHandles() == 0);
}

// A copy takes its original's attributes, and a read-only file can be deleted neither at once
// nor at the restart: the copy of a read-only uninstaller must not be left behind.
TEST_CASE("the copy of a read-only uninstaller can be removed") {
  for (bool starts : {true, false}) {
    CAPTURE(starts);
    Stage();
    REQUIRE(sys::SetFileAttributesA(Uninstaller, FILE_ATTRIBUTE_READONLY));
    if (!starts) sys::hooks::FailWhen("CreateProcessA", "");
    CHECK(uninstall::StartSelfRemoval(Uninstaller) == starts);
    std::string copy;
    for (const sys::hooks::Call& call : sys::hooks::Calls())
      if (call.name == "CopyFileA") copy = call.detail.substr(call.detail.find('|') + 1);
    REQUIRE_FALSE(copy.empty());
    if (starts) {
      CHECK((sys::GetFileAttributesA(copy.c_str()) & FILE_ATTRIBUTE_READONLY) == 0);
    } else {
      CHECK_FALSE(FileExists(copy));
      const std::string folder = copy.substr(0, copy.rfind('\\'));
      CHECK(sys::GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES);
    }
  }
}

TEST_CASE("a copy that is not the uninstaller is never started") {
  const struct {
    const char* moment;
    sys::hooks::CallObserver other;
  } cases[] = {
      {"replaced between the copy and its hold", ReplaceCopyBeforeHold},
      {"the folder's name taken before the folder is made", TakeFolderName},
  };
  for (const auto& c : cases) {
    INFO(c.moment);
    Stage();
    sys::hooks::SetCallObserver(c.other);
    CHECK_FALSE(uninstall::StartSelfRemoval(Uninstaller));
    sys::hooks::SetCallObserver(nullptr);
    CHECK(other.acted);
    CHECK(sys::host::StartedProcesses().empty());
    CHECK(sys::host::OpenFileHandles() == 0);
    CHECK(ReadFileBytes(Uninstaller) == UninstallerBytes);
  }
}

#endif
