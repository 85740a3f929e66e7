// When the full-screen saver may end, free of Windows so that every rule is tested natively.
//
// On the 95/98 family the saver itself is the lock: with the user's password setting on, input
// ends it only once the system's verifier (password.cpl) accepts the password. On the NT family
// the system locks the session itself and the saver never asks.
#pragma once

namespace saver {

// A registry value as read: its type and up to four bytes of its data. `size` is what the value
// holds, which may be more than was kept.
struct StoredValue {
  bool present;
  unsigned long type;
  unsigned long size;
  unsigned char bytes[4];
};

// The registry's type numbers, which the native build has no header for.
constexpr unsigned long StoredString = 1; // REG_SZ
constexpr unsigned long StoredBinary = 3; // REG_BINARY
constexpr unsigned long StoredNumber = 4; // REG_DWORD

// "ScreenSaveUsePassword" under HKEY_CURRENT_USER\Control Panel\Desktop. The 95/98 Display
// settings write it as a four-byte number; a binary value of the same bytes and the string
// "1", which registry tweaks write, mean the same. Anything non-zero turns the password on.
bool PasswordSettingOn(const StoredValue& value);

// The pointer movement that ends the saver: more than `threshold` pixels, counted as the
// horizontal plus the vertical distance from where the pointer stood.
constexpr unsigned long DefaultMouseThreshold = 4;
// The grace period after the saver starts during which input ends it without a password.
constexpr unsigned long DefaultGraceMilliseconds = 0;
constexpr unsigned long LongestGraceSeconds = 60;

// "Mouse Threshold" and "Password Delay", four-byte numbers in pixels and seconds, in the key
// "Screen Savers" under HKEY_CURRENT_USER's "Software\Microsoft\Windows\CurrentVersion". A
// threshold below the default is raised to it, so that jitter never ends the saver; a delay is
// capped at a minute, so that a stray value cannot leave the machine open for long.
unsigned long MouseThresholdFrom(const StoredValue& value);
unsigned long GraceMillisecondsFrom(const StoredValue& value);

struct Point {
  long x, y;
};
bool MovedBeyond(Point start, Point now, unsigned long threshold);

enum class Reaction {
  Ignore, // the saver keeps running
  End,    // the saver ends now
  Ask     // ask for the password, then call Answered with the verifier's answer
};

// Tick counts in milliseconds, 32 bits as the system keeps them: they wrap around after 49.7 days.
using Ticks = unsigned int;

// Decides what a request to end the saver (any input, or the window being asked to close) does.
class ExitGuard {
public:
  // Constant, so that a guard in static storage needs no start-up code.
  constexpr ExitGuard() = default;
  ExitGuard(bool askPassword, Ticks graceMilliseconds, Ticks startTicks)
      : askPassword_(askPassword), grace_(graceMilliseconds), start_(startTicks) {}

  // While the password dialog is up, its own messages are not input.
  bool Asking() const { return asking_; }

  Reaction OnEndRequest(Ticks now);
  Reaction Answered(bool accepted, Ticks now);

private:
  // A key that is still held, or repeats, right after a wrong answer does not open the dialog
  // again at once.
  static constexpr Ticks PauseAfterRefusal = 200;

  bool askPassword_ = false;
  Ticks grace_ = 0;
  Ticks start_ = 0;
  bool asking_ = false;
  bool refused_ = false;
  Ticks refusedAt_ = 0;
};

} // namespace saver
