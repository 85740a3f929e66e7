// The platform calls that only the uninstaller makes, on Windows. Apart from the rest of the
// layer so that the installer, which links the layer whole, imports none of them; the payload
// itself calls the system's own functions (platform_direct.h), so this file serves the tests.
#include <cstdarg>

#include "foundation/platform.h"
#include "foundation/win32/late_bound_calls.h"
#include "foundation/win32/traced_call.h"

namespace sys {

BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists) {
  ZM_TRACED(CopyFileA, existingPath, newPath, failIfExists);
  return ::CopyFileA(existingPath, newPath, failIfExists);
}

BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath) {
  ZM_TRACED(MoveFileA, existingPath, newPath);
  return ::MoveFileA(existingPath, newPath);
}

BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
  ZM_TRACED(MoveFileExA, existingPath, newPath, flags);
  return ::MoveFileExA(existingPath, newPath, flags);
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  ZM_TRACED(GetTempPathA, size, buffer);
  return ::GetTempPathA(size, buffer);
}

UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  ZM_TRACED(GetTempFileNameA, directory, prefix, unique, tempFileName);
  return ::GetTempFileNameA(directory, prefix, unique, tempFileName);
}

LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  ZM_TRACED(RegQueryInfoKeyA, key, className, classSize, reserved, subKeys, maxSubKeyLength,
            maxClassLength, values, maxValueNameLength, maxValueLength, securityDescriptorSize,
            lastWriteTime);
  return ::RegQueryInfoKeyA(key, className, classSize, reserved, subKeys, maxSubKeyLength,
                            maxClassLength, values, maxValueNameLength, maxValueLength,
                            securityDescriptorSize, lastWriteTime);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  ZM_TRACED(GetModuleFileNameA, module, fileName, size);
  return ::GetModuleFileNameA(module, fileName, size);
}

HANDLE GetProcessHeap() { return ::GetProcessHeap(); }

// The system sets no last error when an allocation fails.
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  ZM_TRACED(HeapAlloc, heap, flags, bytes);
  return ::HeapAlloc(heap, flags, bytes);
}

BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
  ZM_TRACED(HeapFree, heap, flags, memory);
  return ::HeapFree(heap, flags, memory);
}

HANDLE GetCurrentProcess() { return ::GetCurrentProcess(); }

BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                     DWORD access, BOOL inherit, DWORD options) {
  ZM_TRACED(DuplicateHandle, sourceProcess, source, targetProcess, target, access, inherit,
            options);
  return ::DuplicateHandle(sourceProcess, source, targetProcess, target, access, inherit, options);
}

BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION process) {
  ZM_TRACED(CreateProcessA, application, commandLine, processSecurity, threadSecurity,
            inheritHandles, flags, environment, currentDirectory, startup, process);
  return ::CreateProcessA(application, commandLine, processSecurity, threadSecurity, inheritHandles,
                          flags, environment, currentDirectory, startup, process);
}

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds) {
  ZM_TRACED(WaitForSingleObject, object, milliseconds);
  return ::WaitForSingleObject(object, milliseconds);
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode) {
  ZM_TRACED(GetExitCodeProcess, process, exitCode);
  return ::GetExitCodeProcess(process, exitCode);
}

void Sleep(DWORD milliseconds) { ::Sleep(milliseconds); }

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  ZM_TRACED(OpenProcessToken, process, access, token);
  return late::OpenProcessToken(process, access, token);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize) {
  ZM_TRACED(GetTokenInformation, token, kind, information, size, returnedSize);
  return late::GetTokenInformation(token, kind, information, size, returnedSize);
}

BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch) {
  ZM_TRACED(ShellExecuteExA, launch);
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
