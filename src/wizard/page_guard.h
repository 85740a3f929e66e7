// The boundary between the pages' C++ and the platform's dialog machinery. An exception must
// never unwind through the platform's frames (32-bit MinGW cannot even try), so every page
// procedure runs its handler through GuardPageMessage: it catches everything, notes what went
// wrong in the program-wide failure state and ends the wizard through the sheet's own Cancel.
#pragma once

#include "foundation/platform.h"

enum class WizardFailure {
  None,
  OutOfMemory, // the user has been told
  Unexpected,  // an exception of no known kind
};

// The failure of this run of the wizard, None while all is well.
WizardFailure CurrentWizardFailure();
// Starts a run with a clean slate.
void ClearWizardFailure();

// Tells the user that memory ran out: the one box of that kind in a run, however many
// allocations fail after the first.
void ReportOutOfMemory();

using PageHandler = INT_PTR (*)(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Runs a page's handler for one message. After a failure the pages handle nothing more and let
// the sheet close without asking for confirmation.
INT_PTR GuardPageMessage(PageHandler handler, HWND page, UINT message, WPARAM wParam,
                         LPARAM lParam) noexcept;
