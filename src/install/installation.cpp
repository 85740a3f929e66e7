#include "install/installation.h"

#include "install/launch_from_folder.h"
#include "install/payload_archive.h"
#include "install/restore_log.h"
#include "install/screen_saver_activation.h"
#include "install/uninstall_registration.h"
#include "shared/path_text.h"
#include "shared/platform_family.h"
#include "shared/product_names.h"

namespace {

// The 95/98 family keeps screen savers in the system subdirectory of the Windows directory.
constexpr char Win9xSubdirectory[] = "system\\";
// Opens the Display settings at their screen saver page. The program is named by its full path:
// a downloaded installer runs from a folder that others can write to, and a bare "rundll32.exe"
// would be looked for there first. Better not to open the settings at all than to run whatever
// the current folder holds.
constexpr char DisplaySettingsProgram[] = "rundll32.exe";
constexpr char DisplaySettingsArguments[] = " shell32.dll,Control_RunDLL desk.cpl,,1";

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

void ReadSystemDirectory(ZString& directory) {
  const UINT answer = sys::GetSystemDirectoryA(directory.GetBuffer(MAX_PATH), MAX_PATH);
  directory.ReleaseBuffer(PathLength(answer));
  NormalizeDirectory(directory);
}

// rundll32.exe lives in the system directory on the NT family and in the Windows directory on
// the 95/98 family.
void ReadDisplaySettingsCommand(const ZString& programDir, ZString& command) {
  const ZString program = programDir.Concat(DisplaySettingsProgram);
  const bool quoted = NeedsQuotes(program.CStr());
  if (quoted) command.Append('"');
  command.Append(program.CStr());
  if (quoted) command.Append('"');
  command.Append(DisplaySettingsArguments);
}

// The Display settings load desk.cpl and other DLLs by bare name: they start from the system
// folder (LaunchFromFolder), or not at all.
void LaunchDisplaySettings(bool nt, const ZString& windowsDir) {
  ZString systemDir;
  ReadSystemDirectory(systemDir);
  if (systemDir.Length() == 0) return;
  ZString command;
  ReadDisplaySettingsCommand(nt ? systemDir : windowsDir, command);
  LaunchFromFolder(systemDir, command);
}

// The path the system settings name the screen saver by: the short form, without blanks.
void ReadShortPath(const ZString& longPath, ZString& shortPath) {
  const DWORD answer =
      sys::GetShortPathNameA(longPath.CStr(), shortPath.GetBuffer(MAX_PATH), MAX_PATH);
  shortPath.ReleaseBuffer(PathLength(answer));
}

} // namespace

void EnsureTrailingBackslash(ZString& path) {
  if (NeedsPathSeparator(path.CStr(), static_cast<unsigned long>(path.Length()))) path.Append('\\');
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
  const ZString windowsDir(installDir);
  const bool nt = IsWindowsNT();
  if (!nt) installDir.Append(Win9xSubdirectory);

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
  LaunchDisplaySettings(nt, windowsDir);
}
