#include <doctest/doctest.h>

#include "saver/lock_rules.h"

using saver::ExitGuard;
using saver::Reaction;
using saver::StoredValue;

namespace {

StoredValue Missing() { return {}; }

StoredValue Number(unsigned long n) {
  return {true,
          saver::StoredNumber,
          4,
          {static_cast<unsigned char>(n), static_cast<unsigned char>(n >> 8),
           static_cast<unsigned char>(n >> 16), static_cast<unsigned char>(n >> 24)}};
}

StoredValue Bytes(unsigned long type, unsigned long size, unsigned char b0, unsigned char b1 = 0,
                  unsigned char b2 = 0, unsigned char b3 = 0) {
  return {true, type, size, {b0, b1, b2, b3}};
}

} // namespace

TEST_CASE("the password setting is on for every form the 95/98 family stores it in") {
  struct Case {
    const char* what;
    StoredValue value;
    bool on;
  };
  const Case cases[] = {
      {"missing", Missing(), false},
      {"number 1 (the Display settings)", Number(1), true},
      {"number 0", Number(0), false},
      {"number 256", Number(256), true},
      {"binary 01 00 00 00", Bytes(saver::StoredBinary, 4, 1), true},
      {"binary 00 00 00 00", Bytes(saver::StoredBinary, 4, 0), false},
      {"binary of one byte 01", Bytes(saver::StoredBinary, 1, 1), true},
      {"binary longer than four bytes, on in its first", Bytes(saver::StoredBinary, 8, 1), true},
      {"empty binary", Bytes(saver::StoredBinary, 0, 0), false},
      {"string \"1\"", Bytes(saver::StoredString, 2, '1', 0), true},
      {"string \"0\"", Bytes(saver::StoredString, 2, '0', 0), false},
      {"string \"\"", Bytes(saver::StoredString, 1, 0), false},
      {"string \"00\"", Bytes(saver::StoredString, 3, '0', '0', 0), false},
      {"string \"yes\"", Bytes(saver::StoredString, 4, 'y', 'e', 's', 0), true},
      {"another type (REG_EXPAND_SZ) with bytes set", Bytes(2, 2, '1', 0), false},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(saver::PasswordSettingOn(c.value) == c.on, c.what);
  }
}

TEST_CASE("the mouse threshold and the grace period come from the user's numbers, bounded") {
  struct Case {
    const char* what;
    StoredValue value;
    unsigned long threshold;
    unsigned long graceMilliseconds;
  };
  const Case cases[] = {
      {"missing: the defaults", Missing(), 4, 0},
      {"50", Number(50), 50, 50000},
      {"0: no grace, and no threshold below the jitter", Number(0), 4, 0},
      {"2", Number(2), 4, 2000},
      {"61 seconds are capped at a minute", Number(61), 61, 60000},
      {"the largest number", Number(0xFFFFFFFFul), 0xFFFFFFFFul, 60000},
      {"a string is not a number", Bytes(saver::StoredString, 3, '5', '0', 0), 4, 0},
      {"a short binary value is not a number", Bytes(saver::StoredBinary, 2, 50), 4, 0},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(saver::MouseThresholdFrom(c.value) == c.threshold, c.what);
    CHECK_MESSAGE(saver::GraceMillisecondsFrom(c.value) == c.graceMilliseconds, c.what);
  }
}

TEST_CASE("the pointer ends the saver once it moved beyond the threshold, in any direction") {
  struct Case {
    saver::Point start, now;
    unsigned long threshold;
    bool beyond;
  };
  const Case cases[] = {
      {{400, 300}, {400, 300}, 4, false},
      {{400, 300}, {402, 302}, 4, false}, // 2 + 2 is jitter
      {{400, 300}, {403, 302}, 4, true},
      {{400, 300}, {395, 300}, 4, true},
      {{400, 300}, {400, 305}, 4, true},
      {{400, 300}, {430, 320}, 50, false},
      {{400, 300}, {430, 321}, 50, true},
      // Monitors left of and above the primary one have negative coordinates.
      {{-1000, -700}, {-1002, -702}, 4, false},
      {{-1000, -700}, {-990, -700}, 4, true},
      // The farthest corners of the coordinate space, without overflow.
      {{-2147483647L - 1, -2147483647L - 1}, {2147483647L, 2147483647L}, 0xFFFFFFFFul, true},
      {{0, 0}, {2147483647L, 0}, 0xFFFFFFFFul, false},
  };
  for (const Case& c : cases) {
    CHECK_MESSAGE(saver::MovedBeyond(c.start, c.now, c.threshold) == c.beyond,
                  "from " << c.start.x << "," << c.start.y << " to " << c.now.x << "," << c.now.y
                          << " beyond " << c.threshold);
  }
}

TEST_CASE("without a password any input ends the saver at once") {
  ExitGuard guard(false, 0, 1000);
  CHECK(guard.OnEndRequest(1000) == Reaction::End);
  CHECK_FALSE(guard.Asking());
}

TEST_CASE("with a password the saver ends only once the verifier accepts") {
  ExitGuard guard(true, 0, 1000);
  REQUIRE(guard.OnEndRequest(5000) == Reaction::Ask);
  CHECK(guard.Asking());
  // Input and close requests while the dialog is up open no second one.
  CHECK(guard.OnEndRequest(5010) == Reaction::Ignore);
  CHECK(guard.Answered(false, 6000) == Reaction::Ignore);
  CHECK_FALSE(guard.Asking());
  // A key still held, or its repeat, right after a wrong answer does not ask again at once.
  CHECK(guard.OnEndRequest(6100) == Reaction::Ignore);
  REQUIRE(guard.OnEndRequest(6200) == Reaction::Ask);
  CHECK(guard.Answered(true, 7000) == Reaction::End);
}

TEST_CASE("the grace period ends the saver without a password, and only at the start") {
  struct Case {
    saver::Ticks start, now;
    Reaction reaction;
  };
  // Tick counts wrap around after 49.7 days; the grace period counts across the wrap.
  const Case cases[] = {
      {1000, 1000, Reaction::End},         {1000, 15999, Reaction::End},
      {1000, 16000, Reaction::Ask},        {0xFFFFF000u, 0x00000100u, Reaction::End},
      {0xFFFFF000u, 15000, Reaction::Ask},
  };
  for (const Case& c : cases) {
    ExitGuard guard(true, 15000, c.start);
    CHECK_MESSAGE(guard.OnEndRequest(c.now) == c.reaction,
                  "started " << c.start << ", now " << c.now);
  }
}
