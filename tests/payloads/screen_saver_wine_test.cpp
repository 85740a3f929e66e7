// The screen saver's preview and settings modes, driven from a window of this test as the
// Display settings would drive them. The full-screen mode is tested with real input by
// screen_saver_fullscreen_test.sh.
#include <doctest/doctest.h>

#include "support/test_machine.h"
#include "wine_session.h"

namespace {

constexpr DWORD Timeout = 30000;
constexpr char SaverClass[] = "ZembrinoScreenSaver";
constexpr char Title[] = "Zembrino's Screen Saver";

// A top-level window standing in for the preview monitor of the Display settings.
class HostWindow {
public:
  HostWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcA;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "ZmPreviewHost";
    ::RegisterClassA(&windowClass);
    window_ = ::CreateWindowExA(0, "ZmPreviewHost", "Preview host", WS_POPUP | WS_VISIBLE, 40, 40,
                                200, 150, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    REQUIRE(window_ != nullptr);
    PumpMessages(200);
  }
  ~HostWindow() { Destroy(); }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;

  HWND Handle() const { return window_; }
  std::string Number() const { return std::to_string(reinterpret_cast<UINT_PTR>(window_)); }
  void Destroy() {
    if (window_ != nullptr) ::DestroyWindow(window_);
    window_ = nullptr;
  }

private:
  HWND window_ = nullptr;
};

HWND FindChild(HWND parent, const char* className) {
  return ::FindWindowExA(parent, nullptr, className, nullptr);
}

} // namespace

TEST_SUITE("display") {

  TEST_CASE("the preview fills a child of the host window and ends with the host") {
    RequireExpectedFamily();
    HostWindow host;
    Process saver = Start(PayloadPath("ZM_SCREEN_SAVER"), "/p " + host.Number());

    HWND preview = nullptr;
    REQUIRE(WaitUntil([&] { return (preview = FindChild(host.Handle(), SaverClass)) != nullptr; },
                      Timeout));
    DWORD owner = 0;
    ::GetWindowThreadProcessId(preview, &owner);
    CHECK(owner == saver.id);
    RECT hostArea, previewArea;
    ::GetClientRect(host.Handle(), &hostArea);
    ::GetClientRect(preview, &previewArea);
    CHECK(previewArea.right == hostArea.right);
    CHECK(previewArea.bottom == hostArea.bottom);

    // Wine shows no GDI drawing of a child window that belongs to another process, so the
    // pixels cannot be read back here; the full-screen test checks the drawing, which is the same.
    PumpMessages(1000);
    CHECK(::WaitForSingleObject(saver.handle, 0) == WAIT_TIMEOUT);
    CHECK(::IsWindow(preview));

    host.Destroy();
    CHECK(WaitForExit(saver, 5000) == 0);
    EndProcess(saver);
  }

  TEST_CASE("a preview without a usable window ends at once") {
    RequireExpectedFamily();
    for (const char* arguments : {"/p", "/p 0", "/p:12345678"}) {
      Process saver = Start(PayloadPath("ZM_SCREEN_SAVER"), arguments);
      long code = WaitForExit(saver, 5000);
      CHECK_MESSAGE(code != -1, arguments);
      EndProcess(saver);
    }
  }

  TEST_CASE("the settings dialog opens, owned by the window that asked for it") {
    RequireExpectedFamily();
    HostWindow host;
    struct Case {
      std::string arguments;
      HWND owner;
    };
    const Case cases[] = {
        {"/c:" + host.Number(), host.Handle()},
        {"/C " + host.Number(), host.Handle()},
        {"/c", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
      CAPTURE(c.arguments);
      Process saver = Start(PayloadPath("ZM_SCREEN_SAVER"), c.arguments);
      HWND dialog = nullptr;
      REQUIRE(WaitUntil(
          [&] { return (dialog = FindProcessWindow(saver.id, "#32770", Title)) != nullptr; },
          Timeout));
      CHECK(::GetWindow(dialog, GW_OWNER) == c.owner);
      CHECK(MessageBoxText(dialog).find("Zembrino's Screen Saver 1.2") != std::string::npos);
      ::PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      CHECK(WaitForExit(saver, Timeout) == 0);
      EndProcess(saver);
    }
  }

} // TEST_SUITE
