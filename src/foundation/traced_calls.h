// What each traced platform call looks like to a test: the detail text that the trace gives it,
// the error it fails with when a test makes it fail without naming one, and what it returns then.
// Written once for the emulation (host/) and the traced Windows layer (win32/), so that a trace
// and an injected fault mean the same in both builds. Detail takes the call's own arguments (those
// after the ones it names are ignored). A key's detail is its full name
// ("HKEY_CURRENT_USER\\Software"), which each layer knows from its own record of the keys it
// opened (KeyName).
#pragma once

#include <string>

#include "foundation/platform.h"

namespace sys::calls {

inline std::string Text(LPCSTR text) { return text ? text : "(null)"; }
inline std::string Pair(LPCSTR first, LPCSTR second) { return Text(first) + "|" + Text(second); }
inline std::string Number(unsigned long long value) { return std::to_string(value); }
inline std::string ResourceName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + Number(reinterpret_cast<ULONG_PTR>(name));
  return name;
}
// The full name of a key that the layer opened; "" for a handle it does not know.
std::string KeyName(HKEY key);

// A call whose detail is empty.
struct NoDetail {
  template <typename... Arguments> static std::string Detail(Arguments...) { return ""; }
};
// A call that fails with FALSE, 0 or null whatever the error.
template <typename Result, DWORD Usual> struct FailsWithNothing {
  static constexpr DWORD usualError = Usual;
  static Result Failure(DWORD) { return Result{}; }
};
// A registry call: it returns the error itself.
struct ReturnsStatus {
  static constexpr DWORD usualError = ERROR_ACCESS_DENIED;
  static LONG Failure(DWORD error) { return static_cast<LONG>(error); }
};

// Platform family and folders.
struct GetVersionExA : FailsWithNothing<BOOL, ERROR_INVALID_PARAMETER>, NoDetail {
  static constexpr char name[] = "GetVersionExA";
};
struct GetWindowsDirectoryA : FailsWithNothing<UINT, ERROR_PATH_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "GetWindowsDirectoryA";
};
struct GetSystemDirectoryA : FailsWithNothing<UINT, ERROR_PATH_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "GetSystemDirectoryA";
};
struct GetShortPathNameA : FailsWithNothing<DWORD, ERROR_FILE_NOT_FOUND> {
  static constexpr char name[] = "GetShortPathNameA";
  template <typename... Rest> static std::string Detail(LPCSTR longPath, Rest...) {
    return Text(longPath);
  }
};

// Resources of a module.
struct FindResourceA : FailsWithNothing<HRSRC, ERROR_RESOURCE_NAME_NOT_FOUND> {
  static constexpr char name[] = "FindResourceA";
  template <typename... Rest> static std::string Detail(HMODULE, LPCSTR resource, Rest...) {
    return ResourceName(resource);
  }
};
struct SizeofResource : FailsWithNothing<DWORD, ERROR_RESOURCE_DATA_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "SizeofResource";
};
struct LoadResource : FailsWithNothing<HGLOBAL, ERROR_RESOURCE_DATA_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "LoadResource";
};
struct LockResource : FailsWithNothing<LPVOID, ERROR_RESOURCE_DATA_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "LockResource";
};
// Returns FALSE when it succeeds and TRUE when it fails.
struct FreeResource : NoDetail {
  static constexpr char name[] = "FreeResource";
  static constexpr DWORD usualError = ERROR_INVALID_HANDLE;
  static BOOL Failure(DWORD) { return TRUE; }
};

