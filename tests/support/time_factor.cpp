#include "support/time_factor.h"

#include <cstdio>
#include <cstdlib>

namespace {

unsigned long TimeFactor() {
  char text[16] = "";
  DWORD length = ::GetEnvironmentVariableA("ZM_TIME_FACTOR", text, sizeof text);
  if (length == 0) return 1;
  char* end = nullptr;
  unsigned long factor = 0;
  // No sign, space or leading zero, as the scripts' own reading of the variable.
  if (length < sizeof text && text[0] >= '1' && text[0] <= '9') {
    factor = std::strtoul(text, &end, 10);
  }
  if (factor == 0 || *end != '\0') {
    std::fprintf(stderr, "ZM_TIME_FACTOR must be a positive whole number\n");
    std::exit(2);
  }
  return factor;
}

} // namespace

DWORD Patience(DWORD milliseconds) {
  unsigned long long stretched = static_cast<unsigned long long>(milliseconds) * TimeFactor();
  // INFINITE would mean no limit at all.
  return stretched < INFINITE ? static_cast<DWORD>(stretched) : INFINITE - 1;
}
