#include "planning/RoutePlanner.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "planning/DistanceMatrix.h"
#include "planning/Distances.h"
#include "planning/ShortestRoute.h"

namespace wayloom {

namespace {

constexpr int kPlanningText = 13131;
constexpr int kOutOfMemoryMessage = 14490;
constexpr std::size_t kMaxRoadRows = 10;
constexpr std::size_t kMaxPasses = 1000;
constexpr char16_t kDefaultHost[] = u"https://maps.googleapis.com";

// The construction's marks: a row already placed, and the row kept for the end, one less
// so that it is chosen only after every free row. Free costs are held below both.
constexpr std::int32_t kTaken = 0x7FFFFFFF;
constexpr std::int32_t kReserved = 0x7FFFFFFE;
constexpr std::int32_t kLargestFreeCost = 0x7FFFFFFD;

// Row 0 first, then every row by the cheapest step from the row before; ties go to the
// lower row. In fixed-last mode the last row is reserved for the end.
bool NearestNeighbourTour(const CostMatrix& costs, bool fixedLast, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  const std::size_t n = costs.size();
  tour.assign(n, 0);
  std::vector<char> taken(n, 0);
  std::size_t current = 0;
  for (std::size_t r = 1; r < n; ++r) {
    const std::int32_t* row = costs.row(current);
    std::int32_t best = kTaken;
    std::size_t chosen = 0;
    for (std::size_t m = 1; m < n; ++m) {
      if (taken[m] || m == current) continue;
      const std::int32_t cost = fixedLast && (m == n - 1 || current == n - 1) ? kReserved : std::min(row[m], kLargestFreeCost);
      if (cost < best) {
        best = cost;
        chosen = m;
      }
    }
    tour[r] = static_cast<std::uint32_t>(chosen);
    taken[chosen] = 1;
    current = chosen;
    if (stop()) return false;
  }
  return true;
}

// The first position q in [from, to) whose exchange with the entry after a gains, for
// symmetric costs and positions with a successor: cost(a, c) + cost(b, d) < ab + edges[q].
// Four tests at a time without branching, as a gain is rare. Sum holds two costs.
template <typename Sum>
std::size_t FirstGain(const std::int32_t* rowA, const std::int32_t* rowB, Sum ab, const std::uint32_t* tour,
                      const std::int32_t* edges, std::size_t from, std::size_t to) {
  std::size_t q = from;
  for (; q + 4 <= to; q += 4) {
    bool gain = false;
    for (std::size_t k = q; k < q + 4; ++k)
      gain |= static_cast<Sum>(rowA[tour[k]]) + rowB[tour[k + 1]] < ab + edges[k];
    if (gain) break;
  }
  for (; q < to; ++q)
    if (static_cast<Sum>(rowA[tour[q]]) + rowB[tour[q + 1]] < ab + edges[q]) return q;
  return to;
}

// The exchange passes. The test of two positions p < q is the four-edge test of
// reversing the stretch between them, (a b .. c d) against (a c .. b d), but only the two
// entries change places. tour holds n entries plus, in a round trip, row 0 again at the
// end. edges[k] is the cost from tour[k] to tour[k + 1], kept up to date.
bool ExchangePasses(const CostMatrix& costs, TripMode mode, bool road, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  const std::size_t n = costs.size();
  const std::size_t limit = mode == TripMode::FixedLast ? n - 1 : n;
  const std::size_t edgeCount = tour.size() - 1;
  std::vector<std::int32_t> edges(edgeCount);
  auto updateEdge = [&](std::size_t k) {
    if (k < edgeCount) edges[k] = costs.at(tour[k], tour[k + 1]);
  };
  for (std::size_t k = 0; k < edgeCount; ++k) updateEdge(k);
  // Costs below 2^30 (every straight-line cost) add up in 32 bits.
  std::int32_t largest = 0;
  for (std::size_t i = 0; i < n; ++i) largest = std::max(largest, *std::max_element(costs.row(i), costs.row(i) + n));
  const bool narrow = largest < (1 << 30);
  // The last position with a successor; in open-end mode position n - 1 has none.
  const std::size_t withSuccessor = std::min(limit, edgeCount);
  std::size_t budget = std::min(n, kMaxPasses);
  for (;;) {
    bool improved = false;
    for (std::size_t p = 1; p + 1 < limit; ++p) {
      const std::int32_t* rowA = costs.row(tour[p - 1]);
      std::uint32_t b = tour[p];
      const std::int32_t* rowB = costs.row(b);
      std::int64_t ab = rowA[b];
      for (std::size_t q = p + 1; q < limit; ++q) {
        if (!road && q < withSuccessor) {
          q = narrow ? FirstGain<std::int32_t>(rowA, rowB, static_cast<std::int32_t>(ab), tour.data(), edges.data(), q, withSuccessor)
                     : FirstGain<std::int64_t>(rowA, rowB, ab, tour.data(), edges.data(), q, withSuccessor);
          if (q == withSuccessor) {
            --q;  // the loop goes on with the positions after
            continue;
          }
        } else {
          const std::uint32_t c = tour[q];
          std::int64_t before = ab;
          std::int64_t after = rowA[c];
          if (q < withSuccessor) {
            before += edges[q];
            after += rowB[tour[q + 1]];
          }
          if (road) {
            before += rowB[c];
            after += costs.at(c, b);
          }
          if (after >= before) continue;
        }
        std::swap(tour[p], tour[q]);
        improved = true;
        for (std::size_t k : {p - 1, p, q - 1, q}) updateEdge(k);
        b = tour[p];
        rowB = costs.row(b);
        ab = rowA[b];
      }
    }
    if (!improved) return true;
    if (stop()) return false;
    if (--budget == 0) return true;
  }
}

Text ServicesSection() { return u"Services"; }

}  // namespace

TripMode TripModeOf(const PlanOptions& options) {
  if (options.roundTrip) return TripMode::RoundTrip;
  return options.fixedLast ? TripMode::FixedLast : TripMode::OpenEnd;
}

bool CostMatrix::Allocate(std::size_t n) {
  values_.reset();
  n_ = 0;
  if (n != 0 && n > SIZE_MAX / sizeof(std::int32_t) / n) return false;
  values_.reset(new (std::nothrow) std::int32_t[n * n]);
  if (!values_ && n != 0) return false;
  n_ = n;
  return true;
}

bool FillStraightLineCosts(const DocumentState& doc, CostMatrix& costs, const StopPoll& stop) {
  const std::size_t n = costs.size();
  std::vector<RowPoint> points(n);
  std::vector<char> located(n, 0);
  for (std::size_t row = 0; row < n && row < doc.table.RowCount(); ++row) located[row] = ReadRowPoint(doc, row, points[row]);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      const std::int32_t metres = located[i] && located[j] ? MetresBetween(points[i], points[j]) : kDistanceUnavailable;
      costs.set(i, j, metres);
      costs.set(j, i, metres);
    }
    if (stop()) return false;
  }
  if (n > 0) costs.set(n - 1, n - 1, 0);
  for (std::size_t i = 0; i + 1 < n; ++i) costs.set(i, i, 0);
  return true;
}

