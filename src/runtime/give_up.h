// Why the installer's C++ run-time ends the program. Each place that cannot go on ends the
// process with its own exit code, so that a failure seen only as an exit status still says what
// happened. The codes differ in their low byte (all that reaches a Linux parent through Wine) and
// avoid 0 (success), 1 (a failed test) and 3 (the C library's abort).
#pragma once

namespace runtime {

enum class GiveUp : unsigned {
  // The program's own mistakes, which the tests can provoke.
  NoHandler = 0x40,                // an exception that nothing catches
  RethrowWithoutException = 0x41,  // `throw;` outside every handler
  NoexceptViolated = 0x42,         // an exception leaving a function that must not throw
  TerminateCalled = 0x43,          // std::terminate, by the program or the library
  ExceptionMemoryExhausted = 0x44, // neither the heap nor the reserve can hold an exception
  // Faults of the run-time itself: what no correct program reaches.
  HandlerFrameLost = 0x45,    // the unwinding walk ran out of frames before the handler's
  PersonalityCalled = 0x46,   // the library's personality routine was called
  TypeInfoEntryCalled = 0x47, // a virtual function of a class type description was called
  // Tables the compiler wrote that the run-time does not read: the build's checker
  // (tools/eh-check) refuses the same, so a shipped program should never end so.
  UnsupportedCallFrameInstruction = 0x50,
  UnsupportedPointerEncoding = 0x51,
  UnsupportedAugmentation = 0x52,
  UnsupportedCieVersion = 0x53,
  UnsupportedExpressionOp = 0x54,
  UnsupportedRegister = 0x55,
  RememberedStateOverflow = 0x56,
  RememberedStateUnderflow = 0x57,
  ExpressionStackOverflow = 0x58,
  UnsupportedThrowList = 0x59,
};

// Ends the process at once with the reason's code: no destructors, no handlers of the program's
// end, since the state that led here cannot be trusted to run them.
[[noreturn]] void GiveUpWith(GiveUp reason) noexcept;

} // namespace runtime
