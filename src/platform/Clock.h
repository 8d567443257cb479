// The clock: local wall-clock time for texts that show it (the default name of a new
// entry) and a millisecond tick count for seeding pseudo-random numbers (the nudge).
#pragma once

#include <cstdint>

namespace wayloom {

struct LocalTime {
  int year = 2000;
  int month = 1;   // 1..12
  int day = 1;     // 1..31
  int hour = 0;    // 0..23
  int minute = 0;  // 0..59
  int second = 0;  // 0..59
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() const = 0;
  // Milliseconds since some fixed moment (system start on Windows); it may wrap.
  virtual std::uint32_t TickCount() const = 0;
};

}  // namespace wayloom
