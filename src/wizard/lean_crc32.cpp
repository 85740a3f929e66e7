// zlib's CRC-32, in the smallest form, for the shipped installer alone. zlib's inflate refers to
// crc32 for gzip streams, which the archive never holds (its streams carry the zlib wrapper and
// an Adler-32), yet the reference alone would bring in zlib's table-driven version with its
// 5 KB of tables. This definition keeps that object out; should it ever run, it gives the same
// sums, only bit by bit.

#include <cstdint>

#include <zlib.h>

extern "C" uLong ZEXPORT crc32(uLong crc, const Bytef* buf, uInt len) {
  if (buf == Z_NULL) return 0;
  std::uint32_t sum = ~static_cast<std::uint32_t>(crc);
  for (uInt i = 0; i < len; ++i) {
    sum ^= buf[i];
    for (int bit = 0; bit < 8; ++bit) sum = (sum >> 1) ^ (0xEDB88320u & (0u - (sum & 1u)));
  }
  return ~sum;
}
