// The platform layer of the payload programs on Windows: the names of sys:: are the system's
// own functions, so that a payload calls the system as directly as without the layer. The
// payloads link no C++ library and must stay small; the traced test variant and the emulated
// machine serve their tests instead. Keep this list beside the declarations in platform.h.
#pragma once

#include "foundation/win32/late_bound_calls.h"

namespace sys {

using ::CloseHandle;
using ::CopyFileA;
using ::CreateDirectoryA;
using ::CreateFileA;
using ::CreateProcessA;
using ::DeleteFileA;
using ::DuplicateHandle;
using ::FindResourceA;
using ::FreeResource;
using ::GetCurrentProcess;
using ::GetExitCodeProcess;
using ::GetFileAttributesA;
using ::GetFileSize;
using ::GetFileTime;
using ::GetLastError;
using ::GetModuleFileNameA;
using ::GetPrivateProfileStringA;
using ::GetProcessHeap;
using ::GetShortPathNameA;
using ::GetSystemDirectoryA;
using ::GetTempFileNameA;
using ::GetTempPathA;
using ::GetVersionExA;
using ::GetWindowsDirectoryA;
using ::HeapAlloc;
using ::HeapFree;
using ::LoadResource;
using ::LockResource;
using ::lstrcatA;
using ::lstrcpyA;
using ::lstrlenA;
using ::MessageBoxA;
using ::MoveFileA;
using ::MoveFileExA;
using ::ReadFile;
using ::RegCloseKey;
using ::RegCreateKeyA;
using ::RegDeleteKeyA;
using ::RegDeleteValueA;
using ::RegEnumKeyA;
using ::RegEnumKeyExA;
using ::RegOpenKeyExA;
using ::RegQueryInfoKeyA;
using ::RegQueryValueExA;
using ::RegSetValueExA;
using ::RemoveDirectoryA;
using ::SetCurrentDirectoryA;
using ::SetFileAttributesA;
using ::SetFileTime;
using ::SetLastError;
using ::SizeofResource;
using ::Sleep;
using ::SystemParametersInfoA;
using ::WaitForSingleObject;
using ::WinExec;
using ::WriteFile;
using ::WritePrivateProfileStringA;
using ::wsprintfA;
// Found at run time: not every system exports them.
using late::GetTokenInformation;
using late::OpenProcessToken;
using late::ShellExecuteExA;

} // namespace sys
