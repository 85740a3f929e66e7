// Letter case as the platform's names know it: ASCII letters only. Every name the programs compare
// is ASCII, and any other byte that differs still compares unequal. Plain functions over char
// buffers, so that the payload programs, which have no C++ library, use the same rule.
#pragma once

inline char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// True when [text, text + length) equals the NUL-terminated word, letter case aside.
inline bool EqualsNoCase(const char* text, unsigned long length, const char* word) {
  for (unsigned long i = 0; i < length; ++i) {
    if (word[i] == '\0' || AsciiLower(text[i]) != AsciiLower(word[i])) return false;
  }
  return word[length] == '\0';
}
