// This program as the emulated machine sees it: its own file name, its heap, its token, and the
// programs it starts. There is one process: a started program is recorded, not run, and a
// process handle stands for a process that has already ended, so waiting on it returns at once.
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>

#include "foundation/host/emulation.h"
#include "foundation/platform_hooks.h"

namespace sys {
namespace host {
namespace {

constexpr char DefaultModuleFileName[] = "C:\\WINDOWS\\PROGRAM.EXE";
// The pseudo handles the platform hands out for the current process and its heap.
const HANDLE CurrentProcessHandle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const HANDLE ProcessHeapHandle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(0x50000));

struct Processes {
  std::string moduleFileName = DefaultModuleFileName;
  std::set<std::uintptr_t> handles; // process, thread and token handles
  std::set<void*> blocks;
  std::vector<std::string> started;
  std::vector<std::string> shellStarts;
  bool elevated = true;
  bool elevationAllowed = true;
  DWORD exitCode = 0;
};

Processes& State() {
  static Processes processes;
  return processes;
}

HANDLE NewHandle() {
  std::uintptr_t value = detail::NextHandleValue();
  State().handles.insert(value);
  return reinterpret_cast<HANDLE>(value);
}

} // namespace

void SetModuleFileName(const std::string& path) { State().moduleFileName = path; }

std::vector<std::string> StartedProcesses() { return State().started; }

void SetElevated(bool elevated) { State().elevated = elevated; }

void SetElevationAllowed(bool allowed) { State().elevationAllowed = allowed; }

std::vector<std::string> ShellStarts() { return State().shellStarts; }

void SetStartedProcessExitCode(DWORD code) { State().exitCode = code; }

int OpenProcessHandles() { return static_cast<int>(State().handles.size()); }

int HeapBlocksInUse() { return static_cast<int>(State().blocks.size()); }

namespace detail {

void ResetProcesses() {
  for (void* block : State().blocks) std::free(block);
  State() = Processes{};
}

bool CloseProcessHandle(HANDLE object) {
  return State().handles.erase(reinterpret_cast<std::uintptr_t>(object)) != 0;
}

} // namespace detail
} // namespace host

using host::detail::Fails;
using host::detail::SetError;

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  static_cast<void>(module);
  ZM_TRACED(GetModuleFileNameA, module, fileName, size);
  const std::string& name = host::State().moduleFileName;
  if (size == 0) return 0;
  // Too small: the name is cut to the buffer, NUL included. The NT family returns the buffer's
  // size and says so in the last error; the 95/98 family returns the length of the cut name, one
  // less, which a name that just fits also returns.
  if (name.size() >= size) {
    std::memcpy(fileName, name.c_str(), size - 1);
    fileName[size - 1] = '\0';
    if (host::detail::CurrentFamily() == host::Family::Win9x) return size - 1;
    SetError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, name.c_str(), name.size() + 1);
  return static_cast<DWORD>(name.size());
}

HANDLE GetProcessHeap() { return host::ProcessHeapHandle; }

// The platform sets no last error when an allocation fails.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  static_cast<void>(flags);
  ZM_TRACED(HeapAlloc, heap, flags, bytes);
  if (heap != host::ProcessHeapHandle) return nullptr;
  void* block = std::malloc(bytes == 0 ? 1 : bytes);
  if (block != nullptr) host::State().blocks.insert(block);
  return block;
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
  static_cast<void>(flags);
  ZM_TRACED(HeapFree, heap, flags, memory);
  if (memory == nullptr) return TRUE;
  if (heap != host::ProcessHeapHandle || host::State().blocks.erase(memory) == 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::free(memory);
  return TRUE;
}

