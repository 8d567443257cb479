// The shortest-route planner: exact orders against brute force in every mode on symmetric
// and asymmetric costs, the local search's guarantees (never longer than the
// nearest-neighbour walk or the table order, row 0 first, a fixed last row last) on costs
// from a matrix and from coordinates, and the command's choice: one undo step, Esc at every
// poll, the remembered setting.
#include "planning/ShortestRoute.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "EditingTestSupport.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

const StopPoll kNeverStop = [] { return false; };
constexpr TripMode kModes[] = {TripMode::RoundTrip, TripMode::OpenEnd, TripMode::FixedLast};

// Random costs: few distinct values make ties common; asymmetric draws each direction.
CostMatrix RandomCosts(std::mt19937& random, std::size_t n, bool asymmetric, int top) {
  CostMatrix costs;
  EXPECT_TRUE(costs.Allocate(n));
  for (std::size_t i = 0; i < n; ++i) {
    costs.set(i, i, 0);
    for (std::size_t j = i + 1; j < n; ++j) {
      costs.set(i, j, static_cast<std::int32_t>(random() % top));
      costs.set(j, i, asymmetric ? static_cast<std::int32_t>(random() % top) : costs.at(i, j));
    }
  }
  return costs;
}

std::int64_t BruteForce(const CostMatrix& costs, TripMode mode) {
  const std::size_t n = costs.size();
  std::vector<std::uint32_t> tour(n);
  std::iota(tour.begin(), tour.end(), 0u);
  const auto end = mode == TripMode::FixedLast ? tour.end() - 1 : tour.end();
  std::int64_t best = TourCost(costs, tour, mode);
  while (std::next_permutation(tour.begin() + 1, end)) best = std::min(best, TourCost(costs, tour, mode));
  return best;
}

// The automatic planner's walk, written out: nearest next row, ties to the lower row,
// a fixed last row at the end.
std::vector<std::uint32_t> Walk(const CostMatrix& costs, TripMode mode) {
  const std::size_t n = costs.size();
  std::vector<std::uint32_t> tour{0};
  std::vector<char> taken(n, 0);
  taken[0] = 1;
  if (mode == TripMode::FixedLast) taken[n - 1] = 1;
  while (tour.size() < n - (mode == TripMode::FixedLast ? 1 : 0)) {
    std::uint32_t pick = 0;
    for (std::uint32_t m = 1; m < n; ++m)
      if (!taken[m] && (pick == 0 || costs.at(tour.back(), m) < costs.at(tour.back(), pick))) pick = m;
    taken[pick] = 1;
    tour.push_back(pick);
  }
  if (mode == TripMode::FixedLast) tour.push_back(static_cast<std::uint32_t>(n - 1));
  return tour;
}

// Every row once, row 0 first, a fixed last row last.
void ExpectOrder(const std::vector<std::uint32_t>& tour, std::size_t n, TripMode mode) {
  ASSERT_EQ(tour.size(), n);
  std::vector<std::uint32_t> sorted = tour;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t k = 0; k < n; ++k) ASSERT_EQ(sorted[k], k);
  EXPECT_EQ(tour[0], 0u);
  if (mode == TripMode::FixedLast) {
    EXPECT_EQ(tour.back(), n - 1);
  }
}

