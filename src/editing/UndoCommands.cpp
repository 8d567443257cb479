#include "editing/UndoCommands.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {

namespace {

constexpr int kUndoText = 13113;
constexpr int kRedoText = 13114;

std::uint8_t CurrentFormatFlags(const DocumentState& doc) {
  const CoordinateFormat format = doc.Format();
  return static_cast<std::uint8_t>((format.dms ? kTextsDms : 0) | (format.compass ? kTextsCompass : 0));
}

void SetFormatFlags(UndoRecord& record, std::uint8_t formatFlags) {
  record.flags = static_cast<std::uint8_t>((record.flags & ~(kTextsDms | kTextsCompass)) | formatFlags);
}

// A coordinate text kept in a record, shown in the current display form: it is read as
// degrees (either form) and written again when the form changed since it was recorded.
void ToCurrentForm(CellText& text, Axis axis, std::uint8_t recordedForm, const DocumentState& doc) {
  if (text.empty() || (recordedForm & (kTextsDms | kTextsCompass)) == CurrentFormatFlags(doc)) return;
  if (const auto degrees = ParseDisplay(text)) text.Assign(FormatCoordinate(axis, *degrees, doc.Format()));
}
void ToCurrentForm(CoordinateCell& cell, Axis axis, std::uint8_t recordedForm, const DocumentState& doc) {
  if (cell.empty() || (recordedForm & (kTextsDms | kTextsCompass)) == CurrentFormatFlags(doc)) return;
  if (const auto degrees = ParseDisplay(cell.Value(axis))) cell.Assign(axis, FormatCoordinate(axis, *degrees, doc.Format()));
}

bool IsInsertion(RecordKind kind, bool undo) {
  return kind == (undo ? RecordKind::RowDelete : RecordKind::RowInsert);
}

bool IsRemoval(RecordKind kind, bool undo) {
  return kind == (undo ? RecordKind::RowInsert : RecordKind::RowDelete);
}

// Replays one group and runs the closing step.
class GroupReplay {
 public:
  GroupReplay(CommandContext& context, UndoGroup& group, bool undo)
      : context_(context), doc_(context.doc), table_(context.doc.table), group_(group), undo_(undo) {}

  void Run() {
    auto& records = group_.records;
    const std::size_t count = records.size();
    std::size_t done = 0;
    while (done < count) {
      UndoRecord& record = records[undo_ ? count - 1 - done : done];
      if (IsInsertion(record.kind, undo_) || IsRemoval(record.kind, undo_)) {
        // Consecutive inserts or deletes are replayed together, in one pass over the table.
        std::vector<UndoRecord*> run;
        while (done < count) {
          UndoRecord& next = records[undo_ ? count - 1 - done : done];
          if (next.kind != record.kind) break;
          run.push_back(&next);
          ++done;
        }
        if (IsInsertion(record.kind, undo_)) {
          Reinsert(run);
        } else {
          Remove(run);
        }
        continue;
      }
      ReplayOne(record);
      ++done;
    }
  }

  void Close() {
    const UndoRecord& oldest = group_.records.front();
    const UndoRecord& newest = group_.records.back();
    if (undo_) {
      switch (oldest.kind) {
        case RecordKind::CellEdit:
        case RecordKind::RowDelete:
          RestoreModified(oldest);
          Scroll(oldest.row);
          Refresh(doc_.baseRow);
          break;
        case RecordKind::StatusEdit:
          RestoreModified(oldest);
          Scroll(oldest.row);
          if (group_.Holds(RecordKind::CellEdit) || group_.Holds(RecordKind::BaseRowChange)) Refresh(doc_.baseRow);
          break;
        case RecordKind::RowInsert:
          if (group_.Holds(RecordKind::StatusEdit)) table_.ClearSelection();
          doc_.baseRow = oldest.baseRowBefore;
          RestoreModified(oldest);
          Scroll(oldest.row);
          Refresh(doc_.baseRow);
          break;
        case RecordKind::MoveUp:
        case RecordKind::MoveDown:
        case RecordKind::OrderSnapshot:
          RestoreModified(oldest);
          break;
        case RecordKind::BaseRowChange:
          Scroll(oldest.baseRowBefore);
          Refresh(doc_.baseRow);
          break;
        case RecordKind::DistanceColumnToggle:
          break;
      }
      return;
    }
    switch (newest.kind) {
      case RecordKind::CellEdit:
      case RecordKind::RowInsert:
        Scroll(oldest.row);
        Refresh(doc_.baseRow);
        break;
      case RecordKind::StatusEdit:
        // A reverse ends with status changes but moved names and coordinates: the Order
        // column needs the refresh as much as after an insert.
        if (group_.Holds(RecordKind::RowInsert) || group_.Holds(RecordKind::CellEdit)) {
          Scroll(oldest.row);
          Refresh(doc_.baseRow);
        }
        break;
      case RecordKind::RowDelete:
        Refresh(-1);  // the base row is found again by its marker
        break;
      case RecordKind::BaseRowChange:
        Scroll(newest.baseRowAfter);
        Refresh(newest.baseRowAfter);
        break;
      case RecordKind::DistanceColumnToggle:
        // Hiding the column took the pinned base row away: the Order column follows.
        if (group_.Holds(RecordKind::RowDelete)) Refresh(doc_.baseRow);
        break;
      default:
        break;
    }
  }

