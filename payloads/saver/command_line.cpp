#include "saver/command_line.h"

#include "common/text.h"

namespace saver {

namespace {

// The number after a switch letter: "/p 1234", "/p:1234", "/c:1234". Zero when there is none.
unsigned long WindowAfterSwitch(const char* rest) {
  if (*rest == '"') ++rest;
  rest = payload::SkipBlanks(rest);
  if (*rest == ':') rest = payload::SkipBlanks(rest + 1);
  unsigned long window = 0;
  const char* end = payload::ParseUnsigned32(rest, &window);
  if (end == nullptr || (*end != '\0' && !payload::IsBlank(*end))) return 0;
  return window;
}

} // namespace

Command ParseCommandLine(const char* arguments) {
  const char* p = payload::SkipBlanks(arguments);
  // Some launchers quote the switch itself.
  if (*p == '"') ++p;
  if (*p != '/' && *p != '-') return {Mode::Settings, 0};
  switch (AsciiLower(p[1])) {
  case 's':
    return {Mode::FullScreen, 0};
  case 'p':
  case 'l': {
    unsigned long parent = WindowAfterSwitch(p + 2);
    return parent != 0 ? Command{Mode::Preview, parent} : Command{Mode::Nothing, 0};
  }
  case 'a':
    return {Mode::ChangePassword, WindowAfterSwitch(p + 2)};
  case 'c':
    return {Mode::Settings, WindowAfterSwitch(p + 2)};
  default:
    return {Mode::Settings, 0};
  }
}

} // namespace saver
