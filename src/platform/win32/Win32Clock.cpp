#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace wayloom {

LocalTime Win32Clock::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  LocalTime time;
  time.year = now.wYear;
  time.month = now.wMonth;
  time.day = now.wDay;
  time.hour = now.wHour;
  time.minute = now.wMinute;
  time.second = now.wSecond;
  return time;
}

std::uint32_t Win32Clock::TickCount() const { return GetTickCount(); }

}  // namespace wayloom
