#include "pe_image.h"

#include <algorithm>
#include <stdexcept>

namespace linked {

namespace {

std::uint32_t Field(const std::vector<std::uint8_t>& file, std::size_t at, unsigned bytes) {
  if (at + bytes > file.size()) throw std::runtime_error("the PE file is truncated");
  std::uint32_t value = 0;
  for (unsigned i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(file[at + i]) << (8 * i);
  return value;
}

} // namespace

Image ReadPeImage(const std::vector<std::uint8_t>& file) {
  if (Field(file, 0, 2) != 0x5A4D) throw std::runtime_error("not a program file (no MZ header)");
  std::size_t pe = Field(file, 0x3C, 4);
  if (Field(file, pe, 4) != 0x00004550) throw std::runtime_error("no PE signature");
  std::size_t header = pe + 4;
  if (Field(file, header, 2) != 0x014C) throw std::runtime_error("not an i386 program");
  unsigned sectionCount = Field(file, header + 2, 2);
  std::size_t optional = header + 20;
  std::size_t optionalSize = Field(file, header + 16, 2);
  if (Field(file, optional, 2) != 0x010B) throw std::runtime_error("not a PE32 program");
  Address imageBase = Field(file, optional + 28, 4);

  Image image;
  std::size_t table = optional + optionalSize;
  for (unsigned i = 0; i < sectionCount; ++i) {
    std::size_t entry = table + i * 40;
    std::uint32_t virtualSize = Field(file, entry + 8, 4);
    std::uint32_t virtualAddress = Field(file, entry + 12, 4);
    std::uint32_t rawSize = Field(file, entry + 16, 4);
    std::uint32_t rawOffset = Field(file, entry + 20, 4);
    Section section;
    section.address = imageBase + virtualAddress;
    std::uint32_t mapped = virtualSize != 0 ? virtualSize : rawSize;
    std::uint32_t stored = std::min(rawSize, mapped);
    section.bytes.assign(mapped, 0);
    if (rawOffset + static_cast<std::size_t>(stored) > file.size())
      throw std::runtime_error("a section lies past the end of the file");
    std::copy_n(file.begin() + rawOffset, stored, section.bytes.begin());
    image.sections.push_back(std::move(section));
  }
  return image;
}

} // namespace linked