// Files and folders.
struct CreateFileA {
  static constexpr char name[] = "CreateFileA";
  static constexpr DWORD usualError = ERROR_ACCESS_DENIED;
  static HANDLE Failure(DWORD) { return INVALID_HANDLE_VALUE; }
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct WriteFile : FailsWithNothing<BOOL, ERROR_DISK_FULL> {
  static constexpr char name[] = "WriteFile";
  template <typename... Rest> static std::string Detail(HANDLE, LPCVOID, DWORD count, Rest...) {
    return Number(count);
  }
};
struct ReadFile : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "ReadFile";
  template <typename... Rest> static std::string Detail(HANDLE, LPVOID, DWORD count, Rest...) {
    return Number(count);
  }
};
struct GetFileSize : NoDetail {
  static constexpr char name[] = "GetFileSize";
  static constexpr DWORD usualError = ERROR_INVALID_HANDLE;
  static DWORD Failure(DWORD) { return INVALID_FILE_SIZE; }
};
struct GetFileTime : FailsWithNothing<BOOL, ERROR_INVALID_HANDLE>, NoDetail {
  static constexpr char name[] = "GetFileTime";
};
struct SetFileTime : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED>, NoDetail {
  static constexpr char name[] = "SetFileTime";
};
struct CloseHandle : FailsWithNothing<BOOL, ERROR_INVALID_HANDLE>, NoDetail {
  static constexpr char name[] = "CloseHandle";
};
struct DeleteFileA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "DeleteFileA";
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct GetFileAttributesA {
  static constexpr char name[] = "GetFileAttributesA";
  static constexpr DWORD usualError = ERROR_ACCESS_DENIED;
  static DWORD Failure(DWORD) { return INVALID_FILE_ATTRIBUTES; }
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct SetFileAttributesA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "SetFileAttributesA";
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct CreateDirectoryA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "CreateDirectoryA";
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct RemoveDirectoryA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "RemoveDirectoryA";
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};
struct CopyFileA : FailsWithNothing<BOOL, ERROR_DISK_FULL> {
  static constexpr char name[] = "CopyFileA";
  template <typename... Rest>
  static std::string Detail(LPCSTR existingPath, LPCSTR newPath, Rest...) {
    return Pair(existingPath, newPath);
  }
};
struct MoveFileA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "MoveFileA";
  template <typename... Rest>
  static std::string Detail(LPCSTR existingPath, LPCSTR newPath, Rest...) {
    return Pair(existingPath, newPath);
  }
};
struct MoveFileExA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "MoveFileExA";
  template <typename... Rest>
  static std::string Detail(LPCSTR existingPath, LPCSTR newPath, Rest...) {
    return Pair(existingPath, newPath);
  }
};
struct GetTempPathA : FailsWithNothing<DWORD, ERROR_PATH_NOT_FOUND>, NoDetail {
  static constexpr char name[] = "GetTempPathA";
};
struct GetTempFileNameA : FailsWithNothing<UINT, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "GetTempFileNameA";
  template <typename... Rest> static std::string Detail(LPCSTR directory, Rest...) {
    return Text(directory);
  }
};

// The registry: each returns the error itself.
struct RegOpenKeyExA : ReturnsStatus {
  static constexpr char name[] = "RegOpenKeyExA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR subKey, Rest...) {
    return Text(subKey);
  }
};
struct RegCreateKeyA : ReturnsStatus {
  static constexpr char name[] = "RegCreateKeyA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR subKey, Rest...) {
    return Text(subKey);
  }
};
struct RegQueryValueExA : ReturnsStatus {
  static constexpr char name[] = "RegQueryValueExA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR valueName, Rest...) {
    return Text(valueName);
  }
};
struct RegSetValueExA : ReturnsStatus {
  static constexpr char name[] = "RegSetValueExA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR valueName, Rest...) {
    return Text(valueName);
  }
};
struct RegEnumKeyExA : ReturnsStatus {
  static constexpr char name[] = "RegEnumKeyExA";
  template <typename... Rest> static std::string Detail(HKEY, DWORD index, Rest...) {
    return Number(index);
  }
};
struct RegEnumKeyA : ReturnsStatus {
  static constexpr char name[] = "RegEnumKeyA";
  template <typename... Rest> static std::string Detail(HKEY, DWORD index, Rest...) {
    return Number(index);
  }
};
struct RegQueryInfoKeyA : ReturnsStatus {
  static constexpr char name[] = "RegQueryInfoKeyA";
  template <typename... Rest> static std::string Detail(HKEY key, Rest...) { return KeyName(key); }
};
struct RegDeleteKeyA : ReturnsStatus {
  static constexpr char name[] = "RegDeleteKeyA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR subKey, Rest...) {
    return Text(subKey);
  }
};
struct RegDeleteValueA : ReturnsStatus {
  static constexpr char name[] = "RegDeleteValueA";
  template <typename... Rest> static std::string Detail(HKEY, LPCSTR valueName, Rest...) {
    return Text(valueName);
  }
};
struct RegCloseKey : ReturnsStatus {
  static constexpr char name[] = "RegCloseKey";
  template <typename... Rest> static std::string Detail(HKEY key, Rest...) { return KeyName(key); }
};

