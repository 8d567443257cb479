// The clipboard commands: cut (1017), copy (1018) and paste (1019) of rows, copy (1020) and
// paste (1021) of one entry's coordinates as text; and the blocks they exchange.
//
// Rows travel in two forms at once: the program's own row block, which keeps names,
// coordinates and statuses exactly, and CF_UNICODETEXT lines a spreadsheet can take. The
// companion editor's row block is read too. Row block layout (little-endian): an int32
// row count, then per row five int32 header fields, the texts they announce (UTF-16, each
// with its NUL) and, in the own block only, one unit with the row's status:
//   own:     name, longitude and latitude lengths (NUL included), 0, 0; texts; status
//   sibling: name, longitude, latitude and two further lengths; the five texts
// Coordinates in both blocks are plain signed decimal text.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/CommandContext.h"

namespace wayloom {


// Both copy blocks start at this size and grow by it, so copying thousands of rows costs
// only a few reallocations.
constexpr std::size_t kClipboardBlockStep = 608000;
constexpr std::size_t kNoBlockLimit = SIZE_MAX;

// The two blocks of a row copy, each exactly its used size, and the sizes allocated for
// them while they were built.
struct CopiedRows {
  std::vector<std::uint8_t> rowBlock;   // the own row format
  std::vector<std::uint8_t> textBlock;  // CF_UNICODETEXT: U+FEFF, lines, NUL
  std::size_t rowBlockAllocated = 0;
  std::size_t textBlockAllocated = 0;
};

// Builds both blocks from the selected rows in table order. A block that would have to be
// allocated or grown beyond maxBlockBytes fails the copy (nullopt), as an allocation
// failure does.
std::optional<CopiedRows> BuildCopiedRows(const DocumentState& doc, std::size_t maxBlockBytes = kNoBlockLimit);

enum class RowBlockFormat { Own, Sibling };

// One row as a row block holds it.
struct ClipboardRow {
  Text name;       // as in the block (not yet normalised)
  Text longitude;  // decimal text, empty when absent
  Text latitude;
  std::uint16_t status = kStatusDestination;  // own block: the record's unit; sibling: destination
};

// Where received rows go: before the first selected row, never before the pinned base
// row; at the end without a selection.
std::size_t RowInsertionPoint(const DocumentState& doc);
// Inserts rows read from a block (pasted, or sent or dropped by another program) at
// insertAt, inside the caller's undo group with redrawing suspended: selected and focused,
// with the passed bit of the row at insertAt; "Check Name" asks about each duplicate and
// reports the number dropped. Redrawing is resumed.
void InsertReceivedRows(CommandContext& context, const std::vector<ClipboardRow>& rows, RowBlockFormat format,
                        std::size_t insertAt);

// Reads a row block from the clipboard (the whole block, which may be longer than its
// rows). nullopt when the count or a record does not fit the block; a text without its
// NUL ends at its field's end.
std::optional<std::vector<ClipboardRow>> ReadRowBlock(std::span<const std::uint8_t> block, RowBlockFormat format);

// The text of a CF_UNICODETEXT block: the units up to the first NUL, or to the end of the
// block when it has none (an odd last byte is ignored).
Text ReadTextBlock(std::span<const std::uint8_t> block);

// The text 1020 copies for row: "latitude, longitude" in the display form, each value
// given its compass letter when the table shows none.
Text CoordinatesCopyText(const DocumentState& doc, std::size_t row);

// The coordinates 1021 reads from a pasted text: "%.5f" decimal texts, nullopt for a
// value that is missing or does not parse; longitudeFirst when the text's first part is
// the longitude. lngFirst decides the order when the text has no compass letter.
struct PastedCoordinates {
  std::optional<Text> longitude;
  std::optional<Text> latitude;
  bool longitudeFirst = false;
};
PastedCoordinates ReadPastedCoordinates(TextView clipboardText, bool lngFirst);

// 1018: copies the selected rows in both forms. True on success; a failure has shown its
// message. maxBlockBytes stands for the memory a block may take.
bool CopyRows(CommandContext& context, std::size_t maxBlockBytes = kNoBlockLimit);
// 1017: copies, and only when that succeeded deletes the selected rows.
void CutRows(CommandContext& context, std::size_t maxBlockBytes = kNoBlockLimit);
// 1019: inserts the rows of the own block (else the sibling's) before the first selected
// row, or at the end, as one undo step.
void PasteRows(CommandContext& context);
// 1020: copies the first selected row's coordinates as text.
void CopyCoordinates(CommandContext& context);
// 1021: sets the coordinates of every selected row from the clipboard text, as one undo
// step; a text that gives no value clears the cell.
void PasteCoordinates(CommandContext& context);

}  // namespace wayloom
