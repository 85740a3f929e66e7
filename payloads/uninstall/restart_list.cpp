#include "uninstall/restart_list.h"

#include "common/text.h"

namespace uninstall {

namespace {

struct Line {
  unsigned long begin, end;         // end: after the line break, if any
  unsigned long textBegin, textEnd; // without surrounding blanks and the line break
};

Line LineAt(const char* text, unsigned long length, unsigned long begin) {
  Line line = {begin, begin, begin, begin};
  while (line.end < length && text[line.end] != '\n') ++line.end;
  unsigned long contentEnd = line.end;
  if (line.end < length) ++line.end;
  if (contentEnd > begin && text[contentEnd - 1] == '\r') --contentEnd;
  while (line.textBegin < contentEnd && payload::IsBlank(text[line.textBegin])) ++line.textBegin;
  line.textEnd = contentEnd;
  while (line.textEnd > line.textBegin && payload::IsBlank(text[line.textEnd - 1])) --line.textEnd;
  return line;
}

bool IsSectionHeader(const char* text, const Line& line) {
  return line.textEnd > line.textBegin && text[line.textBegin] == '[';
}

bool IsRenameHeader(const char* text, const Line& line) {
  if (!IsSectionHeader(text, line) || text[line.textEnd - 1] != ']') return false;
  unsigned long nameBegin = line.textBegin + 1, nameEnd = line.textEnd - 1;
  while (nameBegin < nameEnd && payload::IsBlank(text[nameBegin])) ++nameBegin;
  while (nameEnd > nameBegin && payload::IsBlank(text[nameEnd - 1])) --nameEnd;
  return EqualsNoCase(text + nameBegin, nameEnd - nameBegin, "rename");
}

bool IsOurEntry(const char* text, const Line& line, const char* path) {
  unsigned long size = line.textEnd - line.textBegin;
  return size > 4 && EqualsNoCase(text + line.textBegin, 4, "NUL=") &&
         EqualsNoCase(text + line.textBegin + 4, size - 4, path);
}

class Writer {
public:
  Writer(char* out, unsigned long capacity) : out_(out), capacity_(capacity) {}
  void Put(const char* data, unsigned long size) {
    for (unsigned long i = 0; i < size; ++i) {
      if (used_ < capacity_) out_[used_] = data[i];
      ++used_;
    }
  }
  void Put(const char* word) { Put(word, payload::Length(word)); }
  long Result() const { return used_ <= capacity_ ? static_cast<long>(used_) : -1; }

private:
  char* out_;
  unsigned long capacity_;
  unsigned long used_ = 0;
};

} // namespace

long AddDeletionAtRestart(const char* text, unsigned long length, const char* path, char* out,
                          unsigned long capacity) {
  // Find the first [rename] section and where its last non-blank line ends.
  bool inSection = false, found = false;
  unsigned long insertAt = length;
  for (unsigned long at = 0; at < length;) {
    Line line = LineAt(text, length, at);
    at = line.end;
    if (inSection) {
      if (IsSectionHeader(text, line)) break;
      if (IsOurEntry(text, line, path)) {
        Writer copy(out, capacity);
        copy.Put(text, length);
        return copy.Result();
      }
      if (line.textEnd > line.textBegin) insertAt = line.end;
    } else if (IsRenameHeader(text, line)) {
      inSection = found = true;
      insertAt = line.end;
    }
  }

  Writer writer(out, capacity);
  writer.Put(text, insertAt);
  if (insertAt > 0 && text[insertAt - 1] != '\n') writer.Put("\r\n");
  if (!found) writer.Put("[rename]\r\n");
  writer.Put("NUL=");
  writer.Put(path);
  writer.Put("\r\n");
  writer.Put(text + insertAt, length - insertAt);
  return writer.Result();
}

} // namespace uninstall
