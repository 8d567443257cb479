// The program's engine on a 1,000,000-waypoint file: open it (GPX and ITN; GPX also without
// the distance column), sort by name, save it (ITN and GPX), through the same commands as
// the window, with the table's bytes per row after the open. Run: build/bench/bench/DocumentBench (target: open and save no
// slower than `wayloom-cli convert` of the same file, bench/convert_throughput.sh).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>

#include "editing/DocumentCommands.h"
#include "editing/UndoCommands.h"
#include "formats/FileFormat.h"
#include "planning/SortTable.h"
#include "platform/posix/PortableCollation.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom {
namespace {

constexpr std::size_t kRows = 1000000;

class QuietUi : public Ui {
 public:
  MessageResult ShowMessage(int, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    return MessageResult::Ok;
  }
};

// Names as bench/convert_throughput.sh makes them: Latin, Chinese and other scripts.
std::string WaypointFile(std::size_t rows) {
  static const char* const kWords[] = {"Place", "Café", "Straße", "Fish &amp; Chips", "台北車站", "高雄港",
                                       "日月潭", "九份老街", "Москва", "Αθήνα", "東京タワー", "서울역"};
  std::mt19937 random(15);
  std::uniform_int_distribution<int> longitude(-18000000, 18000000), latitude(-9000000, 9000000);
  std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
  std::string gpx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\">\n";
  char line[256];
  for (std::size_t i = 0; i < rows; ++i) {
    const int lon = longitude(random), lat = latitude(random);
    std::snprintf(line, sizeof line, "<wpt lat=\"%s%d.%05d\" lon=\"%s%d.%05d\"><name>%s %zu</name></wpt>\n",
                  lat < 0 ? "-" : "", std::abs(lat) / 100000, std::abs(lat) % 100000, lon < 0 ? "-" : "",
                  std::abs(lon) / 100000, std::abs(lon) % 100000, kWords[word(random)], i);
    gpx += line;
  }
  gpx += "</gpx>\n";
  return gpx;
}

double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  double size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE));
}

// What the table holds: its row array, each name's pooled block and each coordinate kept
// as text. The distance texts are shared by the whole process and not counted.
double TableBytes(const ItineraryTable& table) {
  double bytes = static_cast<double>(table.RowCount() * sizeof(ItineraryEntry));
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    bytes += static_cast<double>(PooledTextBytes(entry.name.size()));
    for (Axis axis : {Axis::Longitude, Axis::Latitude})
      if (!entry.Coordinate(axis).HasUnits()) bytes += static_cast<double>(PooledTextBytes(entry.Coordinate(axis).Value(axis).size()));
  }
  return bytes;
}

struct Session {
  DocumentState doc;
  QuietUi ui;
  PosixFileStore files;
  PortableCollation collation;
  CommandContext context{doc, ui, files};
  std::string folder;
  Text gpx, itn, savedItn, savedGpx;

  Session() {
    doc.collation = &collation;
    char pattern[] = "/tmp/wayloom-document-bench-XXXXXX";
    folder = mkdtemp(pattern);
    std::ofstream(folder + "/in.gpx", std::ios::binary) << WaypointFile(kRows);
    gpx = Utf8ToText(folder + "/in.gpx");
    itn = Utf8ToText(folder + "/in.itn");
    savedItn = Utf8ToText(folder + "/saved.itn");
    savedGpx = Utf8ToText(folder + "/saved.gpx");
  }
  ~Session() {
    for (const char* name : {"/in.gpx", "/in.itn", "/saved.itn", "/saved.gpx"}) std::remove((folder + name).c_str());
    rmdir(folder.c_str());
  }
};

Session& Shared() {
  static Session session;
  return session;
}

void Open(benchmark::State& state, const Text& path) {
  Session& s = Shared();
  for (auto _ : state) {
    state.PauseTiming();
    s.doc.SetModified(false);
    NewDocument(s.context);
    const double before = ResidentBytes();
    state.ResumeTiming();
    if (!OpenPath(s.context, path)) state.SkipWithError("open failed");
    state.PauseTiming();
    const double rows = static_cast<double>(s.doc.table.RowCount());
    state.counters["rows"] = rows;
    state.counters["table_bytes_per_row"] = TableBytes(s.doc.table) / rows;
    // Later opens reuse the blocks the earlier table freed: only the first open shows
    // what the process grows by.
    if (!state.counters.count("rss_growth_bytes_per_row"))
      state.counters["rss_growth_bytes_per_row"] = (ResidentBytes() - before) / rows;
    state.ResumeTiming();
  }
}

void BM_OpenGpx(benchmark::State& state) { Open(state, Shared().gpx); }

// The same open with the distance column turned off (View > distance), as the command-line
// conversions read: the same work as theirs.
void BM_OpenGpxWithoutDistances(benchmark::State& state) {
  Settings& settings = Shared().doc.settings;
  const bool shown = settings.Get(Option::ShowDistance);
  settings.Set(Option::ShowDistance, false);
  Open(state, Shared().gpx);
  settings.Set(Option::ShowDistance, shown);
}

void BM_SortNames(benchmark::State& state) {
  Session& s = Shared();
  for (auto _ : state) {
    SortNames(s.context, true);
    state.PauseTiming();
    Undo(s.context);
    state.ResumeTiming();
  }
}

void BM_SaveItn(benchmark::State& state) {
  Session& s = Shared();
  for (auto _ : state)
    if (!TransferFile(s.context, TransferMode::Save, s.itn, kItnFormat)) state.SkipWithError("save failed");
}

void BM_OpenItn(benchmark::State& state) { Open(state, Shared().itn); }

void BM_SaveGpx(benchmark::State& state) {
  Session& s = Shared();
  for (auto _ : state)
    if (!TransferFile(s.context, TransferMode::Save, s.savedGpx, 3)) state.SkipWithError("save failed");
}

// In this order: the ITN the first save writes is what the second open reads.
BENCHMARK(BM_OpenGpxWithoutDistances)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenGpx)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SortNames)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveItn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenItn)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SaveGpx)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
