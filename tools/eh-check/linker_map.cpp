#include "linker_map.h"

#include <cstdlib>
#include <sstream>

namespace eh_check {

bool ReadMapNumber(const std::string& text, std::size_t& pos, Address& value) {
  pos = text.find_first_not_of(' ', pos);
  if (pos == std::string::npos || text.compare(pos, 2, "0x") != 0) return false;
  char* end = nullptr;
  value = static_cast<Address>(std::strtoull(text.c_str() + pos, &end, 16));
  pos = static_cast<std::size_t>(end - text.c_str());
  return true;
}

namespace {

// The function name in a code section's name: .text$<name> (the compiler's one section per
// function on Windows) or .text.<name>, .text.unlikely.<name> and the like.
std::string FunctionOfSection(const std::string& section) {
  for (const char* prefix : {".text$", ".text.unlikely.", ".text.startup.", ".text."}) {
    std::string p = prefix;
    if (section.compare(0, p.size(), p) == 0) return section.substr(p.size());
  }
  return {};
}

} // namespace

LinkerMap LinkerMap::Parse(const std::string& text) {
  LinkerMap map;
  std::istringstream lines(text);
  std::string line;
  std::string outputSection;
  std::string pendingFunction; // a section whose name filled its line, the address on the next
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '.') {
      outputSection = line.substr(0, line.find(' '));
      continue;
    }
    std::size_t pos = 0;
    Address address;
    if (line.size() > 1 && line[0] == ' ' && line[1] == '.') {
      // An input section: " .text$name 0xADDR 0xSIZE file", or its name alone on the line.
      std::size_t nameEnd = line.find(' ', 1);
      std::string function = FunctionOfSection(line.substr(1, nameEnd - 1));
      pendingFunction.clear();
      if (function.empty()) continue;
      pos = nameEnd;
      if (nameEnd != std::string::npos && ReadMapNumber(line, pos, address)) {
        if (address != 0) map.functions_[address] = function;
      } else {
        pendingFunction = function;
      }
      continue;
    }
    if (!ReadMapNumber(line, pos, address)) {
      pendingFunction.clear();
      continue;
    }
    if (!pendingFunction.empty()) {
      if (address != 0) map.functions_[address] = pendingFunction;
      pendingFunction.clear();
      continue;
    }
    // A symbol: "0xADDR name" or an assignment "0xADDR name = expression".
    std::istringstream rest(line.substr(pos));
    std::string name;
    if (!(rest >> name) || name.compare(0, 2, "0x") == 0) continue;
    map.symbols_[name] = address;
    std::string next;
    if (outputSection == ".text" && !(rest >> next)) map.functions_[address] = name;
  }
  return map;
}

bool LinkerMap::Find(const std::string& symbol, Address& address) const {
  auto found = symbols_.find(symbol);
  if (found == symbols_.end()) return false;
  address = found->second;
  return true;
}

std::string LinkerMap::FunctionAt(Address address) const {
  auto after = functions_.upper_bound(address);
  if (after == functions_.begin()) return {};
  return std::prev(after)->second;
}

} // namespace eh_check
