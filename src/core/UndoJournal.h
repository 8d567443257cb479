// The undo journal: every change a command makes to the table, kept as records and
// grouped per command, so that one Undo (command 1009) or Redo (command 1010) reverses or
// repeats one command. At most 64 groups are kept; opening a 65th drops the oldest.
//
// Commands need no undo code of their own: they call BeginUndoGroup and then change the
// table only through the recorded row operations (core/RowOperations.h), which write the
// records here, and through the whole-table records below.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/CellText.h"
#include "core/ItineraryTable.h"

namespace wayloom {

struct DocumentState;

enum class RecordKind : std::uint8_t {
  CellEdit = 2,
  StatusEdit = 3,
  RowInsert = 4,
  RowDelete = 5,
  MoveUp = 6,
  MoveDown = 7,
  OrderSnapshot = 8,
  BaseRowChange = 9,
  DistanceColumnToggle = 10,
};

enum class RecordingState {
  Closed,    // the next record opens a new group
  Open,      // records join the group in slot `current`
  Held,      // the next record is set aside in `held`
  Suspended  // the recorded operations change the table without records
};

// UndoRecord::baseRole of CellEdit, RowInsert and RowDelete records: whether the row was
// the base row (and the pinned base row) when the record was made.
constexpr std::uint8_t kNotBaseRow = 0;
constexpr std::uint8_t kIsBaseRow = 1;
constexpr std::uint8_t kIsPinnedBaseRow = 2;

// Bits of UndoRecord::flags.
constexpr std::uint8_t kTextsDms = 1;       // coordinate texts were written degrees-minutes-seconds
constexpr std::uint8_t kTextsCompass = 2;   // ... with a compass letter
constexpr std::uint8_t kTextsTaken = 4;     // RowInsert: the row's texts have been copied in
constexpr std::uint8_t kSortAscending = 8;  // OrderSnapshot

struct UndoRecord {
  RecordKind kind = RecordKind::CellEdit;
  std::uint8_t column = 0;            // CellEdit
  std::uint8_t baseRole = kNotBaseRow;  // CellEdit, RowInsert, RowDelete
  std::uint8_t flags = 0;
  bool modifiedBefore = false;        // the document's modified flag before the record
  EntryStatus status = 0;             // StatusEdit: the old status; RowInsert, RowDelete: the row's status
  EntryStatus newStatus = 0;          // StatusEdit
  std::uint8_t sortColumn = 0;        // OrderSnapshot
  std::int32_t row = 0;               // the row changed; MoveUp, MoveDown: its index after the move
  std::int32_t baseRowBefore = -1;    // RowInsert, BaseRowChange, DistanceColumnToggle
  std::int32_t baseRowAfter = -1;     // BaseRowChange, DistanceColumnToggle
  std::uint32_t part = 0;             // RowInsert, RowDelete: its coordinates in the group; OrderSnapshot: its snapshot
  CellText text;                      // CellEdit: the other text of the cell; RowInsert, RowDelete: the name
};

struct RecordedCoordinates {
  CoordinateCell longitude;
  CoordinateCell latitude;
};

// The order of the table before a sort. Pair i is for the row that was at index i:
// while the sort runs `ids` holds that row's id; afterwards `positions` holds its index
// after the sort and the ids are gone, so a snapshot costs an index and a status per row.
struct OrderSnapshot {
  std::vector<std::uint32_t> positions;
  std::vector<EntryStatus> statuses;
  std::vector<RowId> ids;
};

// A list that grows in fixed blocks: appending never moves what is there, so a group of
// a million records costs the records and one partly filled block, with no copying.
template <typename T>
class BlockList {
 public:
  static constexpr std::size_t kBlock = 256;

