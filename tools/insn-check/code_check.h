// Decodes each function's bytes and checks every instruction that can execute against the
// 80386/80387 floor.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "linker_map.h"
#include "pe_image.h"

namespace insn_check {

using linked::Address;
using linked::CodeRange;

struct Finding {
  std::string function;
  Address address = 0;
  std::string instruction; // mnemonic and operands, or the bytes that do not decode
  std::string reason;
};

struct CodeReport {
  int functions = 0;
  int instructions = 0; // decoded and checked; padding after a function's end is not counted
  std::vector<Finding> refused;
  std::map<std::string, int> census;        // mnemonic -> how often
  std::map<std::string, int> refusedCensus; // mnemonic -> how often refused
};

CodeReport CheckCode(const linked::Image& image, const std::vector<CodeRange>& ranges);

} // namespace insn_check
