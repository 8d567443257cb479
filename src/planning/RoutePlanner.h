// Automatic route planning (command 1037): every row after row 0 is put into a short
// travelling order by a nearest-neighbour walk and bounded passes of pairwise exchanges,
// on straight-line or road distances. The planning itself works on a cost matrix and
// knows nothing of the table, so that the command, wayloom-cli and the benchmarks share it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/CommandContext.h"

namespace wayloom {

// The choices of the planning dialog 6008, kept for the program's lifetime (not saved),
// except shortestRoute, which the ini file keeps (Settings::shortestRoute).
struct PlanOptions {
  bool roundTrip = false;     // 5300 round trip, else 5302 one-way
  bool fixedLast = false;     // 5304: the last row stays the destination (one-way only)
  bool roadDistance = false;  // 5306 road distances (at most 10 rows), else 5307 straight line
  bool shortestRoute = false; // kShortestRouteText: the shortest-route planner (ShortestRoute.h)
};
// The dialog's text for PlanOptions::shortestRoute.
constexpr int kShortestRouteText = 14462;

// The planning dialog 6008: true for OK, with options changed; rowCount decides whether
// road distances can be chosen.
class PlanDialog {
 public:
  virtual ~PlanDialog() = default;
  virtual bool AskPlanOptions(PlanOptions& options, std::size_t rowCount) { return false; }
};

enum class TripMode {
  RoundTrip,  // back to row 0 at the end
  OpenEnd,    // one way, any row may come last
  FixedLast   // one way, the last row stays the destination
};
TripMode TripModeOf(const PlanOptions& options);

// The costs in metres between rows: n x n signed 32-bit values, row-major; at(i, j) is
// the cost of going from row i to row j. The diagonal is never read.
class CostMatrix {
 public:
  // False when n x n values cannot be held (the size overflows or memory is short).
  bool Allocate(std::size_t n);
  std::size_t size() const { return n_; }
  std::int32_t at(std::size_t i, std::size_t j) const { return values_[i * n_ + j]; }
  void set(std::size_t i, std::size_t j, std::int32_t cost) { values_[i * n_ + j] = cost; }
  const std::int32_t* row(std::size_t i) const { return values_.get() + i * n_; }

 private:
  std::unique_ptr<std::int32_t[]> values_;
  std::size_t n_ = 0;
};

// Asked at every point where the user may stop a run; true means stop.
using StopPoll = std::function<bool()>;

// Both directions between every two rows are DistanceBetweenRows of the lower and the
// higher row. Polls after each row; false when stopped.
bool FillStraightLineCosts(const DocumentState& doc, CostMatrix& costs, const StopPoll& stop);
// Road distances in reply order (origin i, destination j at i * n + j); polls after each row.
bool FillRoadCosts(const std::vector<std::int32_t>& distances, CostMatrix& costs, const StopPoll& stop);

// The planned order: tour[k] is the row placed at position k (tour[0] = 0); false when
// stopped. road adds the cost of the edge between the exchanged entries to the exchange
// test (road distances are not symmetric). When the exchange passes leave a longer order
// than the nearest-neighbour walk they started from, that walk is the result.
bool PlanTour(const CostMatrix& costs, TripMode mode, bool road, const StopPoll& stop, std::vector<std::uint32_t>& tour);
// The cost along an order (tour[0..n-1]), with the return to row 0 in a round trip.
std::int64_t TourCost(const CostMatrix& costs, const std::vector<std::uint32_t>& tour, TripMode mode);

// What a planning run ended with.
struct PlanOutcome {
  int message = 0;      // a string id to show, 0 for none
  bool stopped = false;  // Esc: nothing is shown
  std::vector<std::uint32_t> tour;  // the planned order; empty when the run gave none
};

// The message planning stops with when a row lacks a coordinate.
constexpr int kBlankCoordinateMessage = 14430;
// The rows that lack a longitude or a latitude, from the last to the first.
std::vector<std::size_t> RowsWithoutCoordinates(const DocumentState& doc);
// Straight-line planning of the whole table (every row located). The memory message when
// the cost matrix cannot be held.
PlanOutcome PlanByStraightLine(const DocumentState& doc, TripMode mode, const StopPoll& stop);

// Puts the rows into the planned order as one undo step: new rows after the old ones in
// planned order, then the old ones deleted; the base row follows its entry. True when the
// order changed anything; an unchanged order leaves the table, the journal and the
// modified flag alone.
bool ApplyPlannedOrder(CommandContext& context, const std::vector<std::uint32_t>& tour);

// The host the distance-matrix request goes to: "Distance Matrix" of the "Services"
// section of the ini file, else the map service's.
Text DistanceMatrixHost(Profile* profile);

// Command 1037. options are the dialog's choices, kept by the caller between runs; host
// is where the distance-matrix request goes (see DistanceMatrixHost).
void PlanRoute(CommandContext& context, PlanDialog& dialog, PlanOptions& options, TextView host);

}  // namespace wayloom
