#include <doctest/doctest.h>

#include <cstddef>
#include <string>

#include "res/resource.h"
#include "sheet_driver.h"
#include "support/message_boxes.h"
#include "wizard/installer_wizard.h"
#include "wizard/page_conventions.h"

// The first record versions, which every comctl32 reads: 40 bytes each in the shipped 32-bit
// program, the headers' own first-version sizes in a 64-bit build.
#ifdef _WIN64
const UINT HeaderRecordBytes = PROPSHEETHEADERA_V1_SIZE;
const UINT PageRecordBytes = PROPSHEETPAGEA_V1_SIZE;
#else
const UINT HeaderRecordBytes = 40;
const UINT PageRecordBytes = 40;
#endif

TEST_CASE_FIXTURE(WizardFixture,
                  "The frame describes each page and the sheet in first-version records") {
  HWND parent = reinterpret_cast<HWND>(0x1234);
  for (int icon : {0, IDI_WIZARD}) {
    CAPTURE(icon);
    InstallerWizard wizard(TestModule(), parent, icon);
    std::vector<WizardPageRecord> records;
    const PROPSHEETHEADERA header = wizard.BuildRecords(1, records);

    CHECK(header.dwSize == HeaderRecordBytes);
    CHECK(header.dwFlags == (icon != 0 ? 0xACu : 0xA8u));
    CHECK(header.pszIcon == (icon != 0 ? MAKEINTRESOURCEA(IDI_WIZARD) : nullptr));
    CHECK(header.hwndParent == parent);
    CHECK(header.hInstance == TestModule());
    CHECK(header.pszCaption == nullptr);
    CHECK(header.nPages == 2u);
    CHECK(header.nStartPage == 1u);
    CHECK(static_cast<const void*>(header.ppsp) == records.data());
    CHECK((header.pfnCallback == nullptr));

    REQUIRE(records.size() == 2);
    CHECK(reinterpret_cast<const char*>(&records[1]) - reinterpret_cast<const char*>(&records[0]) ==
          static_cast<std::ptrdiff_t>(PageRecordBytes));
    const int templates[] = {IDD_WELCOME, IDD_AGREEMENT};
    const DLGPROC procedures[] = {&WelcomeDialogProc, &AgreementDialogProc};
    for (int i = 0; i < 2; ++i) {
      CAPTURE(i);
      const WizardPageRecord& record = records[static_cast<std::size_t>(i)];
      CHECK(record.dwSize == PageRecordBytes);
      CHECK(record.dwFlags == 0u);
      CHECK(record.hInstance == TestModule());
      CHECK(record.pszTemplate == MAKEINTRESOURCEA(templates[i]));
      CHECK((record.pfnDlgProc == procedures[i]));
      CHECK(record.lParam == 0);
    }
  }
}

TEST_CASE_FIXTURE(WizardFixture, "The sheet reads every record and opens on the start page") {
  struct Case {
    int startPage;
    int controlOfStartPage;
    int otherPage;
    int controlOfOtherPage;
  };
  const Case cases[] = {{0, IDC_WELCOME_TEXT, 1, IDC_ACCEPT}, {1, IDC_ACCEPT, 0, IDC_WELCOME_TEXT}};
  for (const Case& c : cases) {
    CAPTURE(c.startPage);
    InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
    ModelessSheet sheet(wizard, c.startPage);
    CHECK(GetDlgItem(sheet.CurrentPage(), c.controlOfStartPage) != nullptr);
    CHECK(WindowText(sheet.Window()) == "Zembrino's Screen Saver Installer");

    SendMessageA(sheet.Window(), PSM_SETCURSEL, static_cast<WPARAM>(c.otherPage), 0);
    FlushMessages();
    CHECK(GetDlgItem(sheet.CurrentPage(), c.controlOfOtherPage) != nullptr);
  }
}

TEST_CASE_FIXTURE(WizardFixture, "Abort is confirmed unless the user answers No") {
  struct Case {
    int answer;
    bool abort;
  };
  const Case cases[] = {{IDYES, true}, {IDNO, false}, {0, true}};
  HWND owner = reinterpret_cast<HWND>(0x5678);
  for (const Case& c : cases) {
    CAPTURE(c.answer);
    AnswerNextMessageBox(c.answer);
    CHECK(ConfirmAbort(owner) == c.abort);
    std::vector<RecordedBox> boxes = TakeMessageBoxes();
    REQUIRE(boxes.size() == 1);
    CHECK(boxes[0].owner == owner);
    CHECK(boxes[0].text ==
          "Are you sure you want to abort the installation of Zembrino's Screen Saver?");
    CHECK(boxes[0].title == "Abort Installation");
    CHECK(boxes[0].style == 0x34u);
  }
}

TEST_CASE_FIXTURE(WizardFixture, "Cancel and Escape ask first, on either page") {
  struct Way {
    const char* name;
    void (*cancel)(const ModelessSheet& sheet);
  };
  const Way ways[] = {
      {"Cancel button",
       [](const ModelessSheet& sheet) {
         SendMessageA(sheet.Button(IDC_SHEET_CANCEL), BM_CLICK, 0, 0);
       }},
      {"Escape key",
       [](const ModelessSheet& sheet) {
         PostMessageA(sheet.Button(IDC_SHEET_CANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
       }},
  };
  for (int startPage : {0, 1}) {
    for (const Way& way : ways) {
      CAPTURE(startPage);
      std::string name = way.name;
      CAPTURE(name);
      InstallerWizard wizard(TestModule(), nullptr, IDI_WIZARD);
      ModelessSheet sheet(wizard, startPage);
      HWND page = sheet.CurrentPage();
      REQUIRE(page != nullptr);
      bool nextEnabled = IsWindowEnabled(sheet.Button(IDC_SHEET_NEXT)) != FALSE;

      AnswerNextMessageBox(IDNO);
      way.cancel(sheet);
      FlushMessages();
      std::vector<RecordedBox> boxes = TakeMessageBoxes();
      REQUIRE(boxes.size() == 1);
      CHECK(boxes[0].owner == page);
      CHECK(boxes[0].title == "Abort Installation");
      CHECK(sheet.CurrentPage() == page);
      CHECK((IsWindowEnabled(sheet.Button(IDC_SHEET_NEXT)) != FALSE) == nextEnabled);

      AnswerNextMessageBox(IDYES);
      way.cancel(sheet);
      FlushMessages();
      CHECK(TakeMessageBoxes().size() == 1);
      CHECK(sheet.CurrentPage() == nullptr);
    }
  }
}
