// The string and memory functions of the C library that the installer and its compiler use, so
// that it imports no C run-time DLL. No C library header is included here: they declare some of
// these functions as imported from that DLL.
//
// This file is built with -fno-builtin and without loop-to-call rewriting, so that the compiler
// neither replaces these functions by calls to themselves nor assumes what they do while
// compiling them.
#include <cstddef>

extern "C" {

void* memset(void* destination, int value, size_t size) {
  auto* d = static_cast<unsigned char*>(destination);
  while (size-- != 0) *d++ = static_cast<unsigned char>(value);
  return destination;
}

void* memcpy(void* destination, const void* source, size_t size) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  while (size-- != 0) *d++ = *s++;
  return destination;
}

// Overlapping ranges are copied in the direction that reads each byte before overwriting it.
void* memmove(void* destination, const void* source, size_t size) {
  auto* d = static_cast<unsigned char*>(destination);
  const auto* s = static_cast<const unsigned char*>(source);
  if (d < s) {
    while (size-- != 0) *d++ = *s++;
  } else {
    d += size;
    s += size;
    while (size-- != 0) *--d = *--s;
  }
  return destination;
}

void* memchr(const void* block, int value, size_t size) {
  const auto* p = static_cast<const unsigned char*>(block);
  for (; size != 0; ++p, --size)
    if (*p == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(p);
  return nullptr;
}

size_t strlen(const char* text) {
  size_t n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

// The terminating NUL is part of the string: strchr(s, 0) finds it.
char* strchr(const char* text, int value) {
  const char wanted = static_cast<char>(value);
  for (;; ++text) {
    if (*text == wanted) return const_cast<char*>(text);
    if (*text == '\0') return nullptr;
  }
}

// Bytes compare as unsigned char, as the C library compares them.
int strcmp(const char* left, const char* right) {
  const auto* l = reinterpret_cast<const unsigned char*>(left);
  const auto* r = reinterpret_cast<const unsigned char*>(right);
  while (*l != 0 && *l == *r) ++l, ++r;
  return *l - *r;
}

} // extern "C"
