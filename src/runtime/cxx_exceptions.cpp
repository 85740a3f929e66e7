// The C++ exception support of the shipped installer, in place of the tool chain's own.
//
// The library's version brings a general DWARF unwinder with frame registration, locks and
// thread-local storage, and a personality routine for every language (about 36 KB, a third of
// the program). The installer needs far less: one 32-bit module, one thread, C++ frames only,
// exceptions that never cross a Windows frame. What is here does exactly that job with the
// same two-phase model: first walk the frames to find a handler (so an exception nobody catches
// ends the program without running anything), then walk again running the cleanups on the way
// and land in the handler. Frames are described by the module's own frame descriptions, which
// the program's linker script bounds with two symbols, and the compiler's exception tables are
// read as the compiler writes them for i386.
//
// Only the shipped installer and its own test link this file; everything else keeps the
// library. Defining these symbols keeps the library's objects out of the link; should another
// library object still need one of them, the link fails with a duplicate symbol instead of
// silently growing.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <typeinfo>

extern "C" const std::uint8_t zm_eh_frame_start[], zm_eh_frame_end[];

namespace {

using Address = std::uint32_t;

// The registers that survive a call, in the compiler's DWARF numbering for i386; the scratch
// registers take part only as places a rule may name.
enum : unsigned { Eax, Ecx, Edx, Ebx, Esp, Ebp, Esi, Edi, Eip, RegisterCount };

struct Registers {
  Address r[RegisterCount];
};

// The standard header every C++ exception carries, so that the landing pads the compiler
// generates find what they expect: they receive a pointer to `unwind` and pass it on.
struct UnwindHeader {
  std::uint64_t exceptionClass;
  void (*cleanup)(int, UnwindHeader*);
  Address handlerFrame; // the frame that the search found a handler in (its CFA)
  Address handlerSelector;
} __attribute__((aligned(8)));

// The compiler passes the thrown object's destructor as a member function: `this` in ECX.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
using Destructor = void(__thiscall*)(void*);
#pragma GCC diagnostic pop

struct ExceptionHeader {
  const std::type_info* type;
  Destructor destroy;
  ExceptionHeader* nextCaught; // the stack of exceptions being handled
  int handlerCount;            // negative while it is being rethrown
  void* adjusted;              // the object as the matched handler sees it
  UnwindHeader unwind;
};
static_assert(sizeof(ExceptionHeader) % 8 == 0, "thrown objects must stay 8-aligned");

ExceptionHeader* HeaderOf(void* object) { return static_cast<ExceptionHeader*>(object) - 1; }
ExceptionHeader* HeaderOf(UnwindHeader* unwind) {
  return reinterpret_cast<ExceptionHeader*>(reinterpret_cast<char*>(unwind) -
                                            offsetof(ExceptionHeader, unwind));
}
void* ObjectOf(ExceptionHeader* header) { return header + 1; }

// One thread: the handled-exception stack needs no thread-local storage.
ExceptionHeader* CaughtExceptions = nullptr;

// Throwing std::bad_alloc must work when the heap is exhausted: a few fixed slots serve then.
// (Made of 8-byte words to keep them aligned.)
constexpr std::size_t SlotBytes = 128;
constexpr int SlotCount = 4;
std::uint64_t EmergencySlots[SlotCount][SlotBytes / 8];
bool SlotUsed[SlotCount];

[[noreturn]] void Terminate() { std::abort(); }

// --- reading the compiler's tables ------------------------------------------------------------

enum : std::uint8_t {
  PeAbsolute = 0x00,
  PeUleb128 = 0x01,
  PeUdata2 = 0x02,
  PeUdata4 = 0x03,
  PeSleb128 = 0x09,
  PeSdata2 = 0x0A,
  PeSdata4 = 0x0B,
  PePcRelative = 0x10,
  PeIndirect = 0x80,
  PeOmit = 0xFF,
};

struct Reader {
  const std::uint8_t* p;

