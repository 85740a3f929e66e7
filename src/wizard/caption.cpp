#include "wizard/caption.h"

namespace {

bool IsEmpty(const ZString& text) { return text.Length() == 0; }

} // namespace

void CleanButtonCaption(ZString& caption) {
  caption.Trim();
  if (IsEmpty(caption)) {
    caption.Assign(FallbackNextCaption);
    return;
  }

  for (int i = 0; i < caption.Length();) {
    if (caption.CharAt(i) == '&') {
      caption.Erase(i, 1);
    } else {
      ++i;
    }
  }
  // Only the arrows at the very end: a '>' inside the name is part of it.
  while (!IsEmpty(caption) && caption.CharAt(caption.Length() - 1) == '>') {
    caption.Erase(caption.Length() - 1, 1);
  }

  caption.Trim();
  if (IsEmpty(caption)) caption.Assign(FallbackNextCaption);
}
