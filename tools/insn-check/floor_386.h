// Which instructions the oldest processor the programs must run on executes: the 80386 with its
// 80387. Anything newer faults there with an invalid opcode, long after every test has passed on
// a modern processor, which executes it all.
#pragma once

#include <string>

#include <capstone/capstone.h>

namespace insn_check {

// Empty when the 386 and 387 execute the instruction; otherwise why not. An allowlist: what is
// not known to be 386/387 is refused. The instruction must be decoded with detail on.
std::string RefusalOf(const cs_insn& instruction);

// Bytes an assembler or linker puts between functions to align the next one: NOP forms, int3
// and zero bytes. Nothing executes them once the function has ended with ret or jmp.
bool IsPadding(const cs_insn& instruction);

// True for an instruction after which execution never falls through: ret, iret, jmp.
bool EndsFlow(const cs_insn& instruction);

} // namespace insn_check
