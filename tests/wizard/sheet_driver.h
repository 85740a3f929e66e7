// Drives the wizard's pages for real on the test's own thread: a modeless sheet built from the
// frame's own records, the sheet's buttons, and the delivery of posted messages.
#pragma once

#include <string>
#include <vector>

#include "res/resource.h"
#include "wizard/wizard.h"

// A clean slate for each case: no traced calls or faults, no recorded boxes, no failure left
// over from an earlier wizard.
struct WizardFixture {
  WizardFixture();
  ~WizardFixture();
};

// The module that holds the page templates, the icons and the archive: this test program.
HINSTANCE TestModule();

class ModelessSheet {
public:
  // Opens the wizard without a modal loop, exactly as Run would describe it, and lets the
  // start page settle.
  ModelessSheet(const Wizard& wizard, int startPage);
  ~ModelessSheet();
  ModelessSheet(const ModelessSheet&) = delete;
  ModelessSheet& operator=(const ModelessSheet&) = delete;

  HWND Window() const { return Sheet; }
  // Null once the sheet has been finished or cancelled.
  HWND CurrentPage() const;
  HWND Button(int id) const { return GetDlgItem(Sheet, id); }
  // Presses a sheet button (PSBTN_*) the way the platform does, then lets posted messages in.
  void Press(int button);

private:
  std::vector<WizardPageRecord> Records;
  HWND Sheet;
};

// Delivers every message waiting for this thread, through the sheets' dialog navigation.
void FlushMessages();

std::string WindowText(HWND window);

// The installer's archive resource 120, straight from the module.
std::string AgreementResourceText();
