#include "wizard/agreement_page.h"

#include <cstdlib>
#include <vector>

#include "foundation/loaded_resource.h"
#include "foundation/zstring.h"
#include "install/installation.h"
#include "install/payload_archive.h"
#include "install/product.h"
#include "installer_archive.h"
#include "wizard/page_conventions.h"
#include "wizard/page_guard.h"
#include "wizard/sheet_geometry.h"
#include "wizard/wizard_buttons.h"

namespace {

// The module whose resources hold the archive, as the frame put it into this page's record;
// kept from the page's creation for the installation on Finish.
HINSTANCE ArchiveInstance = nullptr;

std::uint32_t CurrentButtons(HWND page) {
  return AgreementButtons(IsButtonChecked(page, IDC_ACCEPT));
}

// A failed check ends the program before anything has been installed.
void ShowAgreementText(HWND page) {
  HGLOBAL loaded = nullptr;
  const BYTE* bytes = nullptr;
  DWORD size = 0;
  if (!LoadArchiveResource(ArchiveInstance, MAKEINTRESOURCEA(IDR_LICENSE), AgreementTextAdler,
                           &loaded, &bytes, &size)) {
    sys::MessageBoxA(page, ArchiveErrorText, ArchiveErrorTitle, MB_ICONERROR | MB_OK);
    std::exit(0);
  }
  LoadedResource release(loaded);
  // The text carries no NUL of its own: exactly the resource's bytes.
  ZString text(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
  SetWindowTextA(GetDlgItem(page, IDC_LICENSE_TEXT), text.CStr());
}

void OnInitDialog(HWND page, const WizardPageRecord& record) {
  ArchiveInstance = record.hInstance;
  ShowAgreementText(page);
  FitRadioButtonToText(page, IDC_ACCEPT);
}

void OnCommand(HWND page, WPARAM wParam) {
  int id = LOWORD(wParam);
  if ((id == IDC_ACCEPT || id == IDC_REJECT) && HIWORD(wParam) == BN_CLICKED) {
    // An auto radio button has changed its state before it notifies.
    PostWizardButtons(page, CurrentButtons(page));
  }
}

INT_PTR OnNotify(HWND page, const NMHDR& notification) {
  switch (notification.code) {
  case PSN_QUERYCANCEL:
    return AnswerQueryCancel(page);
  case PSN_WIZFINISH:
    // Shows its own messages; the wizard closes whatever happened.
    RunInstallation(page, ArchiveInstance);
    return FALSE;
  case PSN_SETACTIVE:
    PostActivation(page, CurrentButtons(page));
    return FALSE;
  default:
    return FALSE;
  }
}

INT_PTR HandleAgreementMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_INITDIALOG:
    OnInitDialog(page, *reinterpret_cast<const WizardPageRecord*>(lParam));
    return FALSE;
  case WM_COMMAND:
    OnCommand(page, wParam);
    return FALSE;
  case WM_NOTIFY:
    return OnNotify(page, *reinterpret_cast<const NMHDR*>(lParam));
  case WM_FOCUS_DEFAULT_BUTTON:
    FocusDefaultButton(page);
    return FALSE;
  default:
    return FALSE;
  }
}

} // namespace

INT_PTR CALLBACK AgreementDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardPageMessage(&HandleAgreementMessage, page, message, wParam, lParam);
}

bool IsButtonChecked(HWND dialog, int id) {
  return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FitRadioButtonToText(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);

  // The caption and one blank, which DrawTextA measures as the gap after the text.
  int length = GetWindowTextLengthA(button);
  std::vector<char> caption(static_cast<std::size_t>(length) + 2);
  int copied = GetWindowTextA(button, caption.data(), length + 1);
  if (copied < 0 || copied > length) copied = 0;
  caption[copied] = ' ';
  caption[copied + 1] = '\0';

  // The window's context, not the client one, with the font the button draws with.
  HDC context = GetWindowDC(button);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0));
  HGDIOBJ replaced = font != nullptr ? SelectObject(context, font) : nullptr;
  RECT extent{0, 0, 0, 0};
  DrawTextA(context, caption.data(), -1, &extent, DT_CALCRECT | DT_SINGLELINE);

  RECT place{};
  GetWindowRect(button, &place);
  ScreenRectToClient(dialog, &place);
  HorizontalSpan span = RadioButtonSpan(place.right, extent.right);
  MoveWindow(button, span.left, place.top, span.width, place.bottom - place.top, TRUE);

  if (replaced != nullptr) SelectObject(context, replaced);
  ReleaseDC(button, context);
}

void ScreenRectToClient(HWND window, RECT* rect) {
  POINT topLeft{rect->left, rect->top};
  POINT bottomRight{rect->right, rect->bottom};
  ScreenToClient(window, &topLeft);
  ScreenToClient(window, &bottomRight);
  *rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}
