// The 95/98 family's screen-saver password, asked through the system's own DLLs: password.cpl
// verifies it, mpr.dll changes it. Both are loaded by full path from the system folder and
// found with GetProcAddress, so that the saver imports nothing newer than Windows 95 has and a
// file of the same name elsewhere is never loaded. The NT family has neither: there the system
// locks the session itself.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace saver {

struct LockSettings {
  bool passwordOn;
  unsigned long mouseThreshold;
  unsigned long graceMilliseconds;
};

// The user's settings. The password counts on the 95/98 family only.
LockSettings ReadLockSettings(bool ntFamily);

// Holds the verifier while the full-screen saver runs. Static storage, zero to begin with.
class PasswordLock {
public:
  // Loads the verifier and, where it is there, tells the system that a saver runs, which closes
  // Ctrl+Alt+Del and task switching on the 95/98 family. Without a verifier the password cannot
  // be checked, and the saver runs as an unprotected one.
  void Engage();
  bool Protects() const { return verify_ != nullptr; }
  // Asks for the password in the system's own dialog, owned by `window`.
  bool Verify(HWND window) const;
  // Opens Ctrl+Alt+Del and task switching again, then unloads the verifier. Safe to call on
  // every way out, more than once.
  void Release();

private:
  using VerifyFunction = BOOL(WINAPI*)(HWND);
  HMODULE library_;
  VerifyFunction verify_;
  bool systemToldRunning_;
};

// "/a": the system's dialog that changes the screen-saver password, owned by `owner` or, where
// that is no window, by the foreground window. False when mpr.dll or its function is missing.
bool ChangePassword(unsigned long owner);

} // namespace saver
