#include "image.h"

#include <cstdio>

namespace eh_check {

const std::uint8_t* ImageSource::Bytes(Address at, unsigned count) const {
  for (const Section& section : image_->sections) {
    if (at >= section.address && at - section.address + count <= section.bytes.size())
      return section.bytes.data() + (at - section.address);
  }
  char message[64];
  std::snprintf(message, sizeof message, "a table points outside the program at 0x%08x", at);
  throw OutsideImage(message);
}

namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%02x", value);
  return text;
}

} // namespace

std::string CallFrameInstructionName(std::uint8_t op) {
  static const char* const Names[] = {"DW_CFA_nop",
                                      "DW_CFA_set_loc",
                                      "DW_CFA_advance_loc1",
                                      "DW_CFA_advance_loc2",
                                      "DW_CFA_advance_loc4",
                                      "DW_CFA_offset_extended",
                                      "DW_CFA_restore_extended",
                                      "DW_CFA_undefined",
                                      "DW_CFA_same_value",
                                      "DW_CFA_register",
                                      "DW_CFA_remember_state",
                                      "DW_CFA_restore_state",
                                      "DW_CFA_def_cfa",
                                      "DW_CFA_def_cfa_register",
                                      "DW_CFA_def_cfa_offset",
                                      "DW_CFA_def_cfa_expression",
                                      "DW_CFA_expression",
                                      "DW_CFA_offset_extended_sf",
                                      "DW_CFA_def_cfa_sf",
                                      "DW_CFA_def_cfa_offset_sf",
                                      "DW_CFA_val_offset",
                                      "DW_CFA_val_offset_sf",
                                      "DW_CFA_val_expression"};
  switch (op & 0xC0) {
  case runtime::eh::DW_CFA_advance_loc:
    return "DW_CFA_advance_loc";
  case runtime::eh::DW_CFA_offset:
    return "DW_CFA_offset";
  case runtime::eh::DW_CFA_restore:
    return "DW_CFA_restore";
  default:
    break;
  }
  if (op < sizeof Names / sizeof Names[0]) return Names[op];
  if (op == 0x2D) return "DW_CFA_GNU_window_save";
  if (op == 0x2E) return "DW_CFA_GNU_args_size";
  if (op == 0x2F) return "DW_CFA_GNU_negative_offset_extended";
  return "DW_CFA " + Hex(op);
}

std::string PointerEncodingName(std::uint8_t encoding) {
  if (encoding == runtime::eh::DW_EH_PE_omit) return "DW_EH_PE_omit";
  static const char* const Formats[16] = {"DW_EH_PE_absptr", "DW_EH_PE_uleb128",
                                          "DW_EH_PE_udata2", "DW_EH_PE_udata4",
                                          "DW_EH_PE_udata8", nullptr,
                                          nullptr,           nullptr,
                                          "DW_EH_PE_signed", "DW_EH_PE_sleb128",
                                          "DW_EH_PE_sdata2", "DW_EH_PE_sdata4",
                                          "DW_EH_PE_sdata8", nullptr,
                                          nullptr,           nullptr};
  static const char* const Applications[8] = {nullptr,
                                              "DW_EH_PE_pcrel",
                                              "DW_EH_PE_textrel",
                                              "DW_EH_PE_datarel",
                                              "DW_EH_PE_funcrel",
                                              "DW_EH_PE_aligned",
                                              nullptr,
                                              nullptr};
  std::string name;
  if (encoding & runtime::eh::DW_EH_PE_indirect) name = "DW_EH_PE_indirect|";
  if (const char* application = Applications[(encoding >> 4) & 7])
    name += std::string(application) + "|";
  else if (encoding & 0x70)
    name += "application " + Hex(encoding & 0x70) + "|";
  const char* format = Formats[encoding & 0x0F];
  name += format != nullptr ? format : "format " + Hex(encoding & 0x0F);
  return name + " (" + Hex(encoding) + ")";
}

std::string ExpressionOpName(std::uint8_t op) {
  if (op >= runtime::eh::DW_OP_breg0 && op < runtime::eh::DW_OP_breg0 + 32)
    return "DW_OP_breg" + std::to_string(op - runtime::eh::DW_OP_breg0);
  if (op == runtime::eh::DW_OP_deref) return "DW_OP_deref";
  if (op == 0x23) return "DW_OP_plus_uconst";
  return "DW_OP " + Hex(op);
}

std::string Describe(const Refused& refused) {
  std::uint32_t culprit = refused.culprit;
  switch (refused.reason) {
  case GiveUp::UnsupportedCallFrameInstruction:
    return "unsupported call-frame instruction " +
           CallFrameInstructionName(static_cast<std::uint8_t>(culprit)) + " (" + Hex(culprit) + ")";
  case GiveUp::UnsupportedPointerEncoding:
    return "unsupported pointer encoding " +
           PointerEncodingName(static_cast<std::uint8_t>(culprit));
  case GiveUp::UnsupportedAugmentation: {
    std::string text;
    for (; culprit != 0; culprit >>= 8) text += static_cast<char>(culprit & 0xFF);
    return "unsupported CIE augmentation \"" + text + "\"";
  }
  case GiveUp::UnsupportedCieVersion:
    return "unsupported CIE version or record length " + Hex(culprit);
  case GiveUp::UnsupportedExpressionOp:
    return "unsupported expression op " + ExpressionOpName(static_cast<std::uint8_t>(culprit)) +
           " (" + Hex(culprit) + ")";
  case GiveUp::UnsupportedRegister:
    return "unsupported register number " + std::to_string(culprit);
  case GiveUp::RememberedStateOverflow:
    return "more than " + std::to_string(runtime::eh::RememberedStates) +
           " nested DW_CFA_remember_state";
  case GiveUp::RememberedStateUnderflow:
    return "DW_CFA_restore_state without DW_CFA_remember_state";
  case GiveUp::UnsupportedThrowList:
    return "an LSDA action with a throw(...) list of allowed types (filter " +
           std::to_string(static_cast<std::int32_t>(culprit)) + ")";
  case GiveUp::ExpressionStackOverflow:
    return "an expression deeper than " + std::to_string(runtime::eh::ExpressionStackSize);
  default:
    return "the run-time gives up with code " + Hex(static_cast<unsigned>(refused.reason));
  }
}

} // namespace eh_check
