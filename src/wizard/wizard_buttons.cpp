#include "wizard/wizard_buttons.h"

std::uint32_t AgreementButtons(bool accepted) {
  return WizardButton::Back | (accepted ? WizardButton::Finish : WizardButton::DisabledFinish);
}

bool DefaultButtonId(std::uint32_t answer, int* controlId) {
  if (answer == 0 || (answer >> 16) != HasDefaultIdMarker) return false;
  *controlId = static_cast<int>(answer & 0xFFFF);
  return true;
}
