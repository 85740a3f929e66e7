// Tiny text helpers shared by the payload programs. They stay free of the C++ library and of
// Windows so that the programs remain small and the logic builds natively for the tests.
#pragma once

namespace payload {

// ASCII letters only: every name these programs compare is ASCII, and any other byte that
// differs still compares unequal.
inline char FoldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

inline const char* SkipBlanks(const char* text) {
  while (IsBlank(*text)) ++text;
  return text;
}

// True when [text, text + length) equals the NUL-terminated word, letter case aside.
inline bool EqualsNoCase(const char* text, unsigned long length, const char* word) {
  for (unsigned long i = 0; i < length; ++i) {
    if (word[i] == '\0' || FoldCase(text[i]) != FoldCase(word[i])) return false;
  }
  return word[length] == '\0';
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
