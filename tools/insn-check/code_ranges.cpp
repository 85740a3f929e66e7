#include "code_ranges.h"

#include "linker_map.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>

namespace insn_check {

namespace {

bool IsCodeSection(const std::string& name) {
  return name == ".text" || name.compare(0, 6, ".text$") == 0 || name.compare(0, 6, ".text.") == 0;
}

// The name a range takes when no symbol starts it: the function in the section's name, or, for
// a plain .text, the file that contributed it.
std::string SectionFunction(const std::string& section, const std::string& file) {
  if (section == ".text") return file;
  return section.substr(6);
}

struct Contribution {
  std::string name;
  Address begin = 0;
  Address size = 0;
  std::map<Address, std::string> symbols;
};

void Split(const Contribution& piece, std::vector<CodeRange>& ranges) {
  Address end = piece.begin + piece.size;
  Address at = piece.begin;
  std::string name = piece.name;
  for (const auto& [address, symbol] : piece.symbols) {
    if (address < piece.begin || address >= end) continue;
    if (address > at) ranges.push_back({name, at, address});
    at = address;
    name = symbol;
  }
  ranges.push_back({name, at, end});
}

} // namespace

std::vector<CodeRange> ReadCodeRanges(const std::string& mapText) {
  std::vector<CodeRange> ranges;
  std::istringstream lines(mapText);
  std::string line;
  bool inLayout = false; // the discarded sections listed before the layout have no addresses
  bool open = false;
  std::string pendingSection; // a section whose name filled its line, the address on the next
  Contribution current;
  auto close = [&] {
    if (open && current.size != 0 && current.begin != 0) Split(current, ranges);
    open = false;
    current = Contribution{};
  };
  auto start = [&](const std::string& section, const std::string& rest) {
    std::size_t pos = 0;
    Address begin, size;
    if (!eh_check::ReadMapNumber(rest, pos, begin) || !eh_check::ReadMapNumber(rest, pos, size))
      return false;
    std::string file = rest.substr(std::min(rest.size(), rest.find_first_not_of(' ', pos)));
    current.name = SectionFunction(section, file);
    current.begin = begin;
    current.size = size;
    open = true;
    return true;
  };
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 26, "Linker script and memory m") == 0) inLayout = true;
    if (!inLayout) continue;
    if (line.size() > 1 && line[0] == ' ' && line[1] != ' ') {
      // An input section (" .text$name 0xADDR 0xSIZE file", or its name alone), a pattern or
      // a *fill*: each ends the contribution before it.
      close();
      pendingSection.clear();
      if (line[1] != '.') continue;
      std::size_t nameEnd = line.find(' ', 1);
      std::string section = line.substr(1, nameEnd - 1);
      if (!IsCodeSection(section)) continue;
      if (nameEnd == std::string::npos) {
        pendingSection = section;
      } else {
        start(section, line.substr(nameEnd));
      }
      continue;
    }
    if (!pendingSection.empty()) {
      start(pendingSection, line);
      pendingSection.clear();
      continue;
    }
    std::size_t pos = 0;
    Address address;
    if (line.empty() || line[0] != ' ' || !eh_check::ReadMapNumber(line, pos, address)) {
      close();
      continue;
    }
    // A symbol ("0xADDR name"); an assignment ("0xADDR name = expression") names no function.
    if (!open) continue;
    std::size_t nameStart = line.find_first_not_of(' ', pos);
    if (nameStart == std::string::npos || line.compare(nameStart, 2, "0x") == 0) continue;
    std::string name = line.substr(nameStart);
    if (name.find(" = ") != std::string::npos || name[0] == '[') continue;
    current.symbols.emplace(address, name); // the first of several at one address names it
  }
  close();
  std::sort(ranges.begin(), ranges.end(),
            [](const CodeRange& a, const CodeRange& b) { return a.begin < b.begin; });
  return ranges;
}

} // namespace insn_check
