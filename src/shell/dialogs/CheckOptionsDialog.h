// The itinerary-check dialog (6006): which checks run, and the distance of the
// near-distance check in the units of the "Metric Unit" setting.
#pragma once

#include "editing/CheckOptions.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kCheckOptionsDialogId = 6006;

// True for OK, with options changed; Cancel leaves them as they were.
bool RunCheckOptionsDialog(HINSTANCE instance, DialogFrame& frame, CheckOptions& options, std::size_t rowCount,
                           bool metric);

}  // namespace wayloom
