// The editing engine on large tables: sort, reverse, undo and redo of a 1,000,000-row
// table, and a journal full of 64 groups of 100,000-row deletes, with the journal's
// memory. Run: build/bench/EditingBench (targets: each command under 1 s on 1,000,000
// rows; an order snapshot at most two integers per row; a deleted row costs one copy of
// its texts).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "core/RowOperations.h"
#include "editing/UndoCommands.h"
#include "core/UndoJournal.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"
#include "platform/posix/PortableCollation.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom {
namespace {

constexpr std::size_t kMillion = 1000000;
constexpr std::size_t kDeleteRows = 100000;
constexpr int kDeleteGroups = 64;

const char* const kPrefixes[] = {"Stop ", "Taipei Station ", "rest area ", "Hotel ", "", "View point "};

class QuietUi : public Ui {
 public:
  MessageResult ShowMessage(int, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    return MessageResult::Ok;
  }
};

struct Editor {
  DocumentState doc;
  QuietUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  PortableCollation collation;

  // With a base row every command recomputes a million distances too, as in real use.
  Editor(std::size_t rows, bool baseRow) {
    doc.collation = &collation;
    std::mt19937 random(42);
    std::uniform_int_distribution<int> number(0, 9999999), longitude(11900000, 12200000), latitude(2100000, 2600000);
    doc.table.Reserve(rows);
    SuspendRecording(doc.journal);
    for (std::size_t i = 0; i < rows; ++i) {
      const std::string name = kPrefixes[i % std::size(kPrefixes)] + std::to_string(number(random));
      const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, AsciiToText(name), i < 10 ? 3 : 2, false);
      if (i % 50 == 7) continue;  // a few rows without coordinates
      doc.table.SetCell(row, kLongitudeColumn, FormatUnitsDecimal(longitude(random)));
      doc.table.SetCell(row, kLatitudeColumn, FormatUnitsDecimal(latitude(random)));
    }
    RenumberOrder(doc.table);
    SetBaseRow(context, baseRow ? 1 : -1, false);
    doc.SetModified(false);
  }

  // The delete command: every selected row, from the top down, as one undo step.
  void DeleteRows(const std::vector<std::uint32_t>& rows) {
    BeginUndoGroup(doc.journal);
    DeleteRowsRecorded(doc, rows);
    RenumberOrder(doc.table);
    SetBaseRow(context, -1, true);
    doc.SetModified(true);
  }

  // Every (count / k)-th row, k rows.
  std::vector<std::uint32_t> Spread(std::size_t k) const {
    const std::size_t count = doc.table.RowCount();
    std::vector<std::uint32_t> rows(k);
    for (std::size_t i = 0; i < k; ++i) rows[i] = static_cast<std::uint32_t>(i * (count / k) + (count / k) / 2);
    return rows;
  }
};

Editor& Shared() {
  static Editor editor(kMillion, true);
  return editor;
}

double PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// Times `timed` and runs `untimed` after it (to put the table back) outside the clock.
template <typename Timed, typename Untimed>
void Measure(benchmark::State& state, Timed timed, Untimed untimed) {
  for (auto _ : state) {
    timed();
    state.PauseTiming();
    untimed();
    state.ResumeTiming();
  }
}

void BM_SortNames(benchmark::State& state) {
  Editor& e = Shared();
  Measure(state, [&] { SortNames(e.context, true); }, [&] { Undo(e.context); });
}

void BM_SortNamesUndo(benchmark::State& state) {
  Editor& e = Shared();
  ResetJournal(e.doc.journal);
  const std::size_t empty = JournalMemoryBytes(e.doc.journal);
  SortNames(e.context, true);
  state.counters["snapshot_bytes_per_row"] =
      static_cast<double>(JournalMemoryBytes(e.doc.journal) - empty) / static_cast<double>(e.doc.table.RowCount());
  Measure(state, [&] { Undo(e.context); }, [&] { Redo(e.context); });
  Undo(e.context);
}

void BM_SortNamesRedo(benchmark::State& state) {
  Editor& e = Shared();
  SortNames(e.context, true);
  Undo(e.context);
  Measure(state, [&] { Redo(e.context); }, [&] { Undo(e.context); });
}

void BM_SortLongitude(benchmark::State& state) {
  Editor& e = Shared();
  Measure(state, [&] { SortTable(e.context, kLongitudeColumn, false, SortMode::Command); }, [&] { Undo(e.context); });
}

void BM_SortDistance(benchmark::State& state) {
  Editor& e = Shared();
  Measure(state, [&] { SortTable(e.context, kDistanceColumn, true, SortMode::Command); }, [&] { Undo(e.context); });
}

void BM_Reverse(benchmark::State& state) {
  Editor& e = Shared();
  Measure(state, [&] { ReverseRoute(e.context); }, [&] { Undo(e.context); });
  ReverseRoute(e.context);
  state.counters["journal_bytes_per_row"] =
      static_cast<double>(JournalMemoryBytes(e.doc.journal)) / static_cast<double>(e.doc.table.RowCount());
  Undo(e.context);
}

