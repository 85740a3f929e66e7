#include <doctest/doctest.h>

#include <string>

#include "shared/setting_match.h"

namespace {
constexpr char Long[] = "Zembrino's Screen Saver.scr";
constexpr char Short[] = "ZEMBRI~1.SCR";
} // namespace

TEST_CASE("the setting is ours only when its file name is our screen saver's") {
  struct Case {
    const char* setting;
    const char* shortName;
    bool ours;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\SYSTEM\\ZEMBRI~1.SCR", Short, true},
      {"c:\\winnt\\zembri~1.scr", Short, true},
      {"C:\\WINNT\\Zembrino's Screen Saver.scr", Short, true},
      {"D:\\PROGRA~1\\ZEMBRINO'S SCREEN SAVER.SCR", Short, true},
      {"ZEMBRI~1.SCR", Short, true},
      {"C:ZEMBRI~1.SCR", Short, true},
      {"C:/WINNT/ZEMBRI~1.SCR", Short, true},
      {"\"C:\\WINNT\\Zembrino's Screen Saver.scr\"", Short, true},
      {"  C:\\WINNT\\ZEMBRI~1.SCR  ", Short, true},
      {"C:\\WINNT\\ZEMBRI~2.SCR", Short, false},
      {"C:\\WINNT\\system32\\logon.scr", Short, false},
      {"C:\\WINNT\\ZEMBRI~1.SCR.old", Short, false},
      {"C:\\WINNT\\XZEMBRI~1.SCR", Short, false},
      {"C:\\ZEMBRI~1.SCR\\other.scr", Short, false},
      {"C:\\WINNT\\", Short, false},
      {"", Short, false},
      {"\"\"", Short, false},
      // Without our file's short name only the long name can match.
      {"C:\\WINNT\\ZEMBRI~1.SCR", "", false},
      {"C:\\WINNT\\Zembrino's Screen Saver.scr", "", true},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(NamesScreenSaver(c.setting, Long, c.shortName) == c.ours,
                  "setting: '" << c.setting << "', short name '" << c.shortName << "'");
  }
}

// A previous setting that names any of these is the product's own, never the user's choice.
TEST_CASE("every name the product's files have had is the product's") {
  struct Case {
    const char* setting;
    bool screenSaver, anyFile;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\SYSTEM\\ZEMBRI~1.SCR", true, true},
      {"c:\\winnt\\zembrino's screen saver.scr", true, true},
      {"\"C:\\WINNT\\Zembrino's Screensaver.scr\"", true, true},
      {"C:\\PROGRA~1\\ZEMBRINO'S SCREENSAVER.SCR", true, true},
      {"C:\\WINNT\\zmsaveru.exe", false, true},
      {"C:\\WINNT\\ZEMBRI~2.SCR", false, false},
      {"C:\\WINNT\\Zembrino's Screensaver.scr.bak", false, false},
      {"C:\\WINNT\\system32\\logon.scr", false, false},
      {"", false, false},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(NamesProductScreenSaver(c.setting, Short) == c.screenSaver,
                  "setting: " << std::string(c.setting));
    CHECK_MESSAGE(NamesProductFile(c.setting, Short) == c.anyFile,
                  "setting: " << std::string(c.setting));
  }
}
