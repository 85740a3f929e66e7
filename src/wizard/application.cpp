#include "wizard/application.h"

#include <new>

#include <commctrl.h>

#include "install/product.h"
#include "res/resource.h"
#include "wizard/common_controls.h"
#include "wizard/installer_wizard.h"
#include "wizard/page_guard.h"

namespace {

constexpr char CommonControlsMissingText[] =
    "The Windows common controls library (comctl32.dll) could not be loaded from the system "
    "folder.  Zembrino's Screen Saver cannot be installed without it.";

class OutOfMemory : public std::bad_alloc {
public:
  const char* what() const noexcept override { return "bad allocation"; }
};

} // namespace

void OutOfMemoryHandler() {
  ReportOutOfMemory();
  throw OutOfMemory();
}

int RunInstaller(HINSTANCE instance) {
  std::set_new_handler(&OutOfMemoryHandler);
  ClearWizardFailure();
  try {
    // Without the library there is no wizard to show: the person who started the program is
    // told why nothing appears, and the program ends as after a cancel.
    if (!InitCommonControlsFromSystem()) {
      sys::MessageBoxA(nullptr, CommonControlsMissingText, IrrecoverableErrorTitle,
                       MB_ICONERROR | MB_OK);
      return 0;
    }
    InstallerWizard wizard(instance, nullptr, IDI_WIZARD);
    // Finished or cancelled, the program ends the same way.
    wizard.Run(0);
  } catch (const std::bad_alloc&) {
    // The handler has told the user already.
  }
  return 0;
}
