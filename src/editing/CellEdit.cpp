#include "editing/CellEdit.h"

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"

namespace wayloom {

namespace {

constexpr int kNameHint = 13103;
constexpr int kLongitudeHint = 13104;
constexpr int kLatitudeHint = 13105;
constexpr int kTabHint = 13106;
constexpr int kDuplicateName = 14203;
constexpr int kBlankName = 14204;
constexpr int kBlankBaseCoordinate = 14205;
constexpr int kForbiddenNameCharacters = 14226;
constexpr int kDefaultNameFormat = 14418;

bool IsCoordinateColumn(int column) { return column == kLongitudeColumn || column == kLatitudeColumn; }

bool HasForbiddenNameCharacter(TextView text) { return text.find_first_of(u"|>") != TextView::npos; }

bool IsPinnedBaseRow(const DocumentState& doc, std::size_t row) { return row == 0 && doc.baseRowPinned; }

void CloseEditor(CommandContext& context, CellEditor& editor) {
  editor.open = false;
  editor.messageShowing = false;
  context.ui.HideCellEditor();
}

// A validation message of the editor; the commit is refused unless OK accepts a question.
bool ShowValidation(CommandContext& context, CellEditor& editor, int id, bool question) {
  editor.messageShowing = true;
  editor.commitOk = false;
  const MessageResult answer =
      context.ui.ShowEditorMessage(id, question ? MessageIcon::Question : MessageIcon::Information,
                                   question ? MessageButtons::OkCancel : MessageButtons::Ok);
  editor.messageShowing = false;
  return question && answer == MessageResult::Ok;
}

// Inserts the new, unnamed entry at index and opens the editor on its name.
void StartNewEntry(CommandContext& context, CellEditor& editor, std::size_t index) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  HoldNextRecord(doc.journal);
  doc.currentColumn = kNameColumn;
  // Destination, passed when the row it goes before is passed: the passed rows stay a
  // leading run.
  EntryStatus status = kStatusDestination;
  if (index < table.RowCount()) status |= table.Row(index).status & kStatusPassed;
  const std::size_t row = InsertRowRecorded(doc, index, TextView(), status, false);
  if (doc.baseRow >= static_cast<long long>(row)) ++doc.baseRow;
  // Without a base row this still marks the new row's distance unavailable, as a redo does.
  ComputeDistances(context, static_cast<long long>(row), false);
  if (doc.baseRow >= 0 && doc.settings.adjacentDistance != 0)
    ComputeDistances(context, static_cast<long long>(row) + 1, false);
  editor.newRow = table.Row(row).id;
  context.ui.TableChanged();
  BeginCellEdit(context, editor, row, kNameColumn);
}

}  // namespace

Text DefaultEntryName(const LocalTime& time) {
  // The format's "%c" is the A or P of AM and PM and "%:" a plain colon; the numbers are
  // left to FormatText.
  const TextView format = LoadText(kDefaultNameFormat);
  Text prepared;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      const char16_t next = format[i + 1];
      if (next == u'c') {
        prepared.push_back(time.hour < 12 ? u'A' : u'P');
        ++i;
        continue;
      }
      if (next == u':') {
        prepared.push_back(u':');
        ++i;
        continue;
      }
      if (next == u'%') {
        prepared += u"%%";
        ++i;
        continue;
      }
    }
    prepared.push_back(format[i]);
  }
  const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
  return FormatText(prepared, {time.month, time.day, hour12, time.minute, time.second});
}

bool AcceptsEditorCharacter(int column, char16_t c) {
  if (!IsCoordinateColumn(column)) return c != u'|' && c != u'>';
  if (IsAsciiDigit(c)) return true;
  switch (c) {
    case u' ': case u'.': case u'-': case u'+': case u'\'': case u'"': case u'\u00B0':
    case 3: case 22: case 24: case 26: case 8:
      return true;
    default:
      break;
  }
  const char16_t upper = AsciiUpper(c);
  if (column == kLongitudeColumn) return upper == u'E' || upper == u'W';
  return upper == u'S' || upper == u'N';
}

