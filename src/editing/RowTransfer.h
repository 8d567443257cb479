// Rows exchanged with another window of this program or with the companion editor through
// a shared block of UTF-16 strings (each ended by a NUL, rows back to back, one empty
// string after the last row), and the device favourite handed to the device maker's
// desktop application as an address.
#pragma once

#include <optional>
#include <span>
#include <vector>

#include "core/CommandContext.h"
#include "editing/Clipboard.h"

namespace wayloom {

constexpr std::size_t kTransferRowBytes = 608;  // room for a 255-character name and two coordinates
constexpr std::size_t kTransferNameUnits = 255;

enum class TransferLayout {
  Plain,       // name, longitude, latitude
  OwnDrag,     // (status & 2) + 1 as a first unit before the name; longitude, latitude
  SiblingDrag  // name, longitude, latitude and two strings that are skipped
};

// The block for the selected rows in table order, Plain or OwnDrag, padded with NULs to
// the block's size: selected rows x 608 bytes (one row's room for an empty selection).
std::vector<char16_t> BuildTransferBlock(const DocumentState& doc, TransferLayout layout);

// The rows of a block, up to its empty string. Nothing is read past block: a row whose
// strings run past its end is dropped; names are cut to 255 units.
std::vector<ClipboardRow> ReadTransferBlock(std::span<const char16_t> block, TransferLayout layout);

// Receives the rows of block as one undo step: before the selection (never before the
// pinned base row, at the end without one) or, for a drop, at dropPosition; see
// InsertReceivedRows.
void ReceiveTransferRows(CommandContext& context, std::span<const char16_t> block, TransferLayout layout,
                         std::optional<std::size_t> dropPosition);

// The "tomtomhome:geo:" address of row: its decimal latitude and longitude and its name with
// "%" and "&" as spaces, percent-encoded as UTF-8 (every byte above 0x7F and every space).
Text DeviceFavouriteAddress(const DocumentState& doc, std::size_t row);

}  // namespace wayloom
