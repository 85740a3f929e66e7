#include "uninstall/elevation.h"

#include "foundation/platform.h"
#include "uninstall/steps.h"

namespace uninstall {

namespace {

// Only NT 6.0 and later limit an administrator's programs. Anything that cannot be found out
// counts as having the rights: the run goes on as before and says what it could not do.
bool LacksAdministratorRights() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  if (!sys::GetVersionExA(&version)) return false;
  if (version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6) return false;
  HANDLE token = nullptr;
  if (!sys::OpenProcessToken(sys::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation = {};
  DWORD size = 0;
  const BOOL known =
      sys::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
  sys::CloseHandle(token);
  return known && elevation.TokenIsElevated == 0;
}

} // namespace

Elevation RunWithAdministratorRights(bool quiet, bool alreadyRestarted, int* exitCode) {
  if (alreadyRestarted || !LacksAdministratorRights()) return Elevation::RunHere;
  char program[MAX_PATH];
  if (!FindOwnPath(program)) return Elevation::RunHere;
  // The system folder as the new run's current folder, so that nothing is looked for where this
  // one was started.
  char systemFolder[MAX_PATH];
  UINT folderLength = sys::GetSystemDirectoryA(systemFolder, MAX_PATH);
  SHELLEXECUTEINFOA launch = {};
  launch.cbSize = sizeof launch;
  launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
  launch.lpVerb = "runas";
  launch.lpFile = program;
  launch.lpParameters = quiet ? "/elevated /quiet" : "/elevated";
  launch.lpDirectory = folderLength != 0 && folderLength < MAX_PATH ? systemFolder : nullptr;
  launch.nShow = SW_SHOWNORMAL;
  if (!sys::ShellExecuteExA(&launch)) {
    if (sys::GetLastError() == ERROR_CANCELLED) return Elevation::Declined;
    // Without the prompt the rights cannot be had: this run does what it can and reports the
    // rest, as on a system without elevation.
    return Elevation::RunHere;
  }
  // Whoever started this run (Programs and Features included) waits for the whole uninstall.
  // An outcome that cannot be read is not reported as success.
  *exitCode = 1;
  if (launch.hProcess == nullptr) return Elevation::RanThere;
  DWORD code = 1;
  if (sys::WaitForSingleObject(launch.hProcess, INFINITE) == WAIT_OBJECT_0 &&
      sys::GetExitCodeProcess(launch.hProcess, &code)) {
    *exitCode = static_cast<int>(code);
  }
  sys::CloseHandle(launch.hProcess);
  return Elevation::RanThere;
}

} // namespace uninstall
