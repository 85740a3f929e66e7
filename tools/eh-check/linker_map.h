// What the checker needs from the linker's map of a program that keeps no symbols: the
// addresses of named symbols, and which function an address lies in.
#pragma once

#include <map>
#include <string>

#include "image.h"

namespace eh_check {

// Reads a number written 0x... at pos, after blanks, and moves pos past it; false when there is
// none. Every address and size in a GNU ld map is written so.
bool ReadMapNumber(const std::string& text, std::size_t& pos, Address& value);

class LinkerMap {
public:
  // Reads the text of a GNU ld map file.
  static LinkerMap Parse(const std::string& text);

  // False when the map does not define the symbol.
  bool Find(const std::string& symbol, Address& address) const;
  // The function (its symbol or, for a local one, its code section's name) that starts at or
  // last before address; empty when there is none.
  std::string FunctionAt(Address address) const;

private:
  std::map<std::string, Address> symbols_;
  std::map<Address, std::string> functions_;
};

} // namespace eh_check
