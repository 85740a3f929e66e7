// The wizard's first page: greets the user, centres the wizard and names the button that leads
// on, as the sheet really labels it.
#pragma once

#include "res/resource.h"
#include "wizard/wizard.h"

INT_PTR CALLBACK WelcomeDialogProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

class WelcomePage final : public WizardPage {
public:
  WelcomePage() : WizardPage(IDD_WELCOME) {}
  DLGPROC DialogProc() override { return &WelcomeDialogProc; }
};
