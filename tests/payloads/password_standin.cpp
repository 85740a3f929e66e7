// Stands in for the 95/98 family's password.cpl and mpr.dll (the same file under both names) in
// the system folder of a test's Wine prefix. It records every load and call, one line each, in
// the file named by ZM_STANDIN_LOG, and answers the verifier's calls in the order that
// ZM_STANDIN_ANSWERS gives ("0" refuses, "1" accepts; accepts once the answers run out).
//
// Like the system's dialog, the verifier disables its owner and runs a message loop of its own
// for a while, and meanwhile the owner receives what a dialog's appearance brings (deactivation,
// a key, a request to close), so that a saver that took these for input would ask again.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace {

// Newer than the headers' Windows version; a user32 that lacks it answers FALSE.
constexpr UINT GetScreenSaverRunning = 0x0072;

HMODULE g_self;
int g_depth;
unsigned g_calls;

std::string Environment(const char* name) {
  char value[1024];
  DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

void Record(const std::string& line) {
  std::string path = Environment("ZM_STANDIN_LOG");
  if (path.empty()) return;
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  ::SetFilePointer(file, 0, nullptr, FILE_END);
  std::string text = line + "\r\n";
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::string SelfPath() {
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(g_self, path, MAX_PATH);
  return path;
}

std::string SaverRunning() {
  BOOL running = FALSE;
  if (!::SystemParametersInfoA(GetScreenSaverRunning, 0, &running, 0)) return "unknown";
  return running ? "1" : "0";
}

std::string Number(UINT_PTR n) { return std::to_string(static_cast<unsigned long long>(n)); }

bool CursorShown() {
  int count = ::ShowCursor(FALSE);
  ::ShowCursor(TRUE);
  return count + 1 >= 0;
}

// What a modal dialog does to its owner while it is up.
void ActLikeADialog(HWND owner) {
  ::EnableWindow(owner, FALSE);
  ::SendMessageA(owner, WM_ACTIVATEAPP, FALSE, 0);
  ::SendMessageA(owner, WM_KEYDOWN, VK_SPACE, 0);
  ::PostMessageA(owner, WM_CLOSE, 0, 0);
  DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < 300) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
    ::Sleep(10);
  }
  ::EnableWindow(owner, TRUE);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = self;
    Record("loaded " + SelfPath());
  } else if (reason == DLL_PROCESS_DETACH) {
    Record("unloaded running=" + SaverRunning());
  }
  return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND owner) {
  ++g_depth;
  std::string answers = Environment("ZM_STANDIN_ANSWERS");
  bool accept = g_calls >= answers.size() || answers[g_calls] != '0';
  ++g_calls;
  Record("verify owner=" + Number(reinterpret_cast<UINT_PTR>(owner)) +
         " depth=" + std::to_string(g_depth) + " cursor=" + (CursorShown() ? "shown" : "hidden") +
         " running=" + SaverRunning() + " answer=" + (accept ? "1" : "0"));
  ActLikeADialog(owner);
  --g_depth;
  return accept ? TRUE : FALSE;
}

extern "C" __declspec(dllexport) DWORD WINAPI
    PwdChangePasswordA(LPCSTR provider, HWND owner, DWORD flags, LPVOID reserved) {
  Record(std::string("change provider=") + (provider != nullptr ? provider : "(null)") +
         " owner=" + Number(reinterpret_cast<UINT_PTR>(owner)) + " flags=" + Number(flags) +
         " reserved=" + (reserved != nullptr ? "set" : "null"));
  return 0;
}
