// The system's text functions, as the emulated machine offers them. They touch nothing but the
// buffers they are given, so they are neither traced nor failed.
#include <cstdarg>
#include <cstring>
#include <string>

#include "foundation/platform.h"

namespace sys {

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

LPSTR lstrcpyA(LPSTR out, LPCSTR text) {
  std::memmove(out, text, std::strlen(text) + 1);
  return out;
}

LPSTR lstrcatA(LPSTR out, LPCSTR text) {
  lstrcpyA(out + std::strlen(out), text);
  return out;
}

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  // The system writes at most 1024 characters, whatever the buffer.
  constexpr std::size_t Limit = 1024;
  std::string text;
  va_list arguments;
  va_start(arguments, format);
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      text += *p;
    } else if (p[1] == 's') {
      text += va_arg(arguments, const char*);
      ++p;
    } else if (p[1] == 'l' && p[2] == 'u') {
      text += std::to_string(va_arg(arguments, unsigned long));
      p += 2;
    } else if (p[1] == '%') {
      text += '%';
      ++p;
    } else {
      break; // a conversion the emulation does not know ends the text
    }
  }
  va_end(arguments);
  if (text.size() > Limit) text.resize(Limit);
  std::memcpy(out, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

} // namespace sys
