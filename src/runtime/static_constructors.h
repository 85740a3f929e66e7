// The constructors of static objects, run by the programs' own entries before WinMain.
#pragma once

extern "C" {
// The linker's list of static constructors: a -1, the functions, a null. It runs from its end,
// as the tool chain's start-up code runs it, so that constructors of a higher priority, which
// the linker sorts later, run first.
extern void (*__CTOR_LIST__[])();
}

namespace runtime {

inline void RunStaticConstructors() {
  int count = 0;
  while (__CTOR_LIST__[count + 1] != nullptr) ++count;
  while (count > 0) __CTOR_LIST__[count--]();
}

} // namespace runtime
