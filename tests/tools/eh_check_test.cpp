// The checker reads hand-made frame sections with the run-time's reader: a table the run-time
// reads passes, and each construct it refuses fails naming the construct and the function.
#include <cstdint>
#include <string>
#include <vector>

#include <doctest/doctest.h>

#include "frame_check.h"
#include "linker_map.h"

namespace {

using eh_check::Address;
using Bytes = std::vector<std::uint8_t>;

constexpr Address FrameSection = 0x1000;
constexpr Address LsdaSection = 0x2000;
constexpr Address TypeSection = 0x3000;
constexpr Address Function = 0x4000;
constexpr Address FunctionSize = 0x40;

void Put32(Bytes& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}
void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

// A frame section of one CIE and one FDE for Function, as GCC lays them out for i386: code
// alignment 1, data alignment -4, return address in column 8, pointers pc-relative.
struct Frames {
  std::string augmentation = "zR";
  Bytes cieProgram = {0x0C, 0x04, 0x04, 0x88, 0x01}; // def_cfa esp+4; offset eip at cfa-4
  std::uint8_t fdeEncoding = 0x1B;                   // DW_EH_PE_pcrel|DW_EH_PE_sdata4
  Bytes fdeProgram = {0x41, 0x0E, 0x08, 0x85, 0x02}; // advance 1; def_cfa_offset 8; ebp at cfa-8
  Bytes lsda;                                        // at LsdaSection, for augmentation zPLR
  Bytes types;                                       // at TypeSection: type descriptions

  eh_check::Image Build() const {
    Bytes cie;
    Put32(cie, 0); // the CIE id
    cie.push_back(1);
    for (char c : augmentation) cie.push_back(static_cast<std::uint8_t>(c));
    Append(cie, {0x00, 0x01, 0x7C, 0x08});
    Bytes data;
    if (augmentation == "zPLR") Append(data, {0x1B, 0, 0, 0, 0, 0x1B}); // no personality; LSDA
    data.push_back(fdeEncoding);
    cie.push_back(static_cast<std::uint8_t>(data.size()));
    Append(cie, data);
    Append(cie, cieProgram);
    while (cie.size() % 4 != 0) cie.push_back(0x00);

    Bytes section;
    Put32(section, static_cast<std::uint32_t>(cie.size()));
    Append(section, cie);
    Bytes fde;
    Address fdeBody = FrameSection + static_cast<Address>(section.size()) + 4;
    Put32(fde, fdeBody - FrameSection); // back to the CIE
    Put32(fde, Function - (fdeBody + 4));
    Put32(fde, FunctionSize);
    if (!lsda.empty()) {
      fde.push_back(4);
      Put32(fde, LsdaSection - (fdeBody + 13));
    } else {
      fde.push_back(0);
    }
    Append(fde, fdeProgram);
    while (fde.size() % 4 != 0) fde.push_back(0x00);
    Put32(section, static_cast<std::uint32_t>(fde.size()));
    Append(section, fde);
    Put32(section, 0); // the terminator

    eh_check::Image image;
    image.sections.push_back({FrameSection, section});
    image.sections.push_back({LsdaSection, lsda});
    image.sections.push_back({TypeSection, types});
    return image;
  }
};

eh_check::FrameReport Check(const Frames& frames) {
  eh_check::Image image = frames.Build();
  return eh_check::CheckFrames(image, FrameSection,
                               FrameSection + static_cast<Address>(image.sections[0].bytes.size()));
}

// An LSDA as GCC writes it: no LPStart, a type table of one catch (...), uleb128 call sites.
Bytes Lsda(std::uint8_t callSiteEncoding, std::int8_t filter) {
  Bytes lsda = {0xFF};                          // LPStart: the function's start
  Append(lsda, {0x9B, 0x0C});                   // TType, and the offset to the type table's end
  Append(lsda, {callSiteEncoding});             // call sites,
  Append(lsda, {0x04, 0x02, 0x05, 0x10, 0x01}); // 4 bytes: at +2 for 5, pad at +16, action 1
  Append(lsda, {static_cast<std::uint8_t>(filter & 0x7F), 0}); // the action (SLEB128), the end
  Append(lsda, {0, 0, 0, 0});                                  // the type table: catch (...)
  return lsda;
}

// An LSDA whose one handler catches the type named `mangled`, and the type description it
// points at, as GCC and the linker lay them out: the type table's entry points pc-relative at a
// slot holding the description's address; the description holds its table, then its name.
Frames CatchingType(const std::string& mangled) {
  Frames frames;
  frames.augmentation = "zPLR";
  frames.lsda = Lsda(0x01, 1);
  constexpr Address Entry = LsdaSection + 11; // the type table's one entry
  frames.lsda.resize(11);
  Put32(frames.lsda, TypeSection - Entry);
  Put32(frames.types, TypeSection + 4);  // the slot, pointing at
  Put32(frames.types, 0);                // the description: its table,
  Put32(frames.types, TypeSection + 12); // its name, which follows
  for (char c : mangled) frames.types.push_back(static_cast<std::uint8_t>(c));
  frames.types.push_back(0);
  return frames;
}

} // namespace

