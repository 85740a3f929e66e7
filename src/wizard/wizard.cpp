#include "wizard/wizard.h"

#include <cstddef>

#include "wizard/common_controls.h"

namespace {

// The header is handed over as the platform's own type, whose first 40 bytes it matches.
static_assert(offsetof(WizardHeaderRecord, pszIcon) == offsetof(PROPSHEETHEADERA, pszIcon));
static_assert(offsetof(WizardHeaderRecord, nStartPage) == offsetof(PROPSHEETHEADERA, nStartPage));
static_assert(offsetof(WizardHeaderRecord, ppsp) == offsetof(PROPSHEETHEADERA, ppsp));
static_assert(offsetof(WizardHeaderRecord, pfnCallback) == offsetof(PROPSHEETHEADERA, pfnCallback));
// The version-1 header ends with the callback.
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) ==
              sizeof(WizardHeaderRecord));

} // namespace

Wizard::Wizard(HINSTANCE instance, HWND parent, int icon)
    : Instance(instance), Parent(parent), Icon(icon) {}

void Wizard::AddPage(WizardPage* page) { Pages.push_back(page); }

WizardHeaderRecord Wizard::BuildRecords(int startPage,
                                        std::vector<WizardPageRecord>& records) const {
  records.assign(Pages.size(), WizardPageRecord{});
  for (std::size_t i = 0; i < Pages.size(); ++i) {
    WizardPageRecord& record = records[i];
    record.dwSize = sizeof(WizardPageRecord);
    record.dwFlags = PSP_DEFAULT;
    record.hInstance = Instance;
    record.pszTemplate = MAKEINTRESOURCEA(Pages[i]->TemplateId);
    record.pfnDlgProc = Pages[i]->DialogProc();
    record.lParam = 0;
  }

  WizardHeaderRecord header{};
  header.dwSize = sizeof(WizardHeaderRecord);
  header.dwFlags = WizardSheetFlags;
  if (Icon != 0) {
    header.dwFlags |= PSH_USEICONID;
    header.pszIcon = MAKEINTRESOURCEA(Icon);
  }
  header.hwndParent = Parent;
  header.hInstance = Instance;
  header.nPages = static_cast<UINT>(records.size());
  header.nStartPage = static_cast<UINT>(startPage);
  header.ppsp = records.data();
  return header;
}

bool Wizard::Run(int startPage) {
  std::vector<WizardPageRecord> records;
  WizardHeaderRecord header = BuildRecords(startPage, records);
  INT_PTR result = RunPropertySheet(reinterpret_cast<LPCPROPSHEETHEADERA>(&header));
  return result > 0;
}
