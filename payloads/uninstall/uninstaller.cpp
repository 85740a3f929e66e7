#include "uninstall/uninstaller.h"

#include "uninstall/command_line.h"
#include "uninstall/elevation.h"
#include "uninstall/steps.h"

namespace {

constexpr char Title[] = "Zembrino's Screen Saver Uninstall";
constexpr char Confirm[] = "Do you want to remove Zembrino's Screen Saver from your computer?\n\n"
                           "Your previous screen saver will be set again.";
constexpr char Removed[] = "Zembrino's Screen Saver has been removed from your computer.";
constexpr char AtRestart[] = "\n\nSome of its files are in use. They will be deleted when you "
                             "restart your computer.";
constexpr char Declined[] =
    "Zembrino's Screen Saver can only be removed with administrator rights, and they were not "
    "given.\n\nNothing has been removed. To remove it, run the uninstaller again and allow it "
    "to make changes to your computer.";
constexpr char NoInstallation[] = "The uninstaller cannot determine its own folder.\n\n"
                                  "Nothing has been removed.";
constexpr char SettingFailed[] =
    "Your previous screen saver setting could not be restored.\n\n"
    "Nothing has been removed. Please try again; if the problem persists, choose another "
    "screen saver in the Display settings first.";
constexpr char Incomplete[] = "Zembrino's Screen Saver could not be removed completely:\n";
constexpr char FileKept[] = "\n- The file \"Zembrino's Screen Saver.scr\" could not be deleted. "
                            "If the Display settings are open, close them first.";
constexpr char KeysKept[] = "\n- Its settings could not be removed from the registry.";
constexpr char EntryKept[] =
    "\n- Its entry in the list of installed programs could not be removed (this may need an "
    "administrator).";
constexpr char RunAgain[] =
    "\n\nPlease close all programs and run the uninstaller again, as an administrator if "
    "necessary.";
constexpr char UninstallerKept[] =
    "\n- The uninstaller could not remove itself; you may delete zmsaveru.exe.";

enum Leftover : unsigned {
  NothingLeft = 0,
  FileAtRestart = 1,
  ScreenSaverFile = 2,
  ProductKeys = 4,
  UninstallEntry = 8,
  Uninstaller = 16,
};

// Steps that failed are reported and the uninstall entry and this program stay, so that the
// user can run it again; every step is safe to repeat.
unsigned Uninstall(const uninstall::Installation& installation) {
  unsigned left = NothingLeft;
  if (!installation.nt) uninstall::RepairWininit();
  switch (uninstall::DeleteNowOrAtRestart(installation.screenSaver, installation.nt)) {
  case uninstall::Removal::Done:
    break;
  case uninstall::Removal::AtRestart:
    left |= FileAtRestart;
    break;
  case uninstall::Removal::Failed:
    left |= ScreenSaverFile;
    break;
  }
  if (!uninstall::RemoveProductKeys()) left |= ProductKeys;
  if ((left & ~FileAtRestart) != 0) return left;

  if (!uninstall::RemoveUninstallEntry()) return left | UninstallEntry;
  if (!uninstall::StartSelfRemoval(installation.uninstaller)) {
    if (uninstall::DeleteAsideAtRestart(installation.uninstaller, installation.nt)) {
      left |= FileAtRestart;
    } else {
      left |= Uninstaller;
    }
  }
  return left;
}

void Report(bool quiet, const char* text, UINT icon) {
  if (!quiet) sys::MessageBoxA(nullptr, text, Title, MB_OK | MB_SETFOREGROUND | icon);
}

void ReportOutcome(bool quiet, unsigned left) {
  char text[1024];
  if ((left & ~FileAtRestart) == 0) {
    sys::lstrcpyA(text, Removed);
    if ((left & FileAtRestart) != 0) sys::lstrcatA(text, AtRestart);
    Report(quiet, text, MB_ICONINFORMATION);
    return;
  }
  sys::lstrcpyA(text, Incomplete);
  if ((left & ScreenSaverFile) != 0) sys::lstrcatA(text, FileKept);
  if ((left & ProductKeys) != 0) sys::lstrcatA(text, KeysKept);
  if ((left & UninstallEntry) != 0) sys::lstrcatA(text, EntryKept);
  if ((left & Uninstaller) != 0) {
    sys::lstrcatA(text, UninstallerKept);
  } else {
    sys::lstrcatA(text, RunAgain);
  }
  Report(quiet, text, MB_ICONERROR);
}

} // namespace

namespace uninstall {

int RunUninstaller(const char* arguments) {
  uninstall::Command command;
  uninstall::ParseCommandLine(arguments, &command);
  switch (command.mode) {
  case uninstall::Mode::FinishSelfRemoval:
    return uninstall::FinishSelfRemoval(command.waitHandle, command.path) ? 0 : 1;
  case uninstall::Mode::Invalid:
    return 1;
  case uninstall::Mode::Interactive:
  case uninstall::Mode::Quiet:
    break;
  }
  bool quiet = command.mode == uninstall::Mode::Quiet;
  int elevatedCode = 1;
  switch (uninstall::RunWithAdministratorRights(quiet, command.elevated, &elevatedCode)) {
  case uninstall::Elevation::RanThere:
    return elevatedCode;
  case uninstall::Elevation::Declined:
    Report(quiet, Declined, MB_ICONWARNING);
    return 1;
  case uninstall::Elevation::RunHere:
    break;
  }
  if (!quiet && sys::MessageBoxA(nullptr, Confirm, Title,
                                 MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES) {
    return 0;
  }

  uninstall::Installation installation;
  if (!uninstall::FindInstallation(&installation)) {
    Report(quiet, NoInstallation, MB_ICONERROR);
    return 1;
  }
  // The setting comes first: while it cannot be restored, the backup and everything else stay
  // as they are.
  if (uninstall::RestoreScreenSaverSetting(installation) == uninstall::SettingResult::Failed) {
    Report(quiet, SettingFailed, MB_ICONERROR);
    return 1;
  }
  unsigned left = Uninstall(installation);
  ReportOutcome(quiet, left);
  return (left & ~FileAtRestart) == 0 ? 0 : 1;
}

} // namespace uninstall