 private:
  void ReplayOne(UndoRecord& record) {
    switch (record.kind) {
      case RecordKind::CellEdit: ReplayCellEdit(record); break;
      case RecordKind::StatusEdit: ReplayStatusEdit(record); break;
      case RecordKind::MoveUp:
      case RecordKind::MoveDown: ReplayMove(record); break;
      case RecordKind::OrderSnapshot: ReplayOrder(record); break;
      case RecordKind::BaseRowChange: ReplayBaseRowChange(record); break;
      case RecordKind::DistanceColumnToggle: ReplayDistanceColumnToggle(record); break;
      default: break;
    }
  }

  bool IsRow(std::int32_t row) const { return row >= 0 && static_cast<std::size_t>(row) < table_.RowCount(); }

  void SelectAndFocus(std::size_t row) {
    table_.SetSelected(row, true);
    table_.SetFocused(row);
  }

  // Redo marks the document changed, except for changes to the pinned base row.
  void MarkModified(std::size_t row) {
    if (undo_ || (row == 0 && doc_.baseRowPinned)) return;
    doc_.SetModified(true);
  }

  void ReplayCellEdit(UndoRecord& record) {
    if (!IsRow(record.row) || record.column > kLatitudeColumn) return;
    const auto row = static_cast<std::size_t>(record.row);
    const int column = record.column;
    if (column != kNameColumn)
      ToCurrentForm(record.text, column == kLongitudeColumn ? Axis::Longitude : Axis::Latitude, record.flags, doc_);
    if (doc_.recorder) doc_.recorder->CellChanging(row, column, table_.Cell(row, column));
    table_.SwapCell(row, column, record.text);
    if (doc_.recorder) doc_.recorder->CellChanged(row, column);
    SetFormatFlags(record, CurrentFormatFlags(doc_));
    SelectAndFocus(row);
    if (record.baseRole != kNotBaseRow) doc_.baseRow = record.row;
    MarkModified(row);
  }

  void ReplayStatusEdit(const UndoRecord& record) {
    if (!IsRow(record.row)) return;
    const auto row = static_cast<std::size_t>(record.row);
    if (doc_.recorder) doc_.recorder->StatusChanging(row, table_.Row(row).status);
    table_.SetStatus(row, static_cast<EntryStatus>((undo_ ? record.status : record.newStatus) & 3));
    SelectAndFocus(row);
    MarkModified(row);
  }

  ItineraryEntry EntryOf(const UndoRecord& record) {
    ItineraryEntry entry;
    entry.name = record.text;
    const bool hasTexts = record.kind == RecordKind::RowDelete || (record.flags & kTextsTaken);
    if (hasTexts && record.part < group_.coordinates.size()) {
      const RecordedCoordinates& texts = group_.coordinates[record.part];
      entry.longitude = texts.longitude;
      entry.latitude = texts.latitude;
      ToCurrentForm(entry.longitude, Axis::Longitude, record.flags, doc_);
      ToCurrentForm(entry.latitude, Axis::Latitude, record.flags, doc_);
    }
    entry.status = record.status & 3;
    entry.selected = true;
    return entry;
  }

