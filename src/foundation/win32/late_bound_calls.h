// The uninstaller's calls that not every system it runs on exports: the token calls are stubs or
// missing on the 95/98 family, and the shell's launch lives in a DLL that the program does not
// otherwise need. Found at run time; where one is missing it fails with
// ERROR_CALL_NOT_IMPLEMENTED, as the 95/98 family's own stubs do.
#pragma once

// The system's own headers, not the platform layer's: the shipped payloads' layer is made of these
// functions.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// After windows.h, on which it builds.
#include <shellapi.h>

namespace sys::late {

BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize);
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch);

} // namespace sys::late
