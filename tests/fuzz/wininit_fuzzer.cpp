// Arbitrary bytes as wininit.ini, and a path to delete at the restart. The input's first byte
// gives the path's length (below 64), the bytes after it the path (line breaks and NULs made
// into letters: a short path holds none), the rest the file. Whatever the bytes, every line of
// the file is kept byte for byte and in order: the output is the input with one line
// "NUL=<path>" put in at a line boundary (with a line break before it where the last line had
// none, and a [rename] header where the file had no such section), or, exactly where the input's
// first [rename] section holds that line already, the input unchanged. With one byte too little
// room the editor refuses and writes nothing beyond the room it was given.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "uninstall/restart_list.h"

namespace {

void Require(bool condition, const char* invariant) {
  if (condition) return;
  std::fprintf(stderr, "wininit_fuzzer: broken: %s\n", invariant);
  std::abort();
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The input is the output without the new line at `at` and what may come with it.
bool IsInsertionAt(const std::string& input, const std::string& output, std::size_t at,
                   const std::string& entry) {
  std::string before = output.substr(0, at);
  const std::string after = output.substr(at + entry.size());
  for (bool header : {false, true}) {
    std::string kept = before;
    if (header) {
      if (!EndsWith(kept, "[rename]\r\n")) continue;
      kept.resize(kept.size() - 10);
    }
    for (bool addedBreak : {false, true}) {
      std::string original = kept;
      if (addedBreak) {
        if (!EndsWith(original, "\r\n")) continue;
        original.resize(original.size() - 2);
        // Only a last line without its own break gets one.
        if (original.empty() || original.back() == '\n' || !after.empty()) continue;
      } else if (!original.empty() && original.back() != '\n') {
        continue; // the new line starts at a line boundary
      }
      if (original + after == input) return true;
    }
  }
  return false;
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameLetters(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// The text without the blanks (spaces, tabs) around it.
std::string WithoutBlanks(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A line without its break ("\n", or "\r\n") and without the blanks around it.
std::string Trimmed(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return WithoutBlanks(line);
}

// Read here on its own terms, not with the editor's code: the first section whose header is
// [rename] (blanks inside the brackets and letter case aside; a carriage return there is part of
// the name, not a line break) holds the line NUL=<path>. A line "NUL=" with no path names no file,
// so it is never an entry already there.
bool HoldsEntry(const std::string& text, const std::string& path) {
  if (path.empty()) return false;
  bool inSection = false;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string::npos) end = text.size();
    const std::string line = Trimmed(text.substr(begin, end - begin));
    begin = end + 1;
    const bool header = !line.empty() && line[0] == '[';
    if (inSection) {
      if (header) return false;
      if (SameLetters(line, "NUL=" + path)) return true;
    } else if (header && line.back() == ']' &&
               SameLetters(WithoutBlanks(line.substr(1, line.size() - 2)), "rename")) {
      inSection = true;
    }
  }
  return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t pathLength = data[0] % 64;
  if (size < 1 + pathLength) return 0;
  std::string path(reinterpret_cast<const char*>(data + 1), pathLength);
  for (char& c : path)
    if (c == '\r' || c == '\n' || c == '\0') c = 'X';
  const std::string input(reinterpret_cast<const char*>(data + 1 + pathLength),
                          size - 1 - pathLength);

  std::vector<char> room(input.size() + path.size() + 32);
  const long length = uninstall::AddDeletionAtRestart(input.data(), input.size(), path.c_str(),
                                                      room.data(), room.size());
  Require(length >= 0, "enough room is accepted");
  const std::string output(room.data(), static_cast<std::size_t>(length));
  Require((output == input) == HoldsEntry(input, path),
          "the input is kept unchanged exactly where it holds the entry already");

  if (output != input) {
    const std::string entry = "NUL=" + path + "\r\n";
    bool found = false;
    for (std::size_t at = output.find(entry); at != std::string::npos && !found;
         at = output.find(entry, at + 1))
      found = IsInsertionAt(input, output, at, entry);
    Require(found, "the output is the input with the one new line");
  }

  if (length > 0) {
    std::vector<char> tight(static_cast<std::size_t>(length) - 1);
    Require(uninstall::AddDeletionAtRestart(input.data(), input.size(), path.c_str(), tight.data(),
                                            tight.size()) == -1,
            "too little room is refused");
  }
  return 0;
}
