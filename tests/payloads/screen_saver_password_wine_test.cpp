// The full-screen saver and the user's screen-saver password, with real keyboard input. On the
// 95/98 family the saver is the lock: it asks the system's verifier (password.cpl) and ends only
// when the verifier accepts, and it closes Ctrl+Alt+Del while it runs. On the NT family the
// system locks the session itself, and the saver never asks.
//
// The prefix's system folder holds the tests' stand-in (password_standin.cpp) as password.cpl
// and mpr.dll; it records every load and call and answers as the test tells it. It also records,
// from inside the saver, whether the system is told that a saver runs: Wine, set to the 95/98
// family, answers that question differently in other processes.
#include <doctest/doctest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "shared/product_names.h"
#include "support/test_machine.h"
#include "wine_session.h"

namespace {

constexpr DWORD Timeout = 30000;
constexpr char SaverClass[] = "ZembrinoScreenSaver";
constexpr char Title[] = "Zembrino's Screen Saver";
constexpr char PasswordValue[] = "ScreenSaveUsePassword";
const std::string OverridesKey =
    std::string("Software\\Wine\\AppDefaults\\") + ScreenSaverFileName + "\\DllOverrides";

std::string SystemFolder() {
  char folder[MAX_PATH];
  UINT length = ::GetSystemDirectoryA(folder, MAX_PATH);
  REQUIRE((length > 0 && length < MAX_PATH));
  return folder;
}

void SetEnvironment(const char* name, const std::string& value) {
  ::SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

// The user's "Password protected" box, as the 95/98 Display settings store it; restored after.
class PasswordSetting {
public:
  explicit PasswordSetting(bool on) {
    saved_ = GetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, PasswordValue, &type_, &bytes_);
    DWORD value = on ? 1 : 0;
    SetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, PasswordValue, REG_DWORD,
                     std::string(reinterpret_cast<const char*>(&value), sizeof value));
  }
  ~PasswordSetting() {
    if (saved_) {
      SetRegistryValue(HKEY_CURRENT_USER, DesktopKeyPath, PasswordValue, type_, bytes_);
      return;
    }
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, DesktopKeyPath, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
      ::RegDeleteValueA(key, PasswordValue);
      ::RegCloseKey(key);
    }
  }
  PasswordSetting(const PasswordSetting&) = delete;
  PasswordSetting& operator=(const PasswordSetting&) = delete;

private:
  bool saved_ = false;
  DWORD type_ = 0;
  std::string bytes_;
};

// The stand-in in the system folder under both names, for as long as this lives; Wine's own
// mpr.dll comes back afterwards. The saver started meanwhile inherits where to record and what
// to answer.
class StandIns {
public:
  explicit StandIns(const std::string& answers) {
    std::string source = PayloadPath("ZM_PASSWORD_STANDIN");
    std::string folder = SystemFolder();
    password_ = folder + "\\password.cpl";
    mpr_ = folder + "\\mpr.dll";
    mprSaved_ = mpr_ + ".zm-saved";
    ::DeleteFileA(mprSaved_.c_str());
    REQUIRE(::CopyFileA(source.c_str(), password_.c_str(), FALSE));
    REQUIRE(::MoveFileA(mpr_.c_str(), mprSaved_.c_str()));
    REQUIRE(::CopyFileA(source.c_str(), mpr_.c_str(), FALSE));
    log_ = NewScratchDirectory() + "standin.log";
    SetEnvironment("ZM_STANDIN_LOG", log_);
    SetEnvironment("ZM_STANDIN_ANSWERS", answers);
    // Wine would otherwise load its own mpr.dll for the system folder's path; the override
    // holds for the screen saver alone.
    SetRegistryString(HKEY_CURRENT_USER, OverridesKey, "mpr", "native");
  }
  ~StandIns() {
    SetEnvironment("ZM_STANDIN_ANSWERS", "");
    DeleteRegistryTree(HKEY_CURRENT_USER, OverridesKey.c_str());
    ::DeleteFileA(password_.c_str());
    ::DeleteFileA(mpr_.c_str());
    ::MoveFileA(mprSaved_.c_str(), mpr_.c_str());
  }
  StandIns(const StandIns&) = delete;
  StandIns& operator=(const StandIns&) = delete;

  const std::string& PasswordPath() const { return password_; }
  const std::string& MprPath() const { return mpr_; }

  // The lines recorded so far.
  std::vector<std::string> Records() const {
    std::vector<std::string> lines;
    std::string text = ReadFileBytes(log_);
    for (std::size_t at = 0; at < text.size();) {
      std::size_t end = text.find("\r\n", at);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(at, end - at));
      at = end + 2;
    }
    return lines;
  }
  std::vector<std::string> RecordsStartingWith(const std::string& start) const {
    std::vector<std::string> matching;
    for (const std::string& line : Records()) {
      if (line.rfind(start, 0) == 0) matching.push_back(line);
    }
    return matching;
  }

