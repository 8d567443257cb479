// The itinerary checks on 10,000 rows: full near-distance and similar-name scans (rows
// with no near pair and no similar names, so every pair is looked at), and a run of 5,000
// groups per phase taken to its end with Continue. Run: build/bench/ChecksBench
#include <benchmark/benchmark.h>

#include <string>

#include "core/RowOperations.h"
#include "editing/ItineraryChecks.h"
#include "platform/posix/PortableCollation.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom {
namespace {

constexpr std::size_t kRows = 10000;

class QuietUi : public Ui {
 public:
  MessageResult ShowMessage(int, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    return MessageResult::Ok;
  }
};

// A name no other contains: a fixed-width code of its index in letters, a Chinese
// character and a capital.
std::string UniqueName(std::size_t index) {
  static const char* const kChinese[] = {"台", "北", "車", "站", "高", "雄", "港", "山"};
  std::string name;
  for (std::size_t k = 0, rest = index; k < 4; ++k, rest /= 26) name.push_back(static_cast<char>('a' + rest % 26));
  name += kChinese[index / 7 % 8];
  name.push_back(static_cast<char>('A' + index * 7 % 26));
  return name;
}

struct Checker {
  DocumentState doc;
  QuietUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  PortableCollation collation;
  CheckWindows windows;
  CheckResults checks{windows};

  // Rows on a grid about 2 km apart (no pair within 1 km); with paired, every two rows
  // share a point and one name holds the other ("x" and "x-2"), so a run finds 5,000
  // groups of each kind.
  explicit Checker(bool paired) {
    doc.collation = &collation;
    SuspendRecording(doc.journal);
    for (std::size_t i = 0; i < kRows; ++i) {
      const std::size_t place = paired ? i / 2 : i;
      std::string name = UniqueName(place);
      if (paired && i % 2) name += "-2";
      const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, Utf8ToText(name), 2, false);
      doc.table.SetCell(row, kLongitudeColumn, FormatUnitsDecimal(12000000 + static_cast<long long>(place % 100) * 2000));
      doc.table.SetCell(row, kLatitudeColumn, FormatUnitsDecimal(2200000 + static_cast<long long>(place / 100) * 2000));
    }
    checks.options.threshold = CheckThreshold(1, DistanceUnit::Kilometre);
  }

  void Run(bool near, bool similar) {
    checks.options.nearDistance = near;
    checks.options.similarNames = similar;
    checks.Start(context);
    while (checks.Running()) checks.Continue(context);
  }
};

void BM_NearDistancesFullScan(benchmark::State& state) {
  Checker checker(false);
  for (auto _ : state) checker.Run(true, false);
}
BENCHMARK(BM_NearDistancesFullScan)->Unit(benchmark::kMillisecond);

void BM_SimilarNamesFullScan(benchmark::State& state) {
  Checker checker(false);
  for (auto _ : state) checker.Run(false, true);
}
BENCHMARK(BM_SimilarNamesFullScan)->Unit(benchmark::kMillisecond);

void BM_BothPhasesWith5000GroupsEachToTheEnd(benchmark::State& state) {
  Checker checker(true);
  for (auto _ : state) checker.Run(true, true);
}
BENCHMARK(BM_BothPhasesWith5000GroupsEachToTheEnd)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
