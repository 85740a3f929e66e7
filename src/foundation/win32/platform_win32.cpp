// The platform layer on Windows: each function is the real call. The test variant of this file
// (ZM_PLATFORM_HOOKS) also traces every call, fails it on demand and hands message boxes to
// the tests; the shipped program is built without any of that.
#include "foundation/platform.h"

#include "foundation/win32/system_library.h"
#include "foundation/win32/traced_call.h"

#ifdef ZM_PLATFORM_HOOKS
#include <map>
#endif

#ifdef ZM_PLATFORM_HOOKS
namespace sys {
namespace {

std::map<HKEY, std::string>& KeyNames() {
  static std::map<HKEY, std::string> names = {
      {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
      {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
      {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
      {HKEY_USERS, "HKEY_USERS"},
  };
  return names;
}

} // namespace

std::string calls::KeyName(HKEY key) {
  auto found = KeyNames().find(key);
  return found == KeyNames().end() ? "" : found->second;
}

void traced::RememberKey(HKEY parent, LPCSTR subKey, HKEY opened) {
  std::string name = calls::KeyName(parent);
  if (subKey != nullptr && *subKey != '\0') name += "\\" + std::string(subKey);
  KeyNames()[opened] = name;
}

void traced::ForgetKey(HKEY key) {
  // The predefined roots keep their names: closing one does nothing.
  if (reinterpret_cast<ULONG_PTR>(key) >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT)) return;
  KeyNames().erase(key);
}

} // namespace sys
#endif

namespace sys {

BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  ZM_TRACED(GetVersionExA, info);
  return ::GetVersionExA(info);
}

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  ZM_TRACED(GetWindowsDirectoryA, buffer, size);
  return ::GetWindowsDirectoryA(buffer, size);
}

UINT GetSystemDirectoryA(LPSTR buffer, UINT size) {
  ZM_TRACED(GetSystemDirectoryA, buffer, size);
  return ::GetSystemDirectoryA(buffer, size);
}

DWORD GetShortPathNameA(LPCSTR longPath, LPSTR shortPath, DWORD size) {
  ZM_TRACED(GetShortPathNameA, longPath, shortPath, size);
  return ::GetShortPathNameA(longPath, shortPath, size);
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  ZM_TRACED(FindResourceA, module, name, type);
  return ::FindResourceA(module, name, type);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  ZM_TRACED(SizeofResource, module, resource);
  return ::SizeofResource(module, resource);
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  ZM_TRACED(LoadResource, module, resource);
  return ::LoadResource(module, resource);
}

LPVOID LockResource(HGLOBAL loaded) {
  ZM_TRACED(LockResource, loaded);
  return ::LockResource(loaded);
}

BOOL FreeResource(HGLOBAL loaded) {
  ZM_TRACED(FreeResource, loaded);
  return ::FreeResource(loaded);
}

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  ZM_TRACED(CreateFileA, path, access, shareMode, security, disposition, flagsAndAttributes,
            templateFile);
  return ::CreateFileA(path, access, shareMode, security, disposition, flagsAndAttributes,
                       templateFile);
}

BOOL WriteFile(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED overlapped) {
  ZM_TRACED(WriteFile, file, data, count, written, overlapped);
#ifdef ZM_PLATFORM_HOOKS
  count = sys::hooks::AllowedWriteCount(count);
#endif
  return ::WriteFile(file, data, count, written, overlapped);
}

BOOL ReadFile(HANDLE file, LPVOID data, DWORD count, LPDWORD read, LPOVERLAPPED overlapped) {
  ZM_TRACED(ReadFile, file, data, count, read, overlapped);
  return ::ReadFile(file, data, count, read, overlapped);
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  ZM_TRACED(GetFileSize, file, sizeHigh);
  return ::GetFileSize(file, sizeHigh);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  ZM_TRACED(GetFileTime, file, creation, lastAccess, lastWrite);
  return ::GetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                 const FILETIME* lastWrite) {
  ZM_TRACED(SetFileTime, file, creation, lastAccess, lastWrite);
  return ::SetFileTime(file, creation, lastAccess, lastWrite);
}

BOOL CloseHandle(HANDLE object) {
  ZM_TRACED(CloseHandle, object);
  return ::CloseHandle(object);
}

BOOL DeleteFileA(LPCSTR path) {
  ZM_TRACED(DeleteFileA, path);
  return ::DeleteFileA(path);
}

BOOL SetFileAttributesA(LPCSTR path, DWORD attributes) {
  ZM_TRACED(SetFileAttributesA, path, attributes);
  return ::SetFileAttributesA(path, attributes);
}

DWORD GetFileAttributesA(LPCSTR path) {
  ZM_TRACED(GetFileAttributesA, path);
  return ::GetFileAttributesA(path);
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
  ZM_TRACED(CreateDirectoryA, path, security);
  return ::CreateDirectoryA(path, security);
}

