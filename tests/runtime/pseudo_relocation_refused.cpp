// Reads a DLL's variable without __declspec(dllimport): the linker imports it all the same and
// leaves a run-time pseudo-relocation, which no shipped entry applies. Linked as the installer
// is, this program must not link.
extern "C" int __argc;

int main() { return __argc; }
