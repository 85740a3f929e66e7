// A second program in the installer's Wine session that reads what the user sees: the wizard's
// current page, its buttons and their places on the screen, and any message box the installer
// shows. It never presses anything itself; the driving script does that with real input.
//
//   zm_ui_probe state                       what is on the screen, one key=value per line
//   zm_ui_probe wait <ms> <key=value|key!=value>...  polls the state until all hold; prints it
//   zm_ui_probe shortpath <path>            the short form of a path
//   zm_ui_probe reg-get <HKCU|HKLM> <key> [value]    a REG_SZ value (default value if none); a
//                                           REG_MULTI_SZ one as pairs "a>b" joined by '|'
//   zm_ui_probe reg-set <HKCU|HKLM> <key> <value> <text>
//   zm_ui_probe ini-set <file> <section> <key> <text>  a profile entry, as a settings panel writes
//   zm_ui_probe preview <screen saver> <stop file>  stands in for the Display settings: shows the
//                                           screen saver's preview in a window of its own until
//                                           the stop file appears, then closes and waits for it
//   zm_ui_probe first-page <ms> <program>   starts the program, prints the milliseconds until its
//                                           Welcome page shows, then ends it (bench/run)
#include <windows.h>

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "res/resource.h"
#include "support/time_factor.h"

namespace {

const char SheetTitle[] = "Zembrino's Screen Saver Installer";

// The static control that holds a message box's text.
const int BoxTextId = 0xFFFF;

using State = std::map<std::string, std::string>;

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    case '\\':
      out += "\\\\";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string WindowText(HWND window) {
  int length = GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  int copied = GetWindowTextA(window, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// Centre of a window in screen pixels, which without a window manager are X root coordinates.
std::string Centre(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return "none";
  char text[32];
  std::snprintf(text, sizeof text, "%ld,%ld", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  return text;
}

// A window's place in screen pixels as width x height + left + top, frame included.
std::string Geometry(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return "none";
  char text[64];
  std::snprintf(text, sizeof text, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left,
                r.top);
  return text;
}

void DescribeControl(State& state, const std::string& name, HWND control) {
  if (control == nullptr) {
    state[name] = "none";
    return;
  }
  state[name] = "present";
  state[name + ".visible"] = IsWindowVisible(control) ? "1" : "0";
  state[name + ".enabled"] = IsWindowEnabled(control) ? "1" : "0";
  state[name + ".caption"] = Escaped(WindowText(control));
  state[name + ".at"] = Centre(control);
}

struct TopLevel {
  std::vector<HWND> dialogs;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM context) {
  if (IsWindowVisible(window) && ClassName(window) == "#32770")
    reinterpret_cast<TopLevel*>(context)->dialogs.push_back(window);
  return TRUE;
}

// The page the sheet shows. A sheet busy with the installation does not answer at once; then
// the page is unknown for this round.
bool CurrentPage(HWND sheet, HWND* page) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, Patience(2000),
                           &result))
    return false;
  *page = reinterpret_cast<HWND>(result);
  return true;
}

bool IsSheet(HWND window) {
  return WindowText(window) == SheetTitle && GetDlgItem(window, IDC_SHEET_BACK) != nullptr;
}

State ReadState() {
  State state;
  TopLevel top;
  EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&top));

  HWND sheet = nullptr;
  for (HWND window : top.dialogs)
    if (IsSheet(window)) sheet = window;
  DWORD sheetProcess = 0;
  state["sheet"] = sheet ? "present" : "none";
  if (sheet) {
    GetWindowThreadProcessId(sheet, &sheetProcess);
    state["sheet.at"] = Centre(sheet);
    state["sheet.geometry"] = Geometry(sheet);
    DescribeControl(state, "back", GetDlgItem(sheet, IDC_SHEET_BACK));
    DescribeControl(state, "next", GetDlgItem(sheet, IDC_SHEET_NEXT));
    DescribeControl(state, "finish", GetDlgItem(sheet, IDC_SHEET_FINISH));
    DescribeControl(state, "cancel", GetDlgItem(sheet, IDC_SHEET_CANCEL));
    HWND page = nullptr;
    if (!CurrentPage(sheet, &page)) {
      state["page"] = "busy";
    } else if (page && GetDlgItem(page, IDC_WELCOME_TEXT)) {
      state["page"] = "welcome";
      state["page.at"] = Centre(page);
      state["welcome.text"] = Escaped(WindowText(GetDlgItem(page, IDC_WELCOME_TEXT)));
    } else if (page && GetDlgItem(page, IDC_LICENSE_TEXT)) {
      state["page"] = "agreement";
      state["page.at"] = Centre(page);
      HWND accept = GetDlgItem(page, IDC_ACCEPT);
      HWND reject = GetDlgItem(page, IDC_REJECT);
      DescribeControl(state, "accept", accept);
      DescribeControl(state, "reject", reject);
      state["accept.checked"] = IsDlgButtonChecked(page, IDC_ACCEPT) == BST_CHECKED ? "1" : "0";
      state["reject.checked"] = IsDlgButtonChecked(page, IDC_REJECT) == BST_CHECKED ? "1" : "0";
      // An edit control's text lives in its own process: ask the control itself.
      DWORD_PTR length = 0;
      SendMessageTimeoutA(GetDlgItem(page, IDC_LICENSE_TEXT), WM_GETTEXTLENGTH, 0, 0,
                          SMTO_ABORTIFHUNG, Patience(2000), &length);
      state["license.length"] = std::to_string(length);
    } else {
      state["page"] = "other";
    }
  }

  // A message box of the installer: any other dialog of the sheet's process, or of any process
  // while there is no sheet (the wizard may be gone already).
  HWND box = nullptr;
  for (HWND window : top.dialogs) {
    if (window == sheet || IsSheet(window)) continue;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (sheet == nullptr || process == sheetProcess) box = window;
  }
  state["box"] = box ? "present" : "none";
  if (box) {
    state["box.title"] = Escaped(WindowText(box));
    state["box.text"] = Escaped(WindowText(GetDlgItem(box, BoxTextId)));
    state["box.at"] = Centre(box);
    HWND owner = GetWindow(box, GW_OWNER);
    state["box.owned"] = owner ? "1" : "0";
    const std::pair<const char*, int> buttons[] = {{"ok", IDOK}, {"yes", IDYES}, {"no", IDNO}};
    for (const auto& [name, id] : buttons) {
      HWND button = GetDlgItem(box, id);
      state[std::string("box.") + name + ".at"] = button ? Centre(button) : "none";
    }
  }
  return state;
}