  std::uint8_t Byte() { return *p++; }
  // A LEB128 number: seven bits a byte, low bits first; a signed one extends its last sign bit.
  std::uint32_t Leb(bool isSigned) {
    std::uint32_t value = 0;
    unsigned shift = 0;
    std::uint8_t byte;
    do {
      byte = *p++;
      if (shift < 32) value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
      shift += 7;
    } while (byte & 0x80);
    if (isSigned && shift < 32 && (byte & 0x40)) value |= ~0u << shift;
    return value;
  }
  std::uint32_t Uleb() { return Leb(false); }
  std::int32_t Sleb() { return static_cast<std::int32_t>(Leb(true)); }
  std::uint32_t Fixed(std::size_t bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, p, bytes);
    p += bytes;
    return value;
  }
  // A pointer in one of the encodings the compiler uses; the program ends on any other, since
  // a misread table could only lead somewhere wrong.
  Address Pointer(std::uint8_t encoding) {
    if (encoding == PeOmit) return 0;
    const std::uint8_t* field = p;
    Address value;
    switch (encoding & 0x0F) {
    case PeAbsolute:
    case PeUdata4:
    case PeSdata4:
      value = Fixed(4);
      break;
    case PeUleb128:
      value = Uleb();
      break;
    case PeSleb128:
      value = static_cast<Address>(Sleb());
      break;
    case PeUdata2:
      value = Fixed(2);
      break;
    case PeSdata2:
      value = static_cast<Address>(static_cast<std::int16_t>(Fixed(2)));
      break;
    default:
      Terminate();
    }
    if (value == 0) return 0;
    switch (encoding & 0x70) {
    case 0:
      break;
    case PePcRelative:
      value += reinterpret_cast<Address>(field);
      break;
    default:
      Terminate();
    }
    if (encoding & PeIndirect) value = *reinterpret_cast<const Address*>(value);
    return value;
  }
};

std::size_t EncodedSize(std::uint8_t encoding) {
  switch (encoding & 0x0F) {
  case PeUdata2:
  case PeSdata2:
    return 2;
  default:
    return 4;
  }
}

// The module's frame descriptions, bounded by the linker (the program's linker script).
struct Span {
  const std::uint8_t* begin;
  const std::uint8_t* end;
};

Span FrameSection() { return {zm_eh_frame_start, zm_eh_frame_end}; }

struct FrameDescription {
  Address start = 0;
  Span cieProgram{};
  Span fdeProgram{};
  std::uint32_t codeAlign = 1;
  std::int32_t dataAlign = -4;
  unsigned returnColumn = Eip;
  Address lsda = 0;
};

// Finds the description of the function that holds ip; false when there is none, which marks
// the end of what may be unwound (a frame of Windows or of code without tables).
bool FindFrame(Address ip, FrameDescription& out) {
  Span section = FrameSection();
  for (const std::uint8_t* record = section.begin; record + 8 <= section.end;) {
    std::uint32_t length;
    std::memcpy(&length, record, 4);
    if (length == 0 || length == 0xFFFFFFFFu) break;
    const std::uint8_t* body = record + 4;
    const std::uint8_t* next = body + length;
    std::uint32_t cieOffset;
    std::memcpy(&cieOffset, body, 4);
    if (cieOffset != 0) {
      const std::uint8_t* cie = body - cieOffset;
      // The CIE: version, augmentation, alignments, return column, augmentation data.
      std::uint32_t cieLength;
      std::memcpy(&cieLength, cie, 4);
      Reader c{cie + 9};
      const char* augmentation = reinterpret_cast<const char*>(c.p);
      c.p += std::strlen(augmentation) + 1;
      FrameDescription frame;
      frame.codeAlign = c.Uleb();
      frame.dataAlign = c.Sleb();
      frame.returnColumn = cie[8] == 1 ? c.Byte() : c.Uleb();
      std::uint8_t fdeEncoding = PeAbsolute;
      std::uint8_t lsdaEncoding = PeOmit;
      const std::uint8_t* afterAugmentation = nullptr;
      for (const char* a = augmentation; *a != '\0'; ++a) {
        switch (*a) {
        case 'z': {
          std::uint32_t size = c.Uleb();
          afterAugmentation = c.p + size;
          break;
        }
        case 'P': {
          std::uint8_t encoding = c.Byte();
          c.Pointer(encoding);
          break;
        }
        case 'L':
          lsdaEncoding = c.Byte();
          break;
        case 'R':
          fdeEncoding = c.Byte();
          break;
        case 'S':
          break;
        default:
          Terminate();
        }
      }
      if (afterAugmentation != nullptr) c.p = afterAugmentation;
      frame.cieProgram = {c.p, cie + 4 + cieLength};

      Reader f{body + 4};
      Address start = f.Pointer(fdeEncoding);
      Address range = f.Pointer(fdeEncoding & 0x0F);
      if (start != 0 && ip >= start && ip - start < range) {
        frame.start = start;
        if (augmentation[0] == 'z') {
          std::uint32_t size = f.Uleb();
          const std::uint8_t* data = f.p;
          if (lsdaEncoding != PeOmit) frame.lsda = f.Pointer(lsdaEncoding);
          f.p = data + size;
        }
        frame.fdeProgram = {f.p, next};
        out = frame;
        return true;
      }
    }
    record = next;
  }
  return false;
}