BOOL RemoveDirectoryA(LPCSTR path) {
  ZM_TRACED(RemoveDirectoryA, path);
  return ::RemoveDirectoryA(path);
}

LONG RegOpenKeyExA(HKEY parent, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result) {
  ZM_TRACED(RegOpenKeyExA, parent, subKey, options, access, result);
  const LONG status = ::RegOpenKeyExA(parent, subKey, options, access, result);
#ifdef ZM_PLATFORM_HOOKS
  if (status == ERROR_SUCCESS) traced::RememberKey(parent, subKey, *result);
#endif
  return status;
}

LONG RegCreateKeyA(HKEY parent, LPCSTR subKey, PHKEY result) {
  ZM_TRACED(RegCreateKeyA, parent, subKey, result);
  const LONG status = ::RegCreateKeyA(parent, subKey, result);
#ifdef ZM_PLATFORM_HOOKS
  if (status == ERROR_SUCCESS) traced::RememberKey(parent, subKey, *result);
#endif
  return status;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD size) {
  ZM_TRACED(RegQueryValueExA, key, valueName, reserved, type, data, size);
  return ::RegQueryValueExA(key, valueName, reserved, type, data, size);
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  ZM_TRACED(RegSetValueExA, key, valueName, reserved, type, data, size);
  return ::RegSetValueExA(key, valueName, reserved, type, data, size);
}

LONG RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                   LPSTR className, LPDWORD classSize, PFILETIME lastWriteTime) {
  ZM_TRACED(RegEnumKeyExA, key, index, name, nameSize, reserved, className, classSize,
            lastWriteTime);
  return ::RegEnumKeyExA(key, index, name, nameSize, reserved, className, classSize, lastWriteTime);
}

LONG RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD nameSize) {
  ZM_TRACED(RegEnumKeyA, key, index, name, nameSize);
  return ::RegEnumKeyA(key, index, name, nameSize);
}

LONG RegDeleteKeyA(HKEY parent, LPCSTR subKey) {
  ZM_TRACED(RegDeleteKeyA, parent, subKey);
  return ::RegDeleteKeyA(parent, subKey);
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  ZM_TRACED(RegDeleteValueA, key, valueName);
  return ::RegDeleteValueA(key, valueName);
}

LONG RegCloseKey(HKEY key) {
  ZM_TRACED(RegCloseKey, key);
  const LONG status = ::RegCloseKey(key);
#ifdef ZM_PLATFORM_HOOKS
  if (status == ERROR_SUCCESS) traced::ForgetKey(key);
#endif
  return status;
}

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer,
                               DWORD size, LPCSTR fileName) {
#ifdef ZM_PLATFORM_HOOKS
  using Call = calls::GetPrivateProfileStringA;
  // A failing read leaves an empty text, in both layers.
  if (traced::Fails(Call::name, Call::Detail(section, key), Call::usualError)) {
    if (buffer && size) buffer[0] = '\0';
    return Call::Failure(::GetLastError());
  }
#endif
  return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, size, fileName);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  ZM_TRACED(WritePrivateProfileStringA, section, key, value, fileName);
  return ::WritePrivateProfileStringA(section, key, value, fileName);
}

BOOL SystemParametersInfoA(UINT action, UINT param, PVOID data, UINT flags) {
  ZM_TRACED(SystemParametersInfoA, action, param, data, flags);
  return ::SystemParametersInfoA(action, param, data, flags);
}

// Looked up, not imported: the installer's imports are a fixed list, and kernel32 has exported
// this call since the first release, so the lookup fails on no system.
BOOL SetCurrentDirectoryA(LPCSTR path) {
  ZM_TRACED(SetCurrentDirectoryA, path);
  auto set = SystemFunction<BOOL(WINAPI*)(LPCSTR)>(::GetModuleHandleA("kernel32.dll"),
                                                   "SetCurrentDirectoryA");
  if (set == nullptr) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return FALSE;
  }
  return set(path);
}

UINT WinExec(LPCSTR commandLine, UINT show) {
  ZM_TRACED(WinExec, commandLine, show);
  return ::WinExec(commandLine, show);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR title, UINT style) {
#ifdef ZM_PLATFORM_HOOKS
  DWORD ignored = 0;
  sys::hooks::Enter("MessageBoxA", calls::Text(text), &ignored);
  if (auto handler = sys::hooks::GetMessageBoxHandler()) return handler(owner, text, title, style);
#endif
  return ::MessageBoxA(owner, text, title, style);
}

DWORD GetLastError() { return ::GetLastError(); }

void SetLastError(DWORD error) { ::SetLastError(error); }

} // namespace sys
