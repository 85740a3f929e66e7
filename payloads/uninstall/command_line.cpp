#include "uninstall/command_line.h"

#include "common/text.h"

namespace uninstall {

namespace {

// The switch word after '/' or '-', up to the next blank.
bool IsSwitch(const char* text, const char* word, const char** rest) {
  if (*text != '/' && *text != '-') return false;
  const char* start = text + 1;
  const char* end = start;
  while (*end != '\0' && !payload::IsBlank(*end)) ++end;
  if (!EqualsNoCase(start, static_cast<unsigned long>(end - start), word)) return false;
  *rest = end;
  return true;
}

// The rest of the line as one path, blanks and quotes around it removed.
bool CopyPath(const char* text, char* path, unsigned long capacity) {
  text = payload::SkipBlanks(text);
  unsigned long length = payload::Length(text);
  while (length > 0 && payload::IsBlank(text[length - 1])) --length;
  if (length >= 2 && text[0] == '"' && text[length - 1] == '"') {
    ++text;
    length -= 2;
  }
  if (length == 0 || length >= capacity) return false;
  for (unsigned long i = 0; i < length; ++i) {
    if (text[i] == '"') return false;
  }
  for (unsigned long i = 0; i < length; ++i) path[i] = text[i];
  path[length] = '\0';
  return true;
}

} // namespace

void ParseCommandLine(const char* arguments, Command* command) {
  command->mode = Mode::Interactive;
  command->elevated = false;
  command->waitHandle = 0;
  command->path[0] = '\0';
  const char* p = payload::SkipBlanks(arguments);
  const char* rest = nullptr;
  if (IsSwitch(p, "elevated", &rest)) {
    command->elevated = true;
    p = payload::SkipBlanks(rest);
    if (IsSwitch(p, "quiet", &rest)) command->mode = Mode::Quiet;
    return;
  }
  if (IsSwitch(p, "quiet", &rest)) {
    command->mode = Mode::Quiet;
  } else if (IsSwitch(p, "finish", &rest)) {
    command->mode = Mode::Invalid;
    unsigned long handle = 0;
    const char* afterHandle = payload::ParseUnsigned32(payload::SkipBlanks(rest), &handle);
    if (afterHandle == nullptr || handle == 0 || !payload::IsBlank(*afterHandle)) return;
    if (!CopyPath(afterHandle, command->path, sizeof command->path)) return;
    command->waitHandle = handle;
    command->mode = Mode::FinishSelfRemoval;
  }
}

} // namespace uninstall
