// The C++ allocation operator, built with the rest of the shipped programs at the processor
// floor: the library's prebuilt one holds a cmov, which no processor before the Pentium Pro has.
// It keeps the library's contract: a request for no bytes gets a block of its own, and while the
// heap has nothing, the new-handler runs (the installer's shows "Out of memory." and throws) and
// the request is tried again; without a handler, std::bad_alloc is thrown. new[] and the
// nothrow forms are the library's, and they call this one.

#include <cstdlib>
#include <new>

// The blocks come from the process heap, aligned to 8 bytes: the compiler must assume no more of
// them (the Windows tool chain builds with -faligned-new=8).
static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ <= 8, "new gives what the heap gives: 8 bytes");

void* operator new(std::size_t size) {
  if (size == 0) size = 1;
  for (;;) {
    if (void* block = std::malloc(size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}