// --- the call frame program -------------------------------------------------------------------

enum class Rule : std::uint8_t { Same, Offset, ValueOffset, Register, Expression, ValueExpression };

struct RegisterRule {
  Rule rule = Rule::Same;
  std::int32_t value = 0;
  const std::uint8_t* expression = nullptr;
};

struct RuleSet {
  RegisterRule reg[RegisterCount];
  unsigned cfaRegister = Esp;
  std::int32_t cfaOffset = 0;
  const std::uint8_t* cfaExpression = nullptr;
};

struct FrameState {
  RuleSet rules;
  std::uint32_t argsSize = 0;
};

// Runs a call frame program up to the instruction at target (pc starts at start).
void RunProgram(Span program, const FrameDescription& frame, Address target, Address& pc,
                FrameState& state, const RuleSet& initial) {
  RuleSet remembered[4];
  int depth = 0;
  auto setRule = [&](std::uint32_t reg, Rule rule, std::int32_t value) {
    if (reg < RegisterCount) state.rules.reg[reg] = {rule, value, nullptr};
  };
  Reader r{program.begin};
  while (r.p < program.end && pc <= target) {
    std::uint8_t op = r.Byte();
    std::uint8_t low = op & 0x3F;
    switch (op & 0xC0) {
    case 0x40:
      pc += low * frame.codeAlign;
      continue;
    case 0x80:
      setRule(low, Rule::Offset, static_cast<std::int32_t>(r.Uleb()) * frame.dataAlign);
      continue;
    case 0xC0:
      if (low < RegisterCount) state.rules.reg[low] = initial.reg[low];
      continue;
    default:
      break;
    }
    switch (op) {
    case 0x00: // nop
      break;
    case 0x02: // advance_loc1
      pc += r.Fixed(1) * frame.codeAlign;
      break;
    case 0x03: // advance_loc2
      pc += r.Fixed(2) * frame.codeAlign;
      break;
    case 0x04: // advance_loc4
      pc += r.Fixed(4) * frame.codeAlign;
      break;
    case 0x05: { // offset_extended
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::Offset, static_cast<std::int32_t>(r.Uleb()) * frame.dataAlign);
      break;
    }
    case 0x06: { // restore_extended
      std::uint32_t reg = r.Uleb();
      if (reg < RegisterCount) state.rules.reg[reg] = initial.reg[reg];
      break;
    }
    case 0x07:   // undefined
    case 0x08: { // same_value
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::Same, 0);
      break;
    }
    case 0x09: { // register
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::Register, static_cast<std::int32_t>(r.Uleb()));
      break;
    }
    case 0x0A: // remember_state
      if (depth == 4) Terminate();
      remembered[depth++] = state.rules;
      break;
    case 0x0B: // restore_state: the whole row, the CFA rule included
      if (depth == 0) Terminate();
      state.rules = remembered[--depth];
      break;
    case 0x0C: // def_cfa
      state.rules.cfaRegister = r.Uleb();
      state.rules.cfaOffset = static_cast<std::int32_t>(r.Uleb());
      state.rules.cfaExpression = nullptr;
      break;
    case 0x0D: // def_cfa_register
      state.rules.cfaRegister = r.Uleb();
      state.rules.cfaExpression = nullptr;
      break;
    case 0x0E: // def_cfa_offset
      state.rules.cfaOffset = static_cast<std::int32_t>(r.Uleb());
      break;
    case 0x0F: { // def_cfa_expression
      state.rules.cfaExpression = r.p;
      std::uint32_t size = r.Uleb();
      r.p += size;
      break;
    }
    case 0x10:   // expression
    case 0x16: { // val_expression
      std::uint32_t reg = r.Uleb();
      const std::uint8_t* expression = r.p;
      std::uint32_t size = r.Uleb();
      r.p += size;
      if (reg < RegisterCount)
        state.rules.reg[reg] = {op == 0x10 ? Rule::Expression : Rule::ValueExpression, 0,
                                expression};
      break;
    }
    case 0x11: { // offset_extended_sf
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::Offset, r.Sleb() * frame.dataAlign);
      break;
    }
    case 0x12: // def_cfa_sf
      state.rules.cfaRegister = r.Uleb();
      state.rules.cfaOffset = r.Sleb() * frame.dataAlign;
      state.rules.cfaExpression = nullptr;
      break;
    case 0x13: // def_cfa_offset_sf
      state.rules.cfaOffset = r.Sleb() * frame.dataAlign;
      break;
    case 0x14: { // val_offset
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::ValueOffset, static_cast<std::int32_t>(r.Uleb()) * frame.dataAlign);
      break;
    }
    case 0x15: { // val_offset_sf
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::ValueOffset, r.Sleb() * frame.dataAlign);
      break;
    }
    case 0x2E: // GNU_args_size
      state.argsSize = r.Uleb();
      break;
    case 0x2F: { // GNU_negative_offset_extended
      std::uint32_t reg = r.Uleb();
      setRule(reg, Rule::Offset, -static_cast<std::int32_t>(r.Uleb()) * frame.dataAlign);
      break;
    }
    default:
      Terminate();
    }
  }
}

