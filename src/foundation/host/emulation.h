// What the parts of the emulated machine share among themselves: the entry into every call
// (trace and injected faults), the last-error value, handle numbers, the family and Windows
// directory, ASCII case rules and the reset of each part. Not for the engine or for tests.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/host/host_machine.h"
#include "foundation/traced_calls.h"

// Codes and flags of the platform that only the emulation itself needs.
#ifndef ERROR_READ_FAULT
#define ERROR_READ_FAULT 30L
#endif
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
#ifndef ERROR_INVALID_NAME
#define ERROR_INVALID_NAME 123L
#endif
#ifndef ERROR_DIR_NOT_EMPTY
#define ERROR_DIR_NOT_EMPTY 145L
#endif
#ifndef ERROR_BAD_PATHNAME
#define ERROR_BAD_PATHNAME 161L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif
#ifndef ERROR_DIRECTORY
#define ERROR_DIRECTORY 267L
#endif
#ifndef ERROR_NOACCESS
#define ERROR_NOACCESS 998L
#endif
#ifndef GENERIC_ALL
#define GENERIC_ALL 0x10000000u
#endif

namespace sys::host::detail {

// Records the call; when a fault is armed for it, sets the last error (the fault's code, or
// usualError when the fault names none), stores that code in *error and returns true.
bool Fails(const char* name, const std::string& detail, DWORD usualError, DWORD* error);

void SetError(DWORD error);
// Sets the last error and returns the call's failure value.
template <typename Result> Result FailWith(DWORD error, Result result) {
  SetError(error);
  return result;
}

// The text without the blanks at either end that isBlank names.
std::string Trimmed(const std::string& text, bool (*isBlank)(char));

// Records the call (Call, from foundation/traced_calls.h, with the function's own arguments) and,
// when a test makes it fail, returns what the call returns then.
#define ZM_TRACED(Call, ...)                                                                       \
  do {                                                                                             \
    DWORD zmInjected = 0;                                                                          \
    if (sys::host::detail::Fails(sys::calls::Call::name, sys::calls::Call::Detail(__VA_ARGS__),    \
                                 sys::calls::Call::usualError, &zmInjected))                       \
      return sys::calls::Call::Failure(zmInjected);                                                \
  } while (0)

// Handle values of every kind come from one sequence, so that no two objects ever share one
// (not even across resets: a stale handle stays invalid).
std::uintptr_t NextHandleValue();

Family CurrentFamily();
// NT 6.0 and later: tokens tell elevation, and "runas" asks.
bool HasElevation();
// The configured Windows directory; false when the machine has none.
bool WindowsDirectory(std::string* path);

// A variable of the machine's environment; false when it is not set.
bool EnvironmentVariable(const std::string& name, std::string* value);

// ASCII case rules of the platform's names: characters compare by their upper-case form.
char Upper(char c);
std::string UpperCase(const std::string& text);
int CompareNoCase(const std::string& a, const std::string& b);
bool EqualsNoCase(const std::string& a, const std::string& b);
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareNoCase(a, b) < 0;
  }
};

// Each part forgets its state (called by Reset in this order: files before the sandbox).
void ResetRegistry();
void ResetResources();
void ResetFiles();
void ResetShortNames();
void ResetSandbox();
void ResetProcesses();
// For CloseHandle: true when the handle was one of a process or thread, now closed.
bool CloseProcessHandle(HANDLE object);
// Untraced, for the emulation's own checks.
bool IsExistingFile(LPCSTR path);
// False with the platform's error when the path names no folder.
bool IsExistingDirectory(LPCSTR path, DWORD* error);
// A new sandbox with the Windows directory in it; also made on first use without a reset.
void PrepareDrives();

} // namespace sys::host::detail
