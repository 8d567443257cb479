// Undo (command 1009, Ctrl+Z) and Redo (command 1010, Ctrl+Y): replay one group of the
// undo journal backwards or forwards, then refresh the table, scroll, and leave the
// modified flag as it was before the undone command.
#pragma once

#include "core/CommandContext.h"

namespace wayloom {

// Each does nothing when there is nothing to undo or redo.
void Undo(CommandContext& context);
void Redo(CommandContext& context);

}  // namespace wayloom
