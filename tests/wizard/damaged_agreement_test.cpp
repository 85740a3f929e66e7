#include <doctest/doctest.h>

#include <cstdio>
#include <cstdlib>

#include "foundation/platform_hooks.h"
#include "sheet_driver.h"
#include "support/expected_texts.h"
#include "support/message_boxes.h"
#include "wizard/installer_wizard.h"

// A failed check of the agreement text ends the whole program, so this case has a program of
// its own and judges the end in an exit handler: the status stays 0 only when the end came
// after exactly the archive error box.
namespace {

void JudgeTheEnd() {
  std::vector<RecordedBox> boxes = TakeMessageBoxes();
  bool expected = boxes.size() == 1 && boxes[0].text == expected::ArchiveErrorText &&
                  boxes[0].title == expected::ArchiveErrorTitle &&
                  boxes[0].style == static_cast<UINT>(MB_ICONERROR) && boxes[0].owner != nullptr &&
                  GetDlgItem(boxes[0].owner, 1010) != nullptr;
  if (!expected) {
    std::fprintf(stderr, "the program ended without the archive error box of the page (%u boxes)\n",
                 static_cast<unsigned>(boxes.size()));
    for (const RecordedBox& box : boxes)
      std::fprintf(stderr, "  \"%s\" \"%s\" style %u owner %p\n", box.title.c_str(),
                   box.text.c_str(), box.style, static_cast<void*>(box.owner));
    std::fflush(stderr);
    std::_Exit(1);
  }
  std::printf("[damaged agreement] ended after the archive error box, as it should\n");
  std::fflush(stdout);
}

} // namespace

TEST_CASE("A damaged agreement text ends the program after the archive error box") {
  sys::hooks::FailWhen("FindResourceA", "#120");
  // The record of boxes comes into being before the handler is registered, so that it is still
  // there when the handler runs.
  TakeMessageBoxes();
  std::atexit(&JudgeTheEnd);
  InstallerWizard wizard(TestModule(), nullptr, 0);
  ModelessSheet sheet(wizard, 1);
  FAIL("the wizard went on after the agreement text failed its check");
}
