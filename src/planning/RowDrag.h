// Rows dragged inside the table: where they would land, what the drop does (move, copy or
// nothing), and the drop itself as one undo step. The window tracks the mouse; the rules
// are here.
#pragma once

#include "core/CommandContext.h"

namespace wayloom {

enum class DragEffect { None = 0, Move = 1, Copy = 2, MoveAway = 3 };

// The drop position for the row hit at the cursor's height plus half a row: hitRow -1
// (below the last row) is the end; row 0 when it is the pinned base row gives 1.
std::size_t DropPosition(const DocumentState& doc, long long hitRow);

// The effect of dropping the selected rows at drop: copy with Ctrl or the right button;
// otherwise a move, unless the selection is one block and drop lies inside it or directly
// after it. A selection that starts at the pinned base row cannot be dropped.
DragEffect InsideDragEffect(const DocumentState& doc, std::size_t drop, bool copyKey);

// Inserts a copy of every selected row, in table order, at drop (selected and focused,
// status: its destination bit with the passed bit of the row at drop); a move then deletes
// the sources, the base row following its copy; a copy deselects them. One undo step.
// Nothing happens for DragEffect::None or MoveAway (which the receiving window carries out).
void DropSelectedRows(CommandContext& context, std::size_t drop, DragEffect effect);

}  // namespace wayloom
