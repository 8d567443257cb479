// Route statuses and the order of the entries: destination or via point (1033, 1034),
// passed or still to pass (1035, 1036), one entry up or down (1038, 1039) and the whole
// route reversed (1040). Each command is one undo step, keeps the passed entries a
// leading run and keeps the pinned base row first.
#pragma once

#include "core/UndoJournal.h"
#include "core/CommandContext.h"

namespace wayloom {

// Enabling rules the commands check themselves.
bool CanMoveUp(const DocumentState& doc);
bool CanMoveDown(const DocumentState& doc);
bool CanReorder(const DocumentState& doc);  // reverse and the name sorts

// 1033 (true) and 1034 (false): the destination bit of every selected row.
void SetDestination(CommandContext& context, bool destination);
// 1035 (false) and 1036 (true): the passed bit of the one selected row, then the run.
void SetPassed(CommandContext& context, bool passed);
// A double-click on a row's status icon: 1034 for a destination, 1033 otherwise.
void ToggleDestination(CommandContext& context, std::size_t row);

// Keeps the passed rows a leading run after row's passed bit was set or cleared: above a
// passed row every row becomes passed, below a row to pass none stays passed.
void EnforcePassedRun(DocumentState& doc, std::size_t row);

// 1038 and 1039: the first selected entry one place up or down.
void MoveUp(CommandContext& context);
void MoveDown(CommandContext& context);
// Moves the entry at row one place. recording: as a command (its own undo step and a
// map update); otherwise as undo and redo replay it, with recording suspended. Returns
// false when there is no row to swap with.
bool MoveEntry(CommandContext& context, std::size_t row, MoveDirection direction, bool recording);

// 1040.
void ReverseRoute(CommandContext& context);

}  // namespace wayloom