TEST(ShortestRoute, ExactOrdersAreTheShortestInEveryMode) {
  std::mt19937 random(14);
  int tableOrdersKept = 0;
  for (std::size_t n = 2; n <= 9; ++n)
    for (const TripMode mode : kModes)
      for (const bool asymmetric : {false, true})
        for (int run = 0; run < 12; ++run) {
          SCOPED_TRACE(::testing::Message() << n << " rows, mode " << static_cast<int>(mode) << ", asymmetric " << asymmetric
                                          << ", run " << run);
          const CostMatrix costs = RandomCosts(random, n, asymmetric, run % 2 ? 4 : 100000);
          std::vector<std::uint32_t> tour;
          ASSERT_TRUE(PlanShortestTour(costs, mode, kNeverStop, tour));
          ExpectOrder(tour, n, mode);
          const std::int64_t shortest = BruteForce(costs, mode);
          EXPECT_EQ(TourCost(costs, tour, mode), shortest);
          // When the table order is one of the shortest, nothing changes.
          std::vector<std::uint32_t> table(n);
          std::iota(table.begin(), table.end(), 0u);
          if (TourCost(costs, table, mode) == shortest) {
            EXPECT_EQ(tour, table);
            ++tableOrdersKept;
          }
        }
  EXPECT_GT(tableOrdersKept, 30);
  // The largest exact size against a known answer: a ring visited backwards in the table.
  CostMatrix ring;
  ASSERT_TRUE(ring.Allocate(kExactRowLimit));
  const std::size_t n = kExactRowLimit;
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j) {
      const std::size_t steps = std::min((i + n - j) % n, (j + n - i) % n);
      ring.set(i, j, static_cast<std::int32_t>(steps == 1 ? 1 : 100 * steps));
    }
  std::vector<std::uint32_t> tour;
  ASSERT_TRUE(PlanShortestTour(ring, TripMode::OpenEnd, kNeverStop, tour));
  EXPECT_EQ(TourCost(ring, tour, TripMode::OpenEnd), static_cast<std::int64_t>(n - 1));
}

TEST(ShortestRoute, SearchedOrdersAreNeverLongerThanTheWalkOrTheTable) {
  std::mt19937 random(41);
  for (int run = 0; run < 36; ++run) {
    const std::size_t n = kExactRowLimit + 1 + random() % 150;
    const TripMode mode = kModes[run % 3];
    const bool asymmetric = run % 2 == 1;
    SCOPED_TRACE(::testing::Message() << n << " rows, run " << run);
    const CostMatrix costs = RandomCosts(random, n, asymmetric, run % 4 < 2 ? 5 : 1000000);
    std::vector<std::uint32_t> tour;
    ASSERT_TRUE(PlanShortestTour(costs, mode, kNeverStop, tour));
    ExpectOrder(tour, n, mode);
    std::vector<std::uint32_t> table(n);
    std::iota(table.begin(), table.end(), 0u);
    EXPECT_LE(TourCost(costs, tour, mode), TourCost(costs, Walk(costs, mode), mode));
    EXPECT_LE(TourCost(costs, tour, mode), TourCost(costs, table, mode));
  }
}

// Coordinates, with repeated places (ties) and sizes past the exact limit and past the
// size where the walk comes from the k-d tree; costs compared on the automatic planner's
// matrix of the same table.
TEST(ShortestRoute, StraightLinePlansKeepTheGuaranteesAtEverySize) {
  std::mt19937 random(5);
  for (const std::size_t n : {std::size_t{12}, std::size_t{60}, std::size_t{400}, kScanWalkLimit + 300}) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < n; ++i) {
      const int lon = 12000000 + static_cast<int>(random() % (i % 5 == 0 ? 3 : 200000));
      const int lat = 2200000 + static_cast<int>(random() % (i % 5 == 0 ? 3 : 300000));
      rows.push_back("r" + std::to_string(i) + "|" + std::to_string(lon / 100000.0) + "|" + std::to_string(lat / 100000.0));
    }
    EditFixture f;
    f.Load(rows);
    CostMatrix costs;
    ASSERT_TRUE(costs.Allocate(n));
    ASSERT_TRUE(FillStraightLineCosts(f.doc, costs, kNeverStop));
    for (const TripMode mode : kModes) {
      SCOPED_TRACE(::testing::Message() << n << " rows, mode " << static_cast<int>(mode));
      const PlanOutcome outcome = PlanShortestByStraightLine(f.doc, mode, kNeverStop);
      ASSERT_EQ(outcome.message, 0);
      ExpectOrder(outcome.tour, n, mode);
      const std::int64_t walk = TourCost(costs, Walk(costs, mode), mode);
      EXPECT_LE(TourCost(costs, outcome.tour, mode), walk);
      // A good order, not only a better one: local search takes a walk of random places
      // down by about a fifth.
      if (n >= 400) {
        EXPECT_LT(TourCost(costs, outcome.tour, mode), walk * 9 / 10);
      }
    }
  }
}

