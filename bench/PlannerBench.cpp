// Straight-line route planning of 1,000, 5,000 and 10,000 random stops around Taiwan:
// the cost matrix alone, and the whole plan (matrix, walk, exchange passes). Peak memory
// per size: /usr/bin/time -v build/bench/PlannerBench --benchmark_filter='PlanByStraightLine/10000'
// (target: one n x n matrix of 32-bit costs plus a little per row).
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>

#include "core/RowOperations.h"
#include "planning/RoutePlanner.h"

namespace wayloom {
namespace {

DocumentState& Stops(std::size_t count) {
  static std::map<std::size_t, std::unique_ptr<DocumentState>> made;
  auto& doc = made[count];
  if (doc) return *doc;
  doc = std::make_unique<DocumentState>();
  std::mt19937 random(2026);
  std::uniform_int_distribution<int> longitude(12000000, 12200000), latitude(2190000, 2530000);
  SuspendRecording(doc->journal);
  doc->table.Reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t row = doc->table.Insert(SIZE_MAX, AsciiToText("Stop " + std::to_string(i)), 2, false);
    doc->table.SetCell(row, kLongitudeColumn, FormatUnitsDecimal(longitude(random)));
    doc->table.SetCell(row, kLatitudeColumn, FormatUnitsDecimal(latitude(random)));
  }
  return *doc;
}

void BM_StraightLineCosts(benchmark::State& state) {
  const DocumentState& doc = Stops(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    CostMatrix costs;
    costs.Allocate(doc.table.RowCount());
    FillStraightLineCosts(doc, costs, [] { return false; });
    benchmark::DoNotOptimize(costs.at(1, 0));
  }
}

void BM_PlanByStraightLine(benchmark::State& state) {
  const DocumentState& doc = Stops(static_cast<std::size_t>(state.range(0)));
  const TripMode mode = static_cast<TripMode>(state.range(1));
  std::int64_t passes = 0;
  PlanOutcome outcome;
  for (auto _ : state) {
    passes = 0;
    outcome = PlanByStraightLine(doc, mode, [&passes] { return ++passes, false; });
    benchmark::DoNotOptimize(outcome.tour.data());
  }
  // Polls: one per matrix row and walk step, one per improving pass.
  const std::int64_t n = state.range(0);
  state.counters["improving_passes"] = static_cast<double>(passes - 2 * (n - 1));
  CostMatrix costs;
  costs.Allocate(doc.table.RowCount());
  FillStraightLineCosts(doc, costs, [] { return false; });
  state.counters["km"] = static_cast<double>(TourCost(costs, outcome.tour, mode)) / 1000.0;
}

BENCHMARK(BM_StraightLineCosts)->Arg(1000)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PlanByStraightLine)
    ->ArgsProduct({{1000, 5000, 10000}, {static_cast<int>(TripMode::RoundTrip)}})
    ->Args({1000, static_cast<int>(TripMode::OpenEnd)})
    ->Args({1000, static_cast<int>(TripMode::FixedLast)})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
