// The 386/387 floor on single instructions as the assembler encodes them: what those processors
// execute passes, what came later is refused however capstone names it, and only NOP forms, int3
// and zero bytes count as padding.
#include <cstdint>
#include <string>
#include <vector>

#include <capstone/capstone.h>
#include <doctest/doctest.h>

#include "floor_386.h"

namespace {

struct Decoded {
  std::string text;
  bool refused = false;
  bool padding = false;
};

Decoded Decode(const std::vector<std::uint8_t>& bytes) {
  csh handle;
  REQUIRE(cs_open(CS_ARCH_X86, CS_MODE_32, &handle) == CS_ERR_OK);
  cs_option(handle, CS_OPT_DETAIL, CS_OPT_ON);
  cs_insn* insn = nullptr;
  std::size_t count = cs_disasm(handle, bytes.data(), bytes.size(), 0x1000, 1, &insn);
  REQUIRE(count == 1);
  REQUIRE(insn->size == bytes.size());
  Decoded decoded{std::string(insn->mnemonic) + " " + insn->op_str,
                  !insn_check::RefusalOf(*insn).empty(), insn_check::IsPadding(*insn)};
  cs_free(insn, count);
  cs_close(&handle);
  return decoded;
}

struct Case {
  const char* what;
  std::vector<std::uint8_t> bytes;
  bool refused;
};

} // namespace

TEST_CASE("the 386 and 387 execute these, and nothing newer passes") {
  const Case cases[] = {
      {"movzx (386)", {0x0f, 0xb6, 0xc0}, false},
      {"movsx (386)", {0x0f, 0xbf, 0xc1}, false},
      {"bt (386)", {0x0f, 0xa3, 0xc8}, false},
      {"setne (386)", {0x0f, 0x95, 0xc0}, false},
      {"shld (386)", {0x0f, 0xa4, 0xc2, 0x04}, false},
      {"imul r, r/m, imm (186)", {0x6b, 0xc0, 0x0c}, false},
      {"rep movsd", {0xf3, 0xa5}, false},
      {"leave", {0xc9}, false},
      {"ret imm", {0xc2, 0x08, 0x00}, false},
      {"one-byte nop", {0x90}, false},
      {"fsin (387)", {0xd9, 0xfe}, false},
      {"fsincos (387)", {0xd9, 0xfb}, false},
      {"fprem1 (387)", {0xd9, 0xf5}, false},
      {"fucompp (387)", {0xda, 0xe9}, false},
      {"fnstsw ax", {0xdf, 0xe0}, false},
      {"fild qword", {0xdf, 0x28}, false},
      {"fcompp", {0xde, 0xd9}, false},
      {"bswap (486)", {0x0f, 0xc8}, true},
      {"cmpxchg (486)", {0x0f, 0xb1, 0xd1}, true},
      {"xadd (486)", {0x0f, 0xc1, 0xd1}, true},
      {"invlpg (486)", {0x0f, 0x01, 0x38}, true},
      {"wbinvd (486)", {0x0f, 0x09}, true},
      {"cpuid (Pentium)", {0x0f, 0xa2}, true},
      {"rdtsc (Pentium)", {0x0f, 0x31}, true},
      {"cmpxchg8b (Pentium)", {0x0f, 0xc7, 0x0e}, true},
      {"cmovne (P6)", {0x0f, 0x45, 0xc2}, true},
      {"fcomi (P6)", {0xdb, 0xf1}, true},
      {"fucomip (P6)", {0xdf, 0xe9}, true},
      {"fcmovbe (P6)", {0xda, 0xd1}, true},
      {"ud2 (P6)", {0x0f, 0x0b}, true},
      {"sysenter", {0x0f, 0x34}, true},
      {"fisttp (SSE3)", {0xdb, 0x08}, true},
      {"ffreep", {0xdf, 0xc0}, true},
      {"multi-byte nop 0F 1F", {0x0f, 0x1f, 0x40, 0x00}, true},
      {"hint nop 0F 19", {0x0f, 0x19, 0xc0}, true},
      {"pause", {0xf3, 0x90}, true},
      {"emms (MMX)", {0x0f, 0x77}, true},
      {"movd mm0 (MMX)", {0x0f, 0x6e, 0xc0}, true},
      {"movsd xmm (SSE2, named like the string move)", {0xf2, 0x0f, 0x10, 0x00}, true},
      {"movss (SSE)", {0xf3, 0x0f, 0x10, 0x00}, true},
      {"mov cr4 (Pentium)", {0x0f, 0x20, 0xe0}, true},
      {"endbr32", {0xf3, 0x0f, 0x1e, 0xfb}, true},
  };
  for (const Case& c : cases) {
    CAPTURE(c.what);
    Decoded decoded = Decode(c.bytes);
    CAPTURE(decoded.text);
    CHECK(decoded.refused == c.refused);
  }
}

TEST_CASE("padding is what assemblers and linkers align with, nothing that does work") {
  const Case cases[] = {
      // Here "refused" means: not padding.
      {"nop", {0x90}, false},
      {"int3", {0xcc}, false},
      {"zero bytes", {0x00, 0x00}, false},
      {"mov %esi,%esi", {0x89, 0xf6}, false},
      {"lea 0x0(%esi),%esi", {0x8d, 0x76, 0x00}, false},
      {"lea 0x0(%esi,%eiz,1),%esi", {0x8d, 0x74, 0x26, 0x00}, false},
      {"lea 0x0(%edi),%edi (disp32)", {0x8d, 0xbf, 0x00, 0x00, 0x00, 0x00}, false},
      {"multi-byte nop", {0x0f, 0x1f, 0x44, 0x00, 0x00}, false},
      {"lea 0x4(%esi),%esi moves", {0x8d, 0x76, 0x04}, true},
      {"lea 0x0(%esi),%edi copies", {0x8d, 0x7e, 0x00}, true},
      {"mov %esi,%edi copies", {0x89, 0xf7}, true},
      {"add %al,(%ecx) writes", {0x00, 0x01}, true},
  };
  for (const Case& c : cases) {
    CAPTURE(c.what);
    CHECK(Decode(c.bytes).padding == !c.refused);
  }
}
