// Memory for the installer's C library functions (src/runtime/c_strings.cpp has the rest): it
// comes from the process heap, which every Win32 system has, so that the installer imports no C
// run-time DLL. The first release of the 95/98 family ships none, and its loader would refuse to
// start a program that names one.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstddef>

extern "C" {

// A request for no bytes still gets a block of its own, as the C library's malloc gives: callers
// may compare such pointers, and only a failure returns null (the C++ allocation operator then
// calls the new-handler and retries).
void* malloc(size_t size) { return HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1); }

void free(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

// An exception that nothing catches ends the program with the C library's abort code.
[[noreturn]] void abort() { ExitProcess(3); }

} // extern "C"