  // Undo of deletes, redo of inserts: each row back at its index, selected; the last one
  // focused. The base row then follows as each insert would have moved it.
  void Reinsert(const std::vector<UndoRecord*>& run) {
    const std::size_t before = table_.RowCount();
    std::vector<std::uint32_t> indexes(run.size());
    for (std::size_t j = 0; j < run.size(); ++j) {
      const std::size_t countThen = before + j;
      const auto wanted = static_cast<std::size_t>(std::max(run[j]->row, 0));
      indexes[j] = static_cast<std::uint32_t>(std::min(wanted, countThen));
    }
    std::size_t focused;
    if (run.size() == 1) {
      table_.InsertEntry(indexes[0], EntryOf(*run[0]));
      focused = indexes[0];
    } else {
      const std::vector<std::uint32_t> placed = InsertionsToFinalIndexes(indexes, before);
      std::vector<std::pair<std::uint32_t, std::size_t>> byPlace(run.size());
      for (std::size_t j = 0; j < run.size(); ++j) byPlace[j] = {placed[j], j};
      std::sort(byPlace.begin(), byPlace.end());
      std::vector<std::uint32_t> finalIndexes;
      std::vector<ItineraryEntry> entries;
      finalIndexes.reserve(run.size());
      entries.reserve(run.size());
      for (const auto& [place, j] : byPlace) {
        finalIndexes.push_back(place);
        entries.push_back(EntryOf(*run[j]));
      }
      table_.InsertRows(std::move(finalIndexes), std::move(entries));
      focused = placed.back();
    }
    table_.SetFocused(focused);
    for (std::size_t j = 0; j < run.size(); ++j) {
      const UndoRecord& record = *run[j];
      const long long index = indexes[j];
      if (record.baseRole == kIsPinnedBaseRow) doc_.baseRowPinned = true;
      if (record.baseRole != kNotBaseRow) {
        doc_.baseRow = index;
      } else if (doc_.baseRow >= index) {
        ++doc_.baseRow;
      }
      if (doc_.recorder) doc_.recorder->RowInserted(indexes[j], record.status, doc_.baseRow);
      MarkModified(indexes[j]);
    }
  }

  // Undo of inserts (the row's texts kept for redo), redo of deletes.
  void Remove(const std::vector<UndoRecord*>& run) {
    const std::size_t before = table_.RowCount();
    std::vector<UndoRecord*> valid;
    std::vector<std::uint32_t> indexes;
    for (UndoRecord* record : run) {
      if (record->row < 0 || static_cast<std::size_t>(record->row) >= before - indexes.size()) continue;
      valid.push_back(record);
      indexes.push_back(static_cast<std::uint32_t>(record->row));
    }
    if (valid.empty()) return;
    const std::vector<std::uint32_t> original =
        valid.size() == 1 ? indexes : RemovalsToOriginalIndexes(indexes, before);
    const std::uint8_t form = CurrentFormatFlags(doc_);
    for (std::size_t j = 0; j < valid.size(); ++j) {
      UndoRecord& record = *valid[j];
      const ItineraryEntry& entry = table_.Row(original[j]);
      if (record.kind == RecordKind::RowInsert && !(record.flags & kTextsTaken)) {
        record.text = entry.name;
        record.part = static_cast<std::uint32_t>(group_.coordinates.size());
        RecordedCoordinates& texts = group_.coordinates.emplace_back();
        texts.longitude = entry.longitude;
        texts.latitude = entry.latitude;
        record.flags |= kTextsTaken;
        SetFormatFlags(record, form);
      }
      if (doc_.recorder) doc_.recorder->RowDeleting(indexes[j], entry);
      if (undo_) {
        if (record.baseRole == kIsPinnedBaseRow) doc_.baseRowPinned = false;
      } else if (indexes[j] == 0 && doc_.baseRowPinned) {
        doc_.baseRowPinned = false;
      } else {
        doc_.SetModified(true);
      }
    }
    if (valid.size() == 1) {
      table_.Remove(original[0]);
    } else {
      std::vector<std::uint32_t> ascending = original;
      std::sort(ascending.begin(), ascending.end());
      table_.RemoveRows(ascending);
    }
  }

  void ReplayMove(UndoRecord& record) {
    if (!IsRow(record.row)) return;
    const bool movedUp = record.kind == RecordKind::MoveUp;
    // Undo moves the entry back the other way; redo moves it again.
    const bool up = undo_ ? !movedUp : movedUp;
    const auto row = static_cast<std::size_t>(record.row);
    table_.ClearSelectionAndFocus();
    SelectAndFocus(row);
    if (MoveEntry(context_, row, up ? MoveDirection::Up : MoveDirection::Down, false)) record.row += up ? -1 : 1;
  }

