#include "linker_map.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

namespace linked {

bool ReadMapNumber(const std::string& text, std::size_t& pos, Address& value) {
  pos = text.find_first_not_of(' ', pos);
  if (pos == std::string::npos || text.compare(pos, 2, "0x") != 0) return false;
  char* end = nullptr;
  value = static_cast<Address>(std::strtoull(text.c_str() + pos, &end, 16));
  pos = static_cast<std::size_t>(end - text.c_str());
  return true;
}

namespace {

bool IsCodeSection(const std::string& name) {
  return name == ".text" || name.compare(0, 6, ".text$") == 0 || name.compare(0, 6, ".text.") == 0;
}

// The name a range takes when no symbol starts it: the function in the section's name
// (.text$<name>, the compiler's one section per function on Windows, or .text.<name>,
// .text.unlikely.<name> and the like), or, for a plain .text, the file that contributed it.
std::string SectionFunction(const std::string& section, const std::string& file) {
  for (const char* prefix : {".text$", ".text.unlikely.", ".text.startup.", ".text."}) {
    const std::string p = prefix;
    if (section.compare(0, p.size(), p) == 0) return section.substr(p.size());
  }
  return file;
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

LinkerMap LinkerMap::Parse(const std::string& text) {
  LinkerMap map;
  std::istringstream lines(text);
  std::string line;
  bool inLayout = false;
  bool open = false;
  std::string pendingSection; // a section whose name filled its line, the address on the next
  Contribution current;
  auto close = [&] {
    if (open && current.size != 0 && current.begin != 0) Split(current, map.ranges_);
    open = false;
    current = Contribution{};
  };
  auto start = [&](const std::string& section, const std::string& rest) {
    std::size_t pos = 0;
    Address begin, size;
    if (!ReadMapNumber(rest, pos, begin) || !ReadMapNumber(rest, pos, size)) return;
    std::string file = rest.substr(std::min(rest.size(), rest.find_first_not_of(' ', pos)));
    current.name = SectionFunction(section, file);
    current.begin = begin;
    current.size = size;
    open = true;
  };
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.compare(0, 28, "Linker script and memory map") == 0) inLayout = true;
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
    if (line.empty() || line[0] != ' ' || !ReadMapNumber(line, pos, address)) {
      close();
      continue;
    }
    // A symbol ("0xADDR name") or an assignment ("0xADDR name = expression"), which names an
    // address but no function.
    std::size_t nameStart = line.find_first_not_of(' ', pos);
    if (nameStart == std::string::npos || line.compare(nameStart, 2, "0x") == 0) continue;
    std::string name = line.substr(nameStart);
    const bool assignment = name.find(" = ") != std::string::npos;
    std::string symbol = name.substr(0, name.find(' '));
    if (symbol[0] != '[') map.symbols_.emplace(symbol, address);
    if (!open || assignment || name[0] == '[') continue;
    current.symbols.emplace(address, name); // the first of several at one address names it
  }
  close();
  std::sort(map.ranges_.begin(), map.ranges_.end(),
            [](const CodeRange& a, const CodeRange& b) { return a.begin < b.begin; });
  return map;
}

bool LinkerMap::Find(const std::string& symbol, Address& address) const {
  auto found = symbols_.find(symbol);
  if (found == symbols_.end()) return false;
  address = found->second;
  return true;
}

std::string LinkerMap::FunctionAt(Address address) const {
  auto after =
      std::upper_bound(ranges_.begin(), ranges_.end(), address,
                       [](Address at, const CodeRange& range) { return at < range.begin; });
  if (after == ranges_.begin()) return {};
  const CodeRange& range = *std::prev(after);
  return address < range.end ? range.function : std::string();
}

} // namespace linked
