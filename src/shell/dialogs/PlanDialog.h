// The planning dialog (6008): round trip or one way, a fixed last entry, road or
// straight-line distances and the shortest-route planner, with the live enable rules.
#pragma once

#include "planning/RoutePlanner.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kPlanDialogId = 6008;

// True for OK, with options changed.
bool RunPlanDialog(HINSTANCE instance, DialogFrame& frame, PlanOptions& options, std::size_t rowCount);

}  // namespace wayloom
