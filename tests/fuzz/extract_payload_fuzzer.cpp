// Arbitrary stored bytes through ExtractPayload. The first two input bytes choose the case, the
// rest is the stored stream:
//   byte 0, bit 0: the expected sum is the right one (set) or a wrong one (clear);
//   byte 0, bit 1: the nth WriteFile fails, n = 1 + byte 1 % 4;
//   byte 0, bit 2: a longer file of that name is there before.
// A reference inflate of the same bytes says what must happen: the extraction succeeds exactly
// when the stream is whole, the sum matches and no write failed, and then the file holds exactly
// the inflated bytes with the given time; every failed extraction leaves no file at all.
#include <cstddef>
#include <cstdint>
#include <string>
#include <zlib.h>

#include "foundation/platform_hooks.h"
#include "fuzz_machine.h"
#include "install/payload_archive.h"

namespace {

constexpr char Target[] = "C:\\WINDOWS\\payload.exe";
constexpr FILETIME Stamp{0x24622000, 0x01C01D7A};
// The engine writes in chunks of this size, so the reference knows how many writes there are.
constexpr std::size_t Chunk = 32768;
// Bounds the reference's output; inflate cannot expand a short input much further anyway.
constexpr std::size_t MaxInflated = 64u << 20;

struct Reference {
  bool complete = false; // the stream reached its end marker
  std::string bytes;
};

Reference Inflate(const std::uint8_t* stored, std::size_t size) {
  Reference reference;
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return reference;
  stream.next_in = const_cast<Bytef*>(stored);
  stream.avail_in = static_cast<uInt>(size);
  int result = Z_OK;
  unsigned char buffer[Chunk];
  do {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    result = inflate(&stream, Z_NO_FLUSH);
    reference.bytes.append(reinterpret_cast<char*>(buffer), sizeof buffer - stream.avail_out);
  } while (result == Z_OK && reference.bytes.size() <= MaxInflated);
  inflateEnd(&stream);
  reference.complete = result == Z_STREAM_END;
  return reference;
}

std::uint32_t Adler(const std::string& bytes) {
  return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool rightSum = data[0] & 1;
  const bool failWrite = data[0] & 2;
  const bool existingFile = data[0] & 4;
  const std::size_t failingWrite = 1 + data[1] % 4;
  const std::uint8_t* stored = data + 2;
  const std::size_t storedSize = size - 2;

  const Reference reference = Inflate(stored, storedSize);
  if (reference.bytes.size() > MaxInflated) return 0;
  const std::uint32_t sum = Adler(reference.bytes);
  const std::size_t writes = (reference.bytes.size() + Chunk - 1) / Chunk;
  const bool writeFails = failWrite && failingWrite <= writes;

  const InputMachine machine;
  if (existingFile) WriteWholeFile(Target, reference.bytes + "an older, longer file");
  if (failWrite) sys::hooks::FailNth("WriteFile", static_cast<int>(failingWrite));

  const bool extracted = ExtractPayload(stored, static_cast<DWORD>(storedSize), ZString(Target),
                                        Stamp, rightSum ? sum : sum ^ 0x00010001u);
  sys::hooks::ClearFaults();

  Require(extracted == (reference.complete && rightSum && !writeFails),
          "the extraction succeeds exactly for a whole stream, the right sum and every write");
  if (extracted) {
    Require(ReadWholeFile(Target) == reference.bytes, "the file holds exactly the inflated bytes");
    const FILETIME time = LastWriteTime(Target);
    Require(time.dwLowDateTime == Stamp.dwLowDateTime &&
                time.dwHighDateTime == Stamp.dwHighDateTime,
            "the file carries the given time");
  } else {
    Require(!FileExists(Target), "a failed extraction leaves no file");
  }
  return 0;
}
