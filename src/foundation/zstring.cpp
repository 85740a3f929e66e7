#include "foundation/zstring.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "shared/ascii_case.h"

namespace {

// What a string holds after Assign or Format gave up its old buffer and could not get a new
// one: an empty text that is never released, so that the string can still be destroyed.
char NoBuffer[1] = {'\0'};

// Until a new-handler is installed an allocation may yield no memory, which the class reports
// as its own exception. Afterwards the handler decides, and its exception passes unchanged.
char* Allocate(std::size_t size) {
  if (std::get_new_handler() == nullptr) {
    void* block = ::operator new(size, std::nothrow);
    if (block == nullptr) throw ZString::EOutOfMem();
    return static_cast<char*>(block);
  }
  return static_cast<char*>(::operator new(size));
}

void Release(char* buffer) {
  if (buffer != NoBuffer) ::operator delete(buffer);
}

unsigned char FoldCase(char c) { return static_cast<unsigned char>(AsciiLower(c)); }

// Worst-case lengths of the numeric conversions: sign and ten digits, ten digits, eight nibbles.
constexpr std::size_t SignedDecimalRoom = 11;
constexpr std::size_t UnsignedDecimalRoom = 10;
constexpr std::size_t HexRoom = 8;

std::size_t FormattedSizeBound(const char* format, va_list args) {
  std::size_t size = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      ++size;
      continue;
    }
    ++p;
    switch (*p) {
    case '\0':
      return size;
    case '%':
      ++size;
      break;
    case 'c':
      va_arg(args, int);
      ++size;
      break;
    case 'd':
      va_arg(args, int);
      size += SignedDecimalRoom;
      break;
    case 'u':
      va_arg(args, unsigned int);
      size += UnsignedDecimalRoom;
      break;
    case 'x':
      va_arg(args, unsigned int);
      size += HexRoom;
      break;
    case 's':
      size += std::strlen(va_arg(args, const char*));
      break;
    default:
      break;
    }
  }
  return size;
}

// Decimal digits without leading zeros; the units digit is always written.
char* EmitDecimal(char* out, std::uint32_t value) {
  bool started = false;
  for (std::uint32_t divisor = 1000000000; divisor > 1; divisor /= 10) {
    std::uint32_t digit = value / divisor % 10;
    if (digit != 0 || started) {
      *out++ = static_cast<char>('0' + digit);
      started = true;
    }
  }
  *out++ = static_cast<char>('0' + value % 10);
  return out;
}

char* EmitHex(char* out, std::uint32_t value) {
  static const char digits[] = "0123456789ABCDEF";
  bool started = false;
  for (int shift = 28; shift > 0; shift -= 4) {
    std::uint32_t nibble = (value >> shift) & 0xF;
    if (nibble != 0 || started) {
      *out++ = digits[nibble];
      started = true;
    }
  }
  *out++ = digits[value & 0xF];
  return out;
}

char* EmitFormatted(char* out, const char* format, va_list args) {
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      *out++ = *p;
      continue;
    }
    ++p;
    switch (*p) {
    case '\0':
      return out;
    case '%':
      *out++ = '%';
      break;
    case 'c':
      *out++ = static_cast<char>(va_arg(args, int));
      break;
    case 'd': {
      int value = va_arg(args, int);
      // The magnitude in unsigned arithmetic, so that the most negative value has one too.
      std::uint32_t magnitude = static_cast<std::uint32_t>(value);
      if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
      }
      out = EmitDecimal(out, magnitude);
      break;
    }
    case 'u':
      out = EmitDecimal(out, va_arg(args, unsigned int));
      break;
    case 'x':
      out = EmitHex(out, va_arg(args, unsigned int));
      break;
    case 's': {
      const char* text = va_arg(args, const char*);
      std::size_t length = std::strlen(text);
      std::memcpy(out, text, length);
      out += length;
      break;
    }
    default:
      break;
    }
  }
  return out;
}

} // namespace

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

ZString::ZString() : Buffer(Allocate(1)), Len(0) { Buffer[0] = '\0'; }

ZString::ZString(const char* bytes, int length)
    : Buffer(nullptr), Len(length < 0 ? static_cast<std::int32_t>(std::strlen(bytes)) : length) {
  Buffer = Allocate(static_cast<std::size_t>(Len) + 1);
  std::memcpy(Buffer, bytes, static_cast<std::size_t>(Len));
  Buffer[Len] = '\0';
}

ZString::ZString(const ZString& other)
    : Buffer(Allocate(static_cast<std::size_t>(other.Len) + 1)), Len(other.Len) {
  std::memcpy(Buffer, other.Buffer, static_cast<std::size_t>(Len) + 1);
}

