// The tracing and fault injection that the test variant of the Windows platform layer
// (ZM_PLATFORM_HOOKS) wraps around each real call, as foundation/traced_calls.h describes each
// call; in the shipped program the macros are empty.
#pragma once

#include "foundation/platform.h"

#ifdef ZM_PLATFORM_HOOKS
#include <string>

#include "foundation/platform_hooks.h"
#include "foundation/traced_calls.h"

namespace sys::traced {

// Records the call; true when a fault makes it fail, with the error code already set.
inline bool Fails(const char* name, const std::string& detail, DWORD usualError) {
  DWORD error = 0;
  if (!sys::hooks::Enter(name, detail, &error)) return false;
  ::SetLastError(error ? error : usualError);
  return true;
}

// The names of the keys this layer opened, for the trace: a key opened below a known one is
// named after it.
void RememberKey(HKEY parent, LPCSTR subKey, HKEY opened);
void ForgetKey(HKEY key);

} // namespace sys::traced

// Records the call (Call, from foundation/traced_calls.h, with the function's own arguments) and,
// when a test makes it fail, returns what the call returns then.
#define ZM_TRACED(Call, ...)                                                                       \
  do {                                                                                             \
    if (sys::traced::Fails(sys::calls::Call::name, sys::calls::Call::Detail(__VA_ARGS__),          \
                           sys::calls::Call::usualError))                                          \
      return sys::calls::Call::Failure(::GetLastError());                                          \
  } while (0)
#else
#define ZM_TRACED(Call, ...) ((void)0)
#endif
