// The shortest-route planner against the TSPLIB geographic instances, brute force and the
// automatic planner.
//
//   build/bench/bench/ShortestRouteBench --benchmark_filter=Tsplib      gaps to the best known tours
//   build/bench/bench/ShortestRouteBench --benchmark_filter=BruteForce  exact mode, 1,000 itineraries of 9 stops per case
//   /usr/bin/time -v build/bench/bench/ShortestRouteBench --benchmark_filter='ShortestByStraight/10000/0/'   time and peak memory
//   /usr/bin/time -v build/bench/bench/ShortestRouteBench --benchmark_filter='ShortestByStraight/100000/0/'
//
// TSPLIB instances: WAYLOOM_SHARED_DIR/bench/tsplib (GEO coordinates are degrees and
// minutes, DDD.MM). Each is planned twice as a round trip from its first city: from a table
// of its coordinates (the program's straight-line costs), and on a matrix of TSPLIB's own
// distances; both tours are measured with TSPLIB's distance (its FAQ form: whole degrees by
// truncation, PI = 3.141592, RRR = 6378.388, (int)(RRR * acos(...) + 1.0)).
#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <sstream>
#include <string>

#include "core/RowOperations.h"
#include "planning/RoutePlanner.h"
#include "planning/ShortestRoute.h"

