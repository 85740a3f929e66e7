// Reads a PE32 program file into the sections the loader would map.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace eh_check {

// Throws std::runtime_error when the file is not a 32-bit x86 PE program.
Image ReadPeImage(const std::vector<std::uint8_t>& file);

} // namespace eh_check
