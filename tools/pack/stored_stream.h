// The stored form of a payload: one zlib stream at maximum compression.
#pragma once

#include <cstdint>
#include <string>

namespace pack {

// Adler-32 as zlib computes it, from the initial value 1.
std::uint32_t Adler32(const std::string& bytes);

// One zlib stream (header 0x78 0xDA: 32 KB window, maximum compression, no dictionary) holding
// original. Checks the header and that the stream inflates back to original; throws
// std::runtime_error otherwise.
std::string DeflateToStream(const std::string& original);

} // namespace pack