ZString::ZString(const char* first, int firstLength, const char* second, int secondLength)
    : Buffer(Allocate(static_cast<std::size_t>(firstLength) + secondLength + 1)),
      Len(firstLength + secondLength) {
  std::memcpy(Buffer, first, static_cast<std::size_t>(firstLength));
  std::memcpy(Buffer + firstLength, second, static_cast<std::size_t>(secondLength));
  Buffer[Len] = '\0';
}

ZString::~ZString() { Release(Buffer); }

void ZString::ReplaceBuffer(std::size_t size) {
  Release(Buffer);
  Buffer = NoBuffer;
  Len = 0;
  Buffer = Allocate(size);
}

ZString& ZString::Assign(const char* text) {
  std::size_t length = std::strlen(text);
  ReplaceBuffer(length + 1);
  std::memcpy(Buffer, text, length + 1);
  Len = static_cast<std::int32_t>(length);
  return *this;
}

ZString& ZString::Assign(const ZString& other) {
  std::int32_t length = other.Len;
  ReplaceBuffer(static_cast<std::size_t>(length) + 1);
  std::memcpy(Buffer, other.Buffer, static_cast<std::size_t>(length) + 1);
  Len = length;
  return *this;
}

void ZString::Append(const char* bytes, int count) {
  // The bytes may lie in the old buffer, so they are copied before it is released.
  char* grown = Allocate(static_cast<std::size_t>(Len) + count + 1);
  std::memcpy(grown, Buffer, static_cast<std::size_t>(Len));
  std::memcpy(grown + Len, bytes, static_cast<std::size_t>(count));
  Release(Buffer);
  Buffer = grown;
  Len += count;
  Buffer[Len] = '\0';
}

ZString& ZString::Append(const char* text) {
  Append(text, static_cast<int>(std::strlen(text)));
  return *this;
}

ZString& ZString::Append(char c) {
  Append(&c, 1);
  return *this;
}

bool ZString::Equals(const char* text) const { return std::strcmp(Buffer, text) == 0; }

int ZString::CompareNoCase(const char* text) const {
  const char* mine = Buffer;
  for (;; ++mine, ++text) {
    int difference = FoldCase(*mine) - FoldCase(*text);
    if (difference != 0 || *mine == '\0') return difference;
  }
}

char* ZString::GetBuffer(int n) {
  if (n > Len) {
    char* grown = Allocate(static_cast<std::size_t>(n) + 1);
    std::memcpy(grown, Buffer, static_cast<std::size_t>(Len) + 1);
    Release(Buffer);
    Buffer = grown;
  }
  return Buffer;
}

void ZString::ReleaseBuffer(int n) {
  if (n < 0) {
    Len = static_cast<std::int32_t>(std::strlen(Buffer));
    return;
  }
  Len = n;
  Buffer[Len] = '\0';
}

void ZString::Clear() {
  Len = 0;
  Buffer[0] = '\0';
}

void ZString::TrimRight() {
  while (Len > 0 && IsWhiteSpace(Buffer[Len - 1])) --Len;
  Buffer[Len] = '\0';
}

void ZString::TrimLeft() {
  if (Len == 0) return;
  std::int32_t blanks = 0;
  while (blanks < Len && IsWhiteSpace(Buffer[blanks])) ++blanks;
  if (blanks == 0) return;
  Len -= blanks;
  std::memmove(Buffer, Buffer + blanks, static_cast<std::size_t>(Len) + 1);
}

void ZString::Trim() {
  TrimLeft();
  TrimRight();
}

ZString ZString::Concat(const char* text) const {
  return ZString(Buffer, Len, text, static_cast<int>(std::strlen(text)));
}

ZString ZString::Left(int n) const {
  if (n > Len) return ZString(*this);
  return ZString(Buffer, n);
}

int ZString::Erase(int pos, int count) {
  if (count > Len - pos) {
    Len = pos;
    Buffer[Len] = '\0';
    return Len;
  }
  std::memmove(Buffer + pos, Buffer + pos + count, static_cast<std::size_t>(Len - pos - count) + 1);
  Len -= count;
  return Len;
}

int ZString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list sizingArgs;
  va_copy(sizingArgs, args);
  std::size_t size = FormattedSizeBound(format, sizingArgs);
  va_end(sizingArgs);

  try {
    ReplaceBuffer(size + 1);
  } catch (...) {
    va_end(args);
    throw;
  }
  char* end = EmitFormatted(Buffer, format, args);
  va_end(args);

  Len = static_cast<std::int32_t>(end - Buffer);
  *end = '\0';
  return Len;
}