TEST_CASE("a handler of a pointer to a class or void is refused, naming it and the function") {
  struct Case {
    const char* mangled;
    bool refused;
  } cases[] = {
      {"4Base", false},                  // catch (const Base&)
      {"*N12_GLOBAL__N_14BaseE", false}, // a class local to the program
      {"i", false},                      // catch (int)
      {"PKc", false},                    // catch (const char*): the library converts it
      {"PPKi", false},                   // catch (const int**)
      {"M4BaseFivE", false},             // a pointer to a member function
      {"P4Base", true},                  // catch (Base*)
      {"PK4Base", true},                 // catch (const Base*)
      {"Pv", true},                      // catch (void*)
      {"PKv", true},                     // catch (const void*)
      {"PP4Base", true},                 // catch (Base**)
      {"PSt9exception", true},           // catch (std::exception*)
      {"*PN12_GLOBAL__N_14BaseE", true},
  };
  for (const Case& c : cases) {
    std::string mangled = c.mangled;
    CAPTURE(mangled);
    eh_check::FrameReport report = Check(CatchingType(mangled));
    CHECK(report.census["LSDA catch of a type"] == 1);
    if (!c.refused) {
      CHECK(report.problems.empty());
      continue;
    }
    REQUIRE(report.problems.size() == 1);
    CAPTURE(report.problems[0].what);
    std::string named = mangled[0] == '*' ? mangled.substr(1) : mangled;
    CHECK(report.problems[0].what.find("pointer to a class or void (" + named + ")") !=
          std::string::npos);
    CHECK(report.problems[0].function == Function);
  }
}

TEST_CASE("the tables GCC writes for i386 pass, and the census counts what they hold") {
  Frames frames;
  frames.augmentation = "zPLR";
  frames.fdeProgram = {0x41, 0x0E, 0x08, 0x85, 0x02, 0x0A, 0x42, 0x0B, 0xC5};
  frames.lsda = Lsda(0x01, 1);
  eh_check::FrameReport report = Check(frames);
  CHECK(report.problems.empty());
  CHECK(report.fdeCount == 1);
  CHECK(report.lsdaCount == 1);
  CHECK(report.census["DW_CFA_remember_state in FDE"] == 1);
  CHECK(report.census["LSDA catch (...)"] == 1);
  CHECK(report.census["augmentation zPLR"] == 1);
}

