// zm-eh-check: checks that the run-time of a linked installer program can read every exception
// table the compiler wrote into it, with the run-time's own reader (src/runtime/eh_tables.h).
//
//   zm-eh-check [--census] <program.exe> <program.map>
//
// The map is the linker's (the program keeps no symbols): it gives the bounds of the frame
// section and the functions' names. Exits 1 naming each function whose tables the run-time
// would refuse; --census lists every construct the tables hold and how often.
#include <cstdio>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "file_contents.h"
#include "frame_check.h"
#include "linker_map.h"
#include "pe_image.h"

namespace {

int Run(int argc, char** argv) {
  bool census = argc > 1 && std::string(argv[1]) == "--census";
  if (argc != (census ? 4 : 3)) {
    std::fprintf(stderr, "usage: zm-eh-check [--census] <program.exe> <program.map>\n");
    return 2;
  }
  const char* programPath = argv[census ? 2 : 1];
  std::string program = linked::ReadFileContents(programPath);
  linked::Image image =
      linked::ReadPeImage(std::vector<std::uint8_t>(program.begin(), program.end()));
  linked::LinkerMap map = linked::LinkerMap::Parse(linked::ReadFileContents(argv[census ? 3 : 2]));
  linked::Address begin, end;
  if (!map.Find("_zm_eh_frame_start", begin) || !map.Find("_zm_eh_frame_end", end))
    throw std::runtime_error("the map has no _zm_eh_frame_start and _zm_eh_frame_end");

  eh_check::FrameReport report = eh_check::CheckFrames(image, begin, end);
  if (census) {
    for (const auto& [what, count] : report.census) std::printf("%6d  %s\n", count, what.c_str());
  }
  for (const eh_check::Problem& problem : report.problems) {
    std::string name = problem.function != 0 ? map.FunctionAt(problem.function) : "";
    std::fprintf(stderr, "%s: %s in %s at 0x%08x (record at 0x%08x)\n", programPath,
                 problem.what.c_str(), name.empty() ? "an unknown function" : name.c_str(),
                 problem.function, problem.record);
  }
  std::printf("%s: %d FDEs, %d LSDAs, %zu refused\n", programPath, report.fdeCount,
              report.lsdaCount, report.problems.size());
  if (report.fdeCount == 0) {
    std::fprintf(stderr, "%s: no frame descriptions found\n", programPath);
    return 1;
  }
  return report.problems.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zm-eh-check: %s\n", error.what());
    return 2;
  }
}