  T& emplace_back() {
    if (size_ % kBlock == 0) blocks_.push_back(std::make_unique<T[]>(kBlock));
    return blocks_.back()[size_++ % kBlock];
  }
  T& operator[](std::size_t i) { return blocks_[i / kBlock][i % kBlock]; }
  const T& operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
  T& back() { return (*this)[size_ - 1]; }
  const T& back() const { return (*this)[size_ - 1]; }
  T& front() { return (*this)[0]; }
  const T& front() const { return (*this)[0]; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::size_t CapacityBytes() const {
    return blocks_.size() * kBlock * sizeof(T) + blocks_.capacity() * sizeof(std::unique_ptr<T[]>);
  }

 private:
  std::vector<std::unique_ptr<T[]>> blocks_;
  std::size_t size_ = 0;
};

// The records of one command in recording order; Undo walks them newest first, Redo
// oldest first.
struct UndoGroup {
  BlockList<UndoRecord> records;
  BlockList<RecordedCoordinates> coordinates;
  std::vector<OrderSnapshot> snapshots;

  bool Holds(RecordKind kind) const;
};

struct UndoJournal {
  static constexpr int kSlots = 64;

  // Slots 0..current can be undone; the filled slots above current, contiguous from
  // current + 1, can be redone.
  std::array<std::unique_ptr<UndoGroup>, kSlots> groups;
  std::int32_t current = -1;
  // Recording starts suspended, so that a table filled by a reader or a conversion makes
  // no records until a command begins a group.
  RecordingState state = RecordingState::Suspended;
  std::unique_ptr<UndoGroup> held;  // at most one record set aside
};

// Group control.
void BeginUndoGroup(UndoJournal& journal);     // every command, before its first change
void HoldNextRecord(UndoJournal& journal);     // add and insert: the new row's insert waits for its name
void CommitHeldRecord(UndoJournal& journal);   // in state Closed: the held record becomes a group of its own
void DiscardHeldRecord(UndoJournal& journal);  // the new row was abandoned
void SuspendRecording(UndoJournal& journal);   // a file replaces the table; a move is replayed
void ResetJournal(UndoJournal& journal);       // New and Open
bool CanUndo(const UndoJournal& journal);
bool CanRedo(const UndoJournal& journal);
// Bytes the journal holds: its groups, records, copied texts and snapshots.
std::size_t JournalMemoryBytes(const UndoJournal& journal);

// Records made by the recorded row operations (core/RowOperations.h) just before they
// change the table; other code calls those operations instead.
void RecordRowInsert(DocumentState& doc, std::size_t row, EntryStatus status);  // after the insert
// The entry's texts and status, recorded as the row at index row.
void RecordRowDelete(DocumentState& doc, std::size_t row, const ItineraryEntry& entry);
// A CellEdit, made only in state Closed, or Open with a CellEdit as the group's newest
// record. Returns the record's text, still empty, for the caller to move the cell's old
// text into (the cell is about to change), or nullptr when no record was made.
CellText* RecordCellEdit(DocumentState& doc, std::size_t row, int column);
// A StatusEdit and, with a column of 0..2, a CellEdit of that column after it; returns the
// CellEdit's empty text as RecordCellEdit does.
CellText* RecordStatusEdit(DocumentState& doc, std::size_t row, EntryStatus newStatus, int column = -1);

// Whole-table records.
enum class MoveDirection { Up, Down };
// Before the move: where the moved entry will be.
void RecordMove(DocumentState& doc, MoveDirection direction, std::size_t rowAfterMove);
// Before a sort: opens a group of its own with each row's id and status.
void RecordOrderSnapshotBefore(DocumentState& doc, int column, bool ascending);
// After the sort: turns the ids into the rows' present indexes. appliedOrder, when the
// caller knows it (new row k was row appliedOrder[k]), saves looking the ids up.
void RecordOrderSnapshotAfter(DocumentState& doc, const std::vector<std::uint32_t>* appliedOrder = nullptr);
// Before the base row changes: the current BaseRow and the new one.
void RecordBaseRowChange(DocumentState& doc, long long newBaseRow);
// After the Distance column was shown or hidden: the BaseRow from before and the present one.
void RecordDistanceColumnToggle(DocumentState& doc, long long previousBaseRow);

}  // namespace wayloom