private:
  std::string password_, mpr_, mprSaved_, log_;
};

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text.empty() ? "(nothing)" : text;
}

std::string WindowNumber(HWND window) {
  return std::to_string(static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
}

// A key pressed and released as a person would: it reaches whatever window has the focus.
void PressKey(WORD key) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = key;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  REQUIRE(::SendInput(2, input, sizeof(INPUT)) == 2);
}

// The full-screen saver, started as the system starts it, once its window is in front.
struct RunningSaver {
  Process process;
  HWND window = nullptr;

  RunningSaver() {
    process = Start(PayloadPath("ZM_SCREEN_SAVER"), "/s");
    // Keys go to the window with the keyboard focus, which the saver's thread sets once it has
    // handled its activation: only then is a key certain to reach it.
    REQUIRE_MESSAGE(WaitUntil(
                        [&] {
                          window = FindProcessWindow(process.id, SaverClass, Title);
                          GUITHREADINFO thread = {};
                          thread.cbSize = sizeof thread;
                          return window != nullptr && ::GetForegroundWindow() == window &&
                                 ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr),
                                                    &thread) &&
                                 thread.hwndFocus == window;
                        },
                        Timeout),
                    "the full-screen saver did not come to the front with the keyboard focus");
    // Past the pause the saver allows itself after a refused password.
    PumpMessages(300);
  }
  ~RunningSaver() { EndProcess(process); }
  RunningSaver(const RunningSaver&) = delete;
  RunningSaver& operator=(const RunningSaver&) = delete;

  bool Running() const { return ::WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT; }

  // The first key, pressed again where it shows no effect for a while: on a heavily loaded
  // machine the display server may still send a key to the window that was in front before,
  // although Windows already gives the saver the focus. The saver handles a key it did get within
  // a moment, so a second one is not taken for the dialog's own input.
  void PressFirstKey(const std::function<bool()>& reached) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      PressKey(VK_SPACE);
      if (WaitUntil(reached, 3000)) return;
    }
  }
};

} // namespace

