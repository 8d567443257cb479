// Editing one cell in place, and the commands that lead to it: add (1011), insert (1012),
// edit (1014, F2), a double-click on a cell, Tab and Shift+Tab inside the editor. The
// window owns the edit control; these procedures decide what it shows, filter what is
// typed, validate and store what is committed, and keep the undo journal in step.
#pragma once

#include "core/CommandContext.h"
#include "platform/Clock.h"

namespace wayloom {


constexpr std::size_t kNameEditLimit = 255;
constexpr std::size_t kCoordinateEditLimit = 23;

// The state of the in-place editor, beside the table in the main window's state. The
// column F2 edits is the document's currentColumn.
struct CellEditor {
  explicit CellEditor(const Clock& clock) : clock(clock) {}

  const Clock& clock;        // the default name of a new entry
  bool open = false;
  std::size_t row = 0;       // the editing row
  int column = kNameColumn;  // the editing column (0, 1 or 2)
  // Set at every character the editor receives; cleared when a validation message is
  // shown. Callers that commit the editor read it.
  bool commitOk = true;
  bool messageShowing = false;  // a validation message box is open
  // The row added or inserted and not yet named (0: none). Its insert waits in the undo
  // journal; Esc removes the row without a trace.
  RowId newRow = 0;
};

// The name a new entry starts with: string 14418 filled from the local time, for example
// "新行程 12/5 PM 10:05:09" at 22:05:09 on 5 December.
Text DefaultEntryName(const LocalTime& time);

// Whether the editor of column takes the typed character c: names refuse '|' and '>';
// coordinates take digits, the marks of coordinate text, the axis's hemisphere letters,
// Backspace and Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z.
bool AcceptsEditorCharacter(int column, char16_t c);

// Opens the editor on a cell (the Order and Distance columns edit the name instead). Does
// nothing for a row past the end.
void BeginCellEdit(CommandContext& context, CellEditor& editor, std::size_t row, int column);
// The editor's Enter with the text it holds. A refused text shows its message and leaves
// the editor open; returns commitOk (false when refused). Does nothing when it is closed.
bool CommitCellEdit(CommandContext& context, CellEditor& editor, TextView typed);
// The editor's Esc: a new row that never got a name goes away.
void CancelCellEdit(CommandContext& context, CellEditor& editor);
// Tab (backwards: Shift+Tab): commits, then edits the next (previous) editable column of
// the same row in display order. False when the commit was refused.
bool TabCellEdit(CommandContext& context, CellEditor& editor, TextView typed, bool backwards);
// The editable column after (before) column in display order, wrapping around and
// skipping Order and Distance.
int NextEditableColumn(int column, bool lngFirst, bool backwards);

// Command 1202, posted after an edit ends: with the editor closed and no row selected,
// selects and focuses row (the last row when the table became shorter) and scrolls to it.
void SelectEditedRow(CommandContext& context, const CellEditor& editor, long long row);

// 1011: a new entry after the last one, named in the editor.
void AddEntry(CommandContext& context, CellEditor& editor);
// 1012: a new entry before the one selected row (below a pinned base row).
void InsertEntry(CommandContext& context, CellEditor& editor);
// 1014 (F2): edits the current column of the one selected row.
void EditSelectedEntry(CommandContext& context, CellEditor& editor);
// A double-click on a row: on the name's status icon it toggles destination and via
// point; in the Name, Longitude or Latitude column it edits that cell.
void DoubleClickCell(CommandContext& context, CellEditor& editor, std::size_t row, int column, bool onStatusIcon);

}  // namespace wayloom
