// zm-insn-check: checks that a shipped program holds only instructions the 80386 and 80387
// execute, decoding each function the linker's map names (never the data between them).
//
//   zm-insn-check [--census] <program.exe> <program.map>
//
// Exits 1 naming each function, address and instruction refused, one a line; --census lists
// every mnemonic decoded and how often.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "code_check.h"
#include "file_contents.h"
#include "linker_map.h"
#include "pe_image.h"

namespace {

int Run(int argc, char** argv) {
  bool census = argc > 1 && std::string(argv[1]) == "--census";
  if (argc != (census ? 4 : 3)) {
    std::fprintf(stderr, "usage: zm-insn-check [--census] <program.exe> <program.map>\n");
    return 2;
  }
  const char* programPath = argv[census ? 2 : 1];
  std::string program = linked::ReadFileContents(programPath);
  linked::Image image =
      linked::ReadPeImage(std::vector<std::uint8_t>(program.begin(), program.end()));
  const std::vector<linked::CodeRange> ranges =
      linked::LinkerMap::Parse(linked::ReadFileContents(argv[census ? 3 : 2])).CodeRanges();
  if (ranges.empty()) {
    std::fprintf(stderr, "%s: the map names no code\n", programPath);
    return 1;
  }

  insn_check::CodeReport report = insn_check::CheckCode(image, ranges);
  if (census) {
    for (const auto& [mnemonic, count] : report.census) {
      auto refused = report.refusedCensus.find(mnemonic);
      std::printf("%7d  %s%s\n", count, mnemonic.c_str(),
                  refused != report.refusedCensus.end() ? "  (refused)" : "");
    }
  }
  for (const insn_check::Finding& finding : report.refused) {
    std::fprintf(stderr, "%s: %s at 0x%08x: %s (%s)\n", programPath, finding.function.c_str(),
                 finding.address, finding.instruction.c_str(), finding.reason.c_str());
  }
  std::printf("%s: %d functions, %d instructions decoded, %zu refused\n", programPath,
              report.functions, report.instructions, report.refused.size());
  return report.refused.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zm-insn-check: %s\n", error.what());
    return 2;
  }
}
