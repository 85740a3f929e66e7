// Message boxes in tests are recorded, never shown, in both builds.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"

struct RecordedBox {
  HWND owner;
  std::string text;
  std::string title;
  UINT style;
};

// The boxes shown since the last call, in order; clears the record.
std::vector<RecordedBox> TakeMessageBoxes();

// The button that the next box "returns"; boxes without a queued answer return IDOK.
void AnswerNextMessageBox(int button);

// Installs the recorder as the platform's message-box handler (done once by the test main).
void RecordMessageBoxes();
