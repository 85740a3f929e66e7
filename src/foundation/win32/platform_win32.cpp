// The platform layer on Windows: each function is the real call. The test variant of this file
// (ZM_PLATFORM_HOOKS) also traces every call, fails it on demand and hands message boxes to
// the tests; the shipped program is built without any of that.
#include "foundation/platform.h"

#include "foundation/win32/system_library.h"
#include "foundation/win32/traced_call.h"

#ifdef ZM_PLATFORM_HOOKS
using sys::traced::ResourceName;
using sys::traced::Text;
#endif

namespace sys {

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  ZM_FAIL_IF("GetVersionExA", "", ERROR_INVALID_PARAMETER, FALSE);
  return ::GetVersionExA(info);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  ZM_FAIL_IF("GetWindowsDirectoryA", "", ERROR_PATH_NOT_FOUND, 0);
  return ::GetWindowsDirectoryA(buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  ZM_FAIL_IF("GetSystemDirectoryA", "", ERROR_PATH_NOT_FOUND, 0);
  return ::GetSystemDirectoryA(buffer, size);
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  ZM_FAIL_IF("GetShortPathNameA", Text(longPath), ERROR_FILE_NOT_FOUND, 0);
  return ::GetShortPathNameA(longPath, shortPath, size);
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  ZM_FAIL_IF("FindResourceA", ResourceName(name), ERROR_RESOURCE_NAME_NOT_FOUND, nullptr);
  return ::FindResourceA(module, name, type);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  ZM_FAIL_IF("SizeofResource", "", ERROR_RESOURCE_DATA_NOT_FOUND, 0);
  return ::SizeofResource(module, resource);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  ZM_FAIL_IF("LoadResource", "", ERROR_RESOURCE_DATA_NOT_FOUND, nullptr);
  return ::LoadResource(module, resource);
}

LPVOID LockResource(HGLOBAL loaded) {
  ZM_FAIL_IF("LockResource", "", ERROR_RESOURCE_DATA_NOT_FOUND, nullptr);
  return ::LockResource(loaded);
}

BOOL FreeResource(HGLOBAL loaded) {
  ZM_FAIL_IF("FreeResource", "", ERROR_INVALID_HANDLE, FALSE);
  return ::FreeResource(loaded);
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  ZM_FAIL_IF("CreateFileA", Text(path), ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  return ::CreateFileA(path, access, shareMode, security, disposition, flagsAndAttributes,
                       templateFile);
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
  ZM_FAIL_IF("WriteFile", std::to_string(count), ERROR_DISK_FULL, FALSE);
#ifdef ZM_PLATFORM_HOOKS
  count = sys::hooks::AllowedWriteCount(count);
#endif
  return ::WriteFile(file, data, count, written, overlapped);
}

BOOL ReadFile(HANDLE file, LPVOID data, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  ZM_FAIL_IF("ReadFile", std::to_string(count), ERROR_ACCESS_DENIED, FALSE);
  return ::ReadFile(file, data, count, read, overlapped);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  ZM_FAIL_IF("GetFileSize", "", ERROR_INVALID_HANDLE, INVALID_FILE_SIZE);
  return ::GetFileSize(file, sizeHigh);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  ZM_FAIL_IF("GetFileTime", "", ERROR_INVALID_HANDLE, FALSE);
  return ::GetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  ZM_FAIL_IF("SetFileTime", "", ERROR_ACCESS_DENIED, FALSE);
  return ::SetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL CloseHandle(HANDLE object) {
  ZM_FAIL_IF("CloseHandle", "", ERROR_INVALID_HANDLE, FALSE);
  return ::CloseHandle(object);
}

BOOL DeleteFileA(LPCSTR path) {
  ZM_FAIL_IF("DeleteFileA", Text(path), ERROR_ACCESS_DENIED, FALSE);
  return ::DeleteFileA(path);
}

DWORD GetFileAttributesA(LPCSTR path) {
  ZM_FAIL_IF("GetFileAttributesA", Text(path), ERROR_ACCESS_DENIED, INVALID_FILE_ATTRIBUTES);
  return ::GetFileAttributesA(path);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  ZM_FAIL_IF("CreateDirectoryA", Text(path), ERROR_ACCESS_DENIED, FALSE);
  return ::CreateDirectoryA(path, security);
}

BOOL RemoveDirectoryA(LPCSTR path) {
  ZM_FAIL_IF("RemoveDirectoryA", Text(path), ERROR_ACCESS_DENIED, FALSE);
  return ::RemoveDirectoryA(path);
}

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  ZM_FAIL_STATUS_IF("RegOpenKeyExA", Text(subKey));
  return ::RegOpenKeyExA(parent, subKey, options, access, result);
}

LONG RegCreateKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
  ZM_FAIL_STATUS_IF("RegCreateKeyA", Text(subKey));
  return ::RegCreateKeyA(parent, subKey, result);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  ZM_FAIL_STATUS_IF("RegQueryValueExA", Text(valueName));
  return ::RegQueryValueExA(key, valueName, reserved, type, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  ZM_FAIL_STATUS_IF("RegSetValueExA", Text(valueName));
  return ::RegSetValueExA(key, valueName, reserved, type, data, size);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, PFILETIME lastWriteTime) {
  ZM_FAIL_STATUS_IF("RegEnumKeyExA", std::to_string(index));
  return ::RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize, lastWriteTime);
}

LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  ZM_FAIL_STATUS_IF("RegEnumKeyA", std::to_string(index));
  return ::RegEnumKeyA(key, index, name, nameSize);
}

LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey) {
  ZM_FAIL_STATUS_IF("RegDeleteKeyA", Text(subKey));
  return ::RegDeleteKeyA(parent, subKey);
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  ZM_FAIL_STATUS_IF("RegDeleteValueA", Text(valueName));
  return ::RegDeleteValueA(key, valueName);
}

LONG RegCloseKey(HKEY key) {
  ZM_FAIL_STATUS_IF("RegCloseKey", std::to_string(reinterpret_cast<ULONG_PTR>(key)));
  return ::RegCloseKey(key);
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
  ZM_FAIL_IF("GetPrivateProfileStringA", Text(section) + "|" + Text(key), ERROR_FILE_NOT_FOUND, 0);
  return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  ZM_FAIL_IF("WritePrivateProfileStringA", Text(section) + "|" + Text(key), ERROR_ACCESS_DENIED,
             FALSE);
  return ::WritePrivateProfileStringA(section, key, value, fileName);
}

BOOL SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT flags) {
  ZM_FAIL_IF("SystemParametersInfoA",
             std::to_string(action) + "," + std::to_string(param) + "," + std::to_string(flags),
             ERROR_ACCESS_DENIED, FALSE);
  return ::SystemParametersInfoA(action, param, data, flags);
}

// Looked up, not imported: the installer's imports are a fixed list, and kernel32 has exported
// this call since the first release, so the lookup fails on no system.
BOOL SetCurrentDirectoryA(LPCSTR path) {
  ZM_FAIL_IF("SetCurrentDirectoryA", Text(path), ERROR_PATH_NOT_FOUND, FALSE);
  auto set = SystemFunction<BOOL(WINAPI*)(LPCSTR)>(::GetModuleHandleA("kernel32.dll"),
                                                   "SetCurrentDirectoryA");
  if (set == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return set(path);
}

UINT WinExec(LPCSTR commandLine, UINT show) {
  ZM_FAIL_IF("WinExec", Text(commandLine), ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND);
  return ::WinExec(commandLine, show);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
#ifdef ZM_PLATFORM_HOOKS
  DWORD ignored = 0;
  sys::hooks::Enter("MessageBoxA", Text(text), &ignored);
  if (auto handler = sys::hooks::GetMessageBoxHandler()) return handler(owner, text, title, style);
#endif
  return ::MessageBoxA(owner, text, title, style);
}

DWORD GetLastError() { return ::GetLastError(); }

void SetLastError(DWORD error) { ::SetLastError(error); }

} // namespace sys
