#include "code_check.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include <capstone/capstone.h>

#include "floor_386.h"

namespace insn_check {

namespace {

class Disassembler {
public:
  Disassembler() {
    if (cs_open(CS_ARCH_X86, CS_MODE_32, &handle_) != CS_ERR_OK)
      throw std::runtime_error("capstone cannot decode 32-bit x86");
    cs_option(handle_, CS_OPT_DETAIL, CS_OPT_ON);
    instruction_ = cs_malloc(handle_);
  }
  ~Disassembler() {
    cs_free(instruction_, 1);
    cs_close(&handle_);
  }
  Disassembler(const Disassembler&) = delete;
  Disassembler& operator=(const Disassembler&) = delete;

  // Decodes the instruction at code (which runs at address); null when the bytes do not decode.
  const cs_insn* Decode(const std::uint8_t* code, std::size_t size, Address address) {
    std::uint64_t at = address;
    return cs_disasm_iter(handle_, &code, &size, &at, instruction_) ? instruction_ : nullptr;
  }

private:
  csh handle_ = 0;
  cs_insn* instruction_ = nullptr;
};

struct Decoded {
  Address address;
  std::size_t size;
  std::string text;
  std::string mnemonic;
  std::string refusal;
  bool padding;
  bool endsFlow;
};

const linked::Section* SectionHolding(const linked::Image& image, const CodeRange& range) {
  for (const linked::Section& section : image.sections) {
    if (range.begin >= section.address && range.end <= section.address + section.bytes.size())
      return &section;
  }
  return nullptr;
}

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
  std::string text;
  char byte[4];
  for (std::size_t i = 0; i < count && i < 8; ++i) {
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", bytes[i]);
    text += byte;
  }
  return text;
}

// True when the bytes from offset to the end are all alignment: single fill bytes (nop, int3,
// zero) or the NOP forms assemblers align with, which may be cut off at the end.
bool IsAlignmentTail(Disassembler& disassembler, const std::uint8_t* bytes, std::size_t offset,
                     std::size_t size, Address address) {
  while (offset < size) {
    std::uint8_t byte = bytes[offset];
    if (byte == 0x90 || byte == 0xcc || byte == 0x00) {
      ++offset;
      continue;
    }
    const cs_insn* insn =
        disassembler.Decode(bytes + offset, size - offset, static_cast<Address>(address + offset));
    if (insn == nullptr || !IsPadding(*insn)) return false;
    offset += insn->size;
  }
  return true;
}

void CheckRange(Disassembler& disassembler, const linked::Image& image, const CodeRange& range,
                CodeReport& report) {
  const linked::Section* section = SectionHolding(image, range);
  if (section == nullptr) {
    report.refused.push_back(
        {range.function, range.begin, "", "the map places it outside the program's sections"});
    return;
  }
  const std::uint8_t* bytes = section->bytes.data() + (range.begin - section->address);
  std::size_t size = range.end - range.begin;
  std::vector<Decoded> decoded;
  std::size_t offset = 0;
  while (offset < size) {
    const cs_insn* insn = disassembler.Decode(bytes + offset, size - offset,
                                              static_cast<Address>(range.begin + offset));
    if (insn == nullptr) break;
    std::string text = insn->mnemonic;
    if (insn->op_str[0] != '\0') text += std::string(" ") + insn->op_str;
    decoded.push_back({static_cast<Address>(range.begin + offset), insn->size, text, insn->mnemonic,
                       RefusalOf(*insn), IsPadding(*insn), EndsFlow(*insn)});
    offset += insn->size;
  }

  // Alignment after the function's last ret or jmp never executes; anything else does.
  std::size_t executed = decoded.size();
  std::size_t last = decoded.size();
  while (last > 0 && !decoded[last - 1].endsFlow) --last;
  if (last > 0) {
    std::size_t tail = decoded[last - 1].address + decoded[last - 1].size - range.begin;
    if (IsAlignmentTail(disassembler, bytes, tail, size, range.begin)) executed = last;
  }

  for (std::size_t i = 0; i < executed; ++i) {
    const Decoded& instruction = decoded[i];
    ++report.instructions;
    ++report.census[instruction.mnemonic];
    if (instruction.refusal.empty()) continue;
    ++report.refusedCensus[instruction.mnemonic];
    report.refused.push_back(
        {range.function, instruction.address, instruction.text, instruction.refusal});
  }
  if (executed == decoded.size() && offset < size) {
    report.refused.push_back({range.function, static_cast<Address>(range.begin + offset),
                              HexBytes(bytes + offset, size - offset),
                              "bytes that do not decode as an instruction"});
  }
}

} // namespace

CodeReport CheckCode(const linked::Image& image, const std::vector<CodeRange>& ranges) {
  Disassembler disassembler;
  CodeReport report;
  for (const CodeRange& range : ranges) {
    ++report.functions;
    CheckRange(disassembler, image, range, report);
  }
  return report;
}

} // namespace insn_check
