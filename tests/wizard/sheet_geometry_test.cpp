#include <doctest/doctest.h>

#include "wizard/sheet_geometry.h"

TEST_CASE("The wizard is centred on the whole screen, halves cut toward zero") {
  struct Case {
    int screenWidth, screenHeight, windowWidth, windowHeight;
    int x, y;
  };
  const Case cases[] = {
      {1024, 768, 500, 400, 262, 184}, {640, 480, 643, 400, -1, 40}, // -3 / 2 is -1, not -2
      {640, 480, 640, 480, 0, 0},      {800, 600, 801, 603, 0, -1},  {800, 600, 501, 301, 149, 149},
  };
  for (const Case& c : cases) {
    CAPTURE(c.windowWidth);
    CAPTURE(c.windowHeight);
    ScreenPoint at = CentredPosition(c.screenWidth, c.screenHeight, c.windowWidth, c.windowHeight);
    CHECK(at.x == c.x);
    CHECK(at.y == c.y);
  }
}
