#include "wizard/application.h"

#include <new>

#include <commctrl.h>

#include "res/resource.h"
#include "wizard/common_controls.h"
#include "wizard/installer_wizard.h"
#include "wizard/page_guard.h"

namespace {

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
    // Without the library there is no wizard to show; the program ends as after a cancel.
    InitCommonControlsFromSystem();
    InstallerWizard wizard(instance, nullptr, IDI_WIZARD);
    // Finished or cancelled, the program ends the same way.
    wizard.Run(0);
  } catch (const std::bad_alloc&) {
    // The handler has told the user already.
  }
  return 0;
}
