#include "uninstall/setting_match.h"

#include "common/text.h"

namespace uninstall {

bool NamesScreenSaver(const char* setting, const char* longName, const char* shortName) {
  const char* start = payload::SkipBlanks(setting);
  unsigned long length = payload::Length(start);
  while (length > 0 && payload::IsBlank(start[length - 1])) --length;
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

} // namespace uninstall
