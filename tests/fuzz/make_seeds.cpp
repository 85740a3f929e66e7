// Writes the seed corpora of the fuzz targets: a few well-formed restore logs and a few zlib
// streams, each in its own file. Usage: make_seeds <corpus folder>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>
#include <zlib.h>

#include "support/restore_log_writer.h"

namespace {

bool Save(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (file.good()) return true;
  std::fprintf(stderr, "make_seeds: cannot write %s\n", path.c_str());
  return false;
}

std::string Compressed(const std::string& bytes, int level) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::vector<Bytef> out(size);
  compress2(out.data(), &size, reinterpret_cast<const Bytef*>(bytes.data()),
            static_cast<uLong>(bytes.size()), level);
  return std::string(reinterpret_cast<const char*>(out.data()), size);
}

// The two bytes in front of every extraction seed; see extract_payload_fuzzer.cpp.
std::string Case(std::uint8_t control, std::uint8_t failingWrite, const std::string& stream) {
  return std::string{static_cast<char>(control), static_cast<char>(failingWrite)} + stream;
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
    return 2;
  }
  const std::string logs = std::string(argv[1]) + "/restore_log/";
  const std::string streams = std::string(argv[1]) + "/extract_payload/";

  const std::vector<std::pair<const char*, RestoreLogWriter>> logSeeds = {
      {"registry_and_profile.log",
       RestoreLogWriter()
           .RegistryValue(LogRootCurrentUser, "Control Panel\\Desktop", "scrnsave.exe",
                          "C:\\WINDOWS\\OLD.SCR")
           .ProfileEntry("boot", "scrnsave.exe", "C:\\WINDOWS\\SYSTEM\\OLD.SCR")
           .EndByte()},
      {"removal_and_empty_data.log",
       RestoreLogWriter()
           .ProfileEntry("boot", "scrnsave.exe", "")
           .RegistryValue(LogRootLocalMachine, "SOFTWARE\\Zembrino", "Empty", "")
           .RegistryValue(LogRootCurrentUser, "Software\\Missing", "Value", "skipped")},
      {"format_only.log", RestoreLogWriter()},
      {"cut_in_record.log",
       RestoreLogWriter()
           .RegistryValue(LogRootCurrentUser, "Software\\Zembrino", "Applied", "yes")
           .ProfileEntry("boot", "cut", "never applied")
           .CutAt(60)},
      {"unknown_type.log", RestoreLogWriter()
                               .ProfileEntry("boot", "first", "applied")
                               .Byte(3)
                               .ProfileEntry("boot", "second", "never read")},
  };
  for (const auto& [name, log] : logSeeds)
    if (!Save(logs + name, log.Bytes())) return 1;

  std::string text;
  for (int i = 0; i < 200; ++i) text += "Zembrino's Screen Saver line " + std::to_string(i) + "\n";
  // Longer than one output chunk of the extraction, so that a later write can fail.
  std::string large;
  for (int i = 0; i < 50000; ++i) large += static_cast<char>((i * 7) ^ (i >> 5));
  const struct {
    const char* name;
    std::string bytes;
  } streamSeeds[] = {
      {"right_sum.bin", Case(1, 0, Compressed(text, 9))},
      {"wrong_sum.bin", Case(0, 0, Compressed(text, 9))},
      {"stored_block_over_old_file.bin", Case(5, 0, Compressed("stored, not deflated", 0))},
      {"empty_payload.bin", Case(1, 0, Compressed("", 9))},
      {"second_write_fails.bin", Case(3, 1, Compressed(large, 6))},
  };
  for (const auto& seed : streamSeeds)
    if (!Save(streams + seed.name, seed.bytes)) return 1;
  return 0;
}
