#include "planning/RouteOrder.h"

#include <algorithm>
#include <vector>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {


constexpr int kDestinationText = 13127;
constexpr int kViaPointText = 13128;
constexpr int kToPassText = 13129;
constexpr int kPassedText = 13130;
constexpr int kMovingText = 13132;
constexpr int kReversingText = 13133;

bool IsPassed(EntryStatus status) { return (status & kStatusPassed) != 0; }

// The pinned base row never makes the document modified.
void MarkRowModified(DocumentState& doc, std::size_t row) {
  if (row == 0 && doc.baseRowPinned) return;
  doc.SetModified(true);
}

void Finish(CommandContext& context, int command) {
  context.ui.PressToolbarButton(command, false);
  context.doc.titleDirty = true;
  context.doc.statusResetPending = true;
}

void Start(CommandContext& context, int command, int statusText) {
  context.ui.PressToolbarButton(command, true);
  context.ui.ShowStatusText(LoadText(statusText));
}

}  // namespace

bool CanMoveUp(const DocumentState& doc) {
  if (doc.table.SelectedCount() != 1) return false;
  const long long first = doc.table.FirstSelected();
  return first > 1 || (first == 1 && !doc.baseRowPinned);
}

bool CanMoveDown(const DocumentState& doc) {
  if (doc.table.SelectedCount() != 1) return false;
  const long long first = doc.table.FirstSelected();
  const auto rows = static_cast<long long>(doc.table.RowCount());
  return (first != 0 || !doc.baseRowPinned) && first < rows - 1;
}

bool CanReorder(const DocumentState& doc) {
  const std::size_t rows = doc.table.RowCount();
  return rows > 2 || (rows == 2 && !doc.baseRowPinned);
}

void SetDestination(CommandContext& context, bool destination) {
  DocumentState& doc = context.doc;
  if (doc.table.SelectedCount() == 0) return;
  const int command = destination ? IDM_DESTINATION : IDM_VIA_POINT;
  Start(context, command, destination ? kDestinationText : kViaPointText);
  BeginUndoGroup(doc.journal);
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const ItineraryEntry& entry = doc.table.Row(row);
    if (!entry.selected) continue;
    const EntryStatus status = destination ? (entry.status | kStatusDestination) : (entry.status & ~kStatusDestination);
    if (status == entry.status) continue;
    SetStatusRecorded(doc, row, status);
    MarkRowModified(doc, row);
  }
  MapSyncAll(doc);
  Finish(context, command);
}

void SetPassed(CommandContext& context, bool passed) {
  DocumentState& doc = context.doc;
  if (doc.table.SelectedCount() != 1) return;
  const int command = passed ? IDM_PASSED : IDM_TO_PASS;
  Start(context, command, passed ? kPassedText : kToPassText);
  BeginUndoGroup(doc.journal);
  const auto row = static_cast<std::size_t>(doc.table.FirstSelected());
  const EntryStatus old = doc.table.Row(row).status;
  const EntryStatus status = passed ? (old | kStatusPassed) : (old & ~kStatusPassed);
  if (status != old) {
    SetStatusRecorded(doc, row, status);
    MarkRowModified(doc, row);
  }
  EnforcePassedRun(doc, row);
  Finish(context, command);
}

void ToggleDestination(CommandContext& context, std::size_t row) {
  if (row >= context.doc.table.RowCount()) return;
  SetDestination(context, (context.doc.table.Row(row).status & kStatusDestination) == 0);
}

void EnforcePassedRun(DocumentState& doc, std::size_t row) {
  ItineraryTable& table = doc.table;
  if (row >= table.RowCount()) return;
  if (IsPassed(table.Row(row).status)) {
    for (std::size_t r = row; r-- > 0;) {
      const EntryStatus status = table.Row(r).status;
      if (IsPassed(status)) break;
      SetStatusRecorded(doc, r, status | kStatusPassed);
      MarkRowModified(doc, r);
    }
  } else {
    for (std::size_t r = row + 1; r < table.RowCount(); ++r) {
      const EntryStatus status = table.Row(r).status;
      if (!IsPassed(status)) break;
      SetStatusRecorded(doc, r, status & ~kStatusPassed);
      MarkRowModified(doc, r);
    }
  }
  doc.titleDirty = true;
}

