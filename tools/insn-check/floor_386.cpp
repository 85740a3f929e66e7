#include "floor_386.h"

#include <algorithm>
#include <iterator>

namespace insn_check {

namespace {

// The integer instructions of the 80386 (the 8086's, the 186's and 286's additions, and the
// 386's own: movzx/movsx, bt*, bsf/bsr, set*, shld/shrd, the 32-bit forms and segment loads).
constexpr unsigned kInteger386[] = {
    X86_INS_AAA,   X86_INS_AAD,    X86_INS_AAM,    X86_INS_AAS,    X86_INS_ADC,   X86_INS_ADD,
    X86_INS_AND,   X86_INS_ARPL,   X86_INS_BOUND,  X86_INS_BSF,    X86_INS_BSR,   X86_INS_BT,
    X86_INS_BTC,   X86_INS_BTR,    X86_INS_BTS,    X86_INS_CALL,   X86_INS_CBW,   X86_INS_CDQ,
    X86_INS_CLC,   X86_INS_CLD,    X86_INS_CLI,    X86_INS_CLTS,   X86_INS_CMC,   X86_INS_CMP,
    X86_INS_CMPSB, X86_INS_CMPSD,  X86_INS_CMPSW,  X86_INS_CWD,    X86_INS_CWDE,  X86_INS_DAA,
    X86_INS_DAS,   X86_INS_DEC,    X86_INS_DIV,    X86_INS_ENTER,  X86_INS_HLT,   X86_INS_IDIV,
    X86_INS_IMUL,  X86_INS_IN,     X86_INS_INC,    X86_INS_INSB,   X86_INS_INSD,  X86_INS_INSW,
    X86_INS_INT,   X86_INS_INT3,   X86_INS_INTO,   X86_INS_IRET,   X86_INS_IRETD, X86_INS_JA,
    X86_INS_JAE,   X86_INS_JB,     X86_INS_JBE,    X86_INS_JCXZ,   X86_INS_JE,    X86_INS_JECXZ,
    X86_INS_JG,    X86_INS_JGE,    X86_INS_JL,     X86_INS_JLE,    X86_INS_JMP,   X86_INS_JNE,
    X86_INS_JNO,   X86_INS_JNP,    X86_INS_JNS,    X86_INS_JO,     X86_INS_JP,    X86_INS_JS,
    X86_INS_LAHF,  X86_INS_LAR,    X86_INS_LCALL,  X86_INS_LDS,    X86_INS_LEA,   X86_INS_LEAVE,
    X86_INS_LES,   X86_INS_LFS,    X86_INS_LGDT,   X86_INS_LGS,    X86_INS_LIDT,  X86_INS_LJMP,
    X86_INS_LLDT,  X86_INS_LMSW,   X86_INS_LODSB,  X86_INS_LODSD,  X86_INS_LODSW, X86_INS_LOOP,
    X86_INS_LOOPE, X86_INS_LOOPNE, X86_INS_LSL,    X86_INS_LSS,    X86_INS_LTR,   X86_INS_MOV,
    X86_INS_MOVSB, X86_INS_MOVSD,  X86_INS_MOVSW,  X86_INS_MOVSX,  X86_INS_MOVZX, X86_INS_MUL,
    X86_INS_NEG,   X86_INS_NOP,    X86_INS_NOT,    X86_INS_OR,     X86_INS_OUT,   X86_INS_OUTSB,
    X86_INS_OUTSD, X86_INS_OUTSW,  X86_INS_POP,    X86_INS_POPAL,  X86_INS_POPAW, X86_INS_POPF,
    X86_INS_POPFD, X86_INS_PUSH,   X86_INS_PUSHAL, X86_INS_PUSHAW, X86_INS_PUSHF, X86_INS_PUSHFD,
    X86_INS_RCL,   X86_INS_RCR,    X86_INS_RET,    X86_INS_RETF,   X86_INS_ROL,   X86_INS_ROR,
    X86_INS_SAHF,  X86_INS_SAL,    X86_INS_SAR,    X86_INS_SBB,    X86_INS_SCASB, X86_INS_SCASD,
    X86_INS_SCASW, X86_INS_SETA,   X86_INS_SETAE,  X86_INS_SETB,   X86_INS_SETBE, X86_INS_SETE,
    X86_INS_SETG,  X86_INS_SETGE,  X86_INS_SETL,   X86_INS_SETLE,  X86_INS_SETNE, X86_INS_SETNO,
    X86_INS_SETNP, X86_INS_SETNS,  X86_INS_SETO,   X86_INS_SETP,   X86_INS_SETS,  X86_INS_SGDT,
    X86_INS_SHL,   X86_INS_SHLD,   X86_INS_SHR,    X86_INS_SHRD,   X86_INS_SIDT,  X86_INS_SLDT,
    X86_INS_SMSW,  X86_INS_STC,    X86_INS_STD,    X86_INS_STI,    X86_INS_STOSB, X86_INS_STOSD,
    X86_INS_STOSW, X86_INS_STR,    X86_INS_SUB,    X86_INS_TEST,   X86_INS_VERR,  X86_INS_VERW,
    X86_INS_WAIT,  X86_INS_XCHG,   X86_INS_XLATB,  X86_INS_XOR,
};

// What the 80387 executes. fsin, fcos, fsincos, fprem1 and the fucom family are the 387's own
// additions; fcomi, fucomi, fcmov (P6), fisttp (SSE3), ffreep and fsetpm (the 287's) are not.
constexpr unsigned kX87_387[] = {
    X86_INS_F2XM1,   X86_INS_FABS,    X86_INS_FADD,    X86_INS_FADDP,  X86_INS_FBLD,
    X86_INS_FBSTP,   X86_INS_FCHS,    X86_INS_FCOM,    X86_INS_FCOMP,  X86_INS_FCOMPP,
    X86_INS_FCOS,    X86_INS_FDECSTP, X86_INS_FDIV,    X86_INS_FDIVP,  X86_INS_FDIVR,
    X86_INS_FDIVRP,  X86_INS_FFREE,   X86_INS_FIADD,   X86_INS_FICOM,  X86_INS_FICOMP,
    X86_INS_FIDIV,   X86_INS_FIDIVR,  X86_INS_FILD,    X86_INS_FIMUL,  X86_INS_FINCSTP,
    X86_INS_FIST,    X86_INS_FISTP,   X86_INS_FISUB,   X86_INS_FISUBR, X86_INS_FLD,
    X86_INS_FLD1,    X86_INS_FLDCW,   X86_INS_FLDENV,  X86_INS_FLDL2E, X86_INS_FLDL2T,
    X86_INS_FLDLG2,  X86_INS_FLDLN2,  X86_INS_FLDPI,   X86_INS_FLDZ,   X86_INS_FMUL,
    X86_INS_FMULP,   X86_INS_FNCLEX,  X86_INS_FNINIT,  X86_INS_FNOP,   X86_INS_FNSAVE,
    X86_INS_FNSTCW,  X86_INS_FNSTENV, X86_INS_FNSTSW,  X86_INS_FPATAN, X86_INS_FPREM,
    X86_INS_FPREM1,  X86_INS_FPTAN,   X86_INS_FRNDINT, X86_INS_FRSTOR, X86_INS_FSCALE,
    X86_INS_FSIN,    X86_INS_FSINCOS, X86_INS_FSQRT,   X86_INS_FST,    X86_INS_FSTP,
    X86_INS_FSUB,    X86_INS_FSUBP,   X86_INS_FSUBR,   X86_INS_FSUBRP, X86_INS_FTST,
    X86_INS_FUCOM,   X86_INS_FUCOMP,  X86_INS_FUCOMPP, X86_INS_FXAM,   X86_INS_FXCH,
    X86_INS_FXTRACT, X86_INS_FYL2X,   X86_INS_FYL2XP1,
};

template <std::size_t N> bool Lists(const unsigned (&list)[N], unsigned id) {
  return std::find(std::begin(list), std::end(list), id) != std::end(list);
}

// The 386 has the general, segment, x87 stack, control (CR0, CR2, CR3), debug and test
// registers; a MMX, SSE or AVX register, or CR4, betrays a newer processor's instruction even
// under an old mnemonic (movsd and cmpsd are also SSE2 instructions).
bool Is386Register(unsigned reg) {
  if (reg == X86_REG_INVALID) return true;
  if (reg >= X86_REG_MM0 && reg <= X86_REG_MM7) return false;
  if (reg >= X86_REG_XMM0 && reg <= X86_REG_XMM31) return false;
  if (reg >= X86_REG_YMM0 && reg <= X86_REG_YMM31) return false;
  if (reg >= X86_REG_ZMM0 && reg <= X86_REG_ZMM31) return false;
  if (reg >= X86_REG_K0 && reg <= X86_REG_K7) return false;
  if (reg >= X86_REG_CR4 && reg <= X86_REG_CR15) return false;
  return true;
}

bool UsesOnly386Registers(const cs_x86& x86) {
  for (unsigned i = 0; i < x86.op_count; ++i) {
    const cs_x86_op& op = x86.operands[i];
    if (op.type == X86_OP_REG && !Is386Register(op.reg)) return false;
    if (op.type == X86_OP_MEM && (!Is386Register(op.mem.base) || !Is386Register(op.mem.index)))
      return false;
  }
  return true;
}

bool SameRegister(const cs_x86_op& a, const cs_x86_op& b) {
  return a.type == X86_OP_REG && b.type == X86_OP_REG && a.reg == b.reg;
}

} // namespace

std::string RefusalOf(const cs_insn& instruction) {
  const cs_x86& x86 = instruction.detail->x86;
  unsigned id = instruction.id;
  if (!Lists(kInteger386, id) && !Lists(kX87_387, id)) return "not an 80386 or 80387 instruction";
  // Capstone names every NOP form "nop"; only 0x90 (xchg eax, eax) is the 386's. 0F 1F and the
  // 0F 18-1F hint space are invalid opcodes before the Pentium Pro.
  if (id == X86_INS_NOP && x86.opcode[0] != 0x90) return "a multi-byte NOP (Pentium Pro and later)";
  if (!UsesOnly386Registers(x86)) return "a register the 80386 does not have";
  return {};
}

bool IsPadding(const cs_insn& instruction) {
  const cs_x86& x86 = instruction.detail->x86;
  switch (instruction.id) {
  case X86_INS_NOP:
  case X86_INS_INT3:
    return true;
  case X86_INS_ADD: // 00 00: the zero bytes a linker fills with
    return instruction.size == 2 && instruction.bytes[0] == 0 && instruction.bytes[1] == 0;
  case X86_INS_MOV: // mov %esi,%esi
    return x86.op_count == 2 && SameRegister(x86.operands[0], x86.operands[1]);
  case X86_INS_XCHG: // xchg %ax,%ax
    return x86.op_count == 2 && SameRegister(x86.operands[0], x86.operands[1]);
  case X86_INS_LEA: { // lea 0x0(%esi,%eiz,1),%esi and its shorter forms
    if (x86.op_count != 2 || x86.operands[0].type != X86_OP_REG ||
        x86.operands[1].type != X86_OP_MEM)
      return false;
    const x86_op_mem& mem = x86.operands[1].mem;
    return mem.base == x86.operands[0].reg && mem.disp == 0 &&
           (mem.index == X86_REG_INVALID || mem.index == X86_REG_EIZ);
  }
  default:
    return false;
  }
}

bool EndsFlow(const cs_insn& instruction) {
  switch (instruction.id) {
  case X86_INS_RET:
  case X86_INS_RETF:
  case X86_INS_IRET:
  case X86_INS_IRETD:
  case X86_INS_JMP:
  case X86_INS_LJMP:
    return true;
  default:
    return false;
  }
}

} // namespace insn_check
