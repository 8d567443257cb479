#include "core/RowOperations.h"

#include <algorithm>

#include "core/NumberText.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

// Puts text into the cell; the undo record, when one was made, takes the old text over
// instead of a copy of it. text may be part of the cell's own text.
void ReplaceCell(DocumentState& doc, std::size_t row, int column, CellText&& text, CellText* recordText) {
  if (recordText) doc.table.SwapCell(row, column, *recordText);
  doc.table.SwapCell(row, column, text);
}

void ReplaceCell(DocumentState& doc, std::size_t row, int column, TextView text, CellText* recordText) {
  ReplaceCell(doc, row, column, CellText(text), recordText);
}

}  // namespace

std::size_t InsertRowRecorded(DocumentState& doc, std::size_t index, TextView name, EntryStatus status, bool selected) {
  const std::size_t row = doc.table.Insert(index, name, status & 3, selected);
  RecordRowInsert(doc, row, status & 3);
  if (doc.recorder) doc.recorder->RowInserted(row, status & 3, doc.baseRow);
  return row;
}

std::size_t InsertRowsRecorded(DocumentState& doc, std::size_t index, std::vector<ItineraryEntry> entries) {
  const std::size_t count = entries.size();
  std::vector<std::uint32_t> finalIndexes(count);
  std::vector<EntryStatus> statuses(count);
  for (std::size_t k = 0; k < count; ++k) {
    finalIndexes[k] = static_cast<std::uint32_t>(index + k);
    entries[k].status &= 3;
    statuses[k] = entries[k].status;
  }
  doc.table.InsertRows(std::move(finalIndexes), std::move(entries));
  for (std::size_t k = 0; k < count; ++k) {
    RecordRowInsert(doc, index + k, statuses[k]);
    if (doc.recorder) doc.recorder->RowInserted(index + k, statuses[k], doc.baseRow);
  }
  return index + count;
}

bool SetCellRecorded(DocumentState& doc, std::size_t row, int column, TextView text) {
  const CellValue old = doc.table.Cell(row, column);
  if (old == text) return false;
  if (doc.recorder) doc.recorder->CellChanging(row, column, old);
  ReplaceCell(doc, row, column, text, RecordCellEdit(doc, row, column));
  if (doc.recorder) doc.recorder->CellChanged(row, column);
  return true;
}

void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status) {
  const EntryStatus old = doc.table.Row(row).status;
  status &= 3;
  if (old == status) return;
  RecordStatusEdit(doc, row, status);
  if (doc.recorder) doc.recorder->StatusChanging(row, old);
  doc.table.SetStatus(row, status);
}

void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status, int column, CellText&& text) {
  status &= 3;
  if (doc.recorder) {
    doc.recorder->StatusChanging(row, doc.table.Row(row).status);
    doc.recorder->CellChanging(row, column, doc.table.Cell(row, column));
  }
  ReplaceCell(doc, row, column, std::move(text), RecordStatusEdit(doc, row, status, column));
  doc.table.SetStatus(row, status);
  if (doc.recorder) doc.recorder->CellChanged(row, column);
}

void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status, int column, TextView text) {
  SetStatusRecorded(doc, row, status, column, CellText(text));
}

namespace {

// BaseRow after the row at index was removed.
void FollowDeletion(DocumentState& doc, std::size_t row) {
  if (doc.baseRow < 0) return;
  const auto index = static_cast<long long>(row);
  if (doc.baseRow == index) {
    doc.baseRow = -1;
  } else if (index < doc.baseRow) {
    --doc.baseRow;
  }
}

}  // namespace

void DeleteRowRecorded(DocumentState& doc, std::size_t row) {
  RecordRowDelete(doc, row, doc.table.Row(row));
  FollowDeletion(doc, row);
  if (doc.recorder) doc.recorder->RowDeleting(row, doc.table.Row(row));
  doc.table.Remove(row);
}

void DeleteRowsRecorded(DocumentState& doc, const std::vector<std::uint32_t>& rows) {
  if (rows.size() == 1) {
    DeleteRowRecorded(doc, rows.front());
    return;
  }
  // Row rows[k] is at rows[k] - k when its turn comes; records and BaseRow use that index.
  for (std::size_t k = 0; k < rows.size(); ++k) {
    const std::size_t now = rows[k] - k;
    const ItineraryEntry& entry = doc.table.Row(rows[k]);
    RecordRowDelete(doc, now, entry);
    FollowDeletion(doc, now);
    if (doc.recorder) doc.recorder->RowDeleting(now, entry);
  }
  doc.table.RemoveRows(rows);
}

std::optional<Text> CoordinateCellText(TextView text, Axis axis, CoordinateSource source, CoordinateFormat format) {
  if (text.empty()) return std::nullopt;
  const ParsedNumber number = ParseDecimalPrefix(text);
  if (number.value == 0 && !IsPlainNumber(text)) return std::nullopt;
  double value = number.value;
  const bool units = source == CoordinateSource::Units;
  if (!units && value > -0.000005 && value <= 0) value = 0;
  return FormatCoordinateUnits(axis, value, units, format);
}