void BeginCellEdit(CommandContext& context, CellEditor& editor, std::size_t row, int column) {
  DocumentState& doc = context.doc;
  if (row >= doc.table.RowCount()) return;
  BeginUndoGroup(doc.journal);
  doc.table.ClearSelectionAndFocus();
  if (!IsCoordinateColumn(column)) column = kNameColumn;
  editor.open = true;
  editor.row = row;
  editor.column = column;
  editor.commitOk = true;
  editor.messageShowing = false;
  context.ui.EnsureRowVisible(static_cast<long long>(row));

  CellEditorRequest request;
  request.row = row;
  request.column = column;
  request.limit = column == kNameColumn ? kNameEditLimit : kCoordinateEditLimit;
  request.text = Text(doc.table.Cell(row, column));
  if (column == kNameColumn && request.text.empty()) request.text = DefaultEntryName(editor.clock.Now());
  context.ui.ShowCellEditor(request);

  const int hint = column == kNameColumn ? kNameHint : column == kLongitudeColumn ? kLongitudeHint : kLatitudeHint;
  context.ui.ShowStatusText(Text(LoadText(hint)) + u" " + Text(LoadText(kTabHint)));
  doc.statusResetPending = false;
}

bool CommitCellEdit(CommandContext& context, CellEditor& editor, TextView typed) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (!editor.open) return true;
  editor.commitOk = true;  // Enter is a character the editor receives
  const std::size_t row = editor.row;
  const int column = editor.column;
  if (row >= table.RowCount()) {
    CloseEditor(context, editor);
    editor.newRow = 0;
    return true;
  }

  Text text(typed);
  CutToUnits(text, kMaxNameUnits);
  CleanText(text);
  if (column == kNameColumn) {
    if (text.empty()) return ShowValidation(context, editor, kBlankName, false);
    if (HasForbiddenNameCharacter(text)) return ShowValidation(context, editor, kForbiddenNameCharacters, false);
    if (doc.settings.Get(Option::CheckName) && table.FindEntryByName(text, static_cast<long long>(row)) >= 0 &&
        !ShowValidation(context, editor, kDuplicateName, true))
      return false;
  } else if (!text.empty()) {
    const bool longitude = column == kLongitudeColumn;
    const auto display =
        ParseCoordinateInput(text, longitude ? CoordinateKind::Longitude : CoordinateKind::Latitude, doc.Format());
    if (!display)
      return ShowValidation(context, editor, longitude ? kLongitudeRangeMessage : kLatitudeRangeMessage, false);
    text = *display;
  } else if (IsPinnedBaseRow(doc, row)) {
    return ShowValidation(context, editor, kBlankBaseCoordinate, false);
  }

  const bool namingNewRow = column == kNameColumn && editor.newRow != 0 && table.Row(row).id == editor.newRow;
  if (text != table.Cell(row, column)) {
    // One commit is one undo step; naming a new row makes its held insert that step.
    BeginUndoGroup(doc.journal);
    if (namingNewRow && table.Cell(row, column).empty()) {
      CommitHeldRecord(doc.journal);
      SetCellRecorded(doc, row, column, text);  // no record of its own after the insert
    } else {
      SetCellRecorded(doc, row, column, text);
      if (IsCoordinateColumn(column)) {
        RenumberOrder(table);
        context.ui.FitColumn(kOrderColumn, false);
        if (doc.baseRow >= 0) UpdateRowDistance(context, row);
      }
    }
    if (!IsPinnedBaseRow(doc, row)) doc.SetModified(true);
    doc.titleDirty = true;
    MapSyncAll(doc);
  }
  if (namingNewRow) editor.newRow = 0;

  CloseEditor(context, editor);
  context.ui.FitColumn(column, false);
  if (IsCoordinateColumn(column) && doc.settings.Get(Option::ShowDistance)) {
    context.ui.FitColumn(kOrderColumn, false);
    context.ui.FitColumn(kDistanceColumn, false);
  }
  context.ui.PostCommand(IDM_SELECT_EDITED_ROW, static_cast<long long>(row));
  doc.statusResetPending = true;
  // A duplicate name accepted with OK is a successful commit too.
  editor.commitOk = true;
  return true;
}

