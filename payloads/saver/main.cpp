// Zembrino's Screen Saver: a turning, drifting star drawn with plain GDI. Only ANSI calls of
// kernel32, user32, gdi32 and advapi32 that the 95/98 family has as well as the NT family.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "saver/command_line.h"
#include "saver/lock_rules.h"
#include "saver/password_lock.h"
#include "saver/scene.h"
#include "shared/platform_family.h"

namespace {

constexpr char ClassName[] = "ZembrinoScreenSaver";
constexpr char Title[] = "Zembrino's Screen Saver";
constexpr char About[] = "Zembrino's Screen Saver 1.2\n\n"
                         "A star of twenty spikes, turning slowly through the dark.\n"
                         "This screen saver has no settings.";
// About 50 frames a second; slower machines simply draw fewer.
constexpr DWORD FrameMilliseconds = 20;

// One per process, in static storage: it starts out all zero without any start-up code.
struct Saver {
  bool fullScreen;
  HWND previewParent;
  // Full-screen only: where the pointer stood, how far it may move, and when input ends the run.
  POINT startCursor;
  unsigned long mouseThreshold;
  saver::ExitGuard exitGuard;
  saver::PasswordLock lock;
  scene::Mesh mesh;
  // The back buffer, remade whenever the window's size changes.
  HDC memoryDc;
  HBITMAP bitmap;
  HGDIOBJ originalBitmap;
  int width, height;
};

Saver g_saver;

// A test build stands in for a system that refuses the back buffer (a large multi-monitor
// desktop, little graphics memory).
#ifdef ZM_SAVER_REFUSES_BACK_BUFFER
constexpr bool RefuseBackBuffer = true;
#else
constexpr bool RefuseBackBuffer = false;
#endif

void ReleaseBackBuffer() {
  if (g_saver.memoryDc == nullptr) return;
  SelectObject(g_saver.memoryDc, g_saver.originalBitmap);
  DeleteObject(g_saver.bitmap);
  DeleteDC(g_saver.memoryDc);
  g_saver.memoryDc = nullptr;
}

// Without a back buffer the saver draws straight into its window.
bool MakeBackBuffer(HWND window, int width, int height) {
  ReleaseBackBuffer();
  g_saver.width = width;
  g_saver.height = height;
  if (width <= 0 || height <= 0 || RefuseBackBuffer) return false;
  HDC windowDc = GetDC(window);
  g_saver.memoryDc = CreateCompatibleDC(windowDc);
  g_saver.bitmap = CreateCompatibleBitmap(windowDc, width, height);
  ReleaseDC(window, windowDc);
  if (g_saver.memoryDc == nullptr || g_saver.bitmap == nullptr) {
    if (g_saver.bitmap != nullptr) DeleteObject(g_saver.bitmap);
    if (g_saver.memoryDc != nullptr) DeleteDC(g_saver.memoryDc);
    g_saver.memoryDc = nullptr;
    return false;
  }
  g_saver.originalBitmap = SelectObject(g_saver.memoryDc, g_saver.bitmap);
  return true;
}

void DrawScene(HDC dc, int width, int height, DWORD ticks) {
  RECT all = {0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  scene::DrawnFace faces[scene::MaxFaces];
  int count = scene::ComposeFrame(g_saver.mesh, scene::PoseAt(ticks),
                                  scene::ViewportFor(width, height), faces);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int i = 0; i < count; ++i) {
    HBRUSH brush = CreateSolidBrush(faces[i].colour);
    if (brush == nullptr) continue;
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    POINT corners[3];
    for (int k = 0; k < 3; ++k) corners[k] = {faces[i].corner[k].x, faces[i].corner[k].y};
    Polygon(dc, corners, 3);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  SelectObject(dc, oldPen);
}

// The last frame from the back buffer, or a new one drawn straight into the window, which is
// black before anything else is drawn: the old screen never shows through.
void Present(HDC target) {
  if (g_saver.memoryDc == nullptr) {
    DrawScene(target, g_saver.width, g_saver.height, GetTickCount());
    return;
  }
  BitBlt(target, 0, 0, g_saver.width, g_saver.height, g_saver.memoryDc, 0, 0, SRCCOPY);
}

void RenderFrame(HWND window) {
  if (g_saver.memoryDc != nullptr) {
    DrawScene(g_saver.memoryDc, g_saver.width, g_saver.height, GetTickCount());
  }
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  Present(dc);
  ReleaseDC(window, dc);
}

// Measured in screen coordinates, which also hold when the window does not start at the
// screen's origin (monitors left of or above the primary one).
bool MovedBeyondThreshold() {
  POINT now;
  GetCursorPos(&now);
  return saver::MovedBeyond({g_saver.startCursor.x, g_saver.startCursor.y}, {now.x, now.y},
                            g_saver.mouseThreshold);
}

// Full-screen only: what asks the saver to end.
bool IsUserInput(UINT message, WPARAM wParam) {
  switch (message) {
  case WM_KEYDOWN:
  case WM_SYSKEYDOWN:
  case WM_LBUTTONDOWN:
  case WM_RBUTTONDOWN:
  case WM_MBUTTONDOWN:
    return true;
  case WM_MOUSEMOVE:
    return MovedBeyondThreshold();
  case WM_ACTIVATEAPP:
    return wParam == FALSE;
  default:
    return false;
  }
}

// Any input, and anybody's request to close the window, ends the saver only as the guard allows:
// on the 95/98 family with the password on, after the system's verifier accepted the password.
void OnCloseRequest(HWND window) {
  saver::Reaction reaction = g_saver.exitGuard.OnEndRequest(GetTickCount());
  if (reaction == saver::Reaction::Ask) {
    ShowCursor(TRUE);
    bool accepted = g_saver.lock.Verify(window);
    reaction = g_saver.exitGuard.Answered(accepted, GetTickCount());
    if (reaction != saver::Reaction::End) {
      ShowCursor(FALSE);
      GetCursorPos(&g_saver.startCursor);
    }
  }
  if (reaction == saver::Reaction::End) DestroyWindow(window);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // While the password dialog is up, its own messages are not input.
  if (g_saver.fullScreen && !g_saver.exitGuard.Asking() && IsUserInput(message, wParam)) {
    PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
  }
  switch (message) {
  case WM_CLOSE:
    if (!g_saver.fullScreen) break;
    OnCloseRequest(window);
    return 0;
  case WM_ENDSESSION:
    // The system ends the process once this returns, past the usual way out: Ctrl+Alt+Del and
    // task switching open again now.
    if (wParam != FALSE) g_saver.lock.Release();
    return 0;
  case WM_SIZE:
    MakeBackBuffer(window, LOWORD(lParam), HIWORD(lParam));
    return 0;
  case WM_ERASEBKGND:
    // With a back buffer the next frame covers everything; without one, the class's black brush
    // erases.
    if (g_saver.memoryDc == nullptr) break;
    return 1;
  case WM_PAINT: {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    Present(dc);
    EndPaint(window, &paint);
    return 0;
  }
  case WM_SETCURSOR:
    if (!g_saver.fullScreen || g_saver.exitGuard.Asking()) break;
    SetCursor(nullptr);
    return TRUE;
  case WM_SYSCOMMAND:
    // The system asks again while we run; one saver is enough.
    if ((wParam & 0xFFF0) == SC_SCREENSAVE) return 0;
    break;
  case WM_DESTROY:
    ReleaseBackBuffer();
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Draws whenever a frame is due and otherwise sleeps until the next frame or message.
int RunAnimation(HWND window) {
  DWORD last = GetTickCount() - FrameMilliseconds;
  for (;;) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    // A window destroyed along with its parent by another thread may never see WM_DESTROY, so no
    // WM_QUIT would come: without this the loop would spin on.
    if (!IsWindow(window)) return 0;
    // The preview lives exactly as long as the window that hosts it.
    if (g_saver.previewParent != nullptr && !IsWindow(g_saver.previewParent)) {
      DestroyWindow(window);
      continue;
    }
    DWORD now = GetTickCount();
    DWORD elapsed = now - last;
    if (elapsed >= FrameMilliseconds) {
      last = now;
      RenderFrame(window);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, FrameMilliseconds - elapsed, QS_ALLINPUT);
    }
  }
}

// The 95/98 family's rules where the family cannot be told: asking for a password the user set
// is the safe side, and the NT family has no verifier to load.
bool NtFamily() {
  bool nt = false;
  return QueryWindowsNT(&nt) && nt;
}

int ShowSettings(unsigned long owner) {
  HWND ownerWindow = reinterpret_cast<HWND>(static_cast<UINT_PTR>(owner));
  if (ownerWindow != nullptr && !IsWindow(ownerWindow)) ownerWindow = nullptr;
  MessageBoxA(ownerWindow, About, Title, MB_OK | MB_ICONINFORMATION);
  return 0;
}

int RunSaver(HINSTANCE instance, const saver::Command& command) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = SaverWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = ClassName;
  if (RegisterClassA(&windowClass) == 0) return 1;

  scene::BuildStar(&g_saver.mesh);
  HWND window;
  if (command.mode == saver::Mode::Preview) {
    g_saver.previewParent = reinterpret_cast<HWND>(static_cast<UINT_PTR>(command.window));
    if (!IsWindow(g_saver.previewParent)) return 1;
    RECT area;
    GetClientRect(g_saver.previewParent, &area);
    window = CreateWindowExA(0, ClassName, Title, WS_CHILD | WS_VISIBLE, 0, 0, area.right,
                             area.bottom, g_saver.previewParent, nullptr, instance, nullptr);
  } else {
    g_saver.fullScreen = true;
    saver::LockSettings settings = saver::ReadLockSettings(NtFamily());
    if (settings.passwordOn) g_saver.lock.Engage();
    g_saver.exitGuard =
        saver::ExitGuard(g_saver.lock.Protects(), settings.graceMilliseconds, GetTickCount());
    g_saver.mouseThreshold = settings.mouseThreshold;
    GetCursorPos(&g_saver.startCursor);
    // All monitors where the system knows of several; the virtual-screen metrics are 0 on
    // systems that do not.
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx == 0 || cy == 0) {
      x = y = 0;
      cx = GetSystemMetrics(SM_CXSCREEN);
      cy = GetSystemMetrics(SM_CYSCREEN);
    }
    window = CreateWindowExA(WS_EX_TOPMOST, ClassName, Title, WS_POPUP | WS_VISIBLE, x, y, cx, cy,
                             nullptr, nullptr, instance, nullptr);
    if (window != nullptr) {
      ShowCursor(FALSE);
      SetForegroundWindow(window);
    }
  }
  if (window == nullptr) {
    g_saver.lock.Release();
    return 1;
  }
  int result = RunAnimation(window);
  if (g_saver.fullScreen) ShowCursor(TRUE);
  g_saver.lock.Release();
  return result;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
  saver::Command command = saver::ParseCommandLine(arguments);
  switch (command.mode) {
  case saver::Mode::Settings:
    return ShowSettings(command.window);
  case saver::Mode::FullScreen:
  case saver::Mode::Preview:
    return RunSaver(instance, command);
  case saver::Mode::ChangePassword:
    // The NT family keeps no screen-saver password: the user's own logon password locks.
    if (NtFamily()) return 0;
    return saver::ChangePassword(command.window) ? 0 : 1;
  case saver::Mode::Nothing:
    break;
  }
  return 0;
}
