// The reader the restore log is read with gives what the C library's binary streams give: the
// same bytes, the same counts and the same end, whatever the file's size and however it is
// asked. Each file is read with both, request by request, in both builds (the C library of the
// native build and the Windows one under Wine).
#include <doctest/doctest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/file_reader.h"
#include "foundation/platform_hooks.h"
#include "support/restore_log_writer.h"
#include "support/test_machine.h"

namespace {

constexpr std::size_t Buffer = FileReader::BufferSize;

// Bytes of every value, the end-of-file character and line ends among them, which a binary
// stream passes through unchanged.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  std::uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245 + 12345;
    byte = static_cast<char>(state >> 16);
  }
  return bytes;
}

std::string CutLog() {
  RestoreLogWriter log;
  log.RegistryValue(LogRootCurrentUser, "Software\\Zembrino", "Name", std::string(700, 'v'))
      .ProfileEntry("boot", "scrnsave.exe", "C:\\WINDOWS\\OLD.SCR");
  return log.CutAt(log.Size() - 9).Bytes();
}

struct FileCase {
  const char* name;
  std::string bytes;
};

// The sizes of the requests, taken in turn and over again.
struct ReadPattern {
  const char* name;
  std::vector<std::size_t> requests;
};

std::string CLibraryPath(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  return sys::host::HostPath(path);
#endif
}

} // namespace

TEST_CASE_FIXTURE(MachineFixture, "the reader reads as the C library's binary streams read") {
  const FileCase files[] = {
      {"an empty file", ""},
      {"one byte", Pattern(1)},
      {"one byte less than a buffer", Pattern(Buffer - 1)},
      {"exactly one buffer", Pattern(Buffer)},
      {"one byte more than a buffer", Pattern(Buffer + 1)},
      {"many buffers and a piece", Pattern(7 * Buffer + 123)},
      {"a log cut in the middle of a record", CutLog()},
  };
  const ReadPattern patterns[] = {
      {"byte by byte", {1}},
      {"counted pieces as the log is read", {1, 4, 7, 4, 300}},
      {"a buffer at a time", {Buffer}},
      {"a byte more than a buffer at a time", {Buffer + 1}},
      {"small pieces between large ones", {3, 2 * Buffer + 5, 1, Buffer - 3}},
      {"all at once, past the end", {16 * Buffer}},
  };
  const std::string dir = NewScratchDirectory();

  for (const FileCase& file : files) {
    const std::string path = dir + "read.log";
    WriteFileBytes(path, file.bytes);
    for (const ReadPattern& pattern : patterns) {
      INFO(file.name << ", " << pattern.name);
      FileReader reader;
      REQUIRE(reader.Open(path.c_str()));
      std::FILE* stream = std::fopen(CLibraryPath(path).c_str(), "rb");
      REQUIRE(stream != nullptr);

      // Until both have given nothing twice in a row: reading at the end stays at the end.
      std::string read;
      int emptyReads = 0;
      for (std::size_t i = 0; emptyReads < 2; ++i) {
        const std::size_t request = pattern.requests[i % pattern.requests.size()];
        CAPTURE(read.size());
        CAPTURE(request);
        std::vector<char> ours(request + 1, '#');
        std::vector<char> theirs(request + 1, '#');
        const std::size_t ourCount = reader.Read(ours.data(), request);
        const std::size_t theirCount = std::fread(theirs.data(), 1, request, stream);
        REQUIRE(ourCount == theirCount);
        CHECK(ours == theirs);
        read.append(ours.data(), ourCount);
        emptyReads = ourCount == 0 ? emptyReads + 1 : 0;
        if (ourCount < request) CHECK(std::feof(stream));
      }
      CHECK(read == file.bytes);
      std::fclose(stream);
    }
  }
}

TEST_CASE_FIXTURE(MachineFixture, "the reader asks the file for a buffer at a time") {
  const std::string path = NewScratchDirectory() + "read.log";
  WriteFileBytes(path, Pattern(3 * Buffer + 1));
  FileReader reader;
  REQUIRE(reader.Open(path.c_str()));
  sys::hooks::ClearCalls();
  char byte = 0;
  while (reader.Read(&byte, 1) == 1) {}
  int reads = 0;
  for (const sys::hooks::Call& call : sys::hooks::Calls()) reads += call.name == "ReadFile";
  // Three whole buffers, the last byte, and the read that finds nothing more.
  CHECK(reads == 4);
}

TEST_CASE_FIXTURE(MachineFixture, "a failed read ends the reading, a missing file does not open") {
  const std::string path = NewScratchDirectory() + "read.log";
  WriteFileBytes(path, Pattern(2 * Buffer));
  FileReader reader;
  CHECK_FALSE(reader.Open((path + ".missing").c_str()));
  CHECK(std::fopen(CLibraryPath(path + ".missing").c_str(), "rb") == nullptr);
  char byte = 0;
  CHECK(reader.Read(&byte, 1) == 0);

  REQUIRE(reader.Open(path.c_str()));
  sys::hooks::FailNth("ReadFile", 2);
  std::string read(Buffer, '\0');
  CHECK(reader.Read(read.data(), Buffer) == Buffer);
  CHECK(reader.Read(read.data(), Buffer) == 0);
  CHECK(reader.Read(&byte, 1) == 0);
  // The file is released: it can be deleted.
  reader.Close();
  CHECK(sys::DeleteFileA(path.c_str()));
}
