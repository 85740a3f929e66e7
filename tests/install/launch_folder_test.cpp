// Under Wine: a program the installer launches starts in the folder the launch names, not in
// the installer's own current folder, whichever that was.
#include <doctest/doctest.h>

#ifdef _WIN32

#include <cstdlib>
#include <string>

#include "install/launch_from_folder.h"
#include "support/test_machine.h"
#include "support/time_factor.h"

namespace {

std::string ProbePath() {
  const char* hostPath = std::getenv("ZM_FOLDER_PROBE");
  REQUIRE_MESSAGE(hostPath != nullptr, "ZM_FOLDER_PROBE is not set");
  // Wine shows the host's root directory as drive Z:.
  std::string path = std::string("Z:") + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// The probe's answer, once it has written it.
std::string AwaitFolder(const std::string& report) {
  for (DWORD waited = 0; waited < Patience(20000); waited += 100) {
    std::string text = ReadFileBytes(report);
    if (!text.empty()) return text;
    ::Sleep(100);
  }
  return "(no answer)";
}

} // namespace

TEST_CASE("a launched program starts in the folder the launch names") {
  char system[MAX_PATH], temporary[MAX_PATH];
  REQUIRE(::GetSystemDirectoryA(system, MAX_PATH) > 0);
  REQUIRE(::GetTempPathA(MAX_PATH, temporary) > 0);
  const std::string report = std::string(temporary) + "zm-launch-folder.txt";
  ::DeleteFileA(report.c_str());
  // The launching program's own current folder is another one, as a downloaded installer's is.
  REQUIRE(::SetCurrentDirectoryA(temporary));

  const std::string command = "\"" + ProbePath() + "\" " + report;
  CHECK(LaunchFromFolder(ZString(system), ZString(command.c_str())));
  const std::string folder = AwaitFolder(report);
  CHECK_MESSAGE(folder == system, "expected " << system << ", found " << folder);
  ::DeleteFileA(report.c_str());
}

#endif
