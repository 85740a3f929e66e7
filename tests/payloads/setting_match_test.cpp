#include <doctest/doctest.h>

#include "uninstall/setting_match.h"

namespace {
constexpr char kLong[] = "Zembrino's Screen Saver.scr";
constexpr char kShort[] = "ZEMBRI~1.SCR";
} // namespace

TEST_CASE("the setting is ours only when its file name is our screen saver's") {
  struct Case {
    const char* setting;
    const char* shortName;
    bool ours;
  };
  const Case cases[] = {
      {"C:\\WINDOWS\\SYSTEM\\ZEMBRI~1.SCR", kShort, true},
      {"c:\\winnt\\zembri~1.scr", kShort, true},
      {"C:\\WINNT\\Zembrino's Screen Saver.scr", kShort, true},
      {"D:\\PROGRA~1\\ZEMBRINO'S SCREEN SAVER.SCR", kShort, true},
      {"ZEMBRI~1.SCR", kShort, true},
      {"C:ZEMBRI~1.SCR", kShort, true},
      {"C:/WINNT/ZEMBRI~1.SCR", kShort, true},
      {"\"C:\\WINNT\\Zembrino's Screen Saver.scr\"", kShort, true},
      {"  C:\\WINNT\\ZEMBRI~1.SCR  ", kShort, true},
      {"C:\\WINNT\\ZEMBRI~2.SCR", kShort, false},
      {"C:\\WINNT\\system32\\logon.scr", kShort, false},
      {"C:\\WINNT\\ZEMBRI~1.SCR.old", kShort, false},
      {"C:\\WINNT\\XZEMBRI~1.SCR", kShort, false},
      {"C:\\ZEMBRI~1.SCR\\other.scr", kShort, false},
      {"C:\\WINNT\\", kShort, false},
      {"", kShort, false},
      {"\"\"", kShort, false},
      // Without our file's short name only the long name can match.
      {"C:\\WINNT\\ZEMBRI~1.SCR", "", false},
      {"C:\\WINNT\\Zembrino's Screen Saver.scr", "", true},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(uninstall::NamesScreenSaver(c.setting, kLong, c.shortName) == c.ours,
                  "setting: '" << c.setting << "', short name '" << c.shortName << "'");
  }
}
