// The platform calls that only the uninstaller makes, on Windows. Apart from the rest of the
// layer so that the installer, which links the layer whole, imports none of them; the payload
// itself calls the system's own functions (platform_direct.h), so this file serves the tests.
#include <cstdarg>

#include "foundation/platform.h"
#include "foundation/win32/late_bound_calls.h"
#include "foundation/win32/traced_call.h"

#ifdef ZM_PLATFORM_HOOKS
using sys::traced::Text;
#endif

namespace sys {

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  ZM_FAIL_IF("SetFileAttributesA", Text(path), ERROR_ACCESS_DENIED, FALSE);
  return ::SetFileAttributesA(path, attributes);
}

BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists) {
  ZM_FAIL_IF("CopyFileA", Text(existingPath) + "|" + Text(newPath), ERROR_DISK_FULL, FALSE);
  return ::CopyFileA(existingPath, newPath, failIfExists);
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
  ZM_FAIL_IF("MoveFileA", Text(existingPath) + "|" + Text(newPath), ERROR_ACCESS_DENIED, FALSE);
  return ::MoveFileA(existingPath, newPath);
}

BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
  ZM_FAIL_IF("MoveFileExA", Text(existingPath) + "|" + Text(newPath), ERROR_ACCESS_DENIED, FALSE);
  return ::MoveFileExA(existingPath, newPath, flags);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  ZM_FAIL_IF("GetTempPathA", "", ERROR_PATH_NOT_FOUND, 0);
  return ::GetTempPathA(size, buffer);
}

UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  ZM_FAIL_IF("GetTempFileNameA", Text(directory), ERROR_ACCESS_DENIED, 0);
  return ::GetTempFileNameA(directory, prefix, unique, tempFileName);
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  ZM_FAIL_STATUS_IF("RegQueryInfoKeyA", "");
  return ::RegQueryInfoKeyA(key, className, classSize, reserved, subKeys, maxSubKeyLength,
                            maxClassLength, values, maxValueNameLength, maxValueLength,
                            securityDescriptorSize, lastWriteTime);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  ZM_FAIL_IF("GetModuleFileNameA", "", ERROR_INSUFFICIENT_BUFFER, 0);
  return ::GetModuleFileNameA(module, fileName, size);
}

HANDLE GetProcessHeap() { return ::GetProcessHeap(); }

// The system sets no last error when an allocation fails.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  ZM_FAIL_IF("HeapAlloc", std::to_string(bytes), ERROR_SUCCESS, nullptr);
  return ::HeapAlloc(heap, flags, bytes);
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
  ZM_FAIL_IF("HeapFree", "", ERROR_INVALID_PARAMETER, FALSE);
  return ::HeapFree(heap, flags, memory);
}

HANDLE GetCurrentProcess() { return ::GetCurrentProcess(); }

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                     DWORD access, BOOL inherit, DWORD options) {
  ZM_FAIL_IF("DuplicateHandle", "", ERROR_NOT_ENOUGH_MEMORY, FALSE);
  return ::DuplicateHandle(sourceProcess, source, targetProcess, target, access, inherit, options);
}

BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION process) {
  ZM_FAIL_IF("CreateProcessA", Text(commandLine), ERROR_FILE_NOT_FOUND, FALSE);
  return ::CreateProcessA(application, commandLine, processSecurity, threadSecurity, inheritHandles,
                          flags, environment, currentDirectory, startup, process);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  ZM_FAIL_IF("WaitForSingleObject", "", ERROR_INVALID_HANDLE, WAIT_FAILED);
  return ::WaitForSingleObject(object, milliseconds);
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  ZM_FAIL_IF("GetExitCodeProcess", "", ERROR_INVALID_HANDLE, FALSE);
  return ::GetExitCodeProcess(process, exitCode);
}

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  ZM_FAIL_IF("OpenProcessToken", "", ERROR_ACCESS_DENIED, FALSE);
  return late::OpenProcessToken(process, access, token);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize) {
  ZM_FAIL_IF("GetTokenInformation", std::to_string(kind), ERROR_INVALID_PARAMETER, FALSE);
  return late::GetTokenInformation(token, kind, information, size, returnedSize);
}

BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch) {
  ZM_FAIL_IF("ShellExecuteExA", Text(launch->lpVerb) + "|" + Text(launch->lpFile),
             ERROR_FILE_NOT_FOUND, FALSE);
  return late::ShellExecuteExA(launch);
}

int lstrlenA(LPCSTR text) { return ::lstrlenA(text); }

LPSTR lstrcpyA(LPSTR out, LPCSTR text) { return ::lstrcpyA(out, text); }

LPSTR lstrcatA(LPSTR out, LPCSTR text) { return ::lstrcatA(out, text); }

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int length = ::wvsprintfA(out, format, arguments);
  va_end(arguments);
  return length;
}

} // namespace sys
