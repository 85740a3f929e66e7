#include "support/known_wine_deviation.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace known_wine_deviation {

bool UnderWine() {
#ifdef _WIN32
  static const bool wine = [] {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
  }();
  return wine;
#else
  return false;
#endif
}

bool UnderWineAsSuperuser() {
#ifdef _WIN32
  static const bool superuser = [] {
    if (!UnderWine()) return false;
    // Wine names the user after the host's account.
    char name[64];
    DWORD size = sizeof name;
    return ::GetUserNameA(name, &size) && std::strcmp(name, "root") == 0;
  }();
  return superuser;
#else
  return false;
#endif
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
    case '\r':
      quoted += "\\r";
      break;
    case '\n':
      quoted += "\\n";
      break;
    case '\t':
      quoted += "\\t";
      break;
    case '\0':
      quoted += "\\0";
      break;
    case '"':
      quoted += "\\\"";
      break;
    case '\\':
      quoted += "\\\\";
      break;
    default:
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
        quoted += escaped;
      } else {
        quoted += c;
      }
    }
  }
  return quoted + "\"";
}

} // namespace known_wine_deviation
