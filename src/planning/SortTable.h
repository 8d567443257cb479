// Sorting the table by a column: commands 1043 and 1044 (names), 1213 and 1214 (the
// current column) and a click on a column title; the header's arrow, the remembered
// direction and the current column.
#pragma once

#include "core/UndoJournal.h"
#include "core/CommandContext.h"

namespace wayloom {

enum class SortMode {
  Command,     // sorts, one undo step of its own
  UndoReplay,  // puts the rows back in the order before the sort; no arrow
  RedoReplay   // sorts again without recording
};

// Sorts by column (0 name, 1 longitude, 2 latitude, 4 distance). The replays take the
// snapshot the command recorded.
void SortTable(CommandContext& context, int column, bool ascending, SortMode mode,
               const OrderSnapshot* snapshot = nullptr);

// Whether a column can be sorted now: not the Order column, at least two rows besides
// the pinned base row, and the Distance column only while there is a base row.
bool CanSortColumn(const DocumentState& doc, int column);

void SortNames(CommandContext& context, bool ascending);          // 1043, 1044
void SortCurrentColumn(CommandContext& context, bool ascending);  // 1213, 1214
// A click on a column title: the current column again flips the direction, another
// column keeps it.
void HeaderClick(CommandContext& context, int column);
// New: no arrow, the current column back to Name; the direction is kept.
void ResetSortHeader(CommandContext& context);

}  // namespace wayloom