bool FillRoadCosts(const std::vector<std::int32_t>& distances, CostMatrix& costs, const StopPoll& stop) {
  const std::size_t n = costs.size();
  if (distances.size() != n * n) return false;
  for (std::size_t i = 0; i < n; ++i) costs.set(i, i, 0);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      costs.set(i, j, distances[i * n + j]);
      costs.set(j, i, distances[j * n + i]);
    }
    if (stop()) return false;
  }
  return true;
}

std::int64_t TourCost(const CostMatrix& costs, const std::vector<std::uint32_t>& tour, TripMode mode) {
  std::int64_t total = 0;
  for (std::size_t k = 0; k + 1 < tour.size(); ++k) total += costs.at(tour[k], tour[k + 1]);
  if (mode == TripMode::RoundTrip && !tour.empty()) total += costs.at(tour.back(), 0);
  return total;
}

bool PlanTour(const CostMatrix& costs, TripMode mode, bool road, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  const std::size_t n = costs.size();
  tour.clear();
  if (n == 0) return true;
  std::vector<std::uint32_t> nearest;
  if (!NearestNeighbourTour(costs, mode == TripMode::FixedLast, stop, nearest)) return false;
  std::vector<std::uint32_t> exchanged = nearest;
  if (mode == TripMode::RoundTrip) exchanged.push_back(0);
  if (!ExchangePasses(costs, mode, road, stop, exchanged)) return false;
  exchanged.resize(n);
  // The exchange test does not measure the swap it makes and can lengthen the order;
  // the walk it started from is kept then.
  tour = TourCost(costs, exchanged, mode) > TourCost(costs, nearest, mode) ? std::move(nearest) : std::move(exchanged);
  return true;
}