void CancelCellEdit(CommandContext& context, CellEditor& editor) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (!editor.open) return;
  const std::size_t row = editor.row;
  // Only the row this editor added and that never got a name goes; an existing row whose
  // name happens to be empty stays.
  if (row < table.RowCount() && editor.newRow != 0 && table.Row(row).id == editor.newRow &&
      table.Cell(row, kNameColumn).empty()) {
    DiscardHeldRecord(doc.journal);
    const RecordingState state = doc.journal.state;
    SuspendRecording(doc.journal);
    DeleteRowRecorded(doc, row);  // BaseRow moves up when the row was above it
    doc.journal.state = state;
    if (doc.baseRow >= 0 && doc.settings.adjacentDistance != 0 && row < table.RowCount())
      ComputeDistances(context, static_cast<long long>(row), false);
    context.ui.TableChanged();
  }
  editor.newRow = 0;
  CloseEditor(context, editor);
  context.ui.PostCommand(IDM_SELECT_EDITED_ROW, static_cast<long long>(row));
  doc.statusResetPending = true;
}

int NextEditableColumn(int column, bool lngFirst, bool backwards) {
  const auto order = ColumnDisplayOrder(lngFirst);
  int position = 0;
  for (int i = 0; i < kColumnCount; ++i)
    if (order[i] == column) position = i;
  for (int step = 0; step < kColumnCount; ++step) {
    position = (position + (backwards ? kColumnCount - 1 : 1)) % kColumnCount;
    if (order[position] == kNameColumn || IsCoordinateColumn(order[position])) return order[position];
  }
  return kNameColumn;
}

bool TabCellEdit(CommandContext& context, CellEditor& editor, TextView typed, bool backwards) {
  if (!editor.open) return false;
  const std::size_t row = editor.row;
  const int column = editor.column;
  if (!CommitCellEdit(context, editor, typed)) return false;
  const int next = NextEditableColumn(column, context.doc.settings.Get(Option::LngFirst), backwards);
  context.doc.currentColumn = next;
  BeginCellEdit(context, editor, row, next);
  return true;
}

void SelectEditedRow(CommandContext& context, const CellEditor& editor, long long row) {
  ItineraryTable& table = context.doc.table;
  if (editor.open || table.Empty() || table.SelectedCount() > 0) return;
  const auto last = static_cast<long long>(table.RowCount()) - 1;
  if (row > last) row = last;
  if (row < 0) row = 0;
  table.SetSelected(static_cast<std::size_t>(row), true);
  table.SetFocused(static_cast<std::size_t>(row));
  context.ui.EnsureRowVisible(row);
}

void AddEntry(CommandContext& context, CellEditor& editor) {
  if (editor.open) return;
  StartNewEntry(context, editor, context.doc.table.RowCount());
}

void InsertEntry(CommandContext& context, CellEditor& editor) {
  const DocumentState& doc = context.doc;
  if (editor.open || doc.table.SelectedCount() != 1) return;
  std::size_t index = static_cast<std::size_t>(doc.table.FirstSelected());
  if (index == 0 && doc.baseRowPinned) index = 1;  // nothing goes above the pinned base row
  StartNewEntry(context, editor, index);
}

void EditSelectedEntry(CommandContext& context, CellEditor& editor) {
  const DocumentState& doc = context.doc;
  if (editor.open || doc.table.SelectedCount() != 1) return;
  BeginCellEdit(context, editor, static_cast<std::size_t>(doc.table.FirstSelected()), doc.currentColumn);
}

void DoubleClickCell(CommandContext& context, CellEditor& editor, std::size_t row, int column, bool onStatusIcon) {
  DocumentState& doc = context.doc;
  if (editor.open || row >= doc.table.RowCount()) return;
  if (column == kNameColumn && onStatusIcon) {
    ToggleDestination(context, row);
    return;
  }
  if (column != kNameColumn && !IsCoordinateColumn(column)) return;
  doc.currentColumn = column;
  BeginCellEdit(context, editor, row, column);
}

}  // namespace wayloom
