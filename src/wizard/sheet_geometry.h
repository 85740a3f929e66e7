// Arithmetic on the wizard's window, kept apart from the window calls so that it can be checked
// on its own.
#pragma once

struct ScreenPoint {
  int x;
  int y;
};

// Where a window of the given size sits when it is centred on a screen of the given size. A
// window larger than the screen gets a negative position; halves are cut toward zero.
ScreenPoint CentredPosition(int screenWidth, int screenHeight, int windowWidth, int windowHeight);

// Extra width of a radio button beyond its caption: the round box and the gap after it.
inline constexpr int RadioButtonMargin = 18;

struct HorizontalSpan {
  int left;
  int width;
};

// A radio button narrowed (or widened) to a caption textWidth pixels wide, keeping its right edge.
HorizontalSpan RadioButtonSpan(int right, int textWidth);