// The DWARF expressions the compiler writes for frames that realign their stack: a register
// plus an offset, optionally loaded from memory.
Address Evaluate(const std::uint8_t* expression, const Registers& regs, Address initial) {
  Reader r{expression};
  std::uint32_t size = r.Uleb();
  const std::uint8_t* end = r.p + size;
  Address stack[8];
  int top = 0;
  stack[top++] = initial;
  while (r.p < end) {
    std::uint8_t op = r.Byte();
    if (op >= 0x70 && op <= 0x78) { // bregN
      if (top == 8) Terminate();
      stack[top++] = regs.r[op - 0x70] + static_cast<Address>(r.Sleb());
    } else if (op == 0x06) { // deref
      stack[top - 1] = *reinterpret_cast<const Address*>(stack[top - 1]);
    } else if (op == 0x23) { // plus_uconst
      stack[top - 1] += r.Uleb();
    } else {
      Terminate();
    }
  }
  return stack[top - 1];
}

// Moves regs from a frame to its caller. cfa receives the frame's canonical frame address,
// which identifies it; argsSize the bytes of arguments pushed at its current call.
bool StepToCaller(const FrameDescription& frame, Registers& regs, Address& cfa,
                  std::uint32_t& argsSize) {
  Address ip = regs.r[Eip] - 1;
  FrameState state;
  Address pc = frame.start;
  Address nowhere = 0;
  RunProgram(frame.cieProgram, frame, ~0u, nowhere, state, state.rules);
  RuleSet initial = state.rules;
  RunProgram(frame.fdeProgram, frame, ip, pc, state, initial);
  argsSize = state.argsSize;

  const RuleSet& rules = state.rules;
  cfa = rules.cfaExpression != nullptr ? Evaluate(rules.cfaExpression, regs, 0)
                                       : regs.r[rules.cfaRegister] + rules.cfaOffset;
  Registers caller = regs;
  caller.r[Esp] = cfa;
  for (unsigned reg = 0; reg < RegisterCount; ++reg) {
    const RegisterRule& rule = rules.reg[reg];
    switch (rule.rule) {
    case Rule::Same:
      break;
    case Rule::Offset:
      caller.r[reg] = *reinterpret_cast<const Address*>(cfa + rule.value);
      break;
    case Rule::ValueOffset:
      caller.r[reg] = cfa + rule.value;
      break;
    case Rule::Register:
      caller.r[reg] = regs.r[rule.value];
      break;
    case Rule::Expression:
      caller.r[reg] = *reinterpret_cast<const Address*>(Evaluate(rule.expression, regs, cfa));
      break;
    case Rule::ValueExpression:
      caller.r[reg] = Evaluate(rule.expression, regs, cfa);
      break;
    }
  }
  if (rules.reg[frame.returnColumn].rule == Rule::Same) return false;
  caller.r[Eip] = caller.r[frame.returnColumn];
  regs = caller;
  return caller.r[Eip] != 0;
}

