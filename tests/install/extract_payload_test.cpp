// Inflating one stored stream into one file: streamed through a single 32 KB buffer, checked
// against the expected sum, stamped on success and gone after any failure past its creation.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <zlib.h>

#include "archive_fixture.h"
#include "foundation/platform_hooks.h"
#include "support/test_machine.h"

namespace {

constexpr std::size_t ChunkSize = 32768;

// Bytes that compress somewhat but not trivially: runs, counters and a slow drift.
std::string Content(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i % 97 < 40) ? 0 : (i * 7 + i / 1000) & 0xFF);
  return bytes;
}

std::string Deflate(const std::string& original) {
  uLongf size = compressBound(static_cast<uLong>(original.size()));
  std::string stored(size, '\0');
  REQUIRE(compress2(reinterpret_cast<Bytef*>(&stored[0]), &size,
                    reinterpret_cast<const Bytef*>(original.data()),
                    static_cast<uLong>(original.size()), Z_BEST_COMPRESSION) == Z_OK);
  stored.resize(size);
  return stored;
}

// Deflates the whole of original through a stream set up by the caller, and ends the stream.
std::string DeflateThrough(z_stream& stream, const std::string& original) {
  // Room for fixed codes too, which can take more than the bytes they code.
  std::string stored(
      deflateBound(&stream, static_cast<uLong>(original.size())) + original.size() / 4 + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(original.data()));
  stream.avail_in = static_cast<uInt>(original.size());
  stream.next_out = reinterpret_cast<Bytef*>(&stored[0]);
  stream.avail_out = static_cast<uInt>(stored.size());
  REQUIRE(deflate(&stream, Z_FINISH) == Z_STREAM_END);
  stored.resize(stream.total_out);
  deflateEnd(&stream);
  return stored;
}

// A stream that inflate can only continue with a preset dictionary.
std::string DeflateWithDictionary(const std::string& original) {
  z_stream stream{};
  REQUIRE(deflateInit(&stream, Z_BEST_COMPRESSION) == Z_OK);
  const char dictionary[] = "a preset dictionary";
  deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(dictionary), sizeof dictionary);
  return DeflateThrough(stream, original);
}

// The kind of deflate block that the stream's first block is: 0 stored, 1 fixed codes,
// 2 dynamic codes (the two bits after the last-block bit, past the two-byte zlib header).
int FirstBlockType(const std::string& stored) {
  return (static_cast<unsigned char>(stored.at(2)) >> 1) & 3;
}

std::uint32_t Adler(const std::string& bytes) {
  return static_cast<std::uint32_t>(adler32(adler32(0L, Z_NULL, 0),
                                            reinterpret_cast<const Bytef*>(bytes.data()),
                                            static_cast<uInt>(bytes.size())));
}

bool Extract(const std::string& stored, const std::string& target, std::uint32_t adler) {
  return ExtractPayload(reinterpret_cast<const BYTE*>(stored.data()),
                        static_cast<DWORD>(stored.size()), ZString(target.c_str()), PayloadTime,
                        adler);
}

} // namespace

TEST_CASE("ExtractPayload writes the inflated bytes chunk by chunk and stamps the file") {
  // Sizes around the buffer's edge: a last chunk that is full, one byte long, or missing.
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, ChunkSize - 1, ChunkSize, ChunkSize + 1,
                           3 * ChunkSize + 1234}) {
    CAPTURE(size);
    MachineFixture machine;
    const std::string target = NewScratchDirectory() + "payload.bin";
    const std::string content = Content(size);
    const std::string stored = Deflate(content);
    sys::hooks::ClearCalls();

    CHECK(Extract(stored, target, Adler(content)));
    CHECK(CallCount("WriteFile") == static_cast<int>((size + ChunkSize - 1) / ChunkSize));
    CHECK(CallCount("DeleteFileA") == 0);
    CHECK(ReadFileBytes(target) == content);
    CHECK(SameTime(FileLastWriteTime(target), PayloadTime));
  }
}

TEST_CASE("ExtractPayload inflates stored blocks, fixed codes and dynamic codes alike") {
  // Each kind of block takes its own way through inflate; fixed codes use tables that inflate
  // may build only when it first meets them.
  const std::string content = Content(3 * ChunkSize + 1234);
  struct Case {
    const char* what;
    int level;
    int strategy;
    int blockType;
  };
  const Case cases[] = {
      {"stored blocks", Z_NO_COMPRESSION, Z_DEFAULT_STRATEGY, 0},
      {"fixed codes", Z_BEST_COMPRESSION, Z_FIXED, 1},
      {"dynamic codes", Z_BEST_COMPRESSION, Z_DEFAULT_STRATEGY, 2},
  };
  for (const Case& c : cases) {
    INFO(c.what);
    z_stream stream{};
    REQUIRE(deflateInit2(&stream, c.level, Z_DEFLATED, 15, 8, c.strategy) == Z_OK);
    const std::string stored = DeflateThrough(stream, content);
    REQUIRE(FirstBlockType(stored) == c.blockType);
    MachineFixture machine;
    const std::string target = NewScratchDirectory() + "payload.bin";

    CHECK(Extract(stored, target, Adler(content)));
    CHECK(ReadFileBytes(target) == content);
  }
}

#ifdef _WIN32
TEST_CASE("The Windows tests inflate with the installer's own zlib, which reads no gzip") {
  // A full zlib is linked after it for the tests' deflate side; had the link taken that one's
  // inflate instead, the extraction tests would check code that the installer does not carry.
  z_stream stream{};
  CHECK(inflateInit2(&stream, 15 + 16) == Z_STREAM_ERROR);
  inflateEnd(&stream);
}
#endif

