#include "core/RowOperations.h"

#include "core/NumberText.h"
#include "core/TextRules.h"

namespace wayloom {

std::size_t InsertRowRecorded(DocumentState& doc, std::size_t index, TextView name, EntryStatus status, bool selected) {
  const std::size_t row = doc.table.Insert(index, name, status & 3, selected);
  if (doc.recorder) doc.recorder->RowInserted(row, status & 3, doc.baseRow);
  return row;
}

bool SetCellRecorded(DocumentState& doc, std::size_t row, int column, TextView text) {
  const TextView old = doc.table.Cell(row, column);
  if (old == text) return false;
  if (doc.recorder) doc.recorder->CellChanging(row, column, old);
  doc.table.SetCell(row, column, text);
  return true;
}

void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status) {
  const EntryStatus old = doc.table.Row(row).status;
  if (old == status) return;
  if (doc.recorder) doc.recorder->StatusChanging(row, old);
  doc.table.SetStatus(row, status & 3);
}

void DeleteRowRecorded(DocumentState& doc, std::size_t row) {
  if (doc.recorder) doc.recorder->RowDeleting(row, doc.table.Row(row));
  doc.table.Remove(row);
}

bool SetCoordinateFromText(DocumentState& doc, std::size_t row, Axis axis, TextView text, CoordinateSource source) {
  const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
  const bool clearing = source == CoordinateSource::DegreesClearing;
  auto fail = [&] {
    if (clearing) SetCellRecorded(doc, row, column, TextView());
    return false;
  };
  if (text.empty()) return fail();
  const ParsedNumber number = ParseDecimalPrefix(text);
  if (number.value == 0 && !IsPlainNumber(text)) return fail();
  double value = number.value;
  const bool units = source == CoordinateSource::Units;
  if (!units && value > -0.000005 && value <= 0) value = 0;
  const auto formatted = FormatCoordinateUnits(axis, value, units, doc.Format());
  if (!formatted) return fail();
  SetCellRecorded(doc, row, column, *formatted);
  return true;
}

void RenumberOrder(ItineraryTable& table) {
  long long counter = 1;
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    if (table.Row(row).HasBothCoordinates()) {
      const Text order = IntegerText(counter++);
      if (table.Cell(row, kOrderColumn) != order) table.SetCell(row, kOrderColumn, order);
    } else if (!table.Cell(row, kOrderColumn).empty()) {
      table.SetCell(row, kOrderColumn, TextView());
    }
  }
}

void ReformatAllCoordinates(DocumentState& doc, CoordinateSwitch which) {
  const Option option = which == CoordinateSwitch::Dms ? Option::DmsFormat : Option::CompassDirection;
  doc.settings.Set(option, !doc.settings.Get(option));
  const CoordinateFormat format = doc.Format();
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    for (Axis axis : {Axis::Longitude, Axis::Latitude}) {
      const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
      const TextView old = doc.table.Cell(row, column);
      if (old.empty()) continue;
      if (auto text = ReformatCoordinate(old, axis, format)) doc.table.SetCell(row, column, *text);
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