std::vector<std::size_t> RowsWithoutCoordinates(const DocumentState& doc) {
  std::vector<std::size_t> rows;
  for (std::size_t row = doc.table.RowCount(); row-- > 0;)
    if (!doc.table.Row(row).HasBothCoordinates()) rows.push_back(row);
  return rows;
}

PlanOutcome PlanByStraightLine(const DocumentState& doc, TripMode mode, const StopPoll& stop) {
  PlanOutcome outcome;
  CostMatrix costs;
  if (!costs.Allocate(doc.table.RowCount())) {
    outcome.message = kOutOfMemoryMessage;
    return outcome;
  }
  outcome.stopped = !FillStraightLineCosts(doc, costs, stop) || !PlanTour(costs, mode, false, stop, outcome.tour);
  if (outcome.stopped) outcome.tour.clear();
  return outcome;
}

bool ApplyPlannedOrder(CommandContext& context, const std::vector<std::uint32_t>& tour) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  const std::size_t n = table.RowCount();
  if (tour.size() != n || n == 0 || tour[0] != 0) return false;
  std::vector<char> seen(n, 0);
  bool unchanged = true;
  for (std::size_t r = 0; r < n; ++r) {
    if (tour[r] >= n || seen[tour[r]]) return false;
    seen[tour[r]] = 1;
    unchanged = unchanged && tour[r] == r;
  }
  if (unchanged) return false;

  context.ui.SuspendRedraw(true);
  BeginUndoGroup(doc.journal);
  // Whether there is a base row is decided now; it follows its entry.
  const long long oldBase = doc.baseRow;
  long long newBase = oldBase == 0 ? 0 : -1;
  table.Reserve(2 * n - 1);
  for (std::size_t r = 1; r < n; ++r) {
    const std::size_t source = tour[r];
    const ItineraryEntry& entry = table.Row(source);
    const Text name(entry.Name());
    const CoordinateCell longitude = entry.longitude, latitude = entry.latitude;
    const EntryStatus status = entry.status & ~kStatusPassed;
    const std::size_t newRow = InsertRowRecorded(doc, SIZE_MAX, name, status, false);
    // Cells set right after the insert make no records: the insert covers them.
    SetCellRecorded(doc, newRow, kLongitudeColumn, longitude.Value(Axis::Longitude));
    SetCellRecorded(doc, newRow, kLatitudeColumn, latitude.Value(Axis::Latitude));
    if (doc.recorder) doc.recorder->RowReplaced(source, newRow);
    if (static_cast<long long>(source) == oldBase) newBase = static_cast<long long>(r);
  }
  const EntryStatus firstStatus = table.Row(0).status;
  if (firstStatus & kStatusPassed) SetStatusRecorded(doc, 0, firstStatus & ~kStatusPassed);
  std::vector<std::uint32_t> oldRows(n - 1);
  for (std::size_t r = 1; r < n; ++r) oldRows[r - 1] = static_cast<std::uint32_t>(r);
  DeleteRowsRecorded(doc, oldRows);

  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  if (oldBase >= 0) {
    RecordBaseRowChange(doc, newBase);
    SetBaseRow(context, newBase, true);
  } else if (doc.settings.Get(Option::ShowDistance)) {
    ComputeDistances(context, -1, false);  // the new rows' sort keys
  }
  context.ui.SuspendRedraw(false);
  context.ui.TableChanged();
  doc.SetModified(true);
  doc.selectPending = true;
  MapSyncAll(doc);
  return true;
}