TEST_CASE("ExtractPayload replaces a larger existing file completely") {
  MachineFixture machine;
  const std::string target = NewScratchDirectory() + "payload.bin";
  WriteFileBytes(target, std::string(5 * ChunkSize, 'x'));
  const std::string content = Content(5000);

  CHECK(Extract(Deflate(content), target, Adler(content)));
  CHECK(ReadFileBytes(target) == content);
}

TEST_CASE("ExtractPayload deletes the file when the stream or its sum is wrong") {
  const std::string content = Content(2 * ChunkSize + 500);
  const std::string stored = Deflate(content);
  std::string badTrailer = stored;
  badTrailer.back() = static_cast<char>(badTrailer.back() ^ 0x01);
  struct Case {
    const char* what;
    std::string stored;
    std::uint32_t adler;
  };
  const Case cases[] = {
      {"a stream cut short", stored.substr(0, stored.size() / 2), Adler(content)},
      // Every inflated byte is there and summed; only zlib's end of stream is missing.
      {"a stream without its trailer", stored.substr(0, stored.size() - 4), Adler(content)},
      {"a wrong sum of the inflated bytes", stored, Adler(content) ^ 1},
      {"a stream whose own trailer sum is wrong", badTrailer, Adler(content)},
      {"a stream that needs a preset dictionary", DeflateWithDictionary(content), Adler(content)},
      {"bytes that are no zlib stream", std::string(300, 'Z'), Adler(content)},
  };
  for (const Case& c : cases) {
    INFO(c.what);
    MachineFixture machine;
    const std::string target = NewScratchDirectory() + "payload.bin";
    // Whatever was there before has been truncated by the creation, so it goes as well.
    WriteFileBytes(target, "an older file");
    sys::hooks::ClearCalls();

    CHECK_FALSE(Extract(c.stored, target, c.adler));
    CHECK_FALSE(FileExists(target));
    CHECK(CallCount("SetFileTime") == 0);
  }
}

TEST_CASE("ExtractPayload writes the whole file before the sum check deletes it") {
  MachineFixture machine;
  const std::string target = NewScratchDirectory() + "payload.bin";
  const std::string content = Content(3 * ChunkSize);
  sys::hooks::ClearCalls();

  CHECK_FALSE(Extract(Deflate(content), target, Adler(content) ^ 1));
  CHECK(CallCount("WriteFile") == 3);
  const auto& calls = sys::hooks::Calls();
  REQUIRE_FALSE(calls.empty());
  CHECK(calls.back().name == "DeleteFileA");
  CHECK(calls.back().detail == target);
  CHECK_FALSE(FileExists(target));
}

TEST_CASE("ExtractPayload deletes the file when any of its writes fails") {
  const std::string content = Content(3 * ChunkSize + 10);
  const std::string stored = Deflate(content);
  for (int failing = 1; failing <= 4; ++failing) {
    CAPTURE(failing);
    MachineFixture machine;
    const std::string target = NewScratchDirectory() + "payload.bin";
    sys::hooks::FailNth("WriteFile", failing);

    CHECK_FALSE(Extract(stored, target, Adler(content)));
    CHECK(CallCount("WriteFile") == failing);
    CHECK_FALSE(FileExists(target));
  }
}

TEST_CASE("ExtractPayload deletes the file when a write reports success but writes less") {
  const std::string content = Content(3 * ChunkSize + 10);
  const std::string stored = Deflate(content);
  for (int shortened = 1; shortened <= 4; ++shortened) {
    CAPTURE(shortened);
    MachineFixture machine;
    const std::string target = NewScratchDirectory() + "payload.bin";
    sys::hooks::ShortenNthWrite(shortened);

    CHECK_FALSE(Extract(stored, target, Adler(content)));
    CHECK(CallCount("WriteFile") == shortened);
    CHECK_FALSE(FileExists(target));
  }
}

TEST_CASE("ExtractPayload deletes the file when a lost chunk would not change the sum") {
  // When the sum's low half is 0 (mod 65521), a run of zero bytes changes neither half, so the
  // sum cannot tell that the last chunk never reached the file; the failed write must.
  std::string content(2 * ChunkSize - 100, '\0');
  std::fill(content.begin(), content.begin() + 256, '\xFF');
  content[256] = static_cast<char>(240); // 1 + 256 * 255 + 240 = 65521
  const std::string firstChunk = content.substr(0, ChunkSize);
  REQUIRE(Adler(firstChunk) == Adler(content));
  MachineFixture machine;
  const std::string target = NewScratchDirectory() + "payload.bin";
  sys::hooks::FailNth("WriteFile", 2);

  CHECK_FALSE(Extract(Deflate(content), target, Adler(content)));
  CHECK_FALSE(FileExists(target));
}

TEST_CASE("ExtractPayload leaves a file that another handle holds open untouched") {
  MachineFixture machine;
  const std::string target = NewScratchDirectory() + "payload.bin";
  WriteFileBytes(target, "in use elsewhere");
  HANDLE other = sys::CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  REQUIRE(other != INVALID_HANDLE_VALUE);
  const std::string content = Content(1000);
  sys::hooks::ClearCalls();

  CHECK_FALSE(Extract(Deflate(content), target, Adler(content)));
  CHECK(CallCount("WriteFile") == 0);
  CHECK(CallCount("DeleteFileA") == 0);
  sys::CloseHandle(other);
  CHECK(ReadFileBytes(target) == "in use elsewhere");
}
