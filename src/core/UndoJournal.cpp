#include "core/UndoJournal.h"

#include <algorithm>
#include <utility>

#include "core/DocumentState.h"

namespace wayloom {

namespace {

std::uint8_t FormatFlags(const DocumentState& doc) {
  const CoordinateFormat format = doc.Format();
  return static_cast<std::uint8_t>((format.dms ? kTextsDms : 0) | (format.compass ? kTextsCompass : 0));
}

std::uint8_t BaseRoleOf(const DocumentState& doc, std::size_t row) {
  if (doc.baseRow < 0 || static_cast<std::size_t>(doc.baseRow) != row) return kNotBaseRow;
  return doc.baseRowPinned ? kIsPinnedBaseRow : kIsBaseRow;
}

// Opens a new group (the first record made in state Closed). Returns true when the held
// record became the new group's only record.
bool OpenGroup(UndoJournal& journal) {
  int current = journal.current + 1;
  for (int slot = current; slot < UndoJournal::kSlots && journal.groups[slot]; ++slot) journal.groups[slot].reset();
  if (current == UndoJournal::kSlots) {
    std::move(journal.groups.begin() + 1, journal.groups.end(), journal.groups.begin());
    journal.groups[UndoJournal::kSlots - 1].reset();
    current = UndoJournal::kSlots - 1;
  }
  journal.current = current;
  journal.state = RecordingState::Open;
  if (journal.held) {
    journal.groups[current] = std::move(journal.held);
    return true;
  }
  journal.groups[current] = std::make_unique<UndoGroup>();
  return false;
}

// The group a new record of this kind joins, or nullptr when no record is made.
UndoGroup* TargetGroup(UndoJournal& journal, RecordKind kind) {
  switch (journal.state) {
    case RecordingState::Suspended:
      return nullptr;
    case RecordingState::Held:
      journal.held = std::make_unique<UndoGroup>();  // replaces what was held
      return journal.held.get();
    case RecordingState::Open:
      if (journal.current >= 0 && journal.groups[journal.current]) return journal.groups[journal.current].get();
      journal.state = RecordingState::Closed;  // the open group was reset away: start a new one
      [[fallthrough]];
    case RecordingState::Closed:
      // A committed held insert stands for the new row, whose cells are then set without
      // records of their own; any other record joins the group after it.
      if (OpenGroup(journal) && kind == RecordKind::CellEdit) return nullptr;
      return journal.groups[journal.current].get();
  }
  return nullptr;
}

UndoRecord& Append(UndoGroup& group, RecordKind kind, const DocumentState& doc) {
  UndoRecord& record = group.records.emplace_back();
  record.kind = kind;
  record.modifiedBefore = doc.document.modified;
  record.flags = FormatFlags(doc);
  return record;
}

CellText* AppendCellEdit(UndoGroup& group, DocumentState& doc, std::size_t row, int column) {
  UndoRecord& record = Append(group, RecordKind::CellEdit, doc);
  record.row = static_cast<std::int32_t>(row);
  record.column = static_cast<std::uint8_t>(column);
  record.baseRole = BaseRoleOf(doc, row);
  return &record.text;
}

std::size_t TextBytes(const CellText& text) { return PooledTextBytes(text.size()); }
std::size_t TextBytes(const CoordinateCell& cell) {
  return cell.HasUnits() ? 0 : PooledTextBytes(cell.Value(Axis::Longitude).size());
}

std::size_t GroupBytes(const UndoGroup& group) {
  std::size_t bytes = sizeof(UndoGroup);
  bytes += group.records.CapacityBytes();
  for (std::size_t i = 0; i < group.records.size(); ++i) bytes += TextBytes(group.records[i].text);
  bytes += group.coordinates.CapacityBytes();
  for (std::size_t i = 0; i < group.coordinates.size(); ++i)
    bytes += TextBytes(group.coordinates[i].longitude) + TextBytes(group.coordinates[i].latitude);
  bytes += group.snapshots.capacity() * sizeof(OrderSnapshot);
  for (const auto& snapshot : group.snapshots)
    bytes += snapshot.positions.capacity() * sizeof(std::uint32_t) + snapshot.statuses.capacity() * sizeof(EntryStatus) +
             snapshot.ids.capacity() * sizeof(RowId);
  return bytes;
}

}  // namespace

bool UndoGroup::Holds(RecordKind kind) const {
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].kind == kind) return true;
  return false;
}

