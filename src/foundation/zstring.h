// The one string type of the system: a counted, heap-owned, NUL-terminated run of bytes in the
// ANSI code page, with its own small printf-like formatter. Every text-building operation
// allocates exactly what it needs; shortening operations keep the buffer and move the NUL.
#pragma once

#include <cstddef>
#include <cstdint>

// The "C" locale's white space, which the installer never changes and trims with: blank, tab,
// line feed, vertical tab, form feed, carriage return.
bool IsWhiteSpace(char c);

class ZString {
public:
  // Thrown when an allocation yields no memory (only possible while no new-handler is set).
  class EOutOfMem {};

  ZString();
  // A negative length takes the bytes up to their first NUL; otherwise exactly length bytes.
  ZString(const char* bytes, int length = -1);
  ZString(const ZString& other);
  ~ZString();
  ZString& operator=(const ZString&) = delete;

  ZString& Assign(const char* text);
  ZString& Assign(const ZString& other);
  void Append(const char* bytes, int count);
  ZString& Append(const char* text);
  ZString& Append(char c);

  bool Equals(const char* text) const;
  int CompareNoCase(const char* text) const;

  // Room for n bytes and a NUL, for a platform call to write into; ReleaseBuffer fixes the
  // length afterwards (n < 0: up to the first NUL).
  char* GetBuffer(int n);
  void ReleaseBuffer(int n = -1);

  void Clear();
  void TrimRight();
  void TrimLeft();
  void Trim();

  ZString Concat(const char* text) const;
  ZString Left(int n) const;
  int Erase(int pos, int count);

  char CharAt(int pos) const { return Buffer[pos]; }
  char& At(int pos) { return Buffer[pos]; }
  int Length() const { return Len; }
  const char* CStr() const { return Buffer; }

  // Conversions: %d %u %x %c (32-bit integers), %s (plain text), %%. Anything else after a '%'
  // is dropped together with the '%'; a '%' that ends the format ends the text. Replaces the
  // text; returns the new length.
  int Format(const char* format, ...);

private:
  // The two runs of bytes joined, in one block of exactly their lengths and a NUL.
  ZString(const char* first, int firstLength, const char* second, int secondLength);
  // Gives up the old buffer before allocating size bytes; empty and destroyable if that fails.
  void ReplaceBuffer(std::size_t size);

  char* Buffer;
  std::int32_t Len;
};
