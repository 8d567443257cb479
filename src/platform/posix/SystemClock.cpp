#include "platform/posix/SystemClock.h"

#include <chrono>
#include <ctime>

namespace wayloom {

LocalTime SystemClock::Now() const {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
#if defined(_WIN32)
  localtime_s(&parts, &now);
#else
  localtime_r(&now, &parts);
#endif
  LocalTime time;
  time.year = parts.tm_year + 1900;
  time.month = parts.tm_mon + 1;
  time.day = parts.tm_mday;
  time.hour = parts.tm_hour;
  time.minute = parts.tm_min;
  // A leap second shows as the 59th.
  time.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;
  return time;
}

std::uint32_t SystemClock::TickCount() const {
  const auto elapsed = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace wayloom
