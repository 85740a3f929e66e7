#include "wizard/wizard.h"

#include <cstddef>

#include "wizard/common_controls.h"

Wizard::Wizard(HINSTANCE instance, HWND parent, int icon)
    : Instance(instance), Parent(parent), Icon(icon) {}

void Wizard::AddPage(WizardPage* page) { Pages.push_back(page); }

PROPSHEETHEADERA Wizard::BuildRecords(int startPage, std::vector<WizardPageRecord>& records) const {
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

  PROPSHEETHEADERA header{};
  header.dwSize = PROPSHEETHEADERA_V1_SIZE;
  header.dwFlags = WizardSheetFlags;
  if (Icon != 0) {
    header.dwFlags |= PSH_USEICONID;
    header.pszIcon = MAKEINTRESOURCEA(Icon);
  }
  header.hwndParent = Parent;
  header.hInstance = Instance;
  header.nPages = static_cast<UINT>(records.size());
  header.nStartPage = static_cast<UINT>(startPage);
  // The platform's type names the latest page record; the sheet steps by each one's dwSize.
  header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(records.data());
  return header;
}

bool Wizard::Run(int startPage) {
  std::vector<WizardPageRecord> records;
  const PROPSHEETHEADERA header = BuildRecords(startPage, records);
  INT_PTR result = RunPropertySheet(&header);
  return result > 0;
}
