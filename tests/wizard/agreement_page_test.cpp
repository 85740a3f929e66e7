#include <doctest/doctest.h>

#include <string>

#include "res/resource.h"
#include "sheet_driver.h"
#include "wizard/agreement_page.h"
#include "wizard/installer_wizard.h"

namespace {

bool FinishEnabled(const ModelessSheet& sheet) {
  HWND finish = sheet.Button(IDC_SHEET_FINISH);
  return IsWindowVisible(finish) && IsWindowEnabled(finish);
}

void Click(HWND page, int id) {
  SendDlgItemMessageA(page, id, BM_CLICK, 0, 0);
  FlushMessages();
}

RECT ClientPlace(HWND page, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// The caption's width and one blank's, measured with the button's own font.
int CaptionWidth(HWND button) {
  std::string caption = WindowText(button) + " ";
  HDC context = GetDC(button);
  HGDIOBJ replaced =
      SelectObject(context, reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32A(context, caption.c_str(), static_cast<int>(caption.size()), &extent);
  SelectObject(context, replaced);
  ReleaseDC(button, context);
  return extent.cx;
}

} // namespace

TEST_CASE_FIXTURE(WizardFixture, "The Agreement page opens with the archive's text and no choice") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 1);
  HWND page = sheet.CurrentPage();
  HWND text = GetDlgItem(page, IDC_LICENSE_TEXT);

  const std::string agreement = AgreementResourceText();
  CHECK(GetWindowTextLengthA(text) == static_cast<int>(agreement.size()));
  CHECK(WindowText(text) == agreement);
  CHECK(SendMessageA(text, EM_GETFIRSTVISIBLELINE, 0, 0) == 0);

  CHECK_FALSE(IsButtonChecked(page, IDC_ACCEPT));
  CHECK_FALSE(IsButtonChecked(page, IDC_REJECT));
  CHECK(IsWindowEnabled(sheet.Button(IDC_SHEET_BACK)));
  CHECK(IsWindowVisible(sheet.Button(IDC_SHEET_FINISH)));
  CHECK_FALSE(FinishEnabled(sheet));
}

TEST_CASE_FIXTURE(WizardFixture, "Finish is enabled exactly while the agreement is accepted") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 0);
  sheet.Press(PSBTN_NEXT);
  HWND page = sheet.CurrentPage();
  REQUIRE(GetDlgItem(page, IDC_ACCEPT) != nullptr);

  struct Step {
    int click;
    bool accepted;
  };
  const Step steps[] = {{IDC_ACCEPT, true}, {IDC_REJECT, false}, {IDC_ACCEPT, true}};
  for (const Step& step : steps) {
    CAPTURE(step.click);
    Click(page, step.click);
    CHECK(IsButtonChecked(page, IDC_ACCEPT) == step.accepted);
    CHECK(IsButtonChecked(page, IDC_REJECT) == !step.accepted);
    CHECK(FinishEnabled(sheet) == step.accepted);
    CHECK(IsWindowEnabled(sheet.Button(IDC_SHEET_BACK)));
  }

  SUBCASE("and the choice survives a visit to the Welcome page") {
    sheet.Press(PSBTN_BACK);
    sheet.Press(PSBTN_NEXT);
    CHECK(sheet.CurrentPage() == page);
    CHECK(IsButtonChecked(page, IDC_ACCEPT));
    CHECK(FinishEnabled(sheet));
  }
  SUBCASE("also when it was a rejection") {
    Click(page, IDC_REJECT);
    sheet.Press(PSBTN_BACK);
    sheet.Press(PSBTN_NEXT);
    CHECK(IsButtonChecked(page, IDC_REJECT));
    CHECK_FALSE(FinishEnabled(sheet));
  }
}

TEST_CASE_FIXTURE(WizardFixture, "Only a click on a radio button posts new wizard buttons") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 1);
  HWND page = sheet.CurrentPage();
  HWND accept = GetDlgItem(page, IDC_ACCEPT);
  // Checked without a notification: the buttons still show the state of the activation.
  SendMessageA(accept, BM_SETCHECK, BST_CHECKED, 0);
  FlushMessages();
  REQUIRE_FALSE(FinishEnabled(sheet));

  struct Case {
    int id;
    int code;
  };
  const Case ignored[] = {{IDC_ACCEPT, BN_DOUBLECLICKED},
                          {IDC_REJECT, BN_SETFOCUS},
                          {IDC_LICENSE_TEXT, BN_CLICKED},
                          {IDOK, BN_CLICKED}};
  for (const Case& c : ignored) {
    CAPTURE(c.id);
    CAPTURE(c.code);
    SendMessageA(page, WM_COMMAND, MAKEWPARAM(c.id, c.code), 0);
    FlushMessages();
    CHECK_FALSE(FinishEnabled(sheet));
  }

  // The reject button's click also reads only the accept button.
  SendMessageA(page, WM_COMMAND, MAKEWPARAM(IDC_REJECT, BN_CLICKED), 0);
  CHECK_FALSE(FinishEnabled(sheet)); // posted, not sent: not applied yet
  FlushMessages();
  CHECK(FinishEnabled(sheet));
}

TEST_CASE_FIXTURE(WizardFixture, "The accept button fits its caption and keeps its right edge") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 1);
  HWND page = sheet.CurrentPage();
  HWND accept = GetDlgItem(page, IDC_ACCEPT);
  RECT designed{144, 119, 132, 11}; // left, top, width, height in dialog units
  MapDialogRect(page, &designed);
  const int right = designed.left + designed.right;

  RECT place = ClientPlace(page, accept);
  CHECK(place.right == right);
  CHECK(place.right - place.left == CaptionWidth(accept) + 18);
  CHECK(place.top == designed.top);
  CHECK(place.bottom - place.top == designed.bottom);

  // A caption wider than the template's button widens it to the left.
  SetWindowTextA(accept,
                 "I have read, understood and wholeheartedly accept every one of these terms");
  FitRadioButtonToText(page, IDC_ACCEPT);
  RECT wider = ClientPlace(page, accept);
  CHECK(wider.right == right);
  CHECK(wider.right - wider.left == CaptionWidth(accept) + 18);
  CHECK(wider.left < designed.left);
  CHECK(wider.top == place.top);
  CHECK(wider.bottom == place.bottom);
}

TEST_CASE_FIXTURE(WizardFixture, "A screen rectangle becomes the window's client coordinates") {
  InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
  ModelessSheet sheet(wizard, 1);
  HWND page = sheet.CurrentPage();
  POINT origin{0, 0};
  ClientToScreen(page, &origin);
  RECT rect{origin.x + 3, origin.y + 4, origin.x + 30, origin.y + 40};
  ScreenRectToClient(page, &rect);
  CHECK(rect.left == 3);
  CHECK(rect.top == 4);
  CHECK(rect.right == 30);
  CHECK(rect.bottom == 40);
}
