// The clock from the C++ standard library: local time through the C library's time zone,
// ticks from the steady clock.
#pragma once

#include "platform/Clock.h"

namespace wayloom {

class SystemClock : public Clock {
 public:
  LocalTime Now() const override;
  std::uint32_t TickCount() const override;
};

}  // namespace wayloom
