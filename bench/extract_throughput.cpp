// Extraction throughput and memory on the native build: the engine's ExtractPayload against a
// plain zlib inflate-and-write loop over the same stored stream, which is as fast as extraction
// can be. One measurement per process, so that each reports its own peak resident memory.
//
//   zm_extract_bench make <MiB> <stored file>      writes a zlib stream of that many MiB
//   zm_extract_bench engine|plain <stored file>    extracts it once and prints "<wall seconds>
//                                                  <CPU seconds> <peak resident KiB>"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "foundation/host/host_machine.h"
#include "install/payload_archive.h"

namespace {

constexpr char TargetPath[] = "C:\\WINDOWS\\payload.bin";
constexpr std::size_t ChunkSize = 1 << 20;
constexpr unsigned PlainBufferSize = 0x8000; // the engine's own output buffer size

int Fail(const char* what) {
  std::perror(what);
  return 1;
}

// Compressible but not trivial: runs of a few repeated words, literal noise and copies of
// earlier stretches, so that inflate exercises literals, short and long matches alike.
void FillChunk(std::uint64_t& state, std::vector<unsigned char>& chunk) {
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  static const char* const Words[] = {"screen ",          "saver ",   "Zembrino ", "install ",
                                      "\x01\x02\x03\x04", "archive ", "\xff\xfe",  "C:\\WINDOWS\\"};
  std::size_t at = 0;
  while (at < chunk.size()) {
    std::uint64_t r = next();
    std::size_t room = chunk.size() - at;
    switch (r % 4) {
    case 0: { // noise
      std::size_t n = std::min<std::size_t>(room, 8 + (r >> 8) % 56);
      for (std::size_t i = 0; i < n; ++i) chunk[at + i] = static_cast<unsigned char>(next());
      at += n;
      break;
    }
    case 1:
    case 2: { // words
      const char* word = Words[(r >> 8) % 8];
      std::size_t len = std::strlen(word);
      std::size_t n = std::min(room, len);
      std::memcpy(&chunk[at], word, n);
      at += n;
      break;
    }
    default: { // a copy of something earlier in the chunk
      if (at < 300) {
        chunk[at++] = static_cast<unsigned char>(r >> 16);
        break;
      }
      std::size_t n = std::min<std::size_t>(room, 4 + (r >> 8) % 250);
      std::size_t from = at - 1 - (r >> 20) % std::min<std::size_t>(at - n + 1, 30000);
      std::memmove(&chunk[at], &chunk[from], n);
      at += n;
    }
    }
  }
}

int Make(long mebibytes, const char* storedPath) {
  FILE* out = std::fopen(storedPath, "wb");
  if (!out) return Fail(storedPath);
  z_stream stream{};
  if (deflateInit(&stream, 6) != Z_OK) return Fail("deflateInit");
  std::vector<unsigned char> chunk(ChunkSize), packed(ChunkSize + ChunkSize / 8 + 1024);
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::uint32_t sum = static_cast<std::uint32_t>(adler32(0L, Z_NULL, 0));
  for (long i = 0; i <= mebibytes; ++i) {
    bool last = i == mebibytes;
    if (!last) {
      FillChunk(state, chunk);
      sum = static_cast<std::uint32_t>(adler32(sum, chunk.data(), ChunkSize));
    }
    stream.next_in = chunk.data();
    stream.avail_in = last ? 0 : ChunkSize;
    do {
      stream.next_out = packed.data();
      stream.avail_out = static_cast<uInt>(packed.size());
      deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
      std::fwrite(packed.data(), 1, packed.size() - stream.avail_out, out);
    } while (stream.avail_out == 0);
  }
  deflateEnd(&stream);
  std::fclose(out);
  // The inflated sum travels beside the stream, as the payload table carries it.
  std::ofstream(std::string(storedPath) + ".adler") << sum << '\n';
  return 0;
}

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

// What extraction can at best be: inflate into a buffer and write it, nothing else.
bool PlainInflate(const unsigned char* stored, std::size_t size, const std::string& path) {
  int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (file < 0) return false;
  std::vector<unsigned char> buffer(PlainBufferSize);
  z_stream stream{};
  stream.next_in = const_cast<unsigned char*>(stored);
  stream.avail_in = static_cast<uInt>(size);
  inflateInit(&stream);
  int result = Z_OK;
  bool ok = true;
  do {
    stream.next_out = buffer.data();
    stream.avail_out = PlainBufferSize;
    result = inflate(&stream, Z_NO_FLUSH);
    std::size_t produced = PlainBufferSize - stream.avail_out;
    if (produced > 0 && ::write(file, buffer.data(), produced) != static_cast<ssize_t>(produced))
      ok = false;
  } while (ok && result == Z_OK);
  inflateEnd(&stream);
  ::close(file);
  return ok && result == Z_STREAM_END;
}

int Extract(const std::string& mode, const char* storedPath) {
  int input = ::open(storedPath, O_RDONLY);
  if (input < 0) return Fail(storedPath);
  struct stat info {};
  ::fstat(input, &info);
  auto size = static_cast<std::size_t>(info.st_size);
  // Mapped, as the loader maps the installer's resources.
  void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, input, 0);
  if (mapped == MAP_FAILED) return Fail("mmap");
  const auto* stored = static_cast<const unsigned char*>(mapped);
  std::uint32_t inflatedAdler = 0;
  std::ifstream(std::string(storedPath) + ".adler") >> inflatedAdler;

  sys::host::Reset();
  std::string hostTarget = sys::host::HostPath(TargetPath);
  // The CPU time as well: on a shared machine it is what other processes disturb least.
  auto cpuNow = [] {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
  };
  double cpuStart = cpuNow();
  auto start = std::chrono::steady_clock::now();
  bool ok = mode == "engine" ? ExtractPayload(stored, static_cast<DWORD>(size), ZString(TargetPath),
                                              FILETIME{0x12345678, 0x01BF0000}, inflatedAdler)
                             : PlainInflate(stored, size, hostTarget);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpuSeconds = cpuNow() - cpuStart;
  if (!ok) {
    std::fprintf(stderr, "zm_extract_bench: %s extraction failed\n", mode.c_str());
    return 1;
  }
  std::printf("%.4f %.4f %ld\n", seconds, cpuSeconds, PeakResidentKiB());
  ::unlink(hostTarget.c_str());
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "make") return Make(std::atol(argv[2]), argv[3]);
  if (argc == 3 && (std::string(argv[1]) == "engine" || std::string(argv[1]) == "plain"))
    return Extract(argv[1], argv[2]);
  std::fprintf(stderr, "usage: zm_extract_bench make <MiB> <stored> | engine|plain <stored>\n");
  return 2;
}