// --- the C++ rules: which landing pad a frame has for an exception ------------------------------

enum class Action { None, Cleanup, Handler };

struct Landing {
  Action action = Action::None;
  Address pad = 0;
  std::int32_t selector = 0;
};

// --- class types ---------------------------------------------------------------------------------
//
// The type descriptions of classes point at one of two tables of the library: one for a class
// without bases, one for a class with a single public base at offset 0. The library's tables
// bring the whole machinery of dynamic_cast with them (about 2 KB), which the installer never
// uses; the tables below take their place, and a class's kind is told by the table it points
// at. Their entries are never called: matching a thrown class against a handler's walks the
// chain of single bases here. A class with several or virtual bases uses a third table, which
// would bring the library's objects back and fail the link on a duplicate symbol.

[[noreturn]] void NeverCalled() { Terminate(); }

using VirtualEntry = void (*)();
// Offset to top, the table's own type (unused), then the type description's virtual functions:
// two destructors, __is_pointer_p, __is_function_p, __do_catch, __do_upcast, and for classes
// __do_upcast, __do_dyncast and __do_find_public_src.
constexpr int ClassTableEntries = 11;

} // namespace

extern "C" {
extern const VirtualEntry
    ClassTypeTable[ClassTableEntries] asm("__ZTVN10__cxxabiv117__class_type_infoE");
extern const VirtualEntry
    SingleBaseTypeTable[ClassTableEntries] asm("__ZTVN10__cxxabiv120__si_class_type_infoE");
const VirtualEntry ClassTypeTable[ClassTableEntries] = {
    nullptr,     nullptr,     NeverCalled, NeverCalled, NeverCalled, NeverCalled,
    NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled};
const VirtualEntry SingleBaseTypeTable[ClassTableEntries] = {
    nullptr,     nullptr,     NeverCalled, NeverCalled, NeverCalled, NeverCalled,
    NeverCalled, NeverCalled, NeverCalled, NeverCalled, NeverCalled};
}

