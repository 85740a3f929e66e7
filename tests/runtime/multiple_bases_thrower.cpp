// Throws a class with two bases, which the installer's exception support does not match. It
// reaches the program that links it only through another library, so that the link takes it
// after everything the program names directly.
#include "multiple_bases_thrower.h"

namespace {
struct First {
  int first = 1;
};
struct Second {
  int second = 2;
};
struct Both : First, Second {};
} // namespace

void ThrowBoth() { throw Both(); }
