#include "wizard/welcome_page.h"

#include "foundation/zstring.h"
#include "wizard/caption.h"
#include "wizard/page_conventions.h"
#include "wizard/page_guard.h"
#include "wizard/sheet_geometry.h"
#include "wizard/welcome_text.h"
#include "wizard/wizard_buttons.h"

namespace {

// Room for the default button's caption; a longer one is cut.
constexpr int CaptionBufferSize = 100;

// The whole primary screen, not the work area: the page is the start page, so this happens once,
// as the wizard opens.
void CentreSheet(HWND page) {
  HWND sheet = GetParent(page);
  RECT frame{};
  GetWindowRect(sheet, &frame);
  ScreenPoint at = CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                   frame.right - frame.left, frame.bottom - frame.top);
  SetWindowPos(sheet, HWND_TOP, at.x, at.y, -1, -1, SWP_NOSIZE | SWP_NOACTIVATE);
}

// Built anew at every activation from the caption the default button has then.
void ShowWelcomeText(HWND page) {
  ZString caption;
  if (HWND button = FocusDefaultButton(page)) {
    int copied = GetWindowTextA(button, caption.GetBuffer(CaptionBufferSize), CaptionBufferSize);
    caption.ReleaseBuffer(copied < 0 || copied >= CaptionBufferSize ? 0 : copied);
  }
  CleanButtonCaption(caption);

  ZString text;
  BuildWelcomeText(text, caption);
  SetWindowTextA(GetDlgItem(page, IDC_WELCOME_TEXT), text.CStr());
}

INT_PTR OnNotify(HWND page, const NMHDR& notification) {
  switch (notification.code) {
  case PSN_QUERYCANCEL:
    return AnswerQueryCancel(page);
  case PSN_SETACTIVE:
    PostActivation(page, WelcomeButtons);
    return FALSE;
  default:
    return FALSE;
  }
}

INT_PTR HandleWelcomeMessage(HWND page, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    CentreSheet(page);
    return TRUE;
  case WM_NOTIFY:
    return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
  case WM_FOCUS_DEFAULT_BUTTON:
    ShowWelcomeText(page);
    return FALSE;
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR CALLBACK WelcomeDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardPageMessage(&HandleWelcomeMessage, page, message, wParam, lParam);
}
