#include <doctest/doctest.h>

#include <string>

#include "res/resource.h"
#include "sheet_driver.h"
#include "wizard/caption.h"
#include "wizard/installer_wizard.h"
#include "wizard/page_conventions.h"
#include "wizard/welcome_text.h"

namespace {

std::string WelcomeText(HWND page) { return WindowText(GetDlgItem(page, IDC_WELCOME_TEXT)); }

std::string ExpectedTextNaming(const char* buttonName) {
  ZString text;
  BuildWelcomeText(text, ZString(buttonName));
  return text.CStr();
}

// Lets a test decide what the sheet answers to DM_GETDEFID.
WNDPROC SheetProcedure = nullptr;
LRESULT DefaultIdAnswer = 0;

LRESULT CALLBACK AnswerDefaultId(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == DM_GETDEFID) return DefaultIdAnswer;
  return CallWindowProcA(SheetProcedure, window, message, wParam, lParam);
}

} // namespace

TEST_CASE_FIXTURE(WizardFixture, "The Welcome page centres the wizard and offers only Next") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 0);

  RECT frame{};
  GetWindowRect(sheet.Window(), &frame);
  int width = frame.right - frame.left;
  int height = frame.bottom - frame.top;
  CHECK(frame.left == (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  CHECK(frame.top == (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

  CHECK_FALSE(IsWindowEnabled(sheet.Button(IDC_SHEET_BACK)));
  CHECK(IsWindowEnabled(sheet.Button(IDC_SHEET_NEXT)));
  CHECK(GetFocus() == sheet.Button(IDC_SHEET_NEXT));
}

TEST_CASE_FIXTURE(WizardFixture, "The Welcome text names the Next button as it is labelled") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 0);
  HWND page = sheet.CurrentPage();
  HWND next = sheet.Button(IDC_SHEET_NEXT);

  SUBCASE("as the sheet labels it when the page opens") {
    ZString caption(WindowText(next).c_str());
    CleanButtonCaption(caption);
    CHECK(WelcomeText(page) == ExpectedTextNaming(caption.CStr()));
  }

  SUBCASE("read afresh each time, cleaned of markers and arrows") {
    struct Case {
      std::string caption;
      std::string name;
    };
    const Case cases[] = {
        {"&Weiter >", "Weiter"},
        {"&>", "Next"},
        {std::string(120, 'x'), std::string(99, 'x')}, // a longer caption is cut first
    };
    for (const Case& c : cases) {
      CAPTURE(c.caption);
      SetWindowTextA(next, c.caption.c_str());
      PostMessageA(page, WM_FOCUS_DEFAULT_BUTTON, 0, 0);
      FlushMessages();
      CHECK(WelcomeText(page) == ExpectedTextNaming(c.name.c_str()));
    }
  }
}

TEST_CASE_FIXTURE(WizardFixture, "Only a default button that the sheet names gets the focus") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 0);
  HWND page = sheet.CurrentPage();
  HWND cancel = sheet.Button(IDC_SHEET_CANCEL);
  SetWindowTextA(sheet.Button(IDC_SHEET_NEXT), "&Weiter >");
  SheetProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      sheet.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&AnswerDefaultId)));

  struct Case {
    LRESULT answer;
    HWND focusBefore;
    HWND focusAfter;
    const char* name;
  };
  const Case cases[] = {
      {0, cancel, cancel, "Next"},
      {MAKELONG(IDC_SHEET_NEXT, 0x1234), cancel, cancel, "Next"},
      {MAKELONG(IDCANCEL, DC_HASDEFID), sheet.Button(IDC_SHEET_NEXT), cancel, "Cancel"},
  };
  for (const Case& c : cases) {
    CAPTURE(c.answer);
    DefaultIdAnswer = c.answer;
    SetFocus(c.focusBefore);
    REQUIRE(GetFocus() == c.focusBefore);
    PostMessageA(page, WM_FOCUS_DEFAULT_BUTTON, 0, 0);
    FlushMessages();
    CHECK(GetFocus() == c.focusAfter);
    CHECK(WelcomeText(page) == ExpectedTextNaming(c.name));
  }
  SetWindowLongPtrA(sheet.Window(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SheetProcedure));
}

TEST_CASE_FIXTURE(WizardFixture, "Coming back from the Agreement page rebuilds the Welcome page") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 0);
  HWND welcome = sheet.CurrentPage();
  std::string text = WelcomeText(welcome);
  REQUIRE_FALSE(text.empty());

  sheet.Press(PSBTN_NEXT);
  REQUIRE(sheet.CurrentPage() != welcome);
  SetWindowTextA(GetDlgItem(welcome, IDC_WELCOME_TEXT), "");
  sheet.Press(PSBTN_BACK);

  CHECK(sheet.CurrentPage() == welcome);
  CHECK(WelcomeText(welcome) == text);
  CHECK_FALSE(IsWindowEnabled(sheet.Button(IDC_SHEET_BACK)));
  CHECK(IsWindowVisible(sheet.Button(IDC_SHEET_NEXT)));
  CHECK(IsWindowEnabled(sheet.Button(IDC_SHEET_NEXT)));
}