  void ReplayOrder(const UndoRecord& record) {
    const OrderSnapshot* snapshot = record.part < group_.snapshots.size() ? &group_.snapshots[record.part] : nullptr;
    const bool ascending = (record.flags & kSortAscending) != 0;
    if (!undo_) {
      SortTable(context_, record.sortColumn, ascending, SortMode::RedoReplay, snapshot);
      return;
    }
    SortTable(context_, record.sortColumn, ascending, SortMode::UndoReplay, snapshot);
    if (!snapshot || snapshot->statuses.size() != table_.RowCount()) return;
    for (std::size_t i = snapshot->statuses.size(); i-- > 0;) table_.SetStatus(i, snapshot->statuses[i]);
  }

  void ReplayBaseRowChange(const UndoRecord& record) {
    if (undo_) {
      doc_.baseRow = record.baseRowBefore;
      if (record.baseRowBefore < 0) {
        ComputeDistances(context_, -1, false);
      } else if (IsRow(record.baseRowBefore)) {
        SelectAndFocus(static_cast<std::size_t>(record.baseRowBefore));
      }
    } else if (IsRow(record.baseRowAfter)) {
      SelectAndFocus(static_cast<std::size_t>(record.baseRowAfter));
    }
  }

  void ReplayDistanceColumnToggle(const UndoRecord& record) {
    const bool shown = doc_.settings.Get(Option::ShowDistance);
    ShowDistanceColumn(context_, !shown, undo_ ? record.baseRowBefore : record.baseRowAfter);
  }

  void RestoreModified(const UndoRecord& oldest) { doc_.SetModified(oldest.modifiedBefore); }

  void Scroll(long long row) {
    if (row < 0 || table_.Empty()) return;
    const auto last = static_cast<long long>(table_.RowCount()) - 1;
    context_.ui.EnsureRowVisible(std::min(row, last));
  }

  // Renumbers, derives the base point again from baseRow (-1: from the base marker),
  // recomputes the distances and fits the columns.
  void Refresh(long long baseRow) {
    RenumberOrder(table_);
    if (baseRow >= static_cast<long long>(table_.RowCount())) baseRow = -1;
    doc_.baseRow = baseRow;
    SetBaseRow(context_, baseRow, false);
    context_.ui.FitColumns();
  }

  CommandContext& context_;
  DocumentState& doc_;
  ItineraryTable& table_;
  UndoGroup& group_;
  bool undo_;
};

void RunJournal(CommandContext& context, bool undo) {
  DocumentState& doc = context.doc;
  UndoJournal& journal = doc.journal;
  if (undo ? !CanUndo(journal) : !CanRedo(journal)) return;
  const int slot = undo ? journal.current : journal.current + 1;
  UndoGroup& group = *journal.groups[slot];
  if (group.records.empty()) return;
  const int command = undo ? IDM_UNDO : IDM_REDO;
  Ui& ui = context.ui;
  ui.SetWaitCursor(true);
  ui.PressToolbarButton(command, true);
  ui.FocusTable();
  ui.ShowStatusText(LoadText(undo ? kUndoText : kRedoText));
  doc.table.ClearSelectionAndFocus();

  const RecordKind first = undo ? group.records.back().kind : group.records.front().kind;
  const bool paintingSuspended = first == RecordKind::RowInsert || first == RecordKind::RowDelete;
  if (paintingSuspended) ui.SuspendRedraw(true);
  journal.state = RecordingState::Suspended;  // replays make no records
  GroupReplay replay(context, group, undo);
  replay.Run();
  replay.Close();
  journal.current = undo ? slot - 1 : slot;
  journal.state = RecordingState::Closed;

  if (paintingSuspended) ui.SuspendRedraw(false);
  ui.TableChanged();
  MapSyncAll(doc);
  ui.PressToolbarButton(command, false);
  doc.titleDirty = true;
  doc.statusResetPending = true;
  doc.selectPending = true;
  ui.SetWaitCursor(false);
}

}  // namespace

void Undo(CommandContext& context) { RunJournal(context, true); }

void Redo(CommandContext& context) { RunJournal(context, false); }

}  // namespace wayloom