namespace {

const void* TableOf(const std::type_info* type) {
  return *reinterpret_cast<const void* const*>(type);
}
bool IsClass(const std::type_info* type) {
  return TableOf(type) == &ClassTypeTable[2] || TableOf(type) == &SingleBaseTypeTable[2];
}
const std::type_info* SingleBase(const std::type_info* type) {
  return reinterpret_cast<const std::type_info* const*>(type)[2];
}
// The library's equality of type descriptions, written out so that its object stays out: the
// same description, or the same name unless the name is marked ('*') as local to one module.
bool SameType(const std::type_info* a, const std::type_info* b) {
  const char* nameA = reinterpret_cast<const char* const*>(a)[1];
  const char* nameB = reinterpret_cast<const char* const*>(b)[1];
  return a == b || (nameA[0] != '*' && std::strcmp(nameA, nameB) == 0);
}

bool Catches(const std::type_info* catchType, ExceptionHeader* header, void** adjusted) {
  void* object = ObjectOf(header);
  const std::type_info* thrown = header->type;
  if (catchType == nullptr) { // catch (...)
    *adjusted = object;
    return true;
  }
  if (IsClass(thrown) || IsClass(catchType)) {
    if (!IsClass(thrown) || !IsClass(catchType)) return false;
    // The thrown class or one of its bases; a single base sits at offset 0.
    for (const std::type_info* type = thrown;; type = SingleBase(type)) {
      if (SameType(type, catchType)) {
        *adjusted = object;
        return true;
      }
      if (TableOf(type) != &SingleBaseTypeTable[2]) return false;
    }
  }
  // Pointers and the other built-in types: the library's own rules.
  if (thrown->__is_pointer_p()) object = *static_cast<void**>(object);
  if (!catchType->__do_catch(thrown, &object, 1)) return false;
  *adjusted = object;
  return true;
}

const std::type_info* CatchType(const std::uint8_t* typeTable, std::uint8_t encoding,
                                std::int32_t index) {
  Reader r{typeTable - static_cast<std::size_t>(index) * EncodedSize(encoding)};
  return reinterpret_cast<const std::type_info*>(r.Pointer(encoding));
}

// Reads the function's call-site table for ip. In the search, a cleanup does not count; in the
// unwinding walk, frames below the handler's have no matching handler (the search saw to it).
Landing FindLanding(const FrameDescription& frame, Address ip, ExceptionHeader* header,
                    bool searching) {
  Landing landing;
  if (frame.lsda == 0) return landing;
  Reader r{reinterpret_cast<const std::uint8_t*>(frame.lsda)};
  std::uint8_t startEncoding = r.Byte();
  Address padBase = startEncoding == PeOmit ? frame.start : r.Pointer(startEncoding);
  std::uint8_t typeEncoding = r.Byte();
  const std::uint8_t* typeTable = nullptr;
  if (typeEncoding != PeOmit) {
    std::uint32_t offset = r.Uleb();
    typeTable = r.p + offset;
  }
  std::uint8_t siteEncoding = r.Byte();
  std::uint32_t siteTableLength = r.Uleb();
  const std::uint8_t* actions = r.p + siteTableLength;
  while (r.p < actions) {
    Address start = r.Pointer(siteEncoding);
    Address length = r.Pointer(siteEncoding);
    Address pad = r.Pointer(siteEncoding);
    std::uint32_t action = r.Uleb();
    if (ip < frame.start + start) break;
    if (ip >= frame.start + start + length) continue;
    if (pad == 0) return landing; // nothing to do in this frame
    landing.pad = padBase + pad;
    if (action == 0) {
      landing.action = Action::Cleanup;
      return landing;
    }
    Reader a{actions + action - 1};
    for (;;) {
      std::int32_t filter = a.Sleb();
      const std::uint8_t* here = a.p;
      std::int32_t next = a.Sleb();
      if (filter == 0) {
        landing.action = Action::Cleanup;
      } else if (filter > 0) {
        void* adjusted = nullptr;
        if (Catches(CatchType(typeTable, typeEncoding, filter), header, &adjusted)) {
          if (searching) header->adjusted = adjusted;
          landing.action = Action::Handler;
          landing.selector = filter;
          return landing;
        }
      } else {
        // A list of the only types the function may let through (throw(...)): a handler when
        // the exception is none of them.
        Reader list{typeTable - filter - 1};
        bool listed = false;
        while (std::uint32_t index = list.Uleb()) {
          void* adjusted = nullptr;
          if (Catches(CatchType(typeTable, typeEncoding, static_cast<std::int32_t>(index)), header,
                      &adjusted))
            listed = true;
        }
        if (!listed) {
          landing.action = Action::Handler;
          landing.selector = filter;
          return landing;
        }
      }
      if (next == 0) break;
      a.p = here + next;
    }
    if (landing.action == Action::None) landing.pad = 0;
    return landing;
  }
  Terminate(); // ip is in no call site: the compiler marks so what must not throw
}

// --- the two walks ----------------------------------------------------------------------------

[[noreturn]] void JumpToLandingPad(const Registers& frame, std::uint32_t argsSize, Address pad,
                                   UnwindHeader* unwind, std::int32_t selector) {
  struct Target {
    Address ebx, esi, edi, ebp, esp, eax, edx;
  };
  Target target{frame.r[Ebx],
                frame.r[Esi],
                frame.r[Edi],
                frame.r[Ebp],
                frame.r[Esp] + argsSize - 4,
                reinterpret_cast<Address>(unwind),
                static_cast<Address>(selector)};
  // The landing pad's address goes where a return will take it from: the slot just below the
  // frame's stack top, which belongs to the frames being discarded.
  *reinterpret_cast<Address*>(target.esp) = pad;
  asm volatile("movl 0(%0), %%ebx\n\t"
               "movl 4(%0), %%esi\n\t"
               "movl 8(%0), %%edi\n\t"
               "movl 12(%0), %%ebp\n\t"
               "movl 20(%0), %%eax\n\t"
               "movl 24(%0), %%edx\n\t"
               "movl 16(%0), %%esp\n\t"
               "ret"
               :
               : "c"(&target)
               : "memory");
  __builtin_unreachable();
}

// Finds the frame with a handler; false when none is found before the end of the frames that
// can be unwound.
bool Search(Registers regs, ExceptionHeader* header) {
  FrameDescription frame;
  while (FindFrame(regs.r[Eip] - 1, frame)) {
    Landing landing = FindLanding(frame, regs.r[Eip] - 1, header, true);
    Address cfa;
    std::uint32_t argsSize;
    if (!StepToCaller(frame, regs, cfa, argsSize)) return false;
    if (landing.action == Action::Handler) {
      header->unwind.handlerFrame = cfa;
      header->unwind.handlerSelector = static_cast<Address>(landing.selector);
      return true;
    }
  }
  return false;
}

[[noreturn]] void Unwind(Registers regs, ExceptionHeader* header) {
  FrameDescription frame;
  while (FindFrame(regs.r[Eip] - 1, frame)) {
    Address ip = regs.r[Eip] - 1;
    Registers here = regs;
    Address cfa;
    std::uint32_t argsSize;
    if (!StepToCaller(frame, regs, cfa, argsSize)) break;
    Landing landing = FindLanding(frame, ip, header, false);
    if (cfa == header->unwind.handlerFrame)
      JumpToLandingPad(here, argsSize, landing.pad, &header->unwind,
                       static_cast<std::int32_t>(header->unwind.handlerSelector));
    if (landing.action != Action::None)
      JumpToLandingPad(here, argsSize, landing.pad, &header->unwind, 0);
  }
  Terminate();
}

[[noreturn]] void Raise(const Registers& regs, ExceptionHeader* header) {
  if (!Search(regs, header)) Terminate();
  Unwind(regs, header);
}

void DestroyException(ExceptionHeader* header) {
  if (header->destroy != nullptr) header->destroy(ObjectOf(header));
  auto* block = reinterpret_cast<unsigned char*>(header);
  for (int i = 0; i < SlotCount; ++i) {
    if (block == reinterpret_cast<unsigned char*>(EmergencySlots[i])) {
      SlotUsed[i] = false;
      return;
    }
  }
  std::free(block);
}

} // namespace