TEST_SUITE("display") {

  TEST_CASE("95/98: with the password on, a key ends the saver only once the verifier accepts") {
    RequireExpectedFamily();
    if (IsNtFamily()) return;
    PasswordSetting password(true);
    StandIns standIns("0");
    RunningSaver saver;
    // The verifier is loaded from the system folder before the saver shows anything.
    std::vector<std::string> loaded = standIns.RecordsStartingWith("loaded ");
    REQUIRE_MESSAGE(loaded.size() == 1, Joined(standIns.Records()));
    CHECK(SameFile(loaded[0].substr(7), standIns.PasswordPath()));

    saver.PressFirstKey([&] { return !standIns.RecordsStartingWith("verify ").empty(); });
    REQUIRE_MESSAGE(
        WaitUntil([&] { return !standIns.RecordsStartingWith("verify ").empty(); }, Timeout),
        "no password was asked for after a key: " << Joined(standIns.Records()));
    PumpMessages(1000);
    CHECK_MESSAGE(saver.Running(), "the saver ended although the verifier refused the password");
    std::vector<std::string> asked = standIns.RecordsStartingWith("verify ");
    REQUIRE_MESSAGE(asked.size() == 1, "the dialog's own messages asked again:\n"
                                           << Joined(standIns.Records()));
    // The dialog is owned by the saver's window, the cursor shows and the system knows that a
    // saver runs.
    CHECK(asked[0] == "verify owner=" + WindowNumber(saver.window) +
                          " depth=1 cursor=shown running=1 answer=0");

    PressKey(VK_SPACE);
    CHECK_MESSAGE(
        WaitForExit(saver.process, Timeout) == 0,
        "the saver did not end after the password was accepted: " << Joined(standIns.Records()));
    asked = standIns.RecordsStartingWith("verify ");
    REQUIRE_MESSAGE(asked.size() == 2, Joined(standIns.Records()));
    CHECK(asked[1] == "verify owner=" + WindowNumber(saver.window) +
                          " depth=1 cursor=shown running=1 answer=1");
    // Ctrl+Alt+Del works again, already before the verifier is unloaded.
    CHECK(standIns.RecordsStartingWith("unloaded ") ==
          std::vector<std::string>{"unloaded running=0"});
  }

  TEST_CASE("95/98: the cursor hides again after a wrong password") {
    RequireExpectedFamily();
    if (IsNtFamily()) return;
    PasswordSetting password(true);
    StandIns standIns("01");
    RunningSaver saver;
    saver.PressFirstKey([&] { return !standIns.RecordsStartingWith("verify ").empty(); });
    REQUIRE(
        WaitUntil([&] { return standIns.RecordsStartingWith("verify ").size() == 1; }, Timeout));
    PumpMessages(500);
    // The cursor is the saver thread's own; the hidden cursor shows as no cursor at the pointer.
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    REQUIRE(::GetCursorInfo(&cursor));
    CHECK_MESSAGE((cursor.flags & CURSOR_SHOWING) == 0, "the cursor still shows after the answer");
    // Ended as a user ends it, so that the system does not stay told that a saver runs.
    PressKey(VK_SPACE);
    CHECK(WaitForExit(saver.process, Timeout) == 0);
  }

  TEST_CASE("the saver never asks where it must not: password off, the NT family, the preview") {
    RequireExpectedFamily();
    struct Case {
      const char* what;
      bool passwordOn;
    };
    const Case cases[] = {
        {"password off", false},
        {"password on", true},
    };
    for (const Case& c : cases) {
      // On the NT family both cases end on the first key; on 95/98 only the one with it off.
      if (!IsNtFamily() && c.passwordOn) continue;
      CAPTURE(c.what);
      PasswordSetting password(c.passwordOn);
      StandIns standIns("0");
      RunningSaver saver;
      saver.PressFirstKey([&] { return !saver.Running(); });
      CHECK_MESSAGE(WaitForExit(saver.process, Timeout) == 0,
                    "the first key did not end the saver");
      CHECK_MESSAGE(standIns.Records().empty(), Joined(standIns.Records()));
    }

    PasswordSetting password(true);
    StandIns standIns("0");
    HWND host = ::CreateWindowExA(0, "Static", "Preview host", WS_POPUP | WS_VISIBLE, 40, 40, 200,
                                  150, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    REQUIRE(host != nullptr);
    Process preview = Start(PayloadPath("ZM_SCREEN_SAVER"), "/p " + WindowNumber(host));
    REQUIRE(
        WaitUntil([&] { return ::FindWindowExA(host, nullptr, SaverClass, nullptr); }, Timeout));
    PumpMessages(500);
    ::DestroyWindow(host);
    CHECK(WaitForExit(preview, Timeout) == 0);
    EndProcess(preview);
    CHECK_MESSAGE(standIns.Records().empty(), "the preview: " << Joined(standIns.Records()));
  }

  TEST_CASE("/a opens the password change of mpr.dll on 95/98 only, owned by the given window") {
    RequireExpectedFamily();
    StandIns standIns("");
    HWND owner =
        ::CreateWindowExA(0, "Static", "Display settings", WS_POPUP | WS_VISIBLE, 40, 40, 200, 150,
                          nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    REQUIRE(owner != nullptr);
    for (const std::string& arguments :
         {"/a " + WindowNumber(owner), "/a:" + WindowNumber(owner)}) {
      CAPTURE(arguments);
      Process saver = Start(PayloadPath("ZM_SCREEN_SAVER"), arguments);
      CHECK(WaitForExit(saver, Timeout) == 0);
      EndProcess(saver);
    }
    ::DestroyWindow(owner);
    std::vector<std::string> expected;
    if (!IsNtFamily()) {
      std::string change =
          "change provider=SCRSAVE owner=" + WindowNumber(owner) + " flags=0 reserved=null";
      expected = {"loaded " + standIns.MprPath(), change, "unloaded ",
                  "loaded " + standIns.MprPath(), change, "unloaded "};
    }
    std::vector<std::string> records = standIns.Records();
    REQUIRE_MESSAGE(records.size() == expected.size(), Joined(records));
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (records[i].rfind("loaded ", 0) == 0) {
        CHECK(SameFile(records[i].substr(7), standIns.MprPath()));
      } else if (records[i].rfind("unloaded ", 0) == 0) {
        // Whether a saver runs is no business of the password change.
        CHECK(expected[i].rfind("unloaded ", 0) == 0);
      } else {
        CHECK(records[i] == expected[i]);
      }
    }
  }

  TEST_CASE("95/98: without the system's verifier the saver runs unprotected") {
    RequireExpectedFamily();
    if (IsNtFamily()) return;
    // The setting is on, but password.cpl is missing from the system folder.
    PasswordSetting password(true);
    RunningSaver saver;
    saver.PressFirstKey([&] { return !saver.Running(); });
    CHECK_MESSAGE(WaitForExit(saver.process, Timeout) == 0, "the first key did not end the saver");
  }

} // TEST_SUITE
