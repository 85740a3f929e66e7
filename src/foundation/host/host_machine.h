// Control of the emulated machine that the native build runs the engine against. Tests set up
// and inspect the machine here; the engine itself only ever sees the platform functions.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"

namespace sys::host {

// A fresh machine: an empty registry (the predefined roots exist), the NT family, the Windows
// directory C:\WINDOWS (with its "system" and "system32" subdirectories and the temporary folder
// C:\WINDOWS\TEMP, which TEMP names), no resources, a new empty sandbox folder for the drives, and
// nothing recorded.
void Reset();

// The registry as it is now becomes the one that every later reset starts from, in place of an
// empty one: for a fuzz target whose inputs all start with the same keys, made once rather than
// for each input. Every key must be closed (it aborts otherwise). ForgetStartingRegistry goes back
// to an empty registry, from the next reset on.
void KeepStartingRegistry();
void ForgetStartingRegistry();

// VersionQueryFails: GetVersionExA fails; everything else behaves as on the NT family.
enum class Family { NT, Win9x, VersionQueryFails };
void SetFamily(Family family);
// The NT family's release, at first 5.0 (Windows 2000). From 6.0 on the machine has elevation:
// this program runs with a limited or a full token, and the shell's "runas" asks the user.
void SetNTVersion(DWORD major, DWORD minor);

// nullptr: the machine reports no Windows directory at all. The text is returned as given, so
// a text of 260 characters or more shows the "buffer too small" answer.
// The system directory follows it: "system32" below it on the NT family, "SYSTEM" on 95/98.
void SetWindowsDirectory(const char* path);

// Where the drives keep their files from now on, and a reset: folders of the host under the
// temporary folder (TMPDIR), the default, where a test can look at them with the host's own
// tools; or memory, where a reset and every file call cost no call of the host's file system,
// for runs that make a machine afresh for each of millions of inputs.
void UseMemoryDrives(bool memory);

// The host file that stands for a Windows path (drive letter folders under the sandbox root);
// with the drives in memory, the name of the memory entry, which no host call can open.
std::string HostPath(const std::string& windowsPath);
// The whole of a file on the drives, read or written without a platform call: nothing is
// traced and no armed fault fires. False when the file cannot be read or written.
bool ReadDriveFile(const std::string& windowsPath, std::string* bytes);
bool WriteDriveFile(const std::string& windowsPath, const std::string& bytes);

// Opening or creating this key (and with it every key below it) is refused with
// ERROR_ACCESS_DENIED, as for a user without the right to write there.
void DenyKeyAccess(HKEY root, const std::string& path);

// Resources: a module holds resources by type and name; names and types are texts or
// integer ids (MAKEINTRESOURCEA), looked up as the platform does (texts without regard to case).
HMODULE AddModule();
void AddResource(HMODULE module, LPCSTR type, LPCSTR name, const std::string& bytes);
// Resources loaded and not yet released, over all modules.
int LoadedResourceCount();

// What GetModuleFileNameA reports for the running program (at first C:\WINDOWS\PROGRAM.EXE).
void SetModuleFileName(const std::string& path);

// The machine's environment, where GetTempPathA finds the temporary folder: TMP, then TEMP, then
// the Windows directory. A fresh machine has TEMP=C:\WINDOWS\TEMP, a folder that exists from the
// start, as setup leaves it; GetTempPathA never makes it, so a test can point either variable at
// a folder that is missing. nullptr removes the variable. Names are matched without regard to
// case.
void SetEnvironmentVariable(const std::string& name, const char* value);

// What the machine was asked to do that leaves no other trace.
std::vector<std::string> LaunchedCommands(); // WinExec command lines
// The current directory at each of those launches, which the started program inherits, and now
// (at first C:\; it is only recorded: paths without a drive still start at C:\).
std::vector<std::string> LaunchFolders();
std::string CurrentDirectory();
// CreateProcessA command lines: the program is recorded, not run, and its process handle
// stands for a process that has ended.
std::vector<std::string> StartedProcesses();
// Elevation (NT 6.0 and later): whether this program runs with administrator rights (at first
// yes, as Windows XP's administrators and elevated programs do), and whether the user allows a
// "runas" start (at first yes).
void SetElevated(bool elevated);
void SetElevationAllowed(bool allowed);
// ShellExecuteExA starts: recorded, not run, as "verb|file|parameters|directory". Their process
// handles stand for processes that ended with this exit code (at first 0).
std::vector<std::string> ShellStarts();
void SetStartedProcessExitCode(DWORD code);
// Files that MoveFileExA was asked to delete (or rename, "old|new") at the next start, in order.
std::vector<std::string> RestartOperations();
struct ParameterCall {
  UINT action;
  UINT param;
  UINT flags;
};
std::vector<ParameterCall> SystemParameterCalls();
// Closes of predefined root handles (the real platform ignores them; the engine must not make
// them).
int PredefinedRootCloses();

// For before-and-after comparisons: every key ("HKEY_CURRENT_USER\Software") and every value
// ("HKEY_CURRENT_USER\Software [name] = type:bytes") of the registry, one line each, in order.
std::vector<std::string> RegistryDump();
// How many keys were made or deleted since the last reset: a check that keys stay as they were,
// at no cost to make.
int RegistryKeyChanges();
// Handles that are open now: registry keys, and files.
int OpenRegistryHandles();
int OpenFileHandles();
// Process and thread handles not yet closed, and blocks of the process heap not yet freed.
int OpenProcessHandles();
int HeapBlocksInUse();

} // namespace sys::host