bool MoveEntry(CommandContext& context, std::size_t row, MoveDirection direction, bool recording) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  const std::size_t rows = table.RowCount();
  const bool up = direction == MoveDirection::Up;
  if (row >= rows || (up && row == 0) || (!up && row + 1 >= rows)) return false;
  const std::size_t a = row;
  const std::size_t t = up ? a - 1 : a + 1;
  const int command = up ? IDM_MOVE_UP : IDM_MOVE_DOWN;
  context.ui.SetWaitCursor(true);
  if (recording) context.ui.PressToolbarButton(command, true);
  context.ui.ShowStatusText(LoadText(kMovingText));
  if (recording) {
    BeginUndoGroup(doc.journal);
    RecordMove(doc, direction, t);
  } else {
    SuspendRecording(doc.journal);
  }

  table.SwapContents(a, t);
  table.SetSelected(a, false);
  table.SetSelected(t, true);
  table.SetFocused(t);
  // The passed run is mended from the upper row of the pair: a passed entry moved below
  // one to pass loses its passed bit.
  EnforcePassedRun(doc, std::min(a, t));
  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  if (doc.baseRow >= 0) {
    if (doc.baseRow == static_cast<long long>(a)) {
      doc.baseRow = static_cast<long long>(t);
    } else if (doc.baseRow == static_cast<long long>(t)) {
      doc.baseRow = static_cast<long long>(a);
    }
    ComputeDistances(context, static_cast<long long>(a), false);
    ComputeDistances(context, static_cast<long long>(t), false);
    ComputeDistances(context, static_cast<long long>(up ? a + 1 : a + 2), false);
  }
  context.ui.EnsureRowVisible(up ? static_cast<long long>(a >= 3 ? a - 3 : 0)
                                 : static_cast<long long>(std::min(a + 3, rows - 1)));
  if (doc.recorder) doc.recorder->RowsSwapped(a, t);
  if (recording) MapSyncAll(doc);
  doc.SetModified(true);
  doc.selectPending = true;
  context.ui.SetWaitCursor(false);
  if (recording) context.ui.PressToolbarButton(command, false);
  doc.statusResetPending = true;
  return true;
}

void MoveUp(CommandContext& context) {
  if (!CanMoveUp(context.doc)) return;
  MoveEntry(context, static_cast<std::size_t>(context.doc.table.FirstSelected()), MoveDirection::Up, true);
}

void MoveDown(CommandContext& context) {
  if (!CanMoveDown(context.doc)) return;
  MoveEntry(context, static_cast<std::size_t>(context.doc.table.FirstSelected()), MoveDirection::Down, true);
}

void ReverseRoute(CommandContext& context) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (!CanReorder(doc)) return;
  context.ui.SetWaitCursor(true);
  Start(context, IDM_REVERSE, kReversingText);
  BeginUndoGroup(doc.journal);
  const std::size_t rows = table.RowCount();
  const std::size_t first = doc.baseRowPinned ? 1 : 0;
  std::size_t m = first;
  std::size_t i = rows - 1;
  for (; m < i; ++m, --i) {
    const ItineraryEntry& upper = table.Row(m);
    const ItineraryEntry& lower = table.Row(i);
    CellText upperName = upper.name;
    const CoordinateCell upperLongitude = upper.longitude, upperLatitude = upper.latitude;
    const CoordinateCell lowerLongitude = lower.longitude, lowerLatitude = lower.latitude;
    const EntryStatus upperStatus = upper.status, lowerStatus = lower.status;
    const bool upperSelected = upper.selected, lowerSelected = lower.selected;
    const bool upperFocused = upper.focused, lowerFocused = lower.focused;

    SetStatusRecorded(doc, m, lowerStatus & ~kStatusPassed, kNameColumn, lower.Name());
    SetStatusRecorded(doc, i, upperStatus & ~kStatusPassed, kNameColumn, std::move(upperName));
    table.SetSelected(m, lowerSelected);
    table.SetSelected(i, upperSelected);
    if (lowerFocused) table.SetFocused(m);
    if (upperFocused) table.SetFocused(i);
    SetCellRecorded(doc, m, kLongitudeColumn, lowerLongitude.Value(Axis::Longitude));
    SetCellRecorded(doc, m, kLatitudeColumn, lowerLatitude.Value(Axis::Latitude));
    SetCellRecorded(doc, i, kLongitudeColumn, upperLongitude.Value(Axis::Longitude));
    SetCellRecorded(doc, i, kLatitudeColumn, upperLatitude.Value(Axis::Latitude));
    if (doc.recorder) doc.recorder->RowsSwapped(m, i);
  }
  // Rows that stayed put (the pinned base row, the middle of an odd count) lose their
  // passed bit too: after a reverse nothing is passed.
  std::vector<std::size_t> unmoved;
  if (doc.baseRowPinned) unmoved.push_back(0);
  if (m == i) unmoved.push_back(m);
  for (std::size_t row : unmoved) {
    const EntryStatus status = table.Row(row).status;
    if (IsPassed(status)) SetStatusRecorded(doc, row, status & ~kStatusPassed);
  }
  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  if (doc.baseRow >= 0) {
    // The base follows its entry; a pinned base row stays first.
    const auto base = static_cast<std::size_t>(doc.baseRow);
    const long long newBase = base >= first ? static_cast<long long>(first + (rows - 1) - base) : doc.baseRow;
    RecordBaseRowChange(doc, newBase);
    SetBaseRow(context, newBase, true);
  }
  MapSyncAll(doc);
  doc.SetModified(true);
  doc.selectPending = true;
  context.ui.SetWaitCursor(false);
  Finish(context, IDM_REVERSE);
}

}  // namespace wayloom