TEST_CASE("each construct the run-time refuses fails naming it and the function") {
  struct Case {
    const char* what;
    void (*change)(Frames&);
    const char* named;
    Address function; // 0 when the FDE itself cannot be read
  };
  const Case cases[] = {
      {"a call-frame instruction outside the set",
       [](Frames& f) {
         f.fdeProgram = {0x2E, 0x10};
       },
       "DW_CFA_GNU_args_size", Function},
      {"a call-frame instruction in the CIE's program",
       [](Frames& f) {
         f.cieProgram = {0x07, 0x03};
       },
       "DW_CFA_undefined", Function},
      {"a pointer encoding outside the set", [](Frames& f) { f.fdeEncoding = 0x00; },
       "DW_EH_PE_absptr (0x00)", 0},
      {"an unknown augmentation", [](Frames& f) { f.augmentation = "zRS"; }, "augmentation \"zRS\"",
       0},
      {"an LSDA whose call sites use an encoding outside the set",
       [](Frames& f) {
         f.augmentation = "zPLR";
         f.lsda = Lsda(0x03, 1);
       },
       "DW_EH_PE_udata4 (0x03)", Function},
      {"an LSDA action with a throw(...) list",
       [](Frames& f) {
         f.augmentation = "zPLR";
         f.lsda = Lsda(0x01, -1);
       },
       "throw(...) list", Function},
      {"an expression op outside the set",
       [](Frames& f) {
         f.fdeProgram = {0x0F, 0x03, 0x75, 0x00, 0x23};
       },
       "DW_OP_plus_uconst", Function},
      {"a register the run-time does not track",
       [](Frames& f) {
         f.fdeProgram = {0x0D, 0x0C};
       },
       "register number 12", Function},
      {"a state restored that was never remembered", [](Frames& f) { f.fdeProgram = {0x0B}; },
       "DW_CFA_restore_state without DW_CFA_remember_state", Function},
      {"more states remembered than the run-time keeps",
       [](Frames& f) {
         f.fdeProgram = {0x0A, 0x0A, 0x0A, 0x0A, 0x0A};
       },
       "nested", Function},
  };
  for (const Case& c : cases) {
    std::string what = c.what;
    CAPTURE(what);
    Frames frames;
    c.change(frames);
    eh_check::FrameReport report = Check(frames);
    REQUIRE(report.problems.size() == 1);
    CAPTURE(report.problems[0].what);
    CHECK(report.problems[0].what.find(c.named) != std::string::npos);
    CHECK(report.problems[0].function == c.function);
  }
}

TEST_CASE("a table pointing outside the program fails instead of being read") {
  Frames frames;
  frames.augmentation = "zPLR";
  frames.lsda = Lsda(0x01, 1);
  frames.lsda.resize(6); // the call-site table runs past the section
  eh_check::FrameReport report = Check(frames);
  REQUIRE(report.problems.size() == 1);
  CHECK(report.problems[0].what.find("outside the program") != std::string::npos);
}

TEST_CASE("the linker map gives the frame section's bounds and the functions' names") {
  const char* map = R"(Discarded input sections

 .text$_ZN6UnusedEv
                0x00000000       0x10 unused.o

Linker script and memory map

.text           0x00401000     0x9000
 .text          0x00401000       0x5c cxx_exceptions.cpp.obj
                0x00401000                __cxa_throw
 .text$WinMain  0x004010e0       0x18 winmain.cpp.obj
                0x004010e0                WinMain@16
 .text$_ZN12_GLOBAL__N_110FindLandingERKNS_16FrameDescriptionEjPNS_15ExceptionHeaderEb
                0x00401200       0x80 cxx_exceptions.cpp.obj
 .text.unlikely._Znwj
                0x00401300       0x10 new_op.o
                0x004087bc                        _zm_eh_frame_start = .
 *(.eh_frame*)
                0x00409f14                        _zm_eh_frame_end = .
)";
  linked::LinkerMap parsed = linked::LinkerMap::Parse(map);
  Address start = 0, end = 0;
  CHECK(parsed.Find("_zm_eh_frame_start", start));
  CHECK(parsed.Find("_zm_eh_frame_end", end));
  CHECK(start == 0x004087bc);
  CHECK(end == 0x00409f14);
  CHECK_FALSE(parsed.Find("_missing", start));
  CHECK(parsed.FunctionAt(0x004010e4) == "WinMain@16");
  CHECK(parsed.FunctionAt(0x00401210) ==
        "_ZN12_GLOBAL__N_110FindLandingERKNS_16FrameDescriptionEjPNS_15ExceptionHeaderEb");
  CHECK(parsed.FunctionAt(0x00401300) == "_Znwj");
  CHECK(parsed.FunctionAt(0x00400000).empty());
  CHECK(parsed.FunctionAt(0x00401400).empty()); // past the last function's code
  // The instruction checker's functions are the same ones, under the same names; the discarded
  // section, at address 0, is none of them.
  const std::vector<linked::CodeRange>& ranges = parsed.CodeRanges();
  REQUIRE(ranges.size() == 4);
  CHECK(ranges[0].function == "__cxa_throw");
  CHECK(ranges[0].end == 0x0040105c);
  CHECK(ranges[1].function == "WinMain@16");
  CHECK(ranges[3].function == "_Znwj");
  CHECK(ranges[3].begin == 0x00401300);
  CHECK(ranges[3].end == 0x00401310);
}
