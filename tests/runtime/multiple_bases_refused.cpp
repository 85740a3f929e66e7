// Linked as the installer is, a program whose library throws a class with two bases must not
// link.
#include "multiple_bases_thrower.h"

int main() {
  try {
    ThrowBoth();
  } catch (...) {
    return 1;
  }
  return 0;
}