Text DistanceMatrixHost(Profile* profile) {
  if (!profile) return kDefaultHost;
  return profile->ReadText(ServicesSection(), u"Distance Matrix", kDefaultHost);
}

namespace {

// Steps 6 to 11 of a run after the dialog; returns the message to show, 0 for none.
int RunPlan(CommandContext& context, const PlanOptions& options, TextView host, const StopPoll& stop) {
  const DocumentState& doc = context.doc;
  const TripMode mode = TripModeOf(options);
  PlanOutcome outcome;
  if (options.roadDistance) {
    const std::size_t n = doc.table.RowCount();
    const DistanceDownload download = DownloadDistanceMatrix(context.http, DistanceMatrixUrl(doc, host), n, context.ui);
    if (download.stopped || download.message != 0) return download.message;
    CostMatrix costs;
    if (!costs.Allocate(n)) return kOutOfMemoryMessage;
    if (!FillRoadCosts(download.distances, costs, stop)) return 0;
    const bool planned = options.shortestRoute ? PlanShortestTour(costs, mode, stop, outcome.tour)
                                               : PlanTour(costs, mode, true, stop, outcome.tour);
    if (!planned) return 0;
  } else {
    outcome = options.shortestRoute ? PlanShortestByStraightLine(doc, mode, stop) : PlanByStraightLine(doc, mode, stop);
    if (outcome.message != 0 || outcome.stopped) return outcome.message;
  }
  ApplyPlannedOrder(context, outcome.tour);
  return 0;
}

}  // namespace

void PlanRoute(CommandContext& context, PlanDialog& dialog, PlanOptions& options, TextView host) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  Ui& ui = context.ui;
  const std::size_t n = table.RowCount();
  if (n <= 2) return;

  table.ClearSelectionAndFocus();
  doc.selectPending = true;
  const std::vector<std::size_t> blanks = RowsWithoutCoordinates(doc);
  if (!blanks.empty()) {
    for (std::size_t row : blanks) {
      table.SetSelected(row, true);
      table.SetFocused(row);
    }
    ui.EnsureRowVisible(static_cast<long long>(blanks.back()));
    ui.ShowMessage(kBlankCoordinateMessage, FormatArg(), MessageIcon::Information);
    return;
  }

  MapCloseInfo(doc);
  // More than 10 rows cannot be asked for road distances, whatever was chosen before.
  if (n > kMaxRoadRows) options.roadDistance = false;
  options.shortestRoute = doc.settings.shortestRoute;
  if (!dialog.AskPlanOptions(options, n)) return;
  doc.settings.shortestRoute = options.shortestRoute;
  if (n > kMaxRoadRows) options.roadDistance = false;
  // In fixed-last mode fewer than 4 rows leave nothing to move.
  if (TripModeOf(options) == TripMode::FixedLast && n < 4) return;

  ui.SetWaitCursor(true);
  ui.PressToolbarButton(IDM_PLAN, true);
  ui.ShowMarquee(LoadText(kPlanningText));
  const StopPoll stop = [&ui] { return ui.PollStop(true); };
  const int message = RunPlan(context, options, host, stop);
  ui.EndProgress();
  ui.SetWaitCursor(false);
  ui.PressToolbarButton(IDM_PLAN, false);
  doc.titleDirty = true;
  doc.statusResetPending = true;
  if (message != 0) ui.ShowMessage(message, FormatArg(), MessageIcon::Information);
}

}  // namespace wayloom
