#include <doctest/doctest.h>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "foundation/platform_hooks.h"
#include "res/resource.h"
#include "sheet_driver.h"
#include "support/expected_texts.h"
#include "support/message_boxes.h"
#include "support/time_factor.h"
#include "wizard/application.h"
#include "wizard/installer_wizard.h"
#include "wizard/page_conventions.h"
#include "wizard/page_guard.h"

// The wizard run modally, as the program runs it, driven from a timer: the sheet's loop
// dispatches a thread timer only when no posted message is waiting, so every tick sees the
// wizard at rest.

namespace {

// Allocations to let through before one fails; -1 for none.
int AllocationsBeforeFailure = -1;
bool AllocationFailed = false;

} // namespace

// An allocation operator that fails on request the way the real one fails: the new-handler
// first, then std::bad_alloc.
void* operator new(std::size_t size) {
  if (AllocationsBeforeFailure == 0) {
    AllocationsBeforeFailure = -1;
    AllocationFailed = true;
    if (std::new_handler handler = std::get_new_handler()) handler();
    throw std::bad_alloc();
  }
  if (AllocationsBeforeFailure > 0) --AllocationsBeforeFailure;
  for (;;) {
    if (void* block = std::malloc(size != 0 ? size : 1)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

// One step of a scripted run, called with the open sheet and the number of steps taken before;
// returns true when the script is done. It runs in a timer callback, so it records what it sees
// for the checks after the run instead of asserting. A message box that a script causes answers
// IDOK, which for the abort question means Yes.
using Step = bool (*)(HWND sheet, int step);

Step Script = nullptr;
int StepsTaken = 0;
bool ScriptDone = false;
int IdleTicks = 0;
bool GaveUp = false;
constexpr UINT TickMilliseconds = 50;
int TicksBeforeGivingUp = 0;

// Allocates nothing: it runs while an allocation failure may be armed.
BOOL CALLBACK FindSheet(HWND window, LPARAM found) {
  char caption[64] = "";
  GetWindowTextA(window, caption, sizeof caption);
  if (IsWindowVisible(window) && std::strcmp(caption, "Zembrino's Screen Saver Installer") == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

HWND OpenSheet() {
  HWND sheet = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), &FindSheet, reinterpret_cast<LPARAM>(&sheet));
  return sheet;
}

HWND CurrentPage(HWND sheet) {
  return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND sheet = OpenSheet();
  if (sheet == nullptr) return;
  if (!ScriptDone) {
    ScriptDone = Script(sheet, StepsTaken++);
    return;
  }
  // A wizard that should have ended by now is closed, so that the test reports instead of
  // hanging.
  if (++IdleTicks > TicksBeforeGivingUp) {
    GaveUp = true;
    AllocationsBeforeFailure = -1;
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  }
}

// Runs body, which runs a wizard modally, with the script driving the wizard.
template <typename Body> void RunScripted(Step script, Body body) {
  Script = script;
  StepsTaken = 0;
  ScriptDone = false;
  IdleTicks = 0;
  GaveUp = false;
  AllocationFailed = false;
  TicksBeforeGivingUp = static_cast<int>(Patience(10000) / TickMilliseconds);
  UINT_PTR timer = SetTimer(nullptr, 0, TickMilliseconds, &OnTick);
  REQUIRE(timer != 0);
  body();
  KillTimer(nullptr, timer);
  AllocationsBeforeFailure = -1;
  std::set_new_handler(nullptr);
  CHECK_FALSE(GaveUp);
}

// What the scripts saw.
HWND SeenPage = nullptr;
int SeenPageControl = 0; // a control that tells the pages apart
int FailAfter = 0;

bool Cancel(HWND sheet, int) {
  SeenPage = CurrentPage(sheet);
  SeenPageControl = GetDlgItem(SeenPage, IDC_ACCEPT) != nullptr         ? IDC_ACCEPT
                    : GetDlgItem(SeenPage, IDC_WELCOME_TEXT) != nullptr ? IDC_WELCOME_TEXT
                                                                        : 0;
  PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
  return true;
}

bool LeaveAlone(HWND, int) { return true; }

// Arms the failure and sets off the page's work. A wizard still open at the next step has not
// met the failure (its work needed fewer allocations) and is cancelled; one that met it must
// end by itself.
template <void (*SetOff)(HWND sheet)> bool FailDuring(HWND sheet, int step) {
  if (step == 0) {
    AllocationsBeforeFailure = FailAfter;
    SetOff(sheet);
    return false;
  }
  AllocationsBeforeFailure = -1;
  return AllocationFailed || Cancel(sheet, step);
}

void RebuildWelcomeText(HWND sheet) {
  PostMessageA(CurrentPage(sheet), WM_FOCUS_DEFAULT_BUTTON, 0, 0);
}
void OpenAgreementPage(HWND sheet) { PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0); }

bool AcceptAndFinish(HWND sheet, int step) {
  switch (step) {
  case 0:
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
    return false;
  case 1:
    SeenPage = CurrentPage(sheet);
    SendDlgItemMessageA(SeenPage, IDC_ACCEPT, BM_CLICK, 0, 0);
    return false;
  default:
    PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
    return true;
  }
}

INT_PTR ThrowOnInit(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_INITDIALOG) throw 42;
  return FALSE;
}

INT_PTR CALLBACK ThrowingDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardPageMessage(&ThrowOnInit, page, message, wParam, lParam);
}

