// Arbitrary bytes as wininit.ini, and a path to delete at the restart. The input's first byte
// gives the path's length (below 64), the bytes after it the path (line breaks and NULs made
// into letters: a short path holds none), the rest the file. Whatever the bytes, every line of
// the file is kept byte for byte and in order: the output is the input with one line
// "NUL=<path>" put in at a line boundary (with a line break before it where the last line had
// none, and a [rename] header where the file had no such section), or the input unchanged. With
// one byte too little room the editor refuses and writes nothing beyond the room it was given.
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
