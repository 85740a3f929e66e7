#include "support/message_boxes.h"

#include <deque>

#include "foundation/platform_hooks.h"

namespace {

std::vector<RecordedBox>& Boxes() {
  static std::vector<RecordedBox> boxes;
  return boxes;
}

std::deque<int>& Answers() {
  static std::deque<int> answers;
  return answers;
}

int Record(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
  Boxes().push_back(RecordedBox{owner, text ? text : "", title ? title : "", style});
  if (Answers().empty()) return IDOK;
  int answer = Answers().front();
  Answers().pop_front();
  return answer;
}

} // namespace

std::vector<RecordedBox> TakeMessageBoxes() {
  std::vector<RecordedBox> taken;
  taken.swap(Boxes());
  return taken;
}

void AnswerNextMessageBox(int button) { Answers().push_back(button); }

void RecordMessageBoxes() { sys::hooks::SetMessageBoxHandler(&Record); }