class ThrowingPage final : public WizardPage {
public:
  ThrowingPage() : WizardPage(IDD_WELCOME) {}
  DLGPROC DialogProc() override { return &ThrowingDialogProc; }
};

} // namespace

TEST_CASE_FIXTURE(WizardFixture, "Run opens on its start page and ends with a confirmed cancel") {
  for (int startPage : {0, 1}) {
    CAPTURE(startPage);
    InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
    bool finished = true;
    SeenPageControl = 0;
    RunScripted(&Cancel, [&] { finished = wizard.Run(startPage); });
    CHECK_FALSE(finished);
    CHECK(SeenPageControl == (startPage == 0 ? IDC_WELCOME_TEXT : IDC_ACCEPT));
    CHECK(TakeMessageBoxes().size() == 1);
  }
}

TEST_CASE_FIXTURE(WizardFixture, "Finish runs the installation, whose messages the page owns") {
  // The payload's absence stops the installation at its first step that shows a message.
  sys::hooks::FailWhen("FindResourceA", "IDR_00");
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  SeenPage = nullptr;
  RunScripted(&AcceptAndFinish, [&] { wizard.Run(0); });
  std::vector<RecordedBox> boxes = TakeMessageBoxes();
  REQUIRE(boxes.size() == 1);
  CHECK(boxes[0].text == expected::ArchiveErrorText);
  CHECK(boxes[0].owner == SeenPage);
  CHECK(OpenSheet() == nullptr);
}

TEST_CASE_FIXTURE(WizardFixture, "Running out of memory in a page ends the program after one box") {
  struct Work {
    const char* name;
    Step script;
  };
  const Work works[] = {
      {"rebuilding the Welcome text", &FailDuring<&RebuildWelcomeText>},
      {"opening the Agreement page", &FailDuring<&OpenAgreementPage>},
  };
  for (const Work& work : works) {
    std::string name = work.name;
    CAPTURE(name);
    // Every allocation of the work in turn, until the work needs no more.
    for (FailAfter = 0;; ++FailAfter) {
      CAPTURE(FailAfter);
      int exitCode = -1;
      RunScripted(work.script, [&] { exitCode = RunInstaller(TestModule()); });
      CHECK(exitCode == 0);
      std::vector<RecordedBox> boxes = TakeMessageBoxes();
      REQUIRE(boxes.size() == 1);
      if (!AllocationFailed) {
        CHECK(boxes[0].title == "Abort Installation");
        CHECK(FailAfter > 0);
        break;
      }
      CHECK(boxes[0].owner == nullptr);
      CHECK(boxes[0].text == "Out of memory.");
      CHECK(boxes[0].title == "Irrecoverable error");
      CHECK(boxes[0].style == static_cast<UINT>(MB_ICONERROR));
      CHECK(CurrentWizardFailure() == WizardFailure::OutOfMemory);
      REQUIRE(FailAfter < 100);
    }
  }
}

TEST_CASE_FIXTURE(WizardFixture, "An exception of any kind in a page ends the wizard quietly") {
  ThrowingPage page;
  Wizard wizard(TestModule(), nullptr, 0);
  wizard.AddPage(&page);
  bool finished = true;
  RunScripted(&LeaveAlone, [&] { finished = wizard.Run(0); });
  CHECK_FALSE(finished);
  CHECK(CurrentWizardFailure() == WizardFailure::Unexpected);
  // The cancel that the failure pressed asked nobody.
  CHECK(TakeMessageBoxes().empty());
}
