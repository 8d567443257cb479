// Row operations that change the table, write the undo record (core/UndoJournal.h)
// and tell the row listener (check results) in one call. Every command that changes rows
// goes through these.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/DocumentState.h"

namespace wayloom {

// Inserts a row with an already normalised name; a very large index appends. With
// selected, the row is inserted selected and focused. Returns the row's index. Records a
// RowInsert with the status and the current BaseRow; the insert of the pinned base row
// is known as such when BaseRowPinned is set before the call.
std::size_t InsertRowRecorded(DocumentState& doc, std::size_t index, TextView name, EntryStatus status, bool selected);
// InsertRowRecorded for each of entries (name, status and selection set, other cells
// empty), placed at index, index + 1, ... in one pass over the table, with the same records
// and notices. Returns the index after them.
std::size_t InsertRowsRecorded(DocumentState& doc, std::size_t index, std::vector<ItineraryEntry> entries);
// Sets one cell's text (empty clears it). Returns true when the text changed; an
// unchanged text makes no record. Records a CellEdit only in state Closed, or Open with a
// CellEdit as the group's newest record, so cells set right after an insert make none.
bool SetCellRecorded(DocumentState& doc, std::size_t row, int column, TextView text);
// Sets the status; a change records a StatusEdit.
void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status);
// Sets the status and one cell (column 0..2) together: a StatusEdit and a CellEdit,
// recorded whatever the texts (unless recording is suspended).
void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status, int column, TextView text);
// The same, taking the text over instead of copying it.
void SetStatusRecorded(DocumentState& doc, std::size_t row, EntryStatus status, int column, CellText&& text);
// Records a RowDelete with the row's texts and status, then removes the row. BaseRow
// follows: -1 when the base row goes, one less when a row above it goes.
void DeleteRowRecorded(DocumentState& doc, std::size_t row);
// DeleteRowRecorded for each of rows (ascending, distinct), from the top down, with the
// same records, in one pass over the table.
void DeleteRowsRecorded(DocumentState& doc, const std::vector<std::uint32_t>& rows);

enum class CoordinateSource {
  Degrees,         // decimal degrees text (KML, GPX, delimited text)
  Units,           // whole 1e-5 degree units text (ITN, device files)
  DegreesClearing  // degrees, and a text that does not give a coordinate clears the cell
};
// Sets a coordinate cell from a file's or user's text: parsed as a decimal number, a zero
// counts only when the text is a plain number, rounded to units, range-tested, formatted
// in the current display form. Returns true when a coordinate was stored.
bool SetCoordinateFromText(DocumentState& doc, std::size_t row, Axis axis, TextView text, CoordinateSource source);
// The same for a file's field whose bytes are its characters (ISO 8859-1).
bool SetCoordinateFromBytes(DocumentState& doc, std::size_t row, Axis axis, std::string_view bytes,
                            CoordinateSource source);
// The same for a whole number of units (source Units, as if written in decimal).
bool SetCoordinateFromUnits(DocumentState& doc, std::size_t row, Axis axis, std::int64_t units);
// The cell text SetCoordinateFromText would store (source Degrees or Units), or nullopt
// when the text gives no coordinate.
std::optional<Text> CoordinateCellText(TextView text, Axis axis, CoordinateSource source, CoordinateFormat format);

// Numbers the rows that have both coordinates 1, 2, ...; the others get an empty Order.
void RenumberOrder(ItineraryTable& table);

enum class CoordinateSwitch { Dms, Compass };
// Flips the DMS or compass switch and rewrites every coordinate cell in the new form,
// without undo records and without marking the document modified.
void ReformatAllCoordinates(DocumentState& doc, CoordinateSwitch which);

// The first visible row after scrolling row into view: unchanged when the row is on the
// page, else the larger of 0 and row minus half a page (row clamped to the last row).
long long ScrollTopForRow(long long row, long long rowCount, long long topRow, long long rowsPerPage);

}  // namespace wayloom
