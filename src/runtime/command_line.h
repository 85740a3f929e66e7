#pragma once

namespace runtime {

// The arguments of a full command line, as WinMain receives them: the program name, quoted or
// not, and the blanks after it are skipped.
inline const char* SkipProgramName(const char* commandLine) {
  const char* p = commandLine;
  if (*p == '"') {
    ++p;
    while (*p != '\0' && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p != '\0' && *p != ' ' && *p != '\t') ++p;
  }
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

} // namespace runtime