void Print(const State& state) {
  for (const auto& [key, value] : state) std::printf("%s=%s\n", key.c_str(), value.c_str());
  std::fflush(stdout);
}

bool Holds(const State& state, const std::vector<std::string>& conditions) {
  for (const std::string& condition : conditions) {
    // key=value, or key!=value for "anything but".
    size_t equals = condition.find('=');
    bool negated = equals != std::string::npos && equals > 0 && condition[equals - 1] == '!';
    std::string key = condition.substr(0, negated ? equals - 1 : equals);
    std::string value = equals == std::string::npos ? std::string() : condition.substr(equals + 1);
    auto found = state.find(key);
    std::string actual = found == state.end() ? "none" : found->second;
    if ((actual == value) == negated) return false;
  }
  return true;
}

int Wait(int argc, char** argv) {
  if (argc < 3) return 64;
  DWORD limit = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  std::vector<std::string> conditions(argv + 3, argv + argc);
  DWORD start = GetTickCount();
  State state;
  for (;;) {
    state = ReadState();
    if (Holds(state, conditions)) {
      Print(state);
      return 0;
    }
    if (GetTickCount() - start > limit) break;
    Sleep(50);
  }
  std::printf("timed out after %lu ms waiting for:\n", static_cast<unsigned long>(limit));
  for (const std::string& condition : conditions) {
    std::string key = condition.substr(0, condition.find_first_of("!="));
    auto found = state.find(key);
    std::printf("  %s  (found: %s)\n", condition.c_str(),
                found == state.end() ? "none" : found->second.c_str());
  }
  std::printf("last state:\n");
  Print(state);
  return 1;
}

// From process creation to the Welcome page on the screen, timed inside Wine so that Wine's own
// start-up does not count. The page is looked for every millisecond or so.
int FirstPage(int argc, char** argv) {
  if (argc < 4) return 64;
  DWORD limit = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  std::string commandLine = std::string("\"") + argv[3] + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s (error %lu)\n", argv[3], GetLastError());
    return 2;
  }
  int status = 1;
  for (;;) {
    State state = ReadState();
    QueryPerformanceCounter(&now);
    double ms = static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
                static_cast<double>(frequency.QuadPart);
    if (state["page"] == "welcome") {
      std::printf("%.1f\n", ms);
      status = 0;
      break;
    }
    if (ms > limit) {
      std::printf("no Welcome page after %lu ms\n", static_cast<unsigned long>(limit));
      break;
    }
    Sleep(1);
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return status;
}

HKEY Root(const char* name) {
  if (std::strcmp(name, "HKLM") == 0) return HKEY_LOCAL_MACHINE;
  return HKEY_CURRENT_USER;
}

