// What the build's checkers read in the GNU ld map of a program that keeps no symbols: the
// addresses of named symbols, and the program's code function by function. Both checkers name a
// function by this one reading.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "pe_image.h"

namespace linked {

// Reads a number written 0x... at pos, after blanks, and moves pos past it; false when there is
// none. Every address and size in a GNU ld map is written so.
bool ReadMapNumber(const std::string& text, std::size_t& pos, Address& value);

// A function's code. Only input sections named .text, .text$<name> or .text.<name> hold code: the
// installer's linker script also places read-only data and exception tables in the .text output
// section, and those bytes are never code.
struct CodeRange {
  std::string function; // the symbol at its start, else the function in its section's name, or
                        // the file that contributed a plain .text
  Address begin = 0;
  Address end = 0;
};

class LinkerMap {
public:
  // Reads the text of a map from its layout on ("Linker script and memory map"): the discarded
  // sections listed before it have no addresses. A code contribution that lists several symbols
  // (an archive member's .text) is split at them.
  static LinkerMap Parse(const std::string& text);

  // False when the map does not define the symbol (assignments such as "name = ." included).
  bool Find(const std::string& symbol, Address& address) const;
  // In the order of their addresses.
  const std::vector<CodeRange>& CodeRanges() const { return ranges_; }
  // The function whose code holds address; empty when none does.
  std::string FunctionAt(Address address) const;

private:
  std::map<std::string, Address> symbols_;
  std::vector<CodeRange> ranges_;
};

} // namespace linked
