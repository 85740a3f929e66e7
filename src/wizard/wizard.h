// A classic property-sheet wizard built from a list of pages and run modally.
#pragma once

#include <cstddef>
#include <vector>

#include "foundation/platform.h"

#include <commctrl.h>
#include <prsht.h>

// The base of every page: which dialog template to show and which procedure runs it. A page
// holds no other state, and its procedure never reaches back to the object. Pages are not
// deleted through this base, so it needs no virtual destructor.
class WizardPage {
public:
  explicit WizardPage(int templateId) : TemplateId(templateId) {}
  WizardPage(const WizardPage&) = delete;
  WizardPage& operator=(const WizardPage&) = delete;

  virtual DLGPROC DialogProc() = 0;

  int TemplateId;

protected:
  ~WizardPage() = default;
};

// The page and header records in their first versions (40 bytes each in a 32-bit program), which
// every comctl32 reads. Today's PROPSHEETPAGEA is larger, and the sheet steps through the page
// array by each record's dwSize, so the array must be of the first-version type. The header is
// the platform's own, told by its dwSize (PROPSHEETHEADERA_V1_SIZE) to be read as the first
// version.
using WizardPageRecord = PROPSHEETPAGEA_V1;

// The shipped program is 32-bit; a 64-bit build's records hold the same fields at 64-bit sizes.
#ifndef _WIN64
static_assert(sizeof(WizardPageRecord) == 40);
// PROPSHEETHEADERA_V1_SIZE is this sum, spelled in a way no constant expression allows.
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) == 40);
#endif

// The header flags of every wizard this frame builds: a page array, wizard buttons, no Apply.
inline constexpr DWORD WizardSheetFlags = PSH_PROPSHEETPAGE | PSH_WIZARD | PSH_NOAPPLYNOW;

class Wizard {
public:
  // icon: the icon group the frame shows, 0 for none. parent may be null.
  Wizard(HINSTANCE instance, HWND parent, int icon);
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // The wizard does not own the page; it must outlive every Run.
  void AddPage(WizardPage* page);

  // Runs the wizard modally, starting on the given page. True when the sheet reports success.
  bool Run(int startPage);

  // Fills one record per page, in order, and the header that points at them; Run hands these
  // to the platform. records must stay alive while the header is in use.
  PROPSHEETHEADERA BuildRecords(int startPage, std::vector<WizardPageRecord>& records) const;

private:
  std::vector<WizardPage*> Pages;
  HINSTANCE Instance;
  HWND Parent;
  int Icon;
};
