// The narrow platform layer: every effect the installation engine and the uninstaller have on the
// machine goes through these functions. They carry the Win32 names, argument lists and results.
// The Windows build forwards them to the real calls (the payloads call the system's own
// functions under these names); the native build runs them against an emulated machine (files
// under a sandbox folder, an in-memory registry, profile files, a resource container).
#pragma once

#include <cstddef>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Left out by WIN32_LEAN_AND_MEAN; needed for the shell launch.
#include <shellapi.h>
#else
#include "host/win32_types.h"
#endif

#if defined(_WIN32) && defined(ZM_PLATFORM_DIRECT)
#include "foundation/win32/platform_direct.h"
#else

namespace sys {

// Platform family and directories.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size);

// Resources of a module.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
DWORD SizeofResource(HMODULE module, HRSRC resource);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
BOOL FreeResource(HGLOBAL loaded);

// Files.
HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile);
BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped);
BOOL ReadFile(HANDLE file, LPVOID data, DWORD count, LPDWORD read, LPOVERLAPPED overlapped);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite);
BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileA(LPCSTR path);
DWORD GetFileAttributesA(LPCSTR path);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR path);
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);
BOOL CopyFileA(LPCSTR existingPath, LPCSTR newPath, BOOL failIfExists);
BOOL MoveFileA(LPCSTR existingPath, LPCSTR newPath);
// The NT family's way to delete a file at the next start (a null newPath).
BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags);
DWORD GetTempPathA(DWORD size, LPSTR buffer);
UINT GetTempFileNameA(LPCSTR directory, LPCSTR prefix, UINT unique, LPSTR tempFileName);

// Registry.
LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG RegCreateKeyA(HKEY parent, LPCSTR subKey, PHKEY result);
LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size);
LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);
LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, PFILETIME lastWriteTime);
LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize);
LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey);
LONG RegDeleteValueA(HKEY key, LPCSTR valueName);
LONG RegCloseKey(HKEY key);
LONG RegQueryInfoKeyA(HKEY key, LPSTR className, LPDWORD classSize, LPDWORD reserved,
                      LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                      LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                      LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);

// Profile files; a file name without a directory means the copy in the Windows directory.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// The screen-saving switch, the launch of a program and message boxes.
BOOL SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT flags);
UINT WinExec(LPCSTR commandLine, UINT show);
// The folder a started program inherits as its own current folder.
BOOL SetCurrentDirectoryA(LPCSTR path);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style);

// This program, its memory, and the programs it starts or waits for.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);
HANDLE GetCurrentProcess();
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                     DWORD access, BOOL inherit, DWORD options);
BOOL CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processSecurity,
                    LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles, DWORD flags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                    LPPROCESS_INFORMATION process);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
void Sleep(DWORD milliseconds);

// Administrator rights on NT 6.0 and later: whether this program has them, and a start of a
// program through the shell, whose "runas" verb asks the user for them. The 95/98 family and
// early NT releases lack some of these; the Windows side finds them at run time and fails with
// ERROR_CALL_NOT_IMPLEMENTED where they are missing.
BOOL OpenProcessToken(HANDLE process, DWORD access, PHANDLE token);
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID information, DWORD size,
                         LPDWORD returnedSize);
BOOL ShellExecuteExA(LPSHELLEXECUTEINFOA launch);

// The system's text functions: no effect on the machine, so never traced and never failed. The
// payloads use them to stay small.
int lstrlenA(LPCSTR text);
LPSTR lstrcpyA(LPSTR out, LPCSTR text);
LPSTR lstrcatA(LPSTR out, LPCSTR text);
// Only %s, %lu and %% are known to the emulation.
int wsprintfA(LPSTR out, LPCSTR format, ...);

DWORD GetLastError();
void SetLastError(DWORD error);

} // namespace sys

#endif