void BM_ReverseUndo(benchmark::State& state) {
  Editor& e = Shared();
  ReverseRoute(e.context);
  Measure(state, [&] { Undo(e.context); }, [&] { Redo(e.context); });
  Undo(e.context);
}

void BM_ReverseRedo(benchmark::State& state) {
  Editor& e = Shared();
  ReverseRoute(e.context);
  Undo(e.context);
  Measure(state, [&] { Redo(e.context); }, [&] { Undo(e.context); });
}

void BM_Delete100kOf1M(benchmark::State& state) {
  Editor& e = Shared();
  ResetJournal(e.doc.journal);
  Measure(state, [&] { e.DeleteRows(e.Spread(kDeleteRows)); }, [&] { Undo(e.context); });
}

void BM_Delete100kOf1MUndo(benchmark::State& state) {
  Editor& e = Shared();
  e.DeleteRows(e.Spread(kDeleteRows));
  Measure(state, [&] { Undo(e.context); }, [&] { Redo(e.context); });
  Undo(e.context);
}

void BM_Delete100kOf1MRedo(benchmark::State& state) {
  Editor& e = Shared();
  e.DeleteRows(e.Spread(kDeleteRows));
  Undo(e.context);
  Measure(state, [&] { Redo(e.context); }, [&] { Undo(e.context); });
}

// 64 groups of 100,000-row deletes, from 6,500,000 rows down to 100,000, without a base
// row (each delete still renumbers the whole table).
std::unique_ptr<Editor>& Big() {
  static std::unique_ptr<Editor> editor;
  return editor;
}

// A row's texts as the journal keeps them: the name's pooled block (its length and units
// in sizes of four units) and two coordinate cells, with a block only for a coordinate kept
// as text.
std::size_t RowTextBytes(const ItineraryEntry& entry) {
  std::size_t bytes = sizeof(CellText) + PooledTextBytes(entry.name.size()) + 2 * sizeof(CoordinateCell);
  for (Axis axis : {Axis::Longitude, Axis::Latitude})
    if (!entry.Coordinate(axis).HasUnits()) bytes += PooledTextBytes(entry.Coordinate(axis).Value(axis).size());
  return bytes;
}

void BM_DeleteGroups64x100k(benchmark::State& state) {
  Big() = std::make_unique<Editor>(kDeleteRows * (kDeleteGroups + 1), false);
  Editor& e = *Big();
  ResetJournal(e.doc.journal);
  double textBytes = 0;
  for (auto _ : state) {
    for (int group = 0; group < kDeleteGroups; ++group) {
      state.PauseTiming();
      const std::vector<std::uint32_t> rows = e.Spread(kDeleteRows);
      for (std::uint32_t row : rows) textBytes += static_cast<double>(RowTextBytes(e.doc.table.Row(row)));
      state.ResumeTiming();
      e.DeleteRows(rows);
    }
  }
  const double deleted = static_cast<double>(kDeleteRows * kDeleteGroups);
  state.counters["groups"] = kDeleteGroups;
  state.counters["journal_MB"] = static_cast<double>(JournalMemoryBytes(e.doc.journal)) / 1048576.0;
  state.counters["journal_bytes_per_deleted_row"] = static_cast<double>(JournalMemoryBytes(e.doc.journal)) / deleted;
  state.counters["row_text_bytes_per_deleted_row"] = textBytes / deleted;
  state.counters["peak_MB"] = PeakMegabytes();
}

void BM_DeleteGroups64x100kUndoAll(benchmark::State& state) {
  Editor& e = *Big();
  for (auto _ : state) {
    int groups = 0;
    while (CanUndo(e.doc.journal)) {
      Undo(e.context);
      ++groups;
    }
    state.counters["groups"] = groups;
  }
  state.counters["rows_after"] = static_cast<double>(e.doc.table.RowCount());
}

void BM_DeleteGroups64x100kRedoAll(benchmark::State& state) {
  Editor& e = *Big();
  for (auto _ : state) {
    while (CanRedo(e.doc.journal)) Redo(e.context);
  }
  state.counters["rows_after"] = static_cast<double>(e.doc.table.RowCount());
  Big().reset();
}

constexpr int kRounds = 3;

BENCHMARK(BM_SortNames)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_SortNamesUndo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_SortNamesRedo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_SortLongitude)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_SortDistance)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_Reverse)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_ReverseUndo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_ReverseRedo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_Delete100kOf1M)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_Delete100kOf1MUndo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_Delete100kOf1MRedo)->Unit(benchmark::kMillisecond)->Iterations(kRounds);
BENCHMARK(BM_DeleteGroups64x100k)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DeleteGroups64x100kUndoAll)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DeleteGroups64x100kRedoAll)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
