// The platform's time stamps (FILETIME: 100-nanosecond steps since 1601-01-01 UTC) and the
// host's (nanoseconds since 1970-01-01 UTC), converted without loss in either direction.
#pragma once

#include <ctime>

#include "foundation/platform.h"

namespace sys::host::detail {

FILETIME FileTimeFromHost(const timespec& time);
timespec HostTimeFromFileTime(const FILETIME& time);
FILETIME CurrentFileTime();

} // namespace sys::host::detail