// --- the entry points the compiler's code calls -----------------------------------------------

// Each entry records the registers of its caller as they are after the call returns, so the
// walks start at the frame that threw (or resumed) and never need a description of the entry.
asm(R"(
    .text
    .macro ZM_CAPTURE_AND_CALL target, arguments
    movl %esp, %eax
    pushl (%eax)
    pushl %edi
    pushl %esi
    pushl %ebp
    leal 4(%eax), %ecx
    pushl %ecx
    pushl %ebx
    pushl $0
    pushl $0
    pushl $0
    movl %esp, %ecx
    .if \arguments >= 3
    pushl 12(%eax)
    .endif
    .if \arguments >= 2
    pushl 8(%eax)
    .endif
    .if \arguments >= 1
    pushl 4(%eax)
    .endif
    pushl %ecx
    call \target
    .endm

    .globl ___cxa_throw
___cxa_throw:
    ZM_CAPTURE_AND_CALL _ZmLeanThrow, 3
    .globl ___cxa_rethrow
___cxa_rethrow:
    ZM_CAPTURE_AND_CALL _ZmLeanRethrow, 0
    .globl __Unwind_Resume
__Unwind_Resume:
    ZM_CAPTURE_AND_CALL _ZmLeanResume, 1
)");

extern "C" {

[[noreturn, gnu::used]] void ZmLeanThrow(const Registers* regs, void* object,
                                         const std::type_info* type, Destructor destroy) {
  ExceptionHeader* header = HeaderOf(object);
  header->type = type;
  header->destroy = destroy;
  header->unwind.exceptionClass = 0x432B2B00554E4547ull; // "GNUCC++\0"
  Raise(*regs, header);
}

[[noreturn, gnu::used]] void ZmLeanRethrow(const Registers* regs) {
  ExceptionHeader* header = CaughtExceptions;
  if (header == nullptr) Terminate();
  header->handlerCount = -header->handlerCount;
  Raise(*regs, header);
}

[[noreturn, gnu::used]] void ZmLeanResume(const Registers* regs, UnwindHeader* unwind) {
  Unwind(*regs, HeaderOf(unwind));
}

// Named in every C++ frame description; the walks above apply the C++ rules themselves.
int __gxx_personality_v0(int, int, std::uint64_t, void*, void*) { Terminate(); }

} // extern "C"