void BeginUndoGroup(UndoJournal& journal) { journal.state = RecordingState::Closed; }

void HoldNextRecord(UndoJournal& journal) { journal.state = RecordingState::Held; }

void CommitHeldRecord(UndoJournal& journal) {
  if (journal.state != RecordingState::Closed || !journal.held) return;
  OpenGroup(journal);
}

void DiscardHeldRecord(UndoJournal& journal) { journal.held.reset(); }

void SuspendRecording(UndoJournal& journal) { journal.state = RecordingState::Suspended; }

void ResetJournal(UndoJournal& journal) {
  for (auto& group : journal.groups) group.reset();
  journal.held.reset();
  journal.current = -1;
  if (journal.state == RecordingState::Open) journal.state = RecordingState::Closed;
}

bool CanUndo(const UndoJournal& journal) { return journal.current != -1; }

bool CanRedo(const UndoJournal& journal) {
  const int next = journal.current + 1;
  return next < UndoJournal::kSlots && journal.groups[next] != nullptr;
}

std::size_t JournalMemoryBytes(const UndoJournal& journal) {
  std::size_t bytes = sizeof(UndoJournal);
  for (const auto& group : journal.groups)
    if (group) bytes += GroupBytes(*group);
  if (journal.held) bytes += GroupBytes(*journal.held);
  return bytes;
}

void RecordRowInsert(DocumentState& doc, std::size_t row, EntryStatus status) {
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::RowInsert);
  if (!group) return;
  UndoRecord& record = Append(*group, RecordKind::RowInsert, doc);
  record.row = static_cast<std::int32_t>(row);
  record.status = status;
  record.baseRowBefore = static_cast<std::int32_t>(doc.baseRow);
  record.baseRole = row == 0 && doc.baseRowPinned ? kIsPinnedBaseRow : kNotBaseRow;
  // The texts are taken from the row at the first Undo, when the row has them all.
}

void RecordRowDelete(DocumentState& doc, std::size_t row, const ItineraryEntry& entry) {
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::RowDelete);
  if (!group) return;
  UndoRecord& record = Append(*group, RecordKind::RowDelete, doc);
  record.row = static_cast<std::int32_t>(row);
  record.status = entry.status;
  record.baseRole = BaseRoleOf(doc, row);
  record.text = entry.name;
  record.part = static_cast<std::uint32_t>(group->coordinates.size());
  RecordedCoordinates& texts = group->coordinates.emplace_back();
  texts.longitude = entry.longitude;
  texts.latitude = entry.latitude;
}

CellText* RecordCellEdit(DocumentState& doc, std::size_t row, int column) {
  UndoJournal& journal = doc.journal;
  UndoGroup* group = nullptr;
  if (journal.state == RecordingState::Closed) {
    group = TargetGroup(journal, RecordKind::CellEdit);
  } else if (journal.state == RecordingState::Open && journal.current >= 0 && journal.groups[journal.current]) {
    UndoGroup& open = *journal.groups[journal.current];
    if (!open.records.empty() && open.records.back().kind == RecordKind::CellEdit) group = &open;
  }
  return group ? AppendCellEdit(*group, doc, row, column) : nullptr;
}

CellText* RecordStatusEdit(DocumentState& doc, std::size_t row, EntryStatus newStatus, int column) {
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::StatusEdit);
  if (!group) return nullptr;
  UndoRecord& record = Append(*group, RecordKind::StatusEdit, doc);
  record.row = static_cast<std::int32_t>(row);
  record.status = doc.table.Row(row).status;
  record.newStatus = newStatus;
  if (column < kNameColumn || column > kLatitudeColumn) return nullptr;
  return AppendCellEdit(*group, doc, row, column);
}

