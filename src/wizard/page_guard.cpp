#include "wizard/page_guard.h"

#include <new>

#include <commctrl.h>
#include <prsht.h>

#include "foundation/zstring.h"
#include "install/product.h"

namespace {

WizardFailure Failure = WizardFailure::None;

void EndWizard(HWND page, WizardFailure failure) {
  if (Failure == WizardFailure::None) Failure = failure;
  // Posted: the sheet may be in the middle of creating or switching this very page.
  if (HWND sheet = GetParent(page)) PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

} // namespace

WizardFailure CurrentWizardFailure() { return Failure; }

void ClearWizardFailure() { Failure = WizardFailure::None; }

void ReportOutOfMemory() {
  if (Failure == WizardFailure::OutOfMemory) return;
  // Noted before the box, so that an allocation failing while it is shown adds no second one.
  Failure = WizardFailure::OutOfMemory;
  sys::MessageBoxA(nullptr, "Out of memory.", IrrecoverableErrorTitle, MB_ICONERROR | MB_OK);
}

INT_PTR GuardPageMessage(PageHandler handler, HWND page, UINT message, WPARAM wParam,
                         LPARAM lParam) noexcept {
  if (Failure != WizardFailure::None) return FALSE; // also lets the cancel through unasked

  try {
    INT_PTR result = handler(page, message, wParam, lParam);
    // A failure that was reported and then swallowed on the way still ends the wizard.
    if (Failure != WizardFailure::None) EndWizard(page, Failure);
    return result;
  } catch (const std::bad_alloc&) {
    // The new-handler has shown the box already; this only makes sure of it.
    try {
      ReportOutOfMemory();
    } catch (...) {}
    EndWizard(page, WizardFailure::OutOfMemory);
  } catch (const ZString::EOutOfMem&) {
    try {
      ReportOutOfMemory();
    } catch (...) {}
    EndWizard(page, WizardFailure::OutOfMemory);
  } catch (...) {
    EndWizard(page, WizardFailure::Unexpected);
  }
  return FALSE;
}
