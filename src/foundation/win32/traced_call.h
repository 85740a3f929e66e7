// The tracing and fault injection that the test variant of the Windows platform layer
// (ZM_PLATFORM_HOOKS) wraps around each real call; in the shipped program the macros are empty.
#pragma once

#include "foundation/platform.h"

#ifdef ZM_PLATFORM_HOOKS
#include <string>

#include "foundation/platform_hooks.h"

namespace sys::traced {

inline std::string Text(LPCSTR text) { return text ? text : "(null)"; }

inline std::string ResourceName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return name;
}

// Records the call; true when a fault makes it fail, with the error code already set.
inline bool Fails(const char* name, const std::string& detail, DWORD usualError) {
  DWORD error = 0;
  if (!sys::hooks::Enter(name, detail, &error)) return false;
  ::SetLastError(error ? error : usualError);
  return true;
}

inline LONG FailedStatus(DWORD usualError) {
  return static_cast<LONG>(::GetLastError() ? ::GetLastError() : usualError);
}

} // namespace sys::traced

#define ZM_FAIL_IF(name, detail, usualError, failure)                                              \
  do {                                                                                             \
    if (sys::traced::Fails(name, detail, usualError)) return failure;                              \
  } while (0)
#define ZM_FAIL_STATUS_IF(name, detail)                                                            \
  do {                                                                                             \
    if (sys::traced::Fails(name, detail, ERROR_ACCESS_DENIED))                                     \
      return sys::traced::FailedStatus(ERROR_ACCESS_DENIED);                                       \
  } while (0)
#else
#define ZM_FAIL_IF(name, detail, usualError, failure) ((void)0)
#define ZM_FAIL_STATUS_IF(name, detail) ((void)0)
#endif
