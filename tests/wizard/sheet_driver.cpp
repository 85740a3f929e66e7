#include "sheet_driver.h"

#include <doctest/doctest.h>

#include "foundation/platform_hooks.h"
#include "res/resource.h"
#include "support/message_boxes.h"
#include "wizard/page_guard.h"

namespace {

// Modeless sheets must see their dialog keys themselves.
std::vector<HWND>& OpenSheets() {
  static std::vector<HWND> sheets;
  return sheets;
}

} // namespace

WizardFixture::WizardFixture() {
  sys::hooks::Reset();
  TakeMessageBoxes();
  ClearWizardFailure();
}

WizardFixture::~WizardFixture() {
  sys::hooks::Reset();
  TakeMessageBoxes();
  ClearWizardFailure();
}

HINSTANCE TestModule() { return GetModuleHandleA(nullptr); }

ModelessSheet::ModelessSheet(const Wizard& wizard, int startPage) : Sheet(nullptr) {
  PROPSHEETHEADERA header = wizard.BuildRecords(startPage, Records);
  header.dwFlags |= PSH_MODELESS;
  Sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
  REQUIRE(Sheet != nullptr);
  OpenSheets().push_back(Sheet);
  FlushMessages();
}

ModelessSheet::~ModelessSheet() {
  auto& sheets = OpenSheets();
  for (auto i = sheets.begin(); i != sheets.end(); ++i) {
    if (*i == Sheet) {
      sheets.erase(i);
      break;
    }
  }
  DestroyWindow(Sheet);
  FlushMessages();
}

HWND ModelessSheet::CurrentPage() const {
  return reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

void ModelessSheet::Press(int button) {
  SendMessageA(Sheet, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
  FlushMessages();
}

void FlushMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    bool handled = false;
    for (HWND sheet : OpenSheets()) {
      if (IsWindow(sheet) &&
          SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&message)) != 0) {
        handled = true;
        break;
      }
    }
    if (!handled) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window, &text[0], length + 1);
  text.resize(static_cast<std::size_t>(copied < 0 ? 0 : copied));
  return text;
}

std::string AgreementResourceText() {
  HRSRC found = FindResourceA(TestModule(), MAKEINTRESOURCEA(IDR_LICENSE), "ZEMBRINO");
  REQUIRE(found != nullptr);
  DWORD size = SizeofResource(TestModule(), found);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(TestModule(), found)));
  REQUIRE(bytes != nullptr);
  return std::string(bytes, size);
}
