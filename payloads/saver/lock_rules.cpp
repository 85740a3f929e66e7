#include "saver/lock_rules.h"

namespace saver {

namespace {

// The value as a little-endian number of up to four bytes, as Windows stores a DWORD.
bool StoredNumberOf(const StoredValue& value, unsigned long* number) {
  if (!value.present || value.type != StoredNumber || value.size != 4) return false;
  *number = value.bytes[0] | static_cast<unsigned long>(value.bytes[1]) << 8 |
            static_cast<unsigned long>(value.bytes[2]) << 16 |
            static_cast<unsigned long>(value.bytes[3]) << 24;
  return true;
}

// In unsigned arithmetic, where the distance between any two coordinates fits.
unsigned long Distance(long a, long b) {
  return a <= b ? static_cast<unsigned long>(b) - static_cast<unsigned long>(a)
                : static_cast<unsigned long>(a) - static_cast<unsigned long>(b);
}

} // namespace

bool PasswordSettingOn(const StoredValue& value) {
  if (!value.present || value.size == 0) return false;
  unsigned long kept = value.size < 4 ? value.size : 4;
  switch (value.type) {
  case StoredNumber:
  case StoredBinary:
    // A longer binary value is still "on" if its first bytes say so; the rest is not read.
    for (unsigned long i = 0; i < kept; ++i) {
      if (value.bytes[i] != 0) return true;
    }
    return false;
  case StoredString:
    // "0", "" and "00" are off; any other text is on, as a tweak that wrote "yes" meant it.
    for (unsigned long i = 0; i < kept; ++i) {
      if (value.bytes[i] == '\0') break;
      if (value.bytes[i] != '0') return true;
    }
    return false;
  default:
    return false;
  }
}

unsigned long MouseThresholdFrom(const StoredValue& value) {
  unsigned long pixels = 0;
  if (!StoredNumberOf(value, &pixels) || pixels < DefaultMouseThreshold) {
    return DefaultMouseThreshold;
  }
  return pixels;
}

unsigned long GraceMillisecondsFrom(const StoredValue& value) {
  unsigned long seconds = 0;
  if (!StoredNumberOf(value, &seconds)) return DefaultGraceMilliseconds;
  if (seconds > LongestGraceSeconds) seconds = LongestGraceSeconds;
  return seconds * 1000;
}

bool MovedBeyond(Point start, Point now, unsigned long threshold) {
  // Written so that no sum can overflow, however far apart the points of a large virtual screen.
  unsigned long dx = Distance(start.x, now.x), dy = Distance(start.y, now.y);
  return dx > threshold || dy > threshold - dx;
}

Reaction ExitGuard::OnEndRequest(Ticks now) {
  if (asking_) return Reaction::Ignore;
  if (!askPassword_ || now - start_ < grace_) return Reaction::End;
  if (refused_ && now - refusedAt_ < PauseAfterRefusal) return Reaction::Ignore;
  asking_ = true;
  return Reaction::Ask;
}

Reaction ExitGuard::Answered(bool accepted, Ticks now) {
  asking_ = false;
  if (accepted) return Reaction::End;
  refused_ = true;
  refusedAt_ = now;
  return Reaction::Ignore;
}

} // namespace saver