namespace {

// The units of a text that is all "[-]digits[.digits]" (no decimals for source Units, at
// most five for degrees), computed exactly; nullopt sends the text the general way. With
// at most nine whole digits the general way's double arithmetic is off by far less than
// half a unit, so both give the same whole number.
template <class Char>
std::optional<std::int64_t> ExactUnits(std::basic_string_view<Char> text, bool unitsSource) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  const bool negative = n > 0 && text[0] == '-';
  if (negative) ++i;
  std::int64_t value = 0;
  std::size_t wholeDigits = 0;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++wholeDigits)
    if (wholeDigits < 9) value = value * 10 + (text[i] - '0');  // longer texts go the general way
  std::size_t decimals = 0;
  if (i < n && text[i] == '.' && !unitsSource) {
    for (++i; i < n && text[i] >= '0' && text[i] <= '9' && decimals < 6; ++i, ++decimals)
      value = value * 10 + (text[i] - '0');
  }
  if (i != n || wholeDigits + decimals == 0 || wholeDigits > 9 || decimals > 5) return std::nullopt;
  if (!unitsSource)
    for (std::size_t k = decimals; k < 5; ++k) value *= 10;
  return negative ? -value : value;
}

// Stores the cell of units (already a whole number): formatted, range-tested.
bool SetCoordinateUnitsCell(DocumentState& doc, std::size_t row, Axis axis, std::int64_t units, CoordinateSource source) {
  const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
  const std::int64_t limit = AxisLimitUnits(axis);
  if (units < -limit || units > limit) {
    if (source == CoordinateSource::DegreesClearing) SetCellRecorded(doc, row, column, TextView());
    return false;
  }
  const CoordinateFormat format = doc.Format();
  if (doc.table.Row(row).Coordinate(axis).empty()) {
    // The usual case (a row being read): the units go in as they are. What SetCellRecorded
    // would do, without the text; an undo record keeps the empty text it starts with.
    if (doc.recorder) doc.recorder->CellChanging(row, column, TextView());
    RecordCellEdit(doc, row, column);
    doc.table.SetCoordinateUnits(row, axis, units, format);
    if (doc.recorder) doc.recorder->CellChanged(row, column);
  } else {
    char16_t buffer[kMaxCoordinateLength];
    SetCellRecorded(doc, row, column, TextView(buffer, FormatCoordinateInto(axis, units, format, buffer)));
  }
  return true;
}

bool SetCoordinateGeneral(DocumentState& doc, std::size_t row, Axis axis, TextView text, CoordinateSource source) {
  const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
  const auto formatted = CoordinateCellText(text, axis, source, doc.Format());
  if (formatted) {
    SetCellRecorded(doc, row, column, *formatted);
  } else if (source == CoordinateSource::DegreesClearing) {
    SetCellRecorded(doc, row, column, TextView());
  }
  return formatted.has_value();
}

}  // namespace

bool SetCoordinateFromText(DocumentState& doc, std::size_t row, Axis axis, TextView text, CoordinateSource source) {
  if (const auto units = ExactUnits(text, source == CoordinateSource::Units))
    return SetCoordinateUnitsCell(doc, row, axis, *units, source);
  return SetCoordinateGeneral(doc, row, axis, text, source);
}

bool SetCoordinateFromBytes(DocumentState& doc, std::size_t row, Axis axis, std::string_view bytes,
                            CoordinateSource source) {
  if (const auto units = ExactUnits(bytes, source == CoordinateSource::Units))
    return SetCoordinateUnitsCell(doc, row, axis, *units, source);
  return SetCoordinateGeneral(doc, row, axis, Latin1ToText(bytes), source);
}

bool SetCoordinateFromUnits(DocumentState& doc, std::size_t row, Axis axis, std::int64_t units) {
  return SetCoordinateUnitsCell(doc, row, axis, units, CoordinateSource::Units);
}

void RenumberOrder(ItineraryTable& table) {
  std::uint32_t counter = 1;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    table.SetOrder(row, table.Row(row).HasBothCoordinates() ? counter++ : 0);
}

void ReformatAllCoordinates(DocumentState& doc, CoordinateSwitch which) {
  const Option option = which == CoordinateSwitch::Dms ? Option::DmsFormat : Option::CompassDirection;
  doc.settings.Set(option, !doc.settings.Get(option));
  const CoordinateFormat format = doc.Format();
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    for (Axis axis : {Axis::Longitude, Axis::Latitude}) {
      const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
      const CellValue old = doc.table.Cell(row, column);
      if (old.empty()) continue;
      if (auto text = ReformatCoordinate(old, axis, format)) {
        doc.table.SetCell(row, column, *text);
        if (doc.recorder) doc.recorder->CellChanged(row, column);
      }
    }
  }
}

long long ScrollTopForRow(long long row, long long rowCount, long long topRow, long long rowsPerPage) {
  if (rowCount <= 0 || row < 0) return topRow;
  if (row >= rowCount) row = rowCount - 1;
  if (row >= topRow && row < topRow + rowsPerPage) return topRow;
  const long long top = row - rowsPerPage / 2;
  return top < 0 ? 0 : top;
}

}  // namespace wayloom