HANDLE GetCurrentProcess() { return host::CurrentProcessHandle; }

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                     DWORD access, BOOL inherit, DWORD options) {
  static_cast<void>(access);
  static_cast<void>(inherit);
  static_cast<void>(options);
  ZM_TRACED(DuplicateHandle, sourceProcess, source, targetProcess, target, access, inherit,
            options);
  // Only what this program does: a handle to itself, for itself.
  if (sourceProcess != host::CurrentProcessHandle || targetProcess != host::CurrentProcessHandle ||
      source != host::CurrentProcessHandle || target == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *target = host::NewHandle();
  return TRUE;
}

BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION process) {
  static_cast<void>(processSecurity);
  static_cast<void>(threadSecurity);
  static_cast<void>(inheritHandles);
  static_cast<void>(flags);
  static_cast<void>(environment);
  static_cast<void>(currentDirectory);
  ZM_TRACED(CreateProcessA, application, commandLine, processSecurity, threadSecurity,
            inheritHandles, flags, environment, currentDirectory, startup, process);
  if (startup == nullptr || process == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  // The program must exist, as the system loads it before anything runs.
  if (application != nullptr && !host::detail::IsExistingFile(application)) {
    SetError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  host::State().started.push_back(calls::Text(commandLine));
  process->hProcess = host::NewHandle();
  process->hThread = host::NewHandle();
  process->dwProcessId = 0x100;
  process->dwThreadId = 0x104;
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  static_cast<void>(milliseconds);
  ZM_TRACED(WaitForSingleObject, object, milliseconds);
  if (host::State().handles.count(reinterpret_cast<std::uintptr_t>(object)) == 0) {
    SetError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return WAIT_OBJECT_0;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  ZM_TRACED(GetExitCodeProcess, process, exitCode);
  if (host::State().handles.count(reinterpret_cast<std::uintptr_t>(process)) == 0 ||
      exitCode == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = host::State().exitCode;
  return TRUE;
}

void Sleep(DWORD milliseconds) { static_cast<void>(milliseconds); }

// The 95/98 family's advapi32 has the token calls as stubs that fail this way.
BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  static_cast<void>(access);
  ZM_TRACED(OpenProcessToken, process, access, token);
  if (host::detail::CurrentFamily() == host::Family::Win9x) {
    SetError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  if (process != host::CurrentProcessHandle || token == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *token = host::NewHandle();
  return TRUE;
}

// Only the class that this program asks for; before NT 6.0 the system does not know it.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize) {
  ZM_TRACED(GetTokenInformation, token, kind, information, size, returnedSize);
  if (host::State().handles.count(reinterpret_cast<std::uintptr_t>(token)) == 0) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (kind != TokenElevation || !host::detail::HasElevation() || returnedSize == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *returnedSize = sizeof(TOKEN_ELEVATION);
  if (information == nullptr || size < sizeof(TOKEN_ELEVATION)) {
    SetError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  static_cast<TOKEN_ELEVATION*>(information)->TokenIsElevated = host::State().elevated ? 1 : 0;
  return TRUE;
}

// "runas" on NT 6.0 and later asks the user, unless this program has the rights already; a
// refusal is ERROR_CANCELLED.
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch) {
  if (launch == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ZM_TRACED(ShellExecuteExA, launch);
  if (launch->cbSize != sizeof(SHELLEXECUTEINFOA) || launch->lpFile == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!host::detail::IsExistingFile(launch->lpFile)) {
    SetError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  const bool runas =
      launch->lpVerb != nullptr && host::detail::EqualsNoCase(launch->lpVerb, "runas");
  if (runas && host::detail::HasElevation() && !host::State().elevated &&
      !host::State().elevationAllowed) {
    SetError(ERROR_CANCELLED);
    return FALSE;
  }
  host::State().shellStarts.push_back(calls::Text(launch->lpVerb) + "|" + launch->lpFile + "|" +
                                      calls::Text(launch->lpParameters) + "|" +
                                      calls::Text(launch->lpDirectory));
  launch->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<ULONG_PTR>(42));
  launch->hProcess = (launch->fMask & SEE_MASK_NOCLOSEPROCESS) != 0 ? host::NewHandle() : nullptr;
  return TRUE;
}

} // namespace sys
