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
// read as the compiler writes them for i386 (eh_tables.h). Whatever it cannot do ends the
// program with a code of its own (give_up.h).
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

#include "runtime/eh_tables.h"
#include "runtime/give_up.h"

extern "C" const std::uint8_t zm_eh_frame_start[], zm_eh_frame_end[];

namespace {

using namespace runtime::eh;
using runtime::GiveUp;
using runtime::GiveUpWith;

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

// The tables are read where they are: in this process's own memory.
struct ProcessMemory {
  std::uint8_t Byte(Address at) const { return *reinterpret_cast<const std::uint8_t*>(at); }
  std::uint32_t Load(Address at, unsigned bytes) const {
    std::uint32_t value = 0;
    std::memcpy(&value, reinterpret_cast<const void*>(at), bytes);
    return value;
  }
  [[noreturn]] static void Refuse(GiveUp reason, std::uint32_t) { GiveUpWith(reason); }
};
constexpr ProcessMemory Memory{};

Address AddressOf(const void* p) { return reinterpret_cast<Address>(p); }

struct FrameDescription {
  Cie cie;
  Fde fde;
};

// Finds the description of the function that holds ip; false when there is none, which marks
// the end of what may be unwound (a frame of Windows or of code without tables). The module's
// frame descriptions are bounded by the linker (the program's linker script).
bool FindFrame(Address ip, FrameDescription& out) {
  Address end = AddressOf(zm_eh_frame_end);
  Record record;
  for (Address at = AddressOf(zm_eh_frame_start); ReadRecord(Memory, at, end, record);
       at = record.next) {
    if (record.cie == 0) continue;
    Cie cie = ReadCie(Memory, record.cie);
    Fde fde = ReadFde(Memory, record, cie);
    if (fde.start != 0 && ip >= fde.start && ip - fde.start < fde.range) {
      out = {cie, fde};
      return true;
    }
  }
  return false;
}

// The frame's registers and memory, for the expressions of a frame that realigned its stack.
struct FrameMachine {
  const Registers& regs;
  Address Register(unsigned reg) const { return regs.r[reg]; }
  Address Load(Address at) const { return *reinterpret_cast<const Address*>(at); }
};

// Moves regs from a frame to its caller. cfa receives the frame's canonical frame address,
// which identifies it.
bool StepToCaller(const FrameDescription& frame, Registers& regs, Address& cfa) {
  Address ip = regs.r[Eip] - 1;
  RuleSet rules;
  Address pc = frame.fde.start;
  Address nowhere = 0;
  RunProgram(Memory, frame.cie.program, frame.cie.programEnd, frame.cie, ~0u, nowhere, rules,
             rules);
  RuleSet initial = rules;
  RunProgram(Memory, frame.fde.program, frame.fde.programEnd, frame.cie, ip, pc, rules, initial);

  FrameMachine machine{regs};
  cfa = rules.cfaExpression != 0 ? Evaluate(Memory, rules.cfaExpression, machine, 0)
                                 : regs.r[rules.cfaRegister] + rules.cfaOffset;
  Registers caller = regs;
  caller.r[Esp] = cfa;
  for (unsigned reg = 0; reg < RegisterCount; ++reg) {
    const RegisterRule& rule = rules.reg[reg];
    switch (rule.rule) {
    case Rule::Same:
      break;
    case Rule::Offset:
      caller.r[reg] = machine.Load(cfa + rule.offset);
      break;
    case Rule::Expression:
      caller.r[reg] = machine.Load(Evaluate(Memory, rule.expression, machine, cfa));
      break;
    }
  }
  if (rules.reg[Eip].rule == Rule::Same) return false;
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
// fails the link with a message that says so (refusals.ld).

[[noreturn]] void NeverCalled() { GiveUpWith(GiveUp::TypeInfoEntryCalled); }

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

const std::type_info* CatchType(const Lsda& lsda, std::uint32_t filter) {
  return reinterpret_cast<const std::type_info*>(TypeEntry(Memory, lsda, filter));
}

// Reads the function's call-site table for ip. In the search, a cleanup does not count; in the
// unwinding walk, frames below the handler's have no matching handler (the search saw to it).
Landing FindLanding(const FrameDescription& frame, Address ip, ExceptionHeader* header,
                    bool searching) {
  Landing landing;
  Address start = frame.fde.start;
  if (frame.fde.lsda == 0) return landing;
  Lsda lsda = ReadLsda(Memory, frame.fde.lsda, start);
  Reader<ProcessMemory> r{Memory, lsda.callSites};
  while (r.at < lsda.actions) {
    CallSite site = ReadCallSite(r, lsda);
    if (ip < start + site.start) break;
    if (ip >= start + site.start + site.length) continue;
    if (site.landingPad == 0) return landing; // nothing to do in this frame
    landing.pad = lsda.landingPadBase + site.landingPad;
    if (site.action == 0) {
      landing.action = Action::Cleanup;
      return landing;
    }
    for (Address at = lsda.actions + site.action - 1; at != 0;) {
      ActionRecord action = ReadAction(Memory, at);
      at = action.next;
      if (action.filter == 0) {
        landing.action = Action::Cleanup;
      } else {
        void* adjusted = nullptr;
        if (Catches(CatchType(lsda, static_cast<std::uint32_t>(action.filter)), header,
                    &adjusted)) {
          if (searching) header->adjusted = adjusted;
          landing.action = Action::Handler;
          landing.selector = action.filter;
          return landing;
        }
      }
    }
    if (landing.action == Action::None) landing.pad = 0;
    return landing;
  }
  // ip is in no call site: the compiler marks so what must not throw.
  GiveUpWith(GiveUp::NoexceptViolated);
}

// --- the two walks ----------------------------------------------------------------------------

[[noreturn]] void JumpToLandingPad(const Registers& frame, Address pad, UnwindHeader* unwind,
                                   std::int32_t selector) {
  struct Target {
    Address ebx, esi, edi, ebp, esp, eax, edx;
  };
  Target target{frame.r[Ebx],
                frame.r[Esi],
                frame.r[Edi],
                frame.r[Ebp],
                frame.r[Esp] - 4,
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
    if (!StepToCaller(frame, regs, cfa)) return false;
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
    if (!StepToCaller(frame, regs, cfa)) break;
    Landing landing = FindLanding(frame, ip, header, false);
    if (cfa == header->unwind.handlerFrame)
      JumpToLandingPad(here, landing.pad, &header->unwind,
                       static_cast<std::int32_t>(header->unwind.handlerSelector));
    if (landing.action != Action::None) JumpToLandingPad(here, landing.pad, &header->unwind, 0);
  }
  GiveUpWith(GiveUp::HandlerFrameLost);
}

[[noreturn]] void Raise(const Registers& regs, ExceptionHeader* header) {
  if (!Search(regs, header)) GiveUpWith(GiveUp::NoHandler);
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
  if (header == nullptr) GiveUpWith(GiveUp::RethrowWithoutException);
  header->handlerCount = -header->handlerCount;
  Raise(*regs, header);
}

[[noreturn, gnu::used]] void ZmLeanResume(const Registers* regs, UnwindHeader* unwind) {
  Unwind(*regs, HeaderOf(unwind));
}

// Named in every C++ frame description; the walks above apply the C++ rules themselves.
int __gxx_personality_v0(int, int, std::uint64_t, void*, void*) {
  GiveUpWith(GiveUp::PersonalityCalled);
}

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
  if (block == nullptr) GiveUpWith(GiveUp::ExceptionMemoryExhausted);
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
