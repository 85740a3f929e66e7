// A linked PE32 program as the build's checkers see it: the bytes of each section at the address
// the program runs at.
#pragma once

#include <cstdint>
#include <vector>

namespace linked {

using Address = std::uint32_t;

struct Section {
  Address address = 0;
  std::vector<std::uint8_t> bytes; // zero-filled past the file's data, as the loader does
};

struct Image {
  std::vector<Section> sections;
};

// Reads a program file into the sections the loader would map. Throws std::runtime_error when
// the file is not a 32-bit x86 PE program.
Image ReadPeImage(const std::vector<std::uint8_t>& file);

} // namespace linked
