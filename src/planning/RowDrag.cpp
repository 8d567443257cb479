#include "planning/RowDrag.h"

#include <algorithm>
#include <vector>

#include "core/RowOperations.h"
#include "core/StringTable.h"
#include "core/UndoJournal.h"
#include "planning/Distances.h"

namespace wayloom {
namespace {

constexpr int kCopyingText = 13119;  // "正在複製行程的資料..."
constexpr int kMovingText = 13132;   // "正在移動行程的資料..."

std::vector<std::size_t> SelectedRows(const ItineraryTable& table) {
  std::vector<std::size_t> rows;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    if (table.Row(row).selected) rows.push_back(row);
  return rows;
}

}  // namespace

std::size_t DropPosition(const DocumentState& doc, long long hitRow) {
  const std::size_t rows = doc.table.RowCount();
  if (hitRow < 0 || static_cast<std::size_t>(hitRow) >= rows) return rows;
  if (hitRow == 0 && doc.baseRowPinned) return 1;
  return static_cast<std::size_t>(hitRow);
}

DragEffect InsideDragEffect(const DocumentState& doc, std::size_t drop, bool copyKey) {
  const std::vector<std::size_t> selected = SelectedRows(doc.table);
  if (selected.empty() || (selected.front() == 0 && doc.baseRowPinned)) return DragEffect::None;
  if (copyKey) return DragEffect::Copy;
  const std::size_t first = selected.front(), last = selected.back();
  const bool oneBlock = last - first + 1 == selected.size();
  if (!oneBlock || drop < first || drop > last + 1) return DragEffect::Move;
  return DragEffect::None;
}

void DropSelectedRows(CommandContext& context, std::size_t drop, DragEffect effect) {
  if (effect != DragEffect::Move && effect != DragEffect::Copy) return;
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  const std::vector<std::size_t> sources = SelectedRows(table);
  drop = std::min(drop, table.RowCount());
  if (sources.empty() || InsideDragEffect(doc, drop, effect == DragEffect::Copy) != effect) return;

  context.ui.SetWaitCursor(true);
  context.ui.ShowStatusText(LoadText(effect == DragEffect::Move ? kMovingText : kCopyingText));
  context.ui.SuspendRedraw(true);
  BeginUndoGroup(doc.journal);
  const EntryStatus passed = drop < table.RowCount() ? (table.Row(drop).status & kStatusPassed) : 0;
  const long long oldBase = doc.baseRow;
  const bool baseMoves = effect == DragEffect::Move && oldBase >= 0 &&
                         std::binary_search(sources.begin(), sources.end(), static_cast<std::size_t>(oldBase));
  table.ClearSelectionAndFocus();

  // A source at or below the drop position shifts down by the copies inserted above it.
  const std::size_t count = sources.size();
  auto shifted = [&](std::size_t row) { return row >= drop ? row + count : row; };
  long long baseCopy = -1;
  for (std::size_t k = 0; k < count; ++k) {
    const ItineraryEntry& entry = table.Row(sources[k] >= drop ? sources[k] + k : sources[k]);  // k copies above
    const Text name(entry.Name());
    const CoordinateCell longitude = entry.longitude, latitude = entry.latitude;
    const EntryStatus status = (entry.status & kStatusDestination) | passed;
    const std::size_t row = InsertRowRecorded(doc, drop + k, name, status, true);
    SetCellRecorded(doc, row, kLongitudeColumn, longitude.Value(Axis::Longitude));
    SetCellRecorded(doc, row, kLatitudeColumn, latitude.Value(Axis::Latitude));
    if (baseMoves && sources[k] == static_cast<std::size_t>(oldBase)) baseCopy = static_cast<long long>(row);
  }

  if (effect == DragEffect::Move) {
    std::vector<std::uint32_t> old;
    for (std::size_t row : sources) old.push_back(static_cast<std::uint32_t>(shifted(row)));
    long long below = 0;  // sources deleted above the base row's copy
    for (std::uint32_t row : old) below += static_cast<long long>(row) < baseCopy ? 1 : 0;
    DeleteRowsRecorded(doc, old);
    baseCopy -= below;
  }

  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  if (baseMoves) {
    RecordBaseRowChange(doc, baseCopy);
    SetBaseRow(context, baseCopy, true);
  } else {
    SetBaseRow(context, -1, true);  // the base row found again by its marker
  }
  context.ui.SuspendRedraw(false);
  context.ui.TableChanged();
  if (const long long first = table.FirstSelected(); first >= 0) context.ui.EnsureRowVisible(first);
  MapSyncAll(doc);
  doc.SetModified(true);
  doc.titleDirty = true;
  doc.selectPending = true;
  doc.statusResetPending = true;
  context.ui.SetWaitCursor(false);
}

}  // namespace wayloom
