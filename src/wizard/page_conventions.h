// What every page of the wizard does the same way: confirming a cancel, setting the wizard
// buttons when it becomes active, and moving the focus to the sheet's default button. The
// sheet is always the page's parent window.
#pragma once

#include <cstdint>

#include "foundation/platform.h"

// Private to the pages: a page posts it to itself after posting its buttons, so that it is
// handled once the sheet has applied them. wParam and lParam are 0.
inline constexpr UINT WM_FOCUS_DEFAULT_BUTTON = WM_APP + 2;

// Asks whether to abort the installation, in a box owned by owner. True means abort; so does a
// box that could not be shown.
bool ConfirmAbort(HWND owner);

// The answer to PSN_QUERYCANCEL: lets the sheet close when the user confirms, and otherwise
// keeps it open on the same page.
INT_PTR AnswerQueryCancel(HWND page);

// The handling of PSN_SETACTIVE: posts the page's wizard buttons (WizardButton flags) to the
// sheet and then WM_FOCUS_DEFAULT_BUTTON to the page. Posted, never sent, so that both arrive
// in this order after the sheet has finished the activation.
void PostActivation(HWND page, std::uint32_t buttons);

// Posts the page's wizard buttons to the sheet.
void PostWizardButtons(HWND page, std::uint32_t buttons);

// The handling of WM_FOCUS_DEFAULT_BUTTON: gives the sheet's default button the keyboard focus
// and returns it. Returns null, leaving the focus alone, when the sheet names no such button.
HWND FocusDefaultButton(HWND page);
