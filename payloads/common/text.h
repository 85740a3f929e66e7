// Tiny text helpers shared by the payload programs. They stay free of the C++ library and of
// Windows so that the programs remain small and the logic builds natively for the tests. Letter
// case follows the platform's rule in shared/ascii_case.h.
#pragma once

#include "shared/ascii_case.h"

namespace payload {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

inline unsigned long Length(const char* text) {
  unsigned long n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

// Reads an unsigned decimal number of at most 32 bits. Returns the position after the digits,
// or null when there are none or the number does not fit.
inline const char* ParseUnsigned32(const char* text, unsigned long* value) {
  unsigned long long result = 0;
  const char* p = text;
  while (*p >= '0' && *p <= '9') {
    result = result * 10 + static_cast<unsigned>(*p - '0');
    if (result > 0xFFFFFFFFull) return nullptr;
    ++p;
  }
  if (p == text) return nullptr;
  *value = static_cast<unsigned long>(result);
  return p;
}

} // namespace payload
