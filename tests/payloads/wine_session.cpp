#include "wine_session.h"

#include <doctest/doctest.h>

#include <cstdlib>

#include "shared/platform_family.h"
#include "shared/product_names.h"
#include "support/test_machine.h"
#include "support/time_factor.h"

std::string PayloadPath(const char* environmentVariable) {
  const char* hostPath = std::getenv(environmentVariable);
  REQUIRE_MESSAGE(hostPath != nullptr, environmentVariable << " is not set");
  // Wine shows the host's root directory as drive Z:.
  std::string path = std::string("Z:") + hostPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  REQUIRE_MESSAGE(FileExists(path), path << " is missing");
  return path;
}

bool IsNtFamily() { return IsWindowsNT(); }

Process Start(const std::string& program, const std::string& arguments) {
  std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  REQUIRE_MESSAGE(::CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &info),
                  "cannot start " << commandLine);
  ::CloseHandle(info.hThread);
  return {info.hProcess, info.dwProcessId};
}

long WaitForExit(Process& process, DWORD milliseconds) {
  DWORD deadline = ::GetTickCount() + Patience(milliseconds);
  for (;;) {
    DWORD now = ::GetTickCount();
    DWORD left = static_cast<long>(deadline - now) > 0 ? deadline - now : 0;
    DWORD result = ::MsgWaitForMultipleObjects(1, &process.handle, FALSE, left, QS_ALLINPUT);
    if (result == WAIT_OBJECT_0) break;
    if (result != WAIT_OBJECT_0 + 1) return -1;
    PumpMessages(0);
  }
  DWORD code = 0;
  ::GetExitCodeProcess(process.handle, &code);
  ::CloseHandle(process.handle);
  process.handle = nullptr;
  return static_cast<long>(code);
}

void EndProcess(Process& process) {
  if (process.handle == nullptr) return;
  ::TerminateProcess(process.handle, 99);
  ::WaitForSingleObject(process.handle, Patience(5000));
  ::CloseHandle(process.handle);
  process.handle = nullptr;
}

void PumpMessages(DWORD milliseconds) {
  DWORD start = ::GetTickCount();
  do {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    if (milliseconds != 0) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  } while (::GetTickCount() - start < milliseconds);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds) {
  DWORD start = ::GetTickCount();
  DWORD limit = Patience(milliseconds);
  while (!condition()) {
    if (::GetTickCount() - start > limit) return false;
    PumpMessages(50);
  }
  return true;
}

namespace {

struct WindowQuery {
  DWORD processId;
  const char* className;
  const char* title;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
  auto* query = reinterpret_cast<WindowQuery*>(parameter);
  DWORD processId = 0;
  ::GetWindowThreadProcessId(window, &processId);
  char className[256] = "", title[256] = "";
  ::GetClassNameA(window, className, sizeof className);
  ::GetWindowTextA(window, title, sizeof title);
  if (processId == query->processId && ::IsWindowVisible(window) &&
      std::string(className) == query->className && std::string(title) == query->title) {
    query->found = window;
    return FALSE;
  }
  return TRUE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* title) {
  WindowQuery query = {processId, className, title, nullptr};
  ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::string MessageBoxText(HWND box) {
  std::string text;
  for (HWND child = ::FindWindowExA(box, nullptr, "Static", nullptr); child != nullptr;
       child = ::FindWindowExA(box, child, "Static", nullptr)) {
    char part[1024] = "";
    ::GetWindowTextA(child, part, sizeof part);
    if (part[0] == '\0') continue;
    if (!text.empty()) text += "\n";
    text += part;
  }
  return text;
}

std::string ShortPath(const std::string& path) {
  char buffer[MAX_PATH];
  DWORD length = ::GetShortPathNameA(path.c_str(), buffer, MAX_PATH);
  REQUIRE_MESSAGE((length > 0 && length < MAX_PATH), "no short path for " << path);
  return buffer;
}

bool SameFile(const std::string& a, const std::string& b) {
  return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

namespace {

constexpr char Missing[] = "<missing>";

} // namespace

std::optional<std::string> ScreenSaverSetting() {
  if (IsNtFamily()) {
    DWORD type = 0;
    std::string bytes;
    if (!GetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, &type, &bytes)) {
      return std::nullopt;
    }
    CHECK(type == REG_SZ);
    return std::string(bytes.c_str());
  }
  char value[1024];
  ::GetPrivateProfileStringA(BootSection, ScreenSaverValueName, Missing, value, sizeof value,
                             SystemIniFileName);
  if (std::string(value) == Missing) return std::nullopt;
  return std::string(value);
}

void SetScreenSaverSetting(const std::optional<std::string>& setting) {
  if (IsNtFamily()) {
    if (setting) {
      SetRegistryString(HKEY_CURRENT_USER, DesktopKeyPath, ScreenSaverValueName, *setting);
    } else {
      HKEY key;
      if (::RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKeyPath, 0, KEY_SET_VALUE, &key) ==
          ERROR_SUCCESS) {
        ::RegDeleteValueA(key, ScreenSaverValueName);
        ::RegCloseKey(key);
      }
    }
    return;
  }
  REQUIRE(::WritePrivateProfileStringA(BootSection, ScreenSaverValueName,
                                       setting ? setting->c_str() : nullptr, SystemIniFileName));
}

std::vector<std::string> FilesDeletedAtRestart() {
  std::vector<std::string> files;
  if (IsNtFamily()) {
    DWORD type = 0;
    std::string list;
    if (!GetRegistryValue(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                          "PendingFileRenameOperations", &type, &list)) {
      return files;
    }
    // Pairs of source and target; an empty target deletes the source.
    std::vector<std::string> strings;
    for (std::size_t at = 0; at < list.size();) {
      std::size_t end = list.find('\0', at);
      if (end == std::string::npos) end = list.size();
      strings.push_back(list.substr(at, end - at));
      at = end + 1;
    }
    for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
      if (!strings[i + 1].empty() || strings[i].empty()) continue;
      std::string path = strings[i];
      if (path.rfind("\\??\\", 0) == 0) path.erase(0, 4);
      files.push_back(path);
    }
    return files;
  }
  char windows[MAX_PATH];
  ::GetWindowsDirectoryA(windows, MAX_PATH);
  std::string text = ReadFileBytes(std::string(windows) + "\\wininit.ini");
  bool inRename = false;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inRename = ::lstrcmpiA(line.c_str(), "[rename]") == 0;
    } else if (inRename && line.size() > 4 && ::lstrcmpiA(line.substr(0, 4).c_str(), "NUL=") == 0) {
      files.push_back(line.substr(4));
    }
  }
  return files;
}
