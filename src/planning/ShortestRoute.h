// The shortest-route planner, beside the automatic planner and with its trip modes: row 0
// first, a round trip back to it, an open end, or the last row kept last. Up to
// kExactRowLimit rows the order is the shortest there is (dynamic programming over the
// sets of rows, any costs, asymmetric too); above, a nearest-neighbour walk improved by
// local search (2-opt and Or-opt from neighbour lists, with kicks). The result is never
// longer than the nearest-neighbour walk nor than the table's own order, which is kept
// when nothing shorter is found, so that planning a planned table changes nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "planning/Distances.h"
#include "planning/RoutePlanner.h"

namespace wayloom {

constexpr std::size_t kExactRowLimit = 16;

// The shortest order on a cost matrix: tour[k] is the row at position k. False when stopped.
bool PlanShortestTour(const CostMatrix& costs, TripMode mode, const StopPoll& stop, std::vector<std::uint32_t>& tour);
// The same on straight-line costs (MetresBetween) computed when needed, without a matrix.
bool PlanShortestTour(const std::vector<RowPoint>& points, TripMode mode, const StopPoll& stop,
                      std::vector<std::uint32_t>& tour);
// The cost along an order on straight-line costs, with the return to row 0 in a round trip.
std::int64_t TourCost(const std::vector<RowPoint>& points, const std::vector<std::uint32_t>& tour, TripMode mode);
// The nearest-neighbour walk the result is compared with, by the automatic planner's rule
// (ties to the lower row, the fixed last row kept for the end). Above kScanWalkLimit rows
// the nearest row is found by the great-circle angle in a k-d tree, so a tie in whole metres
// may go to another row. False when stopped.
constexpr std::size_t kScanWalkLimit = 2000;
bool NearestNeighbourWalk(const std::vector<RowPoint>& points, TripMode mode, const StopPoll& stop,
                          std::vector<std::uint32_t>& tour);

// Straight-line shortest-route planning of the whole table (every row located).
PlanOutcome PlanShortestByStraightLine(const DocumentState& doc, TripMode mode, const StopPoll& stop);

}  // namespace wayloom
