// A function in the destructor list, which neither shipped entry runs: linked as the installer or
// as a payload is, this program must not link.
#include <windows.h>

namespace {
int Code = 1;
__attribute__((destructor)) void Goodbye() { Code = 0; }
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return Code; }
