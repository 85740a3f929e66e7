#include "shared/setting_match.h"

#include "shared/ascii_case.h"
#include "shared/product_names.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

unsigned long Length(const char* text) {
  unsigned long n = 0;
  while (text[n] != '\0') ++n;
  return n;
}

} // namespace

bool NamesScreenSaver(const char* setting, const char* longName, const char* shortName) {
  const char* start = setting;
  while (IsBlank(*start)) ++start;
  unsigned long length = Length(start);
  while (length > 0 && IsBlank(start[length - 1])) --length;
  if (length >= 2 && start[0] == '"' && start[length - 1] == '"') {
    ++start;
    length -= 2;
  }
  // The file name begins after the last separator; "C:NAME.SCR" names a file as well.
  const char* name = start;
  for (unsigned long i = 0; i < length; ++i) {
    if (start[i] == '\\' || start[i] == '/' || start[i] == ':') name = start + i + 1;
  }
  unsigned long nameLength = length - static_cast<unsigned long>(name - start);
  if (nameLength == 0) return false;
  return EqualsNoCase(name, nameLength, longName) ||
         (shortName[0] != '\0' && EqualsNoCase(name, nameLength, shortName));
}

bool NamesProductScreenSaver(const char* setting, const char* shortName) {
  return NamesScreenSaver(setting, ScreenSaverFileName, shortName) ||
         NamesScreenSaver(setting, OlderScreenSaverFileName, "");
}

bool NamesProductFile(const char* setting, const char* shortName) {
  return NamesProductScreenSaver(setting, shortName) ||
         NamesScreenSaver(setting, UninstallerFileName, "");
}
