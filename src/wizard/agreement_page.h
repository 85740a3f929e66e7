// The wizard's last page: shows the licence agreement from the archive, enables Finish only
// while the agreement is accepted, and runs the installation on Finish.
#pragma once

#include "res/resource.h"
#include "wizard/wizard.h"

INT_PTR CALLBACK AgreementDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

class AgreementPage final : public WizardPage {
public:
  AgreementPage() : WizardPage(IDD_AGREEMENT) {}
  DLGPROC DialogProc() override { return &AgreementDialogProc; }
};

// True exactly when the button is checked (not when it is indeterminate).
bool IsButtonChecked(HWND dialog, int id);

// Makes a radio button as wide as its caption plus the box in front of it, keeping its right
// edge: narrower or wider, only its left edge moves.
void FitRadioButtonToText(HWND dialog, int id);

// Converts a rectangle in screen pixels into the window's client coordinates, in place.
void ScreenRectToClient(HWND window, RECT* rect);
