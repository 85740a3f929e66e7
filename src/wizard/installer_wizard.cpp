#include "wizard/installer_wizard.h"

InstallerWizard::InstallerWizard(HINSTANCE instance, HWND parent, int icon)
    : Wizard(instance, parent, icon) {
  AddPage(&Welcome);
  AddPage(&Agreement);
}
