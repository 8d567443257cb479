// The clock on Windows: GetLocalTime and GetTickCount.
#pragma once

#include "platform/Clock.h"

namespace wayloom {

class Win32Clock : public Clock {
 public:
  LocalTime Now() const override;
  std::uint32_t TickCount() const override;
};

}  // namespace wayloom