// ---- the command ----

struct PlanFixture : EditFixture {
  using EditFixture::EditFixture;
  void Run(TripMode mode) {
    ui.plan = PlanOptions{mode == TripMode::RoundTrip, mode == TripMode::FixedLast, false, true};
    PlanRoute(context, ui, options, u"");
  }
  PlanOptions options;
};

// Places near the equator, statuses with passed bits. The walk goes A C D B E; the
// shortest open order is A D C B E.
const std::vector<std::string> kPlaces = {"A|0|0|3", "B|-2|0|3", "C|1|1|2", "D|3|0|0", "E|-4|0|0"};

TEST(ShortestRouteCommand, AppliesAsOneUndoStepAndRemembersTheChoice) {
  PlanFixture f(kPlaces);
  f.doc.settings.shortestRoute = false;
  testing::ExpectUndoRedo(f, [&] { f.Run(TripMode::OpenEnd); },
                          {"A|0.00000|0.00000|2", "D|3.00000|0.00000|0", "C|1.00000|1.00000|2", "B|-2.00000|0.00000|2",
                           "E|-4.00000|0.00000|0"});
  EXPECT_FALSE(f.ui.planShown.back().shortestRoute);  // shown as the settings had it
  EXPECT_TRUE(f.doc.settings.shortestRoute);          // OK keeps the new choice
  EXPECT_EQ(f.map.syncs, 3);
  EXPECT_TRUE(f.ui.messages.empty());
  // A round trip along the line: the table order and its reverse are the shortest; the
  // table order stays, with nothing changed.
  PlanFixture again;
  again.Load({"A|0|0", "B|-2|0", "E|-3|0", "D|3|0", "C|1|0"});
  const auto before = Picture(again.doc);
  again.Run(TripMode::RoundTrip);
  EXPECT_EQ(Picture(again.doc), before);
  EXPECT_FALSE(CanUndo(again.doc.journal));
  // Cancel keeps the remembered choice.
  again.doc.settings.shortestRoute = true;
  again.ui.plan.reset();
  PlanRoute(again.context, again.ui, again.options, u"");
  EXPECT_TRUE(again.ui.planShown.back().shortestRoute);
  EXPECT_TRUE(again.doc.settings.shortestRoute);
}

// Esc at any poll abandons the run, exact (6 rows) or searched (40 rows).
TEST(ShortestRouteCommand, EscAtEveryPollLeavesTheTableUntouched) {
  std::vector<std::string> forty;
  for (int i = 0; i < 40; ++i) forty.push_back("r" + std::to_string(i) + "|" + std::to_string((i * 37) % 41) + "|" + std::to_string((i * 11) % 13));
  for (const auto& rows : {kPlaces, forty}) {
    PlanFixture counting(rows);
    counting.Run(TripMode::RoundTrip);
    ASSERT_TRUE(CanUndo(counting.doc.journal));
    const int polls = counting.ui.polls;
    EXPECT_GE(polls, 1);
    for (int stopAt = 1; stopAt <= polls; ++stopAt) {
      PlanFixture f;
      f.Load(rows);
      const auto before = Picture(f.doc);
      f.ui.stopAtPoll = stopAt;
      f.Run(TripMode::RoundTrip);
      EXPECT_EQ(Picture(f.doc), before) << stopAt;
      EXPECT_TRUE(f.ui.messages.empty());
      EXPECT_FALSE(CanUndo(f.doc.journal));
      EXPECT_EQ(f.ui.progressEnded, 1);
    }
  }
}

}  // namespace
}  // namespace wayloom