int RegGet(int argc, char** argv) {
  if (argc < 4) return 64;
  const char* valueName = argc > 4 ? argv[4] : nullptr;
  HKEY key;
  if (RegOpenKeyExA(Root(argv[2]), argv[3], 0, KEY_READ, &key) != ERROR_SUCCESS) {
    std::printf("<no key>\n");
    return 3;
  }
  char data[4096] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  LONG result =
      RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) {
    std::printf("<no value>\n");
    return 3;
  }
  if (type == REG_MULTI_SZ) {
    // The pending-rename list holds pairs, the second empty for a deletion: the strings are
    // printed in pairs, "from>to", the pairs joined by '|'.
    std::vector<std::string> items;
    for (DWORD at = 0; at < size;) {
      items.emplace_back(data + at);
      at += static_cast<DWORD>(items.back().size()) + 1;
    }
    while (!items.empty() && items.back().empty()) items.pop_back();
    if (items.size() % 2 != 0) items.emplace_back();
    std::string joined;
    for (std::size_t i = 0; i < items.size(); i += 2)
      joined += (i > 0 ? "|" : "") + items[i] + ">" + items[i + 1];
    std::printf("%s\n", joined.c_str());
    return 0;
  }
  if (type != REG_SZ) {
    std::printf("<type %lu>\n", static_cast<unsigned long>(type));
    return 4;
  }
  std::printf("%s\n", data);
  return 0;
}

int RegSet(int argc, char** argv) {
  if (argc < 6) return 64;
  HKEY key;
  if (RegCreateKeyA(Root(argv[2]), argv[3], &key) != ERROR_SUCCESS) return 3;
  const char* valueName = argv[4][0] ? argv[4] : nullptr;
  LONG result = RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[5]),
                               static_cast<DWORD>(std::strlen(argv[5]) + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS ? 0 : 3;
}

int IniSet(int argc, char** argv) {
  if (argc < 6) return 64;
  if (!WritePrivateProfileStringA(argv[3], argv[4], argv[5], argv[2])) return 3;
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, argv[2]);
  return 0;
}

LRESULT CALLBACK PreviewHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// The Display settings run the screen saver with "/p <window>" inside their preview monitor; the
// preview ends once that window is gone.
int Preview(int argc, char** argv) {
  if (argc < 4) return 64;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PreviewHostProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "ZmPreviewHost";
  RegisterClassA(&windowClass);
  HWND host = CreateWindowA("ZmPreviewHost", "Display Properties", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                            600, 400, 200, 150, nullptr, nullptr, windowClass.hInstance, nullptr);
  if (host == nullptr) return 3;
  std::string commandLine =
      std::string("\"") + argv[2] + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(host));
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::printf("cannot start %s (error %lu)\n", argv[2], GetLastError());
    return 3;
  }
  CloseHandle(process.hThread);
  std::printf("preview started\n");
  std::fflush(stdout);
  while (GetFileAttributesA(argv[3]) == INVALID_FILE_ATTRIBUTES) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(50);
  }
  DestroyWindow(host);
  // Messages keep flowing while we wait, as in the Display settings: the screen saver's window may
  // still be sending to this thread as it goes.
  const DWORD patience = Patience(10000), started = GetTickCount();
  for (;;) {
    DWORD waited = GetTickCount() - started;
    if (waited >= patience) break;
    DWORD woken =
        MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, patience - waited, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) {
      CloseHandle(process.hProcess);
      return 0;
    }
    if (woken == WAIT_FAILED) break;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  // Ended here, so that no screen saver outlives the sequence that started it.
  std::printf("the screen saver still ran %lu ms after its window was gone; ended it\n",
              GetTickCount() - started);
  TerminateProcess(process.hProcess, 1);
  CloseHandle(process.hProcess);
  return 4;
}

int ShortPath(int argc, char** argv) {
  if (argc < 3) return 64;
  char path[MAX_PATH] = {};
  DWORD length = GetShortPathNameA(argv[2], path, sizeof path);
  if (length == 0 || length >= sizeof path) return 3;
  std::printf("%s\n", path);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: zm_ui_probe state | wait | shortpath | reg-get | reg-set ...\n");
    return 64;
  }
  std::string command = argv[1];
  if (command == "state") {
    Print(ReadState());
    return 0;
  }
  if (command == "wait") return Wait(argc, argv);
  if (command == "shortpath") return ShortPath(argc, argv);
  if (command == "reg-get") return RegGet(argc, argv);
  if (command == "reg-set") return RegSet(argc, argv);
  if (command == "ini-set") return IniSet(argc, argv);
  if (command == "preview") return Preview(argc, argv);
  if (command == "first-page") return FirstPage(argc, argv);
  std::fprintf(stderr, "zm_ui_probe: unknown command %s\n", command.c_str());
  return 64;
}
