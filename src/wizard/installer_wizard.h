// The installer's wizard: the Welcome page, then the Agreement page.
#pragma once

#include "wizard/agreement_page.h"
#include "wizard/welcome_page.h"
#include "wizard/wizard.h"

class InstallerWizard : public Wizard {
public:
  InstallerWizard(HINSTANCE instance, HWND parent, int icon);

private:
  WelcomePage Welcome;
  AgreementPage Agreement;
};
