// The program's code, function by function, as the linker's map lays it out. Only input
// sections named .text, .text$<name> or .text.<name> hold code: the installer's linker script
// also places read-only data and exception tables in the .text output section, and those bytes
// must never be decoded as instructions.
#pragma once

#include <string>
#include <vector>

#include "image.h"

namespace insn_check {

using eh_check::Address;

struct CodeRange {
  std::string function; // the symbol at its start, else the section's function name or file
  Address begin = 0;
  Address end = 0;
};

// Reads a GNU ld map. A contribution that lists several symbols (an archive member's .text) is
// split at them; one that lists none is one range named after its section or file.
std::vector<CodeRange> ReadCodeRanges(const std::string& mapText);

} // namespace insn_check
