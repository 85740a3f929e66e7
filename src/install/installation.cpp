#include "install/installation.h"

#include "foundation/platform_family.h"
#include "install/payload_archive.h"
#include "install/restore_log.h"
#include "install/screen_saver_activation.h"
#include "install/uninstall_registration.h"

namespace {

constexpr char ScreenSaverFileName[] = "Zembrino's Screen Saver.scr";
// The 95/98 family keeps screen savers in the system subdirectory of the Windows directory.
constexpr char Win9xSubdirectory[] = "system\\";
// Opens the Display settings at their screen saver page.
constexpr char DisplaySettingsCommand[] = "rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1";

constexpr char ErrorTitle[] = "Error";
constexpr char NoDirectoryText[] = "Error determining installation directory. Please\n"
                                   "reboot your computer and try installing again.";
constexpr char NoShortPathText[] = "Error registering Zembrino's Screen Saver. Please\n"
                                   "reboot your computer and try installing again.";

// A path call answers with the length it wrote, or with the size it would need when the buffer
// is too small; the latter counts as no path at all.
int PathLength(DWORD answer) { return answer < MAX_PATH ? static_cast<int>(answer) : 0; }

void ReadWindowsDirectory(ZString& directory) {
  const UINT answer = sys::GetWindowsDirectoryA(directory.GetBuffer(MAX_PATH), MAX_PATH);
  directory.ReleaseBuffer(PathLength(answer));
}

// The path the system settings name the screen saver by: the short form, without blanks.
void ReadShortPath(const ZString& longPath, ZString& shortPath) {
  const DWORD answer =
      sys::GetShortPathNameA(longPath.CStr(), shortPath.GetBuffer(MAX_PATH), MAX_PATH);
  shortPath.ReleaseBuffer(PathLength(answer));
}

} // namespace

void EnsureTrailingBackslash(ZString& path) {
  if (path.Length() > 0 && path.CharAt(path.Length() - 1) != '\\') path.Append('\\');
}

void NormalizeDirectory(ZString& path) {
  path.Trim();
  EnsureTrailingBackslash(path);
}

void RunInstallation(HWND owner, HINSTANCE instance) {
  ZString installDir;
  ReadWindowsDirectory(installDir);
  NormalizeDirectory(installDir);
  // Checked after trimming: a directory of blanks alone would make every path relative.
  if (installDir.Length() == 0) {
    sys::MessageBoxA(owner, NoDirectoryText, ErrorTitle, MB_ICONERROR);
    return;
  }
  if (!IsWindowsNT()) installDir.Append(Win9xSubdirectory);

  ReplayRestoreLog(installDir);

  // On failure the extraction has shown its own message.
  if (!ExtractPayloads(installDir, owner, instance)) return;

  ZString screenSaverPath;
  ReadShortPath(installDir.Concat(ScreenSaverFileName), screenSaverPath);
  if (screenSaverPath.Length() == 0) {
    sys::MessageBoxA(owner, NoShortPathText, ErrorTitle, MB_ICONERROR);
    return;
  }

  ActivateScreenSaver(screenSaverPath);
  RegisterUninstall(installDir);
  sys::WinExec(DisplaySettingsCommand, SW_SHOWNORMAL);
}
