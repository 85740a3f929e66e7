#include "wizard/sheet_geometry.h"

ScreenPoint CentredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  return ScreenPoint{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

HorizontalSpan RadioButtonSpan(int right, int textWidth) {
  int width = textWidth + RadioButtonMargin;
  return HorizontalSpan{right - width, width};
}