namespace __cxxabiv1 {
extern "C" {

void* __cxa_allocate_exception(std::size_t size) noexcept {
  std::size_t total = sizeof(ExceptionHeader) + size;
  void* block = std::malloc(total);
  if (block == nullptr && total <= SlotBytes) {
    for (int i = 0; i < SlotCount && block == nullptr; ++i) {
      if (!SlotUsed[i]) {
        SlotUsed[i] = true;
        block = EmergencySlots[i];
      }
    }
  }
  if (block == nullptr) Terminate();
  std::memset(block, 0, sizeof(ExceptionHeader));
  return static_cast<ExceptionHeader*>(block) + 1;
}

void __cxa_free_exception(void* object) noexcept {
  ExceptionHeader* header = HeaderOf(object);
  header->destroy = nullptr;
  DestroyException(header);
}

void* __cxa_get_exception_ptr(void* unwind) noexcept {
  return HeaderOf(static_cast<UnwindHeader*>(unwind))->adjusted;
}

void* __cxa_begin_catch(void* unwind) noexcept {
  ExceptionHeader* header = HeaderOf(static_cast<UnwindHeader*>(unwind));
  int count = header->handlerCount;
  header->handlerCount = count < 0 ? -count + 1 : count + 1;
  if (header != CaughtExceptions) {
    header->nextCaught = CaughtExceptions;
    CaughtExceptions = header;
  }
  return header->adjusted;
}

void __cxa_end_catch() noexcept {
  ExceptionHeader* header = CaughtExceptions;
  if (header == nullptr) return;
  int count = header->handlerCount;
  if (count < 0) {
    // Rethrown: it leaves this handler but lives on.
    if (++count == 0) CaughtExceptions = header->nextCaught;
  } else if (--count == 0) {
    CaughtExceptions = header->nextCaught;
    DestroyException(header);
    return;
  }
  header->handlerCount = count;
}

} // extern "C"
} // namespace __cxxabiv1
