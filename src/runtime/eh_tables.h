// Reading the compiler's exception tables for i386: the frame descriptions (.eh_frame: CIE and
// FDE records, their call-frame programs and DWARF expressions) and the C++ language-specific
// data area (LSDA) an FDE points at. The names are those of the DWARF and exception-frame
// documents, so the code can be read beside them.
//
// Two users share this reader: the installer's exception support, which reads its own memory,
// and the build's checker (tools/eh-check), which reads the linked program's file. Both read
// through a Source that says where the bytes of a target address live, and both refuse exactly
// the same constructs, so a program the checker passes holds nothing the run-time cannot unwind.
// The accepted set is what the run-time's test exercises; anything else is refused loudly.
//
// A Source provides:
//   std::uint8_t Byte(Address) const;
//   std::uint32_t Load(Address, unsigned bytes) const; // 1, 2 or 4 bytes, little-endian
//   [[noreturn]] static void Refuse(GiveUp reason, std::uint32_t culprit);
#pragma once

#include <cstdint>

#include "runtime/give_up.h"

namespace runtime::eh {

using Address = std::uint32_t;

// The registers in the compiler's DWARF numbering for i386.
enum : unsigned { Eax, Ecx, Edx, Ebx, Esp, Ebp, Esi, Edi, Eip, RegisterCount };

enum : std::uint8_t {
  DW_EH_PE_uleb128 = 0x01,
  DW_EH_PE_sdata4 = 0x0B,
  DW_EH_PE_pcrel = 0x10,
  DW_EH_PE_indirect = 0x80,
  DW_EH_PE_omit = 0xFF,
};

enum : std::uint8_t {
  DW_CFA_nop = 0x00,
  DW_CFA_advance_loc1 = 0x02,
  DW_CFA_advance_loc2 = 0x03,
  DW_CFA_remember_state = 0x0A,
  DW_CFA_restore_state = 0x0B,
  DW_CFA_def_cfa = 0x0C,
  DW_CFA_def_cfa_register = 0x0D,
  DW_CFA_def_cfa_offset = 0x0E,
  DW_CFA_def_cfa_expression = 0x0F,
  DW_CFA_expression = 0x10,
  // The three with an operand in their low six bits.
  DW_CFA_advance_loc = 0x40,
  DW_CFA_offset = 0x80,
  DW_CFA_restore = 0xC0,
};

enum : std::uint8_t {
  DW_OP_deref = 0x06,
  DW_OP_breg0 = 0x70,
};

// How many states DW_CFA_remember_state keeps, and how deep an expression's stack goes.
constexpr int RememberedStates = 4;
constexpr int ExpressionStackSize = 8;

template <class Source> struct Reader {
  Source source;
  Address at;

  std::uint8_t Byte() { return source.Byte(at++); }
  std::uint32_t Fixed(unsigned bytes) {
    std::uint32_t value = source.Load(at, bytes);
    at += bytes;
    return value;
  }
  // A LEB128 number: seven bits a byte, low bits first; a signed one extends its last sign bit.
  std::uint32_t Leb(bool isSigned) {
    std::uint32_t value = 0;
    unsigned shift = 0;
    std::uint8_t byte;
    do {
      byte = Byte();
      if (shift < 32) value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
      shift += 7;
    } while (byte & 0x80);
    if (isSigned && shift < 32 && (byte & 0x40)) value |= ~0u << shift;
    return value;
  }
  std::uint32_t Uleb() { return Leb(false); }
  std::int32_t Sleb() { return static_cast<std::int32_t>(Leb(true)); }

  // A pointer in one of the DW_EH_PE encodings the compiler writes for this program; a misread
  // table could only lead somewhere wrong, so any other ends the program.
  Address Pointer(std::uint8_t encoding) {
    Address field = at;
    Address value;
    switch (encoding) {
    case DW_EH_PE_omit:
      return 0;
    case DW_EH_PE_sdata4:
    case DW_EH_PE_pcrel | DW_EH_PE_sdata4:
    case DW_EH_PE_indirect | DW_EH_PE_pcrel | DW_EH_PE_sdata4:
      value = Fixed(4);
      break;
    case DW_EH_PE_uleb128:
      value = Uleb();
      break;
    default:
      Source::Refuse(GiveUp::UnsupportedPointerEncoding, encoding);
    }
    if (value == 0) return 0;
    if (encoding & DW_EH_PE_pcrel) value += field;
    if (encoding & DW_EH_PE_indirect) value = source.Load(value, 4);
    return value;
  }
};

// --- CIE and FDE records ----------------------------------------------------------------------

struct Cie {
  std::uint32_t codeAlign = 1;
  std::int32_t dataAlign = -4;
  unsigned returnColumn = Eip;
  std::uint8_t fdeEncoding = DW_EH_PE_omit;
  std::uint8_t lsdaEncoding = DW_EH_PE_omit;
  std::uint8_t personalityEncoding = DW_EH_PE_omit;
  Address program = 0, programEnd = 0;
};

struct Fde {
  Address start = 0, range = 0;
  Address lsda = 0;
  Address program = 0, programEnd = 0;
};

// One record of the frame section: a CIE (cie == 0) or an FDE of the CIE at cie.
struct Record {
  Address body = 0, next = 0;
  Address cie = 0;
};

// Reads the record at `at`; false at the section's end or its zero terminator.
template <class Source> bool ReadRecord(Source source, Address at, Address end, Record& out) {
  if (at + 8 > end) return false;
  std::uint32_t length = source.Load(at, 4);
  if (length == 0) return false;
  // The 64-bit form of the length, which a 32-bit program never has.
  if (length == 0xFFFFFFFFu) Source::Refuse(GiveUp::UnsupportedCieVersion, length);
  out.body = at + 4;
  out.next = out.body + length;
  std::uint32_t cieOffset = source.Load(out.body, 4);
  out.cie = cieOffset == 0 ? 0 : out.body - cieOffset;
  return true;
}

// The CIE: version, augmentation, alignments, return column, augmentation data, program.
// GCC writes version 1 with "zR" (code without a personality) or "zPLR" (C++ code).
template <class Source> Cie ReadCie(Source source, Address cieAddress) {
  Cie cie;
  Address end = cieAddress + 4 + source.Load(cieAddress, 4);
  Reader<Source> r{source, cieAddress + 8};
  std::uint8_t version = r.Byte();
  if (version != 1) Source::Refuse(GiveUp::UnsupportedCieVersion, version);
  std::uint32_t augmentation = 0; // its characters, first in the low byte
  for (unsigned shift = 0; std::uint8_t c = r.Byte(); shift += 8) {
    if (shift == 32) Source::Refuse(GiveUp::UnsupportedAugmentation, augmentation);
    augmentation |= static_cast<std::uint32_t>(c) << shift;
  }
  constexpr std::uint32_t zR = 'z' | 'R' << 8, zPLR = 'z' | 'P' << 8 | 'L' << 16 | 'R' << 24;
  if (augmentation != zR && augmentation != zPLR)
    Source::Refuse(GiveUp::UnsupportedAugmentation, augmentation);
  cie.codeAlign = r.Uleb();
  cie.dataAlign = r.Sleb();
  cie.returnColumn = r.Byte();
  if (cie.returnColumn != Eip) Source::Refuse(GiveUp::UnsupportedRegister, cie.returnColumn);
  std::uint32_t size = r.Uleb();
  Address program = r.at + size;
  if (augmentation == zPLR) {
    // The personality routine, which is always the C++ one: the run-time applies its rules.
    cie.personalityEncoding = r.Byte();
    r.Pointer(cie.personalityEncoding);
    cie.lsdaEncoding = r.Byte();
  }
  cie.fdeEncoding = r.Byte();
  cie.program = program;
  cie.programEnd = end;
  return cie;
}

template <class Source> Fde ReadFde(Source source, const Record& record, const Cie& cie) {
  Fde fde;
  Reader<Source> r{source, record.body + 4};
  fde.start = r.Pointer(cie.fdeEncoding);
  fde.range = r.Pointer(cie.fdeEncoding & 0x0F);
  std::uint32_t size = r.Uleb();
  Address data = r.at;
  if (cie.lsdaEncoding != DW_EH_PE_omit) fde.lsda = r.Pointer(cie.lsdaEncoding);
  fde.program = data + size;
  fde.programEnd = record.next;
  return fde;
}

// --- call-frame programs ----------------------------------------------------------------------

// One decoded call-frame instruction; the factored operands come multiplied out.
struct Instruction {
  std::uint8_t op = DW_CFA_nop; // DW_CFA_*, the three primary ones without their operand
  unsigned reg = 0;
  std::int32_t operand = 0;
  Address expression = 0; // its length first, as DWARF writes it
};

template <class Source> unsigned RegisterOperand(Reader<Source>& r) {
  std::uint32_t reg = r.Uleb();
  if (reg >= RegisterCount) Source::Refuse(GiveUp::UnsupportedRegister, reg);
  return reg;
}

template <class Source> Instruction DecodeInstruction(Reader<Source>& r, const Cie& cie) {
  Instruction in;
  std::uint8_t op = r.Byte();
  std::uint8_t low = op & 0x3F;
  in.op = op & 0xC0 ? op & 0xC0 : op;
  switch (in.op) {
  case DW_CFA_advance_loc:
    in.operand = static_cast<std::int32_t>(low * cie.codeAlign);
    break;
  case DW_CFA_offset:
    if (low >= RegisterCount) Source::Refuse(GiveUp::UnsupportedRegister, low);
    in.reg = low;
    in.operand = static_cast<std::int32_t>(r.Uleb()) * cie.dataAlign;
    break;
  case DW_CFA_restore:
    if (low >= RegisterCount) Source::Refuse(GiveUp::UnsupportedRegister, low);
    in.reg = low;
    break;
  case DW_CFA_nop:
  case DW_CFA_remember_state:
  case DW_CFA_restore_state:
    break;
  case DW_CFA_advance_loc1:
  case DW_CFA_advance_loc2:
    in.operand = static_cast<std::int32_t>(r.Fixed(op - 1) * cie.codeAlign);
    break;
  case DW_CFA_def_cfa:
    in.reg = RegisterOperand(r);
    in.operand = static_cast<std::int32_t>(r.Uleb());
    break;
  case DW_CFA_def_cfa_register:
    in.reg = RegisterOperand(r);
    break;
  case DW_CFA_def_cfa_offset:
    in.operand = static_cast<std::int32_t>(r.Uleb());
    break;
  case DW_CFA_expression:
    in.reg = RegisterOperand(r);
    [[fallthrough]];
  case DW_CFA_def_cfa_expression:
    in.expression = r.at;
    r.at += r.Uleb();
    break;
  default:
    Source::Refuse(GiveUp::UnsupportedCallFrameInstruction, op);
  }
  return in;
}

enum class Rule : std::uint8_t { Same, Offset, Expression };

struct RegisterRule {
  Rule rule = Rule::Same;
  std::int32_t offset = 0;
  Address expression = 0;
};

struct RuleSet {
  RegisterRule reg[RegisterCount];
  unsigned cfaRegister = Esp;
  std::int32_t cfaOffset = 0;
  Address cfaExpression = 0;
};

// Runs a call-frame program from pc up to the row that holds target; initial is the row the
// CIE's program left, which DW_CFA_restore goes back to.
template <class Source>
void RunProgram(Source source, Address begin, Address end, const Cie& cie, Address target,
                Address& pc, RuleSet& rules, const RuleSet& initial) {
  RuleSet remembered[RememberedStates];
  int depth = 0;
  Reader<Source> r{source, begin};
  while (r.at < end && pc <= target) {
    Instruction in = DecodeInstruction(r, cie);
    switch (in.op) {
    case DW_CFA_advance_loc:
    case DW_CFA_advance_loc1:
    case DW_CFA_advance_loc2:
      pc += static_cast<Address>(in.operand);
      break;
    case DW_CFA_offset:
      rules.reg[in.reg] = {Rule::Offset, in.operand, 0};
      break;
    case DW_CFA_restore:
      rules.reg[in.reg] = initial.reg[in.reg];
      break;
    case DW_CFA_remember_state:
      if (depth == RememberedStates) Source::Refuse(GiveUp::RememberedStateOverflow, depth);
      remembered[depth++] = rules;
      break;
    case DW_CFA_restore_state: // the whole row, the CFA rule included
      if (depth == 0) Source::Refuse(GiveUp::RememberedStateUnderflow, 0);
      rules = remembered[--depth];
      break;
    case DW_CFA_def_cfa:
      rules.cfaRegister = in.reg;
      rules.cfaOffset = in.operand;
      rules.cfaExpression = 0;
      break;
    case DW_CFA_def_cfa_register:
      rules.cfaRegister = in.reg;
      rules.cfaExpression = 0;
      break;
    case DW_CFA_def_cfa_offset:
      rules.cfaOffset = in.operand;
      break;
    case DW_CFA_def_cfa_expression:
      rules.cfaExpression = in.expression;
      break;
    case DW_CFA_expression:
      rules.reg[in.reg] = {Rule::Expression, 0, in.expression};
      break;
    default: // DW_CFA_nop
      break;
    }
  }
}

// --- DWARF expressions ------------------------------------------------------------------------

// One operation of the expressions GCC writes for frames that realign their stack: a register
// plus an offset, optionally loaded from memory.
struct ExpressionOp {
  std::uint8_t op = 0; // DW_OP_*, DW_OP_breg0 for every DW_OP_bregN
  unsigned reg = 0;
  std::uint32_t operand = 0;
};

template <class Source> ExpressionOp DecodeExpressionOp(Reader<Source>& r) {
  ExpressionOp e;
  e.op = r.Byte();
  if (e.op >= DW_OP_breg0 && e.op < DW_OP_breg0 + RegisterCount) {
    e.reg = e.op - DW_OP_breg0;
    e.op = DW_OP_breg0;
    e.operand = static_cast<std::uint32_t>(r.Sleb());
  } else if (e.op != DW_OP_deref) {
    Source::Refuse(GiveUp::UnsupportedExpressionOp, e.op);
  }
  return e;
}

// Evaluates the expression at `expression` (its length first) with `initial` on the stack, as
// DW_CFA_expression has the CFA there. The machine gives the frame's registers and its memory:
//   Address Register(unsigned) const;  Address Load(Address) const;
template <class Source, class Machine>
Address Evaluate(Source source, Address expression, const Machine& machine, Address initial) {
  Reader<Source> r{source, expression};
  Address end = r.Uleb();
  end += r.at;
  Address stack[ExpressionStackSize];
  int top = 0;
  stack[top++] = initial;
  while (r.at < end) {
    ExpressionOp e = DecodeExpressionOp(r);
    if (e.op == DW_OP_breg0) {
      if (top == ExpressionStackSize) Source::Refuse(GiveUp::ExpressionStackOverflow, top);
      stack[top++] = machine.Register(e.reg) + e.operand;
    } else { // DW_OP_deref
      stack[top - 1] = machine.Load(stack[top - 1]);
    }
  }
  return stack[top - 1];
}

// --- the LSDA ---------------------------------------------------------------------------------

struct Lsda {
  Address landingPadBase = 0;
  std::uint8_t typeEncoding = DW_EH_PE_omit;
  Address typeTable = 0; // the end of the type table, which is indexed backwards
  std::uint8_t callSiteEncoding = DW_EH_PE_uleb128;
  Address callSites = 0, actions = 0;
};

// A call site: offsets from the function's start (the landing pad's from the landing-pad base,
// 0 when there is none), and the first action's offset plus one, or 0 for a cleanup alone.
struct CallSite {
  Address start = 0, length = 0, landingPad = 0;
  std::uint32_t action = 0;
};

// An action record: a type filter (positive: a handler's type; zero: a cleanup) and the next
// record of the chain, 0 at its end. A negative filter, a throw(...) list of allowed types, is
// what C++17 code never has.
struct ActionRecord {
  std::int32_t filter = 0;
  Address next = 0;
};

template <class Source> Lsda ReadLsda(Source source, Address at, Address functionStart) {
  Lsda lsda;
  Reader<Source> r{source, at};
  std::uint8_t startEncoding = r.Byte();
  lsda.landingPadBase = startEncoding == DW_EH_PE_omit ? functionStart : r.Pointer(startEncoding);
  lsda.typeEncoding = r.Byte();
  if (lsda.typeEncoding != DW_EH_PE_omit) {
    Address offset = r.Uleb();
    lsda.typeTable = r.at + offset;
  }
  lsda.callSiteEncoding = r.Byte();
  Address length = r.Uleb();
  lsda.callSites = r.at;
  lsda.actions = r.at + length;
  return lsda;
}

template <class Source> CallSite ReadCallSite(Reader<Source>& r, const Lsda& lsda) {
  CallSite site;
  site.start = r.Pointer(lsda.callSiteEncoding);
  site.length = r.Pointer(lsda.callSiteEncoding);
  site.landingPad = r.Pointer(lsda.callSiteEncoding);
  site.action = r.Uleb();
  return site;
}

template <class Source> ActionRecord ReadAction(Source source, Address at) {
  Reader<Source> r{source, at};
  ActionRecord action;
  action.filter = r.Sleb();
  if (action.filter < 0)
    Source::Refuse(GiveUp::UnsupportedThrowList, static_cast<std::uint32_t>(action.filter));
  Address here = r.at;
  std::int32_t next = r.Sleb();
  action.next = next == 0 ? 0 : here + static_cast<Address>(next);
  return action;
}

// The address of the type description of a positive filter; 0 stands for catch (...).
template <class Source> Address TypeEntry(Source source, const Lsda& lsda, std::uint32_t filter) {
  // Every encoding the table may use takes four bytes an entry.
  if (lsda.typeEncoding == DW_EH_PE_uleb128)
    Source::Refuse(GiveUp::UnsupportedPointerEncoding, lsda.typeEncoding);
  Reader<Source> r{source, lsda.typeTable - filter * 4};
  return r.Pointer(lsda.typeEncoding);
}

} // namespace runtime::eh
