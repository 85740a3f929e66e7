#include "foundation/win32/late_bound_calls.h"

#include "foundation/win32/system_library.h"

namespace sys::late {

namespace {

using OpenProcessTokenFunction = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using GetTokenInformationFunction = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD,
                                                  PDWORD);
using ShellExecuteExFunction = BOOL(WINAPI*)(LPSHELLEXECUTEINFOA);

// advapi32 is loaded already: the programs import its registry functions.
HMODULE Advapi() { return ::GetModuleHandleA("advapi32.dll"); }

BOOL Missing() {
  ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
  return FALSE;
}

} // namespace

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  auto open = SystemFunction<OpenProcessTokenFunction>(Advapi(), "OpenProcessToken");
  return open == nullptr ? Missing() : open(process, access, token);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize) {
  auto get = SystemFunction<GetTokenInformationFunction>(Advapi(), "GetTokenInformation");
  return get == nullptr ? Missing() : get(token, kind, information, size, returnedSize);
}

// shell32 by its full path, and only when a launch is wanted; it stays loaded, as the launch may
// leave work to threads of its own.
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch) {
  auto execute =
      SystemFunction<ShellExecuteExFunction>(LoadSystemLibrary("shell32.dll"), "ShellExecuteExA");
  return execute == nullptr ? Missing() : execute(launch);
}

} // namespace sys::late
