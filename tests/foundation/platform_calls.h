// Short forms of the platform calls that the platform's tests make over and over.
#pragma once

#include <string>
#include <vector>

#include "foundation/platform.h"

// Creates the key, or opens it when it exists; the test stops when neither works.
HKEY CreateKey(HKEY root, const std::string& path);
// The handle is set to a stray value first, so that a failed open shows whether it clears it.
LONG OpenKey(HKEY root, const std::string& path, REGSAM access, HKEY* key);
LONG SetBytes(HKEY key, const char* name, DWORD type, const std::string& bytes);
std::vector<std::string> SubkeyNames(HKEY key);

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition);
// The short form of a path, or "(n)" when the call gives none: n is what it returned.
std::string ShortPath(const std::string& path);

// A profile string read into a buffer of the given size; the test stops unless it ends in a NUL.
std::string Profile(const std::string& file, const char* section, const char* key,
                    const char* fallback, DWORD size = 260);
