// Reads every CIE, FDE and LSDA of a program's frame section with the run-time's own reader, and
// reports each function whose tables the run-time would refuse, and what it reads (the census).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "image.h"

namespace eh_check {

struct Problem {
  Address function = 0; // the start of the function the FDE describes; 0 when unknown
  Address record = 0;   // the FDE or CIE where the problem lies
  std::string what;
};

struct FrameReport {
  std::vector<Problem> problems;
  int fdeCount = 0;
  int lsdaCount = 0;
  // Every construct read, by name, with how many times it occurs: call-frame instructions,
  // pointer encodings (by where they are used), augmentations, expression ops.
  std::map<std::string, int> census;
};

// Checks the frame section [begin, end) of the image.
FrameReport CheckFrames(const Image& image, Address begin, Address end);

} // namespace eh_check