namespace wayloom {
namespace {

const StopPoll kNeverStop = [] { return false; };

struct Instance {
  const char* name;
  std::int64_t optimum;  // published in TSPLIB95's bestSolutions.txt
};
constexpr Instance kGeoSuite[] = {{"ulysses16", 6859}, {"ulysses22", 7013}, {"gr96", 55209},     {"gr137", 69853},
                                  {"gr202", 40160},    {"gr229", 134602},   {"gr431", 171414},   {"ali535", 202339},
                                  {"gr666", 294358}};

struct City {
  double x, y;  // latitude and longitude as DDD.MM
};

std::vector<City> ReadTsplib(const std::string& name) {
  std::ifstream file(std::string(WAYLOOM_SHARED_DIR) + "/bench/tsplib/" + name + ".tsp");
  std::vector<City> cities;
  std::string line;
  bool coordinates = false;
  while (std::getline(file, line)) {
    if (line.rfind("NODE_COORD_SECTION", 0) == 0) {
      coordinates = true;
      continue;
    }
    if (line.rfind("EOF", 0) == 0) break;
    std::istringstream fields(line);
    int index;
    City city;
    if (coordinates && fields >> index >> city.x >> city.y) cities.push_back(city);
  }
  return cities;
}

double TsplibDegrees(double value) {
  const int degrees = static_cast<int>(value);
  return degrees + 5.0 * (value - degrees) / 3.0;
}

std::int32_t TsplibGeo(const City& a, const City& b) {
  constexpr double kPi = 3.141592, kRrr = 6378.388;
  const double latA = kPi * TsplibDegrees(a.x) / 180.0, lonA = kPi * TsplibDegrees(a.y) / 180.0;
  const double latB = kPi * TsplibDegrees(b.x) / 180.0, lonB = kPi * TsplibDegrees(b.y) / 180.0;
  const double q1 = std::cos(lonA - lonB), q2 = std::cos(latA - latB), q3 = std::cos(latA + latB);
  return static_cast<std::int32_t>(kRrr * std::acos(0.5 * ((1.0 + q1) * q2 - (1.0 - q1) * q3)) + 1.0);
}

CostMatrix TsplibMatrix(const std::vector<City>& cities) {
  CostMatrix costs;
  costs.Allocate(cities.size());
  for (std::size_t i = 0; i < cities.size(); ++i)
    for (std::size_t j = 0; j < cities.size(); ++j) costs.set(i, j, i == j ? 0 : TsplibGeo(cities[i], cities[j]));
  return costs;
}

std::unique_ptr<DocumentState> TableOf(const std::vector<City>& cities) {
  auto doc = std::make_unique<DocumentState>();
  SuspendRecording(doc->journal);
  for (std::size_t i = 0; i < cities.size(); ++i) {
    const std::size_t row = doc->table.Insert(SIZE_MAX, AsciiToText("City " + std::to_string(i)), 2, false);
    const auto units = [](double degrees) { return static_cast<int>(std::lround(degrees * 100000)); };
    doc->table.SetCell(row, kLongitudeColumn, FormatUnitsDecimal(units(TsplibDegrees(cities[i].y))));
    doc->table.SetCell(row, kLatitudeColumn, FormatUnitsDecimal(units(TsplibDegrees(cities[i].x))));
  }
  return doc;
}

double GapPercent(std::int64_t length, std::int64_t optimum) {
  return 100.0 * static_cast<double>(length - optimum) / static_cast<double>(optimum);
}

// One instance: gaps of the table plan, the matrix plan and the automatic planner.
void BM_Tsplib(benchmark::State& state) {
  const Instance& instance = kGeoSuite[state.range(0)];
  const std::vector<City> cities = ReadTsplib(instance.name);
  if (cities.empty()) {
    state.SkipWithError("no TSPLIB files");
    return;
  }
  const CostMatrix geo = TsplibMatrix(cities);
  const auto doc = TableOf(cities);
  PlanOutcome fromTable;
  std::vector<std::uint32_t> onMatrix, specified;
  for (auto _ : state) {
    fromTable = PlanShortestByStraightLine(*doc, TripMode::RoundTrip, kNeverStop);
    PlanShortestTour(geo, TripMode::RoundTrip, kNeverStop, onMatrix);
  }
  PlanTour(geo, TripMode::RoundTrip, false, kNeverStop, specified);
  state.SetLabel(instance.name);
  state.counters["gap_table_%"] = GapPercent(TourCost(geo, fromTable.tour, TripMode::RoundTrip), instance.optimum);
  state.counters["gap_matrix_%"] = GapPercent(TourCost(geo, onMatrix, TripMode::RoundTrip), instance.optimum);
  state.counters["gap_specified_%"] = GapPercent(TourCost(geo, specified, TripMode::RoundTrip), instance.optimum);
}

// The suite's mean and worst gap of the table plans (the program's own path).
void BM_TsplibSuite(benchmark::State& state) {
  double sum = 0, worst = 0;
  for (auto _ : state) {
    sum = worst = 0;
    for (const Instance& instance : kGeoSuite) {
      const std::vector<City> cities = ReadTsplib(instance.name);
      if (cities.empty()) {
        state.SkipWithError("no TSPLIB files");
        return;
      }
      const PlanOutcome outcome = PlanShortestByStraightLine(*TableOf(cities), TripMode::RoundTrip, kNeverStop);
      const double gap = GapPercent(TourCost(TsplibMatrix(cities), outcome.tour, TripMode::RoundTrip), instance.optimum);
      sum += gap;
      worst = std::max(worst, gap);
    }
  }
  state.counters["mean_gap_%"] = sum / std::size(kGeoSuite);
  state.counters["worst_gap_%"] = worst;
}

std::int64_t BruteForce(const CostMatrix& costs, TripMode mode) {
  std::vector<std::uint32_t> tour(costs.size());
  std::iota(tour.begin(), tour.end(), 0u);
  const auto end = mode == TripMode::FixedLast ? tour.end() - 1 : tour.end();
  std::int64_t best = TourCost(costs, tour, mode);
  while (std::next_permutation(tour.begin() + 1, end)) best = std::min(best, TourCost(costs, tour, mode));
  return best;
}

// 1,000 itineraries of 9 stops (random places, or random costs each way): exact plans that
// are longer than brute force's shortest (0 expected), and the automatic planner's misses.
void BM_ExactAgainstBruteForce(benchmark::State& state) {
  const TripMode mode = static_cast<TripMode>(state.range(0));
  const bool asymmetric = state.range(1) != 0;
  constexpr std::size_t kStops = 9;
  int longer = 0, specifiedMisses = 0;
  for (auto _ : state) {
    std::mt19937 random(9);
    longer = specifiedMisses = 0;
    for (int run = 0; run < 1000; ++run) {
      CostMatrix costs;
      costs.Allocate(kStops);
      std::vector<std::pair<double, double>> places(kStops);
      for (auto& place : places) place = {random() % 100000 / 1000.0, random() % 100000 / 1000.0};
      for (std::size_t i = 0; i < kStops; ++i)
        for (std::size_t j = 0; j < kStops; ++j) {
          const double dx = places[i].first - places[j].first, dy = places[i].second - places[j].second;
          const auto straight = static_cast<std::int32_t>(std::sqrt(dx * dx + dy * dy) * 1000);
          costs.set(i, j, i == j ? 0 : asymmetric ? straight + static_cast<std::int32_t>(random() % 30000) : straight);
        }
      std::vector<std::uint32_t> tour;
      PlanShortestTour(costs, mode, kNeverStop, tour);
      const std::int64_t shortest = BruteForce(costs, mode);
      if (TourCost(costs, tour, mode) != shortest) ++longer;
      PlanTour(costs, mode, asymmetric, kNeverStop, tour);
      if (TourCost(costs, tour, mode) != shortest) ++specifiedMisses;
    }
  }
  state.counters["longer_than_brute_force"] = longer;
  state.counters["specified_misses"] = specifiedMisses;
}

DocumentState& Stops(std::size_t count) {
  static std::map<std::size_t, std::unique_ptr<DocumentState>> made;
  auto& doc = made[count];
  if (doc) return *doc;
  doc = std::make_unique<DocumentState>();
  // The same places as the automatic planner's benchmark.
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

// The whole plan of random stops around Taiwan, with the length against the walk.
void BM_ShortestByStraight(benchmark::State& state) {
  const DocumentState& doc = Stops(static_cast<std::size_t>(state.range(0)));
  const TripMode mode = static_cast<TripMode>(state.range(1));
  PlanOutcome outcome;
  for (auto _ : state) {
    outcome = PlanShortestByStraightLine(doc, mode, kNeverStop);
    benchmark::DoNotOptimize(outcome.tour.data());
  }
  std::vector<RowPoint> points(doc.table.RowCount());
  for (std::size_t row = 0; row < points.size(); ++row) ReadRowPoint(doc, row, points[row]);
  std::vector<std::uint32_t> walk;
  NearestNeighbourWalk(points, mode, kNeverStop, walk);
  const std::int64_t length = TourCost(points, outcome.tour, mode);
  state.counters["km"] = static_cast<double>(length) / 1000.0;
  state.counters["vs_walk"] = static_cast<double>(length) / static_cast<double>(TourCost(points, walk, mode));
}

// The automatic planner on the same stops, for the length it reaches (1,000 stops).
void BM_SpecifiedByStraight(benchmark::State& state) {
  const DocumentState& doc = Stops(static_cast<std::size_t>(state.range(0)));
  PlanOutcome outcome;
  for (auto _ : state) outcome = PlanByStraightLine(doc, TripMode::RoundTrip, kNeverStop);
  std::vector<RowPoint> points(doc.table.RowCount());
  for (std::size_t row = 0; row < points.size(); ++row) ReadRowPoint(doc, row, points[row]);
  state.counters["km"] = static_cast<double>(TourCost(points, outcome.tour, TripMode::RoundTrip)) / 1000.0;
}

BENCHMARK(BM_Tsplib)->DenseRange(0, std::size(kGeoSuite) - 1)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_TsplibSuite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ExactAgainstBruteForce)->ArgsProduct({{0, 1, 2}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ShortestByStraight)
    ->ArgsProduct({{1000, 10000, 100000}, {static_cast<int>(TripMode::RoundTrip)}})
    ->Args({10000, static_cast<int>(TripMode::OpenEnd)})
    ->Args({10000, static_cast<int>(TripMode::FixedLast)})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(BM_SpecifiedByStraight)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
