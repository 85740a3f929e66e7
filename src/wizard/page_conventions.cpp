#include "wizard/page_conventions.h"

#include <commctrl.h>
#include <prsht.h>

#include "wizard/wizard_buttons.h"

static_assert(WizardButton::Back == PSWIZB_BACK && WizardButton::Next == PSWIZB_NEXT &&
              WizardButton::Finish == PSWIZB_FINISH &&
              WizardButton::DisabledFinish == PSWIZB_DISABLEDFINISH);
static_assert(HasDefaultIdMarker == DC_HASDEFID);

bool ConfirmAbort(HWND owner) {
  int answer = sys::MessageBoxA(
      owner, "Are you sure you want to abort the installation of Zembrino's Screen Saver?",
      "Abort Installation", MB_ICONWARNING | MB_YESNO);
  return answer != IDNO;
}

INT_PTR AnswerQueryCancel(HWND page) {
  if (ConfirmAbort(page)) return FALSE;
  SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

void PostWizardButtons(HWND page, std::uint32_t buttons) {
  PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(buttons));
}

void PostActivation(HWND page, std::uint32_t buttons) {
  PostWizardButtons(page, buttons);
  PostMessageA(page, WM_FOCUS_DEFAULT_BUTTON, 0, 0);
}

HWND FocusDefaultButton(HWND page) {
  HWND sheet = GetParent(page);
  LRESULT answer = SendMessageA(sheet, DM_GETDEFID, 0, 0);
  int id = 0;
  if (!DefaultButtonId(static_cast<std::uint32_t>(answer), &id)) return nullptr;
  HWND button = GetDlgItem(sheet, id);
  // SetFocus(null) would take the focus from every window.
  if (button != nullptr) SetFocus(button);
  return button;
}