// Profile files.
struct GetPrivateProfileStringA : FailsWithNothing<DWORD, ERROR_FILE_NOT_FOUND> {
  static constexpr char name[] = "GetPrivateProfileStringA";
  template <typename... Rest> static std::string Detail(LPCSTR section, LPCSTR key, Rest...) {
    return Pair(section, key);
  }
};
struct WritePrivateProfileStringA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "WritePrivateProfileStringA";
  template <typename... Rest> static std::string Detail(LPCSTR section, LPCSTR key, Rest...) {
    return Pair(section, key);
  }
};

// The screen-saving switch, launches and the current folder.
struct SystemParametersInfoA : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED> {
  static constexpr char name[] = "SystemParametersInfoA";
  template <typename... Rest>
  static std::string Detail(UINT action, UINT param, PVOID, UINT flags, Rest...) {
    return Number(action) + "," + Number(param) + "," + Number(flags);
  }
};
// Reports a failure as a value below 32: the error, where it is one.
struct WinExec {
  static constexpr char name[] = "WinExec";
  static constexpr DWORD usualError = ERROR_FILE_NOT_FOUND;
  static UINT Failure(DWORD error) { return error < 32 ? error : 0; }
  template <typename... Rest> static std::string Detail(LPCSTR commandLine, Rest...) {
    return Text(commandLine);
  }
};
struct SetCurrentDirectoryA : FailsWithNothing<BOOL, ERROR_PATH_NOT_FOUND> {
  static constexpr char name[] = "SetCurrentDirectoryA";
  template <typename... Rest> static std::string Detail(LPCSTR path, Rest...) { return Text(path); }
};

// This program, its memory and the programs it starts.
struct GetModuleFileNameA : FailsWithNothing<DWORD, ERROR_INSUFFICIENT_BUFFER>, NoDetail {
  static constexpr char name[] = "GetModuleFileNameA";
};
// Sets no error when it fails.
struct HeapAlloc : FailsWithNothing<LPVOID, ERROR_SUCCESS> {
  static constexpr char name[] = "HeapAlloc";
  template <typename... Rest> static std::string Detail(HANDLE, DWORD, SIZE_T bytes, Rest...) {
    return Number(bytes);
  }
};
struct HeapFree : FailsWithNothing<BOOL, ERROR_INVALID_PARAMETER>, NoDetail {
  static constexpr char name[] = "HeapFree";
};
struct DuplicateHandle : FailsWithNothing<BOOL, ERROR_NOT_ENOUGH_MEMORY>, NoDetail {
  static constexpr char name[] = "DuplicateHandle";
};
struct CreateProcessA : FailsWithNothing<BOOL, ERROR_FILE_NOT_FOUND> {
  static constexpr char name[] = "CreateProcessA";
  template <typename... Rest> static std::string Detail(LPCSTR, LPSTR commandLine, Rest...) {
    return Text(commandLine);
  }
};
struct WaitForSingleObject : NoDetail {
  static constexpr char name[] = "WaitForSingleObject";
  static constexpr DWORD usualError = ERROR_INVALID_HANDLE;
  static DWORD Failure(DWORD) { return WAIT_FAILED; }
};
struct GetExitCodeProcess : FailsWithNothing<BOOL, ERROR_INVALID_HANDLE>, NoDetail {
  static constexpr char name[] = "GetExitCodeProcess";
};
struct OpenProcessToken : FailsWithNothing<BOOL, ERROR_ACCESS_DENIED>, NoDetail {
  static constexpr char name[] = "OpenProcessToken";
};
struct GetTokenInformation : FailsWithNothing<BOOL, ERROR_INVALID_PARAMETER> {
  static constexpr char name[] = "GetTokenInformation";
  template <typename... Rest>
  static std::string Detail(HANDLE, TOKEN_INFORMATION_CLASS kind, Rest...) {
    return Number(kind);
  }
};
struct ShellExecuteExA : FailsWithNothing<BOOL, ERROR_FILE_NOT_FOUND> {
  static constexpr char name[] = "ShellExecuteExA";
  template <typename... Rest> static std::string Detail(LPSHELLEXECUTEINFOA launch, Rest...) {
    return launch ? Pair(launch->lpVerb, launch->lpFile) : Text(nullptr);
  }
};

} // namespace sys::calls
