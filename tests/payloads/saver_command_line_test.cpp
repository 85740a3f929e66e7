#include <doctest/doctest.h>

#include <string>

#include "runtime/command_line.h"
#include "saver/command_line.h"

using saver::Mode;

TEST_CASE("the screen saver understands the switches the system and users pass") {
  struct Case {
    const char* arguments;
    Mode mode;
    unsigned long window;
  };
  const Case cases[] = {
      {"", Mode::Settings, 0},
      {"   ", Mode::Settings, 0},
      {"/s", Mode::FullScreen, 0},
      {"/S", Mode::FullScreen, 0},
      {"-s", Mode::FullScreen, 0},
      {"  /s  ", Mode::FullScreen, 0},
      {"\"/s\"", Mode::FullScreen, 0},
      {"/p 1234", Mode::Preview, 1234},
      {"/P 1234", Mode::Preview, 1234},
      {"-p:1234", Mode::Preview, 1234},
      {"/p:  65540", Mode::Preview, 65540},
      {"/p\t4294967295", Mode::Preview, 4294967295ul},
      {"/l 77", Mode::Preview, 77},
      {"/c", Mode::Settings, 0},
      {"/c:3210", Mode::Settings, 3210},
      {"/C 3210", Mode::Settings, 3210},
      {"-c:3210", Mode::Settings, 3210},
      {"/a 1234", Mode::ChangePassword, 1234},
      {"/A:1234", Mode::ChangePassword, 1234},
      {"-a", Mode::ChangePassword, 0},
      {"/a junk", Mode::ChangePassword, 0},
      {"/x", Mode::Settings, 0},
      {"settings", Mode::Settings, 0},
      // A preview needs a window to draw into; a bad number is no window at all.
      {"/p", Mode::Nothing, 0},
      {"/p 0", Mode::Nothing, 0},
      {"/p abc", Mode::Nothing, 0},
      {"/p 12ab", Mode::Nothing, 0},
      {"/p 4294967296", Mode::Nothing, 0},
      {"/p -5", Mode::Nothing, 0},
      {"/c:junk", Mode::Settings, 0},
  };
  for (const Case& c : cases) {
    saver::Command command = saver::ParseCommandLine(c.arguments);
    CHECK_MESSAGE(command.mode == c.mode, "arguments: '" << c.arguments << "'");
    CHECK_MESSAGE(command.window == c.window, "arguments: '" << c.arguments << "'");
  }
}

TEST_CASE("the arguments begin after the program name, quoted or not") {
  struct Case {
    const char* commandLine;
    const char* arguments;
  };
  const Case cases[] = {
      {"saver.scr /s", "/s"},
      {"C:\\WINDOWS\\ZEMBRI~1.SCR   /p 1234", "/p 1234"},
      {"\"C:\\Program Files\\Zembrino's Screen Saver.scr\" /c:42", "/c:42"},
      {"\"C:\\My Dir\\zmsaveru.exe\"", ""},
      {"zmsaveru.exe", ""},
      {"\"unterminated /s", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(std::string(runtime::SkipProgramName(c.commandLine)) == c.arguments,
                  "command line: " << c.commandLine);
  }
}
