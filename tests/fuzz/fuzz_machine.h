// What both fuzz targets share: a clean emulated machine per input and a few checks that stop the
// run (and with it libFuzzer, which keeps the input) when an invariant does not hold.
#pragma once

#include <string>

#include "foundation/platform.h"

// The machine of one input: NT family, Windows directory C:\WINDOWS, no traced calls, no armed
// faults. It is made once and put back into that state as each input ends, so that nothing of
// one input reaches the next, and every allocation an input made is released before libFuzzer
// compares its counts of allocations and releases to look for a leak.
class InputMachine {
public:
  InputMachine();
  ~InputMachine();
  InputMachine(const InputMachine&) = delete;
  InputMachine& operator=(const InputMachine&) = delete;
};

bool FileExists(const std::string& path);
// The whole content of a file, "" when it is missing.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
FILETIME LastWriteTime(const std::string& path);
void CreateRegistryKey(HKEY root, const char* path);

// Reports the broken invariant and aborts when condition is false.
void Require(bool condition, const char* invariant);
