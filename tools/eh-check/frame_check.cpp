#include "frame_check.h"

#include <cstdio>

namespace eh_check {

namespace {

namespace eh = runtime::eh;
using Reader = eh::Reader<ImageSource>;

std::string Hex(Address value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

// A machine whose registers and memory hold zeros: running an expression on it meets the same
// refusals the run-time would meet, whatever the values.
struct ZeroMachine {
  Address Register(unsigned) const { return 0; }
  Address Load(Address) const { return 0; }
};

class FrameChecker {
public:
  FrameChecker(const Image& image, FrameReport& report) : source_(image), report_(report) {}

  void CheckFde(const eh::Record& record, Address at) {
    record_ = at;
    Count("FDE");
    eh::Cie cie = eh::ReadCie(source_, record.cie);
    CountCie(cie);
    eh::Fde fde = eh::ReadFde(source_, record, cie);
    function_ = fde.start;
    Census("pointer encoding in FDE", cie.fdeEncoding);
    CheckProgram(cie, cie.program, cie.programEnd, "CIE");
    CheckProgram(cie, fde.program, fde.programEnd, "FDE");

    // Both programs as the run-time runs them, to the end of the function: the state stack.
    eh::RuleSet rules;
    Address pc = fde.start;
    eh::RunProgram(source_, cie.program, cie.programEnd, cie, ~0u, pc, rules, rules);
    eh::RuleSet initial = rules;
    pc = fde.start;
    eh::RunProgram(source_, fde.program, fde.programEnd, cie, ~0u, pc, rules, initial);

    if (fde.lsda != 0) CheckLsda(fde);
  }

  Address function() const { return function_; }

private:
  void Count(const std::string& what) { ++report_.census[what]; }
  void Census(const std::string& where, std::uint8_t encoding) {
    Count(where + " " + PointerEncodingName(encoding));
  }

  void CountCie(const eh::Cie& cie) {
    if (cie.lsdaEncoding == eh::DW_EH_PE_omit) {
      Count("augmentation zR");
      return;
    }
    Count("augmentation zPLR");
    Census("pointer encoding of the personality", cie.personalityEncoding);
    Census("pointer encoding of the LSDA", cie.lsdaEncoding);
  }

  void CheckProgram(const eh::Cie& cie, Address begin, Address end, const char* where) {
    Reader r{source_, begin};
    while (r.at < end) {
      eh::Instruction in = eh::DecodeInstruction(r, cie);
      Count(CallFrameInstructionName(in.op) + " in " + where);
      if (in.expression != 0) CheckExpression(in.expression);
    }
    if (r.at != end) throw OutsideImage("a call-frame program runs past its record's end");
  }

  void CheckExpression(Address expression) {
    Reader r{source_, expression};
    Address end = r.Uleb();
    end += r.at;
    while (r.at < end) {
      eh::ExpressionOp e = eh::DecodeExpressionOp(r);
      Count(e.op == eh::DW_OP_breg0 ? ExpressionOpName(static_cast<std::uint8_t>(e.op + e.reg))
                                    : ExpressionOpName(e.op));
    }
    eh::Evaluate(source_, expression, ZeroMachine{}, 0);
  }

  void CheckLsda(const eh::Fde& fde) {
    ++report_.lsdaCount;
    eh::Lsda lsda = eh::ReadLsda(source_, fde.lsda, fde.start);
    std::uint8_t startEncoding = source_.Byte(fde.lsda);
    Census("LSDA LPStart", startEncoding);
    Census("LSDA TType", lsda.typeEncoding);
    Census("LSDA call sites", lsda.callSiteEncoding);
    Reader r{source_, lsda.callSites};
    while (r.at < lsda.actions) {
      eh::CallSite site = eh::ReadCallSite(r, lsda);
      if (site.start + site.length > fde.range)
        throw OutsideImage("a call site at +" + Hex(site.start) + " lies outside its function");
      if (site.landingPad != 0 && lsda.landingPadBase + site.landingPad - fde.start >= fde.range)
        throw OutsideImage("a landing pad lies outside its function");
      for (Address at = site.action == 0 ? 0 : lsda.actions + site.action - 1; at != 0;) {
        eh::ActionRecord action = eh::ReadAction(source_, at);
        at = action.next;
        if (action.filter > 0) {
          Address type = eh::TypeEntry(source_, lsda, static_cast<std::uint32_t>(action.filter));
          if (type == 0) {
            Count("LSDA catch (...)");
          } else {
            Count("LSDA catch of a type");
            CheckCatchType(type);
          }
        } else {
          Count("LSDA cleanup in an action chain");
        }
      }
    }
    if (r.at != lsda.actions) throw OutsideImage("the call-site table runs past its length");
  }

  // The run-time matches a thrown class against the handlers' classes itself, and leaves the
  // other types to the library's type descriptions. A pointer handler that meets another pointer
  // type asks the pointed-to description to convert (a class pointer to a base's, or any pointer
  // to void*), and the run-time's class descriptions cannot: it would give up at run time. So a
  // handler of a pointer to a class or to void, at any depth, is refused here, told by the
  // description's mangled name (its second word; '*' marks a name local to the program).
  // Pointers to the built-in types stay: the library converts those itself.
  void CheckCatchType(Address type) {
    std::string name;
    for (Address at = source_.Load(type + 4, 4);; ++at) {
      char c = static_cast<char>(source_.Byte(at));
      if (c == '\0') break;
      if (name.size() == MaxTypeName) throw OutsideImage("a catch type's name has no end");
      name += c;
    }
    if (!name.empty() && name[0] == '*') name.erase(0, 1);
    if (PointsToClassOrVoid(name)) {
      Count("LSDA catch of a pointer to a class or void");
      report_.problems.push_back({function_, record_,
                                  "a handler of a pointer to a class or void (" + name +
                                      "), which the run-time cannot match: catch the class by "
                                      "reference instead"});
    }
  }

  // A mangled pointer type: P, its qualifiers (K const, V volatile, r restrict), what it points
  // to. Class names start with their length, N (nested), S (a standard or repeated name) or Z
  // (local); void is v.
  static bool PointsToClassOrVoid(const std::string& name) {
    std::size_t at = 0;
    while (at < name.size() && name[at] == 'P') {
      ++at;
      while (at < name.size() && (name[at] == 'K' || name[at] == 'V' || name[at] == 'r')) ++at;
    }
    if (at == 0 || at == name.size()) return false;
    char first = name[at];
    return (first >= '0' && first <= '9') || first == 'N' || first == 'S' || first == 'Z' ||
           name.compare(at, std::string::npos, "v") == 0;
  }

  static constexpr std::size_t MaxTypeName = 4096;

  ImageSource source_;
  FrameReport& report_;
  Address function_ = 0;
  Address record_ = 0;
};

} // namespace

FrameReport CheckFrames(const Image& image, Address begin, Address end) {
  FrameReport report;
  ImageSource source(image);
  for (Address at = begin;;) {
    Problem problem;
    problem.record = at;
    eh::Record record;
    FrameChecker checker(image, report);
    try {
      if (!eh::ReadRecord(source, at, end, record)) break;
      if (record.next <= at || record.next > end)
        throw OutsideImage("a record runs past the frame section's end");
      if (record.cie != 0) {
        ++report.fdeCount;
        checker.CheckFde(record, at);
      }
    } catch (const Refused& refused) {
      problem.what = Describe(refused);
    } catch (const OutsideImage& outside) {
      problem.what = outside.what();
    }
    if (!problem.what.empty()) {
      problem.function = checker.function();
      report.problems.push_back(problem);
      // A record whose extent is unknown leaves nothing to walk on from.
      if (record.next <= at || record.next > end) break;
    }
    at = record.next;
  }
  return report;
}

} // namespace eh_check
