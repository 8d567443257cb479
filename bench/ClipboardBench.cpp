// The clipboard commands on 100,000 rows: copy (both blocks in one pass), paste appended
// to an empty table, paste before the first row of a 100,000-row table, with "Check Name"
// on. Run: build/bench/ClipboardBench; peak memory of one case:
//   /usr/bin/time -v build/bench/ClipboardBench --benchmark_filter=Copy
#include <benchmark/benchmark.h>

#include <map>
#include <random>
#include <string>

#include "core/RowOperations.h"
#include "editing/Clipboard.h"
#include "planning/Distances.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom {
namespace {

constexpr std::size_t kRows = 100000;

class QuietUi : public Ui {
 public:
  MessageResult ShowMessage(int, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    return MessageResult::Ok;
  }
};

class MemoryClipboard : public ClipboardStore {
 public:
  bool Open() override { return true; }
  void Close() override {}
  bool Empty() override {
    blocks.clear();
    return true;
  }
  bool Put(ClipboardFormat format, std::vector<std::uint8_t> bytes) override {
    blocks[format] = std::move(bytes);
    return true;
  }
  bool Has(ClipboardFormat format) override { return blocks.contains(format); }
  std::optional<std::vector<std::uint8_t>> Get(ClipboardFormat format) override {
    if (!blocks.contains(format)) return std::nullopt;
    return blocks[format];
  }
  std::map<ClipboardFormat, std::vector<std::uint8_t>> blocks;
};

struct Editor {
  DocumentState doc;
  QuietUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};

  Editor(MemoryClipboard& clipboard, std::size_t rows, const char* prefix) {
    context.clipboard = &clipboard;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> longitude(11900000, 12200000), latitude(2100000, 2600000);
    doc.table.Reserve(rows);
    SuspendRecording(doc.journal);
    for (std::size_t i = 0; i < rows; ++i) {
      const std::size_t row =
          InsertRowRecorded(doc, SIZE_MAX, AsciiToText(prefix + std::to_string(i)), 2, true);
      doc.table.SetCell(row, kLongitudeColumn, FormatUnitsDecimal(longitude(random)));
      doc.table.SetCell(row, kLatitudeColumn, FormatUnitsDecimal(latitude(random)));
    }
    RenumberOrder(doc.table);
    SetBaseRow(context, -1, false);
  }
};

void BM_CopyRows(benchmark::State& state) {
  MemoryClipboard clipboard;
  Editor editor(clipboard, kRows, "Taipei Station exit ");
  for (auto _ : state) benchmark::DoNotOptimize(CopyRows(editor.context));
  state.counters["rowBlockMB"] = static_cast<double>(clipboard.blocks[ClipboardFormat::OwnRows].size()) / 1e6;
  state.counters["textBlockMB"] = static_cast<double>(clipboard.blocks[ClipboardFormat::UnicodeText].size()) / 1e6;
}
BENCHMARK(BM_CopyRows)->Unit(benchmark::kMillisecond);

// Pastes the 100,000 copied rows into a table of tableRows rows, before its first row
// (or appended to an empty table).
void PasteInto(benchmark::State& state, std::size_t tableRows, bool checkName) {
  MemoryClipboard clipboard;
  {
    Editor source(clipboard, kRows, "Stop ");
    CopyRows(source.context);
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto target = std::make_unique<Editor>(clipboard, tableRows, "Kept ");
    target->doc.settings.Set(Option::CheckName, checkName);
    target->doc.table.ClearSelectionAndFocus();
    if (tableRows > 0) target->doc.table.SetSelected(0, true);
    state.ResumeTiming();
    PasteRows(target->context);
    state.PauseTiming();
    if (target->doc.table.RowCount() != tableRows + kRows) state.SkipWithError("rows missing");
    target.reset();
    state.ResumeTiming();
  }
}

void BM_PasteRowsIntoEmptyTable(benchmark::State& state) { PasteInto(state, 0, false); }
BENCHMARK(BM_PasteRowsIntoEmptyTable)->Unit(benchmark::kMillisecond);

void BM_PasteRowsBeforeFirstOf100000(benchmark::State& state) { PasteInto(state, kRows, false); }
BENCHMARK(BM_PasteRowsBeforeFirstOf100000)->Unit(benchmark::kMillisecond);

void BM_PasteRowsBeforeFirstOf100000CheckName(benchmark::State& state) { PasteInto(state, kRows, true); }
BENCHMARK(BM_PasteRowsBeforeFirstOf100000CheckName)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace wayloom

BENCHMARK_MAIN();
