// A stand-in for kernel32 that exports the calls some system has (FAKE_DEFAULT_DIRECTORIES: 1
// succeeds, 0 fails; FAKE_DLL_DIRECTORY) and records each call made to it, for RecordedCalls.
// Without windows.h, which declares the same names as kernel32's imports.

#include <cstdio>
#include <cstring>

namespace {
using BOOL = int;
using DWORD = unsigned long;
using LPCSTR = const char*;

char recorded[256];

[[maybe_unused]] void Record(const char* call) {
  std::strncat(recorded, call, sizeof recorded - std::strlen(recorded) - 1);
}
} // namespace

extern "C" {

__declspec(dllexport) const char* RecordedCalls() { return recorded; }

#ifdef FAKE_DEFAULT_DIRECTORIES
__declspec(dllexport) BOOL __stdcall SetDefaultDllDirectories(DWORD flags) {
  char call[64];
  std::snprintf(call, sizeof call, "SetDefaultDllDirectories(0x%lx) ",
                static_cast<unsigned long>(flags));
  Record(call);
  return FAKE_DEFAULT_DIRECTORIES;
}
#endif

#ifdef FAKE_DLL_DIRECTORY
__declspec(dllexport) BOOL __stdcall SetDllDirectoryA(LPCSTR path) {
  Record(path == nullptr ? "SetDllDirectoryA(null) " : "SetDllDirectoryA(\"");
  if (path != nullptr) {
    Record(path);
    Record("\") ");
  }
  return 1;
}
#endif
}
