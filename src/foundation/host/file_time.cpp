#include "foundation/host/file_time.h"

#include <cstdint>

namespace sys::host::detail {
namespace {

constexpr std::int64_t TicksPerSecond = 10000000;
constexpr std::int64_t NanosecondsPerTick = 100;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t EpochDifference = 11644473600;

} // namespace

FILETIME FileTimeFromHost(const timespec& time) {
  std::int64_t ticks = (static_cast<std::int64_t>(time.tv_sec) + EpochDifference) * TicksPerSecond +
                       time.tv_nsec / NanosecondsPerTick;
  auto value = static_cast<std::uint64_t>(ticks < 0 ? 0 : ticks);
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

timespec HostTimeFromFileTime(const FILETIME& time) {
  auto ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                         time.dwLowDateTime);
  timespec host{};
  host.tv_sec = static_cast<time_t>(ticks / TicksPerSecond - EpochDifference);
  host.tv_nsec = static_cast<long>(ticks % TicksPerSecond * NanosecondsPerTick);
  return host;
}

FILETIME CurrentFileTime() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return FileTimeFromHost(now);
}

} // namespace sys::host::detail
