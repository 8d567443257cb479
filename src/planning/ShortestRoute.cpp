#include "planning/ShortestRoute.h"

#include <algorithm>
#include <limits>

#include "planning/PointIndex.h"
#include "planning/TourSearch.h"

namespace wayloom {

namespace {

constexpr std::size_t kListWidth = 10;
constexpr std::int64_t kUnreached = std::numeric_limits<std::int64_t>::max();

// Both cost sources see the open end's extra node (index n, after the last entry and
// before row 0 again) at no cost, so an open end is a closed tour whose last step is free.
struct MatrixCosts {
  const CostMatrix& matrix;
  std::uint32_t n;
  std::int64_t operator()(std::uint32_t from, std::uint32_t to) const {
    return from >= n || to >= n ? 0 : matrix.at(from, to);
  }
};

struct PointCosts {
  const std::vector<RowPoint>& points;
  std::uint32_t n;
  // The lower row first, as the matrix of the automatic planner measures each pair.
  std::int64_t operator()(std::uint32_t from, std::uint32_t to) const {
    if (from >= n || to >= n) return 0;
    return from < to ? MetresBetween(points[from], points[to]) : MetresBetween(points[to], points[from]);
  }
};

bool Symmetric(const CostMatrix& costs) {
  for (std::size_t i = 0; i < costs.size(); ++i)
    for (std::size_t j = i + 1; j < costs.size(); ++j)
      if (costs.at(i, j) != costs.at(j, i)) return false;
  return true;
}

std::vector<std::uint32_t> TableOrder(std::size_t n) {
  std::vector<std::uint32_t> tour(n);
  for (std::size_t k = 0; k < n; ++k) tour[k] = static_cast<std::uint32_t>(k);
  return tour;
}

// The automatic planner's walk rule on any cost source: ties to the lower row, costs from
// 0x7FFFFFFD up alike, the fixed last row only when nothing else is left.
template <typename Costs>
bool ScanWalk(const Costs& costs, std::size_t n, TripMode mode, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  constexpr std::int64_t kLargestFreeCost = 0x7FFFFFFD;
  const std::size_t reserved = mode == TripMode::FixedLast ? n - 1 : n;
  tour.assign(n, 0);
  std::vector<char> taken(n, 0);
  std::uint32_t current = 0;
  for (std::size_t r = 1; r < n; ++r) {
    std::int64_t best = kUnreached;
    std::uint32_t chosen = static_cast<std::uint32_t>(reserved);
    for (std::uint32_t m = 1; m < n; ++m) {
      if (taken[m] || m == current || m == reserved) continue;
      const std::int64_t cost = std::min(costs(current, m), kLargestFreeCost);
      if (cost < best) {
        best = cost;
        chosen = m;
      }
    }
    tour[r] = chosen;
    taken[chosen] = 1;
    current = chosen;
    if (r % 256 == 0 && stop()) return false;
  }
  return true;
}

// The shortest order by dynamic programming over the sets of free rows (every row but row
// 0 and a fixed last row): best[set][j] is the shortest path from row 0 through set ending
// at its j-th row. Ties keep the lower rows.
bool ExactTour(const CostMatrix& costs, TripMode mode, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  const std::size_t n = costs.size();
  const std::size_t m = mode == TripMode::FixedLast ? n - 2 : n - 1;  // free rows 1..m
  const std::size_t sets = std::size_t{1} << m;
  std::vector<std::int64_t> best(sets * m, kUnreached);
  auto at = [&](std::size_t set, std::size_t j) -> std::int64_t& { return best[set * m + j]; };
  auto cost = [&](std::size_t from, std::size_t to) -> std::int64_t { return costs.at(from, to); };
  for (std::size_t j = 0; j < m; ++j) at(std::size_t{1} << j, j) = cost(0, j + 1);
  for (std::size_t set = 1; set < sets; ++set) {
    if (set % 1024 == 1 && stop()) return false;  // from the first set on
    for (std::size_t j = 0; j < m; ++j) {
      const std::int64_t base = at(set, j);
      if (!(set >> j & 1) || base == kUnreached) continue;
      for (std::size_t k = 0; k < m; ++k) {
        if (set >> k & 1) continue;
        std::int64_t& target = at(set | std::size_t{1} << k, k);
        target = std::min(target, base + cost(j + 1, k + 1));
      }
    }
  }
  auto closing = [&](std::size_t j) -> std::int64_t {
    if (mode == TripMode::RoundTrip) return cost(j + 1, 0);
    return mode == TripMode::FixedLast ? cost(j + 1, n - 1) : 0;
  };
  std::size_t set = sets - 1, last = 0;
  for (std::size_t j = 1; j < m; ++j)
    if (at(set, j) + closing(j) < at(set, last) + closing(last)) last = j;
  tour.assign(n, 0);
  if (mode == TripMode::FixedLast) tour[n - 1] = static_cast<std::uint32_t>(n - 1);
  for (std::size_t position = m; position >= 1; --position) {
    tour[position] = static_cast<std::uint32_t>(last + 1);
    const std::size_t rest = set & ~(std::size_t{1} << last);
    if (rest == 0) break;
    std::size_t previous = 0;
    while (!(rest >> previous & 1) || at(rest, previous) + cost(previous + 1, last + 1) != at(set, last)) ++previous;
    set = rest;
    last = previous;
  }
  return true;
}

// Kicks for n rows: many for the sizes a person plans by hand, fewer as each costs more.
std::size_t KickCount(std::size_t n) { return std::min<std::size_t>(100 * n, 20'000'000 / n); }

// The walk improved by local search; the open end's extra node is added and dropped here.
template <typename Costs>
bool Search(const Costs& costs, bool symmetric, std::size_t n, TripMode mode, const std::vector<std::uint32_t>& walk,
            const std::vector<std::uint32_t>& neighbours, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  std::vector<std::uint32_t> start = walk;
  if (mode == TripMode::OpenEnd) start.push_back(static_cast<std::uint32_t>(n));
  const std::size_t movableEnd = mode == TripMode::FixedLast ? n - 1 : n;
  TourSearch<Costs> search(costs, symmetric, std::move(start), movableEnd, neighbours, kListWidth, stop);
  if (!search.Descend() || !search.Kick(KickCount(n))) return false;
  tour.assign(search.tour().begin(), search.tour().begin() + n);
  return true;
}

template <typename Costs>
std::int64_t Length(const Costs& costs, const std::vector<std::uint32_t>& tour, TripMode mode) {
  std::int64_t total = 0;
  for (std::size_t k = 0; k + 1 < tour.size(); ++k) total += costs(tour[k], tour[k + 1]);
  if (mode == TripMode::RoundTrip && !tour.empty()) total += costs(tour.back(), 0);
  return total;
}

// The searched order unless the walk is shorter or the table order no longer.
template <typename Costs>
void KeepShortest(const Costs& costs, TripMode mode, std::vector<std::uint32_t>& tour, std::vector<std::uint32_t>& walk) {
  if (Length(costs, walk, mode) < Length(costs, tour, mode)) tour.swap(walk);
  std::vector<std::uint32_t> table = TableOrder(tour.size());
  if (Length(costs, table, mode) <= Length(costs, tour, mode)) tour.swap(table);
}

// Too few rows to choose from: the table order is the only one.
bool NothingToChoose(std::size_t n, TripMode mode) { return n <= 2 || (mode == TripMode::FixedLast && n <= 3); }

}  // namespace

bool PlanShortestTour(const CostMatrix& costs, TripMode mode, const StopPoll& stop, std::vector<std::uint32_t>& tour) {
  const std::size_t n = costs.size();
  tour = TableOrder(n);
  if (NothingToChoose(n, mode)) return true;
  const MatrixCosts source{costs, static_cast<std::uint32_t>(n)};
  std::vector<std::uint32_t> found;
  if (n <= kExactRowLimit) {
    if (!ExactTour(costs, mode, stop, found)) return false;
    KeepShortest(source, mode, found, tour);
    tour.swap(found);
    return true;
  }
  std::vector<std::uint32_t> walk;
  if (!ScanWalk(source, n, mode, stop, walk)) return false;
  static_assert(kExactRowLimit > kListWidth, "every searched row has a full neighbour list");
  std::vector<std::uint32_t> neighbours(n * kListWidth), order(n - 1);
  for (std::uint32_t i = 0; i < n; ++i) {
    std::size_t count = 0;
    for (std::uint32_t j = 0; j < n; ++j)
      if (j != i) order[count++] = j;
    std::partial_sort(order.begin(), order.begin() + kListWidth, order.end(), [&](std::uint32_t a, std::uint32_t b) {
      return costs.at(i, a) != costs.at(i, b) ? costs.at(i, a) < costs.at(i, b) : a < b;
    });
    std::copy(order.begin(), order.begin() + kListWidth, neighbours.begin() + i * kListWidth);
    if (i % 256 == 0 && stop()) return false;
  }
  if (!Search(source, Symmetric(costs), n, mode, walk, neighbours, stop, found)) return false;
  KeepShortest(source, mode, found, walk);
  tour.swap(found);
  return true;
}

std::int64_t TourCost(const std::vector<RowPoint>& points, const std::vector<std::uint32_t>& tour, TripMode mode) {
  return Length(PointCosts{points, static_cast<std::uint32_t>(points.size())}, tour, mode);
}

bool NearestNeighbourWalk(const std::vector<RowPoint>& points, TripMode mode, const StopPoll& stop,
                          std::vector<std::uint32_t>& tour) {
  const std::size_t n = points.size();
  if (n <= kScanWalkLimit) return ScanWalk(PointCosts{points, static_cast<std::uint32_t>(n)}, n, mode, stop, tour);
  PointIndex index(points);
  tour.assign(n, 0);
  index.Take(0);
  if (mode == TripMode::FixedLast) index.Take(static_cast<std::uint32_t>(n - 1));
  for (std::size_t r = 1; r < n; ++r) {
    const std::uint32_t next = index.NearestFree(tour[r - 1]);
    tour[r] = next == PointIndex::kNone ? static_cast<std::uint32_t>(n - 1) : next;
    index.Take(tour[r]);
    if (r % 1024 == 0 && stop()) return false;
  }
  return true;
}

bool PlanShortestTour(const std::vector<RowPoint>& points, TripMode mode, const StopPoll& stop,
                      std::vector<std::uint32_t>& tour) {
  const std::size_t n = points.size();
  tour = TableOrder(n);
  if (NothingToChoose(n, mode)) return true;
  if (n <= kExactRowLimit) {
    CostMatrix costs;
    costs.Allocate(n);
    for (std::size_t i = 0; i < n; ++i) {
      costs.set(i, i, 0);
      for (std::size_t j = i + 1; j < n; ++j) {
        const std::int32_t metres = MetresBetween(points[i], points[j]);
        costs.set(i, j, metres);
        costs.set(j, i, metres);
      }
    }
    return PlanShortestTour(costs, mode, stop, tour);
  }
  std::vector<std::uint32_t> walk;
  if (!NearestNeighbourWalk(points, mode, stop, walk)) return false;
  const PointIndex index(points);
  std::vector<std::uint32_t> neighbours(n * kListWidth), nearest;
  for (std::uint32_t i = 0; i < n; ++i) {
    index.Nearest(i, kListWidth, nearest);
    std::copy(nearest.begin(), nearest.end(), neighbours.begin() + i * kListWidth);
    if (i % 4096 == 0 && stop()) return false;
  }
  const PointCosts source{points, static_cast<std::uint32_t>(n)};
  std::vector<std::uint32_t> found;
  if (!Search(source, true, n, mode, walk, neighbours, stop, found)) return false;
  KeepShortest(source, mode, found, walk);
  tour.swap(found);
  return true;
}

PlanOutcome PlanShortestByStraightLine(const DocumentState& doc, TripMode mode, const StopPoll& stop) {
  PlanOutcome outcome;
  std::vector<RowPoint> points(doc.table.RowCount());
  for (std::size_t row = 0; row < points.size(); ++row) {
    if (!ReadRowPoint(doc, row, points[row])) {
      outcome.message = kBlankCoordinateMessage;
      return outcome;
    }
  }
  outcome.stopped = !PlanShortestTour(points, mode, stop, outcome.tour);
  if (outcome.stopped) outcome.tour.clear();
  return outcome;
}

}  // namespace wayloom
