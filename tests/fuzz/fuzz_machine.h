// What both fuzz targets share: a fresh emulated machine per input and a few checks that stop the
// run (and with it libFuzzer, which keeps the input) when an invariant does not hold.
#pragma once

#include <string>

#include "foundation/platform.h"

// A new machine: NT family, Windows directory C:\WINDOWS, no traced calls, no armed faults.
void FreshMachine();

bool FileExists(const std::string& path);
// The whole content of a file, "" when it is missing.
std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
FILETIME LastWriteTime(const std::string& path);
void CreateRegistryKey(HKEY root, const char* path);

// Reports the broken invariant and aborts when condition is false.
void Require(bool condition, const char* invariant);
