// Two pieces of the C++ run-time library that the shipped installer takes in a lean form. Linked
// into the installer (and the test of these pieces); the other tests keep the library's own.
// Each definition here keeps the library's object that would otherwise define it out of the
// executable, so each must be the only definition the link needs from that object; a second one
// pulls the object in and the link fails with a duplicate symbol instead of silently growing.

#include <exception>
#include <new>

#include "runtime/give_up.h"

// The library's default terminate handler prints the type of the uncaught exception to the
// standard error stream, which a windowed program does not have, and to do so drags in the
// whole demangler and a printf (about 80 KB). Nothing the installer throws is meant to reach
// it; should anything ever, the program ends with the code that says so, only without the text.
// The library names this handler as its default, so the definition goes under that name.
namespace __gnu_cxx {
void __verbose_terminate_handler() { runtime::GiveUpWith(runtime::GiveUp::TerminateCalled); }
} // namespace __gnu_cxx

// Thrown by the standard containers when asked for more elements than they can ever address.
// The library's version builds a std::length_error, whose message is a std::string, and that
// brings in both string implementations and the rest of the standard exceptions (about 80 KB).
// A list that cannot grow is an allocation that cannot succeed: the installer reports it as
// running out of memory.
namespace std {
[[noreturn]] void __throw_length_error(const char*) { throw std::bad_alloc(); }
} // namespace std
