// The machine as a whole: its reset, the platform family and Windows directory it reports, the
// last-error value, and the calls that leave no trace but a record (the screen-saving switch,
// launched programs, message boxes).
#include <cstring>
#include <map>

#include "foundation/host/drive_store.h"
#include "foundation/host/emulation.h"
#include "foundation/host/sandbox.h"
#include "foundation/platform_hooks.h"
#include "foundation/zstring.h"
#include "shared/ascii_case.h"
#include "shared/path_text.h"

namespace sys {
namespace host {
namespace {

constexpr char DefaultWindowsDirectory[] = "C:\\WINDOWS";
constexpr char DefaultTemporaryFolder[] = "C:\\WINDOWS\\TEMP";
// VER_NT_WORKSTATION: the product type of an NT-family system that is no server.
constexpr BYTE WorkstationProduct = 1;
// WinExec reports success with any value above 31.
constexpr UINT LaunchSucceeded = 33;

struct MachineState {
  Family family = Family::NT;
  DWORD ntMajor = 5, ntMinor = 0;
  bool hasWindowsDirectory = true;
  std::string windowsDirectory = DefaultWindowsDirectory;
  DWORD lastError = 0;
  std::uintptr_t nextHandle = 0x1000;
  BOOL screenSaveActive = FALSE;
  std::vector<std::string> launched;
  std::string currentDirectory = "C:\\";
  std::vector<std::string> launchFolders;
  std::vector<ParameterCall> parameterCalls;
  std::map<std::string, std::string, detail::NoCaseLess> environment{
      {"TEMP", DefaultTemporaryFolder}};
};

MachineState& State() {
  static MachineState state;
  return state;
}

// The folders a path names, without the white space that the engine trims from the directory
// text.
std::string Directory(const std::string& text) { return detail::Trimmed(text, IsWhiteSpace); }

// Too small: the buffer is left alone and the size it would need, NUL included, returned.
UINT CopyDirectory(const std::string& directory, LPSTR buffer, UINT size) {
  auto length = static_cast<UINT>(directory.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, directory.c_str(), length + 1);
  return length;
}

} // namespace

void Reset() {
  MachineState& state = State();
  std::uintptr_t nextHandle = state.nextHandle;
  state = MachineState{};
  state.nextHandle = nextHandle;
  detail::ResetRegistry();
  detail::ResetResources();
  detail::ResetFiles();
  detail::ResetShortNames();
  detail::ResetProcesses();
  detail::PrepareDrives();
}

void UseMemoryDrives(bool memory) {
  detail::store::UseMemory(memory);
  Reset();
}

void SetFamily(Family family) { State().family = family; }

void SetNTVersion(DWORD major, DWORD minor) {
  State().ntMajor = major;
  State().ntMinor = minor;
}

void SetWindowsDirectory(const char* path) {
  MachineState& state = State();
  state.hasWindowsDirectory = path != nullptr;
  state.windowsDirectory = path ? path : "";
  // A real machine's Windows directory exists, with its system folders ("system32" is the NT
  // family's, "system" the 95/98 family's, and NT keeps one too).
  std::string folder = Directory(state.windowsDirectory);
  if (!folder.empty() && folder.size() < MAX_PATH) {
    if (NeedsPathSeparator(folder.c_str(), folder.size())) folder += '\\';
    detail::MakeHostDirectories(folder + "system");
    detail::MakeHostDirectories(folder + "system32");
  }
}

void SetEnvironmentVariable(const std::string& name, const char* value) {
  if (value == nullptr) {
    State().environment.erase(name);
  } else {
    State().environment[name] = value;
  }
}

std::vector<std::string> LaunchedCommands() { return State().launched; }

std::vector<std::string> LaunchFolders() { return State().launchFolders; }

std::string CurrentDirectory() { return State().currentDirectory; }

std::vector<ParameterCall> SystemParameterCalls() { return State().parameterCalls; }

namespace detail {

void PrepareDrives() {
  ResetSandbox();
  // The same Windows directory always starts with the same folders: in memory, a copy of those
  // made the first time, which a fuzz target's reset for every input makes affordable.
  const std::string start = "folders of " + State().windowsDirectory;
  if (store::RestoreEntries(start)) return;
  MakeHostDirectories(State().windowsDirectory + "\\system");
  MakeHostDirectories(State().windowsDirectory + "\\system32");
  // Setup makes the temporary folder; GetTempPathA only names it.
  MakeHostDirectories(DefaultTemporaryFolder);
  store::KeepEntries(start);
}

bool EnvironmentVariable(const std::string& name, std::string* value) {
  auto found = State().environment.find(name);
  if (found == State().environment.end()) return false;
  *value = found->second;
  return true;
}

std::string Trimmed(const std::string& text, bool (*isBlank)(char)) {
  std::size_t first = 0, end = text.size();
  while (first < end && isBlank(text[first])) ++first;
  while (end > first && isBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

bool Fails(const char* name, const std::string& detail, DWORD usualError, DWORD* error) {
  DWORD injected = 0;
  if (!hooks::Enter(name, detail, &injected)) return false;
  *error = injected != 0 ? injected : usualError;
  SetError(*error);
  return true;
}

void SetError(DWORD error) { State().lastError = error; }

std::uintptr_t NextHandleValue() {
  // Multiples of four, as the platform's own handles are.
  State().nextHandle += 4;
  return State().nextHandle;
}

Family CurrentFamily() { return State().family; }

bool HasElevation() { return State().family == Family::NT && State().ntMajor >= 6; }

bool WindowsDirectory(std::string* path) {
  if (!State().hasWindowsDirectory) return false;
  *path = State().windowsDirectory;
  return true;
}

char Upper(char c) { return AsciiUpper(c); }

std::string UpperCase(const std::string& text) {
  std::string upper = text;
  for (char& c : upper) c = Upper(c);
  return upper;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  std::size_t common = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < common; ++i) {
    auto left = static_cast<unsigned char>(Upper(a[i]));
    auto right = static_cast<unsigned char>(Upper(b[i]));
    if (left != right) return left < right ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(const std::string& a, const std::string& b) { return CompareNoCase(a, b) == 0; }

} // namespace detail
} // namespace host

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  ZM_TRACED(GetVersionExA, info);
  if (info == nullptr) {
    host::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const host::Family family = host::detail::CurrentFamily();
  // The extended size is taken by the NT family and by 98 (95 alone refuses it). Any other size
  // fails; the 95/98 family then leaves the last error as it was.
  const bool extended = info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA);
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) && !extended) {
    if (family != host::Family::Win9x) host::detail::SetError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  switch (family) {
  case host::Family::NT:
    info->dwMajorVersion = host::State().ntMajor;
    info->dwMinorVersion = host::State().ntMinor;
    info->dwBuildNumber = host::State().ntMajor >= 6 ? 6002 : 2195;
    info->dwPlatformId = VER_PLATFORM_WIN32_NT;
    break;
  case host::Family::Win9x:
    info->dwMajorVersion = 4;
    info->dwMinorVersion = 10;
    // The 95/98 family repeats the version in the high word of the build number.
    info->dwBuildNumber = 0x040A07CE;
    info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    break;
  case host::Family::VersionQueryFails:
    host::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  if (extended) {
    auto* more = reinterpret_cast<OSVERSIONINFOEXA*>(info);
    more->wServicePackMajor = 0;
    more->wServicePackMinor = 0;
    more->wSuiteMask = 0;
    more->wProductType = family == host::Family::NT ? host::WorkstationProduct : 0;
    more->wReserved = 0;
  }
  return TRUE;
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  ZM_TRACED(GetWindowsDirectoryA, buffer, size);
  std::string directory;
  if (!host::detail::WindowsDirectory(&directory)) {
    host::detail::SetError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  return host::CopyDirectory(directory, buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  ZM_TRACED(GetSystemDirectoryA, buffer, size);
  std::string directory;
  if (!host::detail::WindowsDirectory(&directory) || host::Directory(directory).empty()) {
    host::detail::SetError(ERROR_PATH_NOT_FOUND);
    return 0;
  }
  directory = host::Directory(directory);
  if (directory.back() == '\\') directory.pop_back();
  // Where each family keeps its system programs, spelt as each reports it.
  directory += host::detail::CurrentFamily() == host::Family::Win9x ? "\\SYSTEM" : "\\system32";
  return host::CopyDirectory(directory, buffer, size);
}

BOOL SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT flags) {
  std::string detail =
      std::to_string(action) + "," + std::to_string(param) + "," + std::to_string(flags);
  ZM_TRACED(SystemParametersInfoA, action, param, data, flags);
  host::MachineState& state = host::State();
  state.parameterCalls.push_back(host::ParameterCall{action, param, flags});
  if (action == SPI_SETSCREENSAVEACTIVE) state.screenSaveActive = param != 0 ? TRUE : FALSE;
  if (action == SPI_GETSCREENSAVEACTIVE && data != nullptr)
    *static_cast<BOOL*>(data) = state.screenSaveActive;
  return TRUE;
}

UINT WinExec(LPCSTR commandLine, UINT show) {
  static_cast<void>(show);
  std::string line = commandLine ? commandLine : "";
  ZM_TRACED(WinExec, commandLine, show);
  host::State().launched.push_back(line);
  host::State().launchFolders.push_back(host::State().currentDirectory);
  return host::LaunchSucceeded;
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  DWORD error = 0;
  ZM_TRACED(SetCurrentDirectoryA, path);
  if (path == nullptr) {
    host::detail::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!host::detail::IsExistingDirectory(path, &error)) {
    host::detail::SetError(error);
    return FALSE;
  }
  host::State().currentDirectory = path;
  return TRUE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
  // Traced but never failed: a box that cannot be shown is not something the engine handles.
  DWORD ignored = 0;
  hooks::Enter("MessageBoxA", text ? text : "(null)", &ignored);
  hooks::MessageBoxHandler handler = hooks::GetMessageBoxHandler();
  return handler ? handler(owner, text, title, style) : IDOK;
}

// Reading and setting the last error are no effects on the machine: they are not traced.
DWORD GetLastError() { return host::State().lastError; }

void SetLastError(DWORD error) { host::detail::SetError(error); }

} // namespace sys
