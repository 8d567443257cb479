// The itinerary: an ordered list of rows, the program's one store of entries.
// The Win32 table is a virtual list view that reads its cells from here.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/CellText.h"
#include "core/CoordinateText.h"
#include "core/InternedText.h"
#include "core/Text.h"

namespace wayloom {

// Column ids; they never change, only their display order does.
enum Column : int { kNameColumn = 0, kLongitudeColumn = 1, kLatitudeColumn = 2, kOrderColumn = 3, kDistanceColumn = 4 };
constexpr int kColumnCount = 5;
inline Axis ColumnAxis(int column) { return column == kLongitudeColumn ? Axis::Longitude : Axis::Latitude; }

// Two independent bits: 2 destination (clear: via point), 1 passed (clear: to pass).
using EntryStatus = std::uint8_t;
constexpr EntryStatus kStatusPassed = 1;
constexpr EntryStatus kStatusDestination = 2;

// Distance sort key values (the key is otherwise the distance in whole metres).
constexpr std::int32_t kSortKeyUnavailable = 0x7FFFFFFF;
constexpr std::int32_t kSortKeyBaseRow = INT32_MIN;

using RowId = std::uint64_t;

// 48 bytes a row (on 64-bit systems), names apart: a million-row table stays well under
// a hundred megabytes.
struct ItineraryEntry {
  CellText name;
  CoordinateCell longitude;
  CoordinateCell latitude;
  InternedText distance;     // few texts, shared by many rows
  std::uint32_t order = 0;   // the Order column's number; 0 when it is empty
  std::int32_t sortKey = 0;
  EntryStatus status = 0;
  bool selected = false;
  bool focused = false;
  RowId id = 0;

  // The text a column shows. Coordinates and Order are made from their numbers: keep the
  // value while using its text.
  CellValue Cell(int column) const;
  TextView Name() const { return name.View(); }
  bool HasBothCoordinates() const { return !longitude.empty() && !latitude.empty(); }
  CoordinateCell& Coordinate(Axis axis) { return axis == Axis::Longitude ? longitude : latitude; }
  const CoordinateCell& Coordinate(Axis axis) const { return axis == Axis::Longitude ? longitude : latitude; }
};
static_assert(sizeof(void*) != 8 || sizeof(ItineraryEntry) == 48);

class ItineraryTable {
 public:
  ItineraryTable();
  ~ItineraryTable();
  ItineraryTable(const ItineraryTable&) = delete;
  ItineraryTable& operator=(const ItineraryTable&) = delete;
  ItineraryTable(ItineraryTable&&) noexcept;
  ItineraryTable& operator=(ItineraryTable&&) noexcept;

  std::size_t RowCount() const { return rows_.size(); }
  bool Empty() const { return rows_.empty(); }
  const ItineraryEntry& Row(std::size_t index) const { return rows_[index]; }
  CellValue Cell(std::size_t row, int column) const { return rows_[row].Cell(column); }

  // Plain row operations, without undo records; the recorded operations of the
  // document (RowOperations.h) are built on them. An index past the end appends.
  std::size_t Insert(std::size_t index, TextView name, EntryStatus status, bool selected);
  void InsertEntry(std::size_t index, ItineraryEntry entry);  // keeps the entry's id
  ItineraryEntry Remove(std::size_t index);
  void Clear();
  void Reserve(std::size_t rows);

  void SetCell(std::size_t row, int column, TextView text);
  // A coordinate cell from its units, shown in format.
  void SetCoordinateUnits(std::size_t row, Axis axis, std::int64_t units, CoordinateFormat format) {
    rows_[row].Coordinate(axis).SetUnits(axis, units, format);
  }
  // Exchanges a cell's text with text (the name without copying either).
  void SwapCell(std::size_t row, int column, CellText& text);
  void SetStatus(std::size_t row, EntryStatus status) { rows_[row].status = status; }
  // The Order column's number (0: empty).
  void SetOrder(std::size_t row, std::uint32_t order) { rows_[row].order = order; }
  void SetSortKey(std::size_t row, std::int32_t key) { rows_[row].sortKey = key; }
  // SetCell of the distance column with a text already in the pool.
  void SetDistanceText(std::size_t row, InternedText text) { rows_[row].distance = text; }
  void SwapRows(std::size_t a, std::size_t b);
  // Exchanges what two rows say (status, name, longitude, latitude); ids, sort keys,
  // Order and Distance cells and the selection stay where they are.
  void SwapContents(std::size_t a, std::size_t b);
  // Reorders the rows: new row i is old row order[i] (a permutation of all rows).
  void Permute(const std::vector<std::uint32_t>& order);

  // Many rows in one pass, so that removing or inserting k rows costs one move of the
  // table instead of k. RemoveRows takes ascending, distinct indexes and returns the
  // removed entries in that order; InsertRows takes entries with their final indexes,
  // ascending and distinct, each below the new row count. Entries with id 0 get a new id.
  std::vector<ItineraryEntry> RemoveRows(const std::vector<std::uint32_t>& indexes);
  void InsertRows(std::vector<std::uint32_t> finalIndexes, std::vector<ItineraryEntry> entries);

  // Selection and focus live in the rows.
  void SetSelected(std::size_t row, bool selected) { rows_[row].selected = selected; }
  void SetFocused(std::size_t row);  // clears the focus elsewhere
  void ClearSelection();
  void ClearSelectionAndFocus();
  std::size_t SelectedCount() const;
  long long FirstSelected() const;  // -1 when none
  long long FocusedRow() const;     // -1 when none

  // The first row other than exceptRow whose Name equals name exactly, or -1.
  long long FindEntryByName(TextView name, long long exceptRow = -1) const;
  // The row with this id, or -1.
  long long FindRowById(RowId id) const;

 private:
  void InvalidateNameIndex();

  std::vector<ItineraryEntry> rows_;
  RowId nextId_ = 1;
  std::size_t focusHint_ = 0;
  struct NameIndex;
  mutable std::unique_ptr<NameIndex> nameIndex_;  // built on the first name lookup
};

// Row operations given one at a time, each index counting the rows as they are at that
// moment, turned into the indexes a single pass needs.
// Removals: the index each removed row had before the first removal, in removal order.
std::vector<std::uint32_t> RemovalsToOriginalIndexes(const std::vector<std::uint32_t>& removals, std::size_t rowCount);
// Insertions (an index past the end appends): the index each inserted row has after the
// last insertion, in insertion order.
std::vector<std::uint32_t> InsertionsToFinalIndexes(const std::vector<std::uint32_t>& insertions, std::size_t rowCount);

// Display order of the columns: Order, Distance, Name, then the two coordinates
// (Longitude first only with "Lng First").
std::array<int, kColumnCount> ColumnDisplayOrder(bool lngFirst);
inline int FirstCoordinateColumn(bool lngFirst) { return lngFirst ? kLongitudeColumn : kLatitudeColumn; }
inline int SecondCoordinateColumn(bool lngFirst) { return lngFirst ? kLatitudeColumn : kLongitudeColumn; }

struct ColumnLayout {
  int width;
  bool rightAligned;
};
// Widths and alignment at creation and after the new-file command.
ColumnLayout DefaultColumnLayout(int column, bool distanceShown, bool modernVisuals);

}  // namespace wayloom
