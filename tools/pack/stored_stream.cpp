#include "stored_stream.h"

#include <stdexcept>
#include <vector>

#include <zlib.h>

namespace pack {

namespace {

// zlib counts in 32-bit units; the payloads are far smaller.
uInt CheckedLength(std::size_t size) {
  if (size > 0x7FFFFFFF) throw std::runtime_error("payload too large");
  return static_cast<uInt>(size);
}

std::string Inflate(const std::string& stream, std::size_t expectedSize) {
  std::string result(expectedSize + 1, '\0');
  uLongf size = static_cast<uLongf>(result.size());
  int status =
      uncompress(reinterpret_cast<Bytef*>(result.data()), &size,
                 reinterpret_cast<const Bytef*>(stream.data()), CheckedLength(stream.size()));
  if (status != Z_OK) throw std::runtime_error("the packed stream does not inflate");
  result.resize(size);
  return result;
}

} // namespace

std::uint32_t Adler32(const std::string& bytes) {
  uLong sum = adler32(0L, Z_NULL, 0);
  sum = adler32(sum, reinterpret_cast<const Bytef*>(bytes.data()), CheckedLength(bytes.size()));
  return static_cast<std::uint32_t>(sum);
}

std::string DeflateToStream(const std::string& original) {
  z_stream stream{};
  // Level 9 with the largest window and memory: the smallest stream zlib can make.
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, MAX_WBITS, MAX_MEM_LEVEL,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  std::string result(deflateBound(&stream, CheckedLength(original.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(original.data()));
  stream.avail_in = CheckedLength(original.size());
  stream.next_out = reinterpret_cast<Bytef*>(result.data());
  stream.avail_out = CheckedLength(result.size());
  int status = deflate(&stream, Z_FINISH);
  result.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw std::runtime_error("deflate did not finish");

  // The installer documents its streams by these two bytes; a zlib that wrote others would
  // make an archive unlike the one described.
  if (result.size() < 2 || static_cast<unsigned char>(result[0]) != 0x78 ||
      static_cast<unsigned char>(result[1]) != 0xDA)
    throw std::runtime_error("the stream does not start with 0x78 0xDA");
  if (Inflate(result, original.size()) != original)
    throw std::runtime_error("the stream does not inflate back to the original");
  return result;
}

} // namespace pack
