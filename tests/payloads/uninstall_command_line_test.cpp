#include <doctest/doctest.h>

#include <string>

#include "uninstall/command_line.h"

using uninstall::Mode;

TEST_CASE("the uninstaller reads its switches") {
  struct Case {
    const char* arguments;
    Mode mode;
    unsigned long handle;
    const char* path;
    bool elevated = false;
  };
  const Case cases[] = {
      {"", Mode::Interactive, 0, ""},
      {"/quiet", Mode::Quiet, 0, ""},
      {"  -QUIET ", Mode::Quiet, 0, ""},
      {"/quieter", Mode::Interactive, 0, ""},
      {"/q", Mode::Interactive, 0, ""},
      // The run started through the elevation prompt; it never asks for another.
      {"/elevated", Mode::Interactive, 0, "", true},
      {"-ELEVATED  /quiet", Mode::Quiet, 0, "", true},
      {"/quiet /elevated", Mode::Quiet, 0, ""},
      {"/elevated /finish 8 C:\\x.exe", Mode::Interactive, 0, "", true},
      {"/unknown", Mode::Interactive, 0, ""},
      {"/finish 124 C:\\WINDOWS\\zmsaveru.exe", Mode::FinishSelfRemoval, 124,
       "C:\\WINDOWS\\zmsaveru.exe"},
      {"/FINISH 8 C:\\Program Files\\My Dir\\zmsaveru.exe  ", Mode::FinishSelfRemoval, 8,
       "C:\\Program Files\\My Dir\\zmsaveru.exe"},
      {"/finish 8 \"C:\\My Dir\\zmsaveru.exe\"", Mode::FinishSelfRemoval, 8,
       "C:\\My Dir\\zmsaveru.exe"},
      // Whatever is not exactly a handle and a path deletes nothing.
      {"/finish", Mode::Invalid, 0, ""},
      {"/finish 124", Mode::Invalid, 0, ""},
      {"/finish 0 C:\\x.exe", Mode::Invalid, 0, ""},
      {"/finish x C:\\x.exe", Mode::Invalid, 0, ""},
      {"/finish 12C:\\x.exe", Mode::Invalid, 0, ""},
      {"/finish 12 \"\"", Mode::Invalid, 0, ""},
      {"/finish 12 C:\\a\"b.exe", Mode::Invalid, 0, ""},
  };
  for (const Case& c : cases) {
    uninstall::Command command;
    uninstall::ParseCommandLine(c.arguments, &command);
    CHECK_MESSAGE(command.mode == c.mode, "arguments: '" << c.arguments << "'");
    CHECK_MESSAGE(command.waitHandle == c.handle, "arguments: '" << c.arguments << "'");
    CHECK_MESSAGE(std::string(command.path) == c.path, "arguments: '" << c.arguments << "'");
    CHECK_MESSAGE(command.elevated == c.elevated, "arguments: '" << c.arguments << "'");
  }
}

TEST_CASE("a path that does not fit the buffer is refused, not cut") {
  std::string arguments = "/finish 8 C:\\" + std::string(300, 'a') + ".exe";
  uninstall::Command command;
  uninstall::ParseCommandLine(arguments.c_str(), &command);
  CHECK(command.mode == Mode::Invalid);
}