void RecordMove(DocumentState& doc, MoveDirection direction, std::size_t rowAfterMove) {
  const RecordKind kind = direction == MoveDirection::Up ? RecordKind::MoveUp : RecordKind::MoveDown;
  UndoGroup* group = TargetGroup(doc.journal, kind);
  if (!group) return;
  Append(*group, kind, doc).row = static_cast<std::int32_t>(rowAfterMove);
}

void RecordOrderSnapshotBefore(DocumentState& doc, int column, bool ascending) {
  doc.journal.state = RecordingState::Closed;
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::OrderSnapshot);
  if (!group) return;
  const std::size_t count = doc.table.RowCount();
  UndoRecord& record = Append(*group, RecordKind::OrderSnapshot, doc);
  record.sortColumn = static_cast<std::uint8_t>(column);
  record.flags = static_cast<std::uint8_t>(record.flags | (ascending ? kSortAscending : 0));
  record.part = static_cast<std::uint32_t>(group->snapshots.size());
  OrderSnapshot& snapshot = group->snapshots.emplace_back();
  snapshot.ids.resize(count);
  snapshot.statuses.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    snapshot.ids[i] = doc.table.Row(i).id;
    snapshot.statuses[i] = doc.table.Row(i).status;
  }
}

void RecordOrderSnapshotAfter(DocumentState& doc, const std::vector<std::uint32_t>* appliedOrder) {
  UndoJournal& journal = doc.journal;
  if (journal.current < 0 || !journal.groups[journal.current]) return;
  UndoGroup& group = *journal.groups[journal.current];
  if (group.snapshots.empty() || group.snapshots.back().ids.empty()) return;
  OrderSnapshot& snapshot = group.snapshots.back();
  const ItineraryTable& table = doc.table;
  const std::size_t count = snapshot.ids.size();
  // An index that no row claims stays at count, which the replay refuses.
  snapshot.positions.assign(count, static_cast<std::uint32_t>(count));

  bool done = false;
  if (appliedOrder && appliedOrder->size() == count && table.RowCount() == count) {
    done = true;
    for (std::size_t k = 0; k < count && done; ++k) {
      const std::uint32_t before = (*appliedOrder)[k];
      done = before < count && snapshot.ids[before] == table.Row(k).id;
      if (done) snapshot.positions[before] = static_cast<std::uint32_t>(k);
    }
  }
  if (!done) {
    std::vector<std::pair<RowId, std::uint32_t>> byId(count);
    for (std::size_t i = 0; i < count; ++i) byId[i] = {snapshot.ids[i], static_cast<std::uint32_t>(i)};
    std::sort(byId.begin(), byId.end());
    for (std::size_t k = 0; k < table.RowCount(); ++k) {
      const RowId id = table.Row(k).id;
      auto it = std::lower_bound(byId.begin(), byId.end(), std::make_pair(id, std::uint32_t{0}));
      if (it != byId.end() && it->first == id) snapshot.positions[it->second] = static_cast<std::uint32_t>(k);
    }
  }
  snapshot.ids.clear();
  snapshot.ids.shrink_to_fit();
}

void RecordBaseRowChange(DocumentState& doc, long long newBaseRow) {
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::BaseRowChange);
  if (!group) return;
  UndoRecord& record = Append(*group, RecordKind::BaseRowChange, doc);
  record.baseRowBefore = static_cast<std::int32_t>(doc.baseRow);
  record.baseRowAfter = static_cast<std::int32_t>(newBaseRow);
}

void RecordDistanceColumnToggle(DocumentState& doc, long long previousBaseRow) {
  UndoGroup* group = TargetGroup(doc.journal, RecordKind::DistanceColumnToggle);
  if (!group) return;
  UndoRecord& record = Append(*group, RecordKind::DistanceColumnToggle, doc);
  record.baseRowBefore = static_cast<std::int32_t>(previousBaseRow);
  record.baseRowAfter = static_cast<std::int32_t>(doc.baseRow);
}

}  // namespace wayloom
