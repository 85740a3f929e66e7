// What the packer is asked to build and what it built: the archive's resources, the payload
// table's records and the sums of the plain text resources.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pack {

// Ways to spoil one payload on purpose, so that tests of the installer can carry archives that
// its checks must reject. The shipped archive never uses them.
struct Damage {
  enum class Kind { None, Cut, ChangedByte, WrongInflatedSum };
  Kind kind = Kind::None;
  std::size_t position = 0; // Cut: bytes kept; ChangedByte: the byte's offset in the stream
};

struct PayloadRequest {
  std::string resourceName; // a string name, such as IDR_00
  std::string fileName;     // the target file name in the installation directory
  std::string path;         // the file to pack
  Damage damage;
};

struct TextRequest {
  unsigned id = 0;           // an integer resource identifier
  std::string adlerConstant; // the name of the generated constant holding the text's sum
  std::string path;
};

struct Request {
  std::string outDir;
  std::string resourceScript;
  std::string tableSource;
  std::string header;
  std::string hostResources;
  std::string tableSymbol = "PayloadTable";
  std::string registerFunction = "RegisterArchiveResources";
  std::vector<PayloadRequest> payloads;
  std::vector<TextRequest> texts;
};

// One resource of the archive type, exactly as it is embedded.
struct Resource {
  std::string name; // the string name, or the decimal identifier when integerId
  bool integerId = false;
  std::string bytes;
  std::string storedFile; // where the packer wrote the bytes for the resource compiler
};

struct TableRecord {
  std::string resourceName;
  std::string fileName;
  std::uint32_t inflatedAdler = 0;
  std::uint32_t storedAdler = 0;
};

struct TextSum {
  std::string adlerConstant;
  std::uint32_t adler = 0;
};

struct Archive {
  std::vector<Resource> resources;
  std::vector<TableRecord> table;
  std::vector<TextSum> textSums;
};

// The stamp every payload file gets: 2000-09-13 12:00:00 UTC as a FILETIME.
inline constexpr std::uint32_t PayloadTimeLow = 0x24622000;
inline constexpr std::uint32_t PayloadTimeHigh = 0x01C01D7A;
// Seconds from 1970 to that moment, plus those from 1601 to 1970, in 100-nanosecond units.
static_assert((968846400ull + 11644473600ull) * 10000000ull ==
              (std::uint64_t{PayloadTimeHigh} << 32 | PayloadTimeLow));

} // namespace pack
