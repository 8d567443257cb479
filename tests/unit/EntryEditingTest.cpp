#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "core/CommandIds.h"
#include "editing/EntryEditing.h"
#include "editing/UndoCommands.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

class FrozenClock : public Clock {
 public:
  LocalTime Now() const override { return now; }
  std::uint32_t TickCount() const override { return ticks; }
  LocalTime now{2024, 12, 5, 22, 5, 9};
  std::uint32_t ticks = 12345;
};

// Remembers the editor and posted commands; answers the merge and clear dialogs.
class EditingUi : public testing::RecordingUi, public FieldDialogs {
 public:
  void ShowCellEditor(const CellEditorRequest& request) override {
    shown.push_back(request);
    editorVisible = true;
  }
  void HideCellEditor() override { editorVisible = false; }
  void PostCommand(int command, long long parameter) override { posted.push_back({command, parameter}); }
  std::optional<MergeFieldsChoice> AskMergeFields() override { return merge; }
  std::optional<ClearFieldsChoice> AskClearFields() override { return clear; }

  std::vector<CellEditorRequest> shown;
  bool editorVisible = false;
  std::vector<std::pair<int, long long>> posted;
  std::optional<MergeFieldsChoice> merge;
  std::optional<ClearFieldsChoice> clear;
};

struct EntryFixture : EditFixture {
  // The window's Enter, Esc and Tab, with the posted 1202 handled afterwards.
  bool Enter(const std::string& text) { return Handle(CommitCellEdit(edit, editor, Utf8ToText(text))); }
  void Esc() {
    CancelCellEdit(edit, editor);
    Handle(true);
  }
  bool Tab(const std::string& text, bool backwards = false) {
    return Handle(TabCellEdit(edit, editor, Utf8ToText(text), backwards));
  }
  bool Handle(bool result) {
    for (const auto& [command, row] : ui2.posted)
      if (command == IDM_SELECT_EDITED_ROW) SelectEditedRow(edit, editor, row);
    ui2.posted.clear();
    return result;
  }
  std::string EditorText() const { return TextToUtf8(ui2.shown.back().text); }
  void Pin() {  // row 0 is a pinned base point
    doc.baseRowPinned = true;
    SetBaseRow(context, 0, false);
  }

  FrozenClock clock;
  EditingUi ui2;
  CommandContext edit{doc, ui2, files};
  CellEditor editor{clock};
};

// ---- default name ----

TEST(DefaultEntryName, ShowsTheLocalTimeOnATwelveHourClock) {
  EXPECT_EQ(TextToUtf8(DefaultEntryName({2024, 12, 5, 22, 5, 9})), "新行程 12/5 PM 10:05:09");
  EXPECT_EQ(TextToUtf8(DefaultEntryName({2024, 1, 1, 0, 0, 0})), "新行程 1/1 AM 12:00:00");
  EXPECT_EQ(TextToUtf8(DefaultEntryName({2024, 7, 31, 12, 59, 5})), "新行程 7/31 PM 12:59:05");
  EXPECT_EQ(TextToUtf8(DefaultEntryName({2024, 7, 31, 11, 0, 59})), "新行程 7/31 AM 11:00:59");
}

// ---- add and insert ----

TEST(AddEntry, EnterWithoutTypingStoresTheDefaultNameAsOneUndoStep) {
  EntryFixture f;
  f.Load({"a|121|25|3", "b|121.1|25.1|3"});
  const auto before = Picture(f.doc);
  AddEntry(f.edit, f.editor);
  ASSERT_TRUE(f.editor.open);
  EXPECT_EQ(f.EditorText(), "新行程 12/5 PM 10:05:09");
  EXPECT_EQ(f.ui2.statusTexts.back(), "請輸入行程的名稱 (Tab/Shift+Tab: 移到下/前一個欄位)");
  EXPECT_TRUE(f.Enter(f.EditorText()));
  EXPECT_EQ(testing::Rows(f.doc).back(), "新行程 12/5 PM 10:05:09|||2");  // at the end: status 2 even after passed rows
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  Redo(f.edit);
  EXPECT_EQ(f.Names().back(), "新行程 12/5 PM 10:05:09");
}

TEST(AddEntry, EscLeavesTheTableAndTheUndoHistoryUnchanged) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1"});
  BeginUndoGroup(f.doc.journal);
  SetCellRecorded(f.doc, 0, kNameColumn, u"a2");
  Undo(f.edit);
  const auto before = Picture(f.doc);
  AddEntry(f.edit, f.editor);
  f.Esc();
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_TRUE(CanRedo(f.doc.journal));
  EXPECT_FALSE(f.editor.open);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});  // clamped to the new last row
}

TEST(InsertEntry, TakesThePassedBitOfTheRowItGoesBefore) {
  EntryFixture f;
  f.Load({"a|121|25|3", "b|121.1|25.1|1", "c|121.2|25.2|2"});
  f.Select({1});
  InsertEntry(f.edit, f.editor);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 3, 1, 2}));
  f.Enter("new");
  f.Select({3});
  InsertEntry(f.edit, f.editor);
  EXPECT_EQ(f.doc.table.Row(3).status, 2);
}

TEST(InsertEntry, NeverGoesAboveThePinnedBaseRowAndNeedsOneSelectedRow) {
  EntryFixture f;
  f.Load({"home|121|25", "a|121.1|25.1"});
  f.Pin();
  InsertEntry(f.edit, f.editor);  // nothing selected
  f.Select({0, 1});
  InsertEntry(f.edit, f.editor);  // two selected
  EXPECT_EQ(f.doc.table.RowCount(), 2u);
  f.Select({0});
  InsertEntry(f.edit, f.editor);
  EXPECT_EQ(f.editor.row, 1u);
  f.Enter("between");
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"home", "between", "a"}));
  EXPECT_EQ(f.doc.baseRow, 0);
}

TEST(InsertEntry, TheBaseRowAndAdjacentDistancesFollowTheNewRowAndItsRemoval) {
  EntryFixture f;
  f.doc.settings.adjacentDistance = 1;
  f.Load({"a|121|25", "b|121.1|25.1", "base|121.2|25.2"});
  SetBaseRow(f.context, 2, false);
  const auto before = Picture(f.doc);
  f.Select({1});
  InsertEntry(f.edit, f.editor);
  EXPECT_EQ(f.doc.baseRow, 3);
  EXPECT_EQ(f.Column(kDistanceColumn)[1], "");
  EXPECT_EQ(f.Column(kDistanceColumn)[2], "");  // b now follows a row without coordinates
  f.Esc();
  EXPECT_EQ(Picture(f.doc), before);
}

// ---- committing a cell ----

TEST(CommitCellEdit, RefusedNamesKeepTheEditorOpenAndTheCellUnchanged) {
  EntryFixture f;
  f.Load({"a|121|25"});
  EXPECT_FALSE(AcceptsEditorCharacter(kNameColumn, u'|'));
  EXPECT_FALSE(AcceptsEditorCharacter(kNameColumn, u'>'));
  EXPECT_TRUE(AcceptsEditorCharacter(kNameColumn, u'<'));
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  for (const char* text : {"x|y", "", "   ", "\u200E\t", "a>b"}) EXPECT_FALSE(f.Enter(text)) << text;
  EXPECT_EQ(f.ui2.MessageIds(), (std::vector<int>{14226, 14204, 14204, 14204, 14226}));
  EXPECT_EQ(f.ui2.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(f.editor.open);
  EXPECT_TRUE(f.ui2.editorVisible);
  EXPECT_FALSE(f.editor.commitOk);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"a"});
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(CommitCellEdit, NamesAreCleanedAndCutTo255UnitsWithoutSplittingACharacter) {
  EntryFixture f;
  f.Load({"a|121|25"});
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  EXPECT_TRUE(f.Enter("  \tTai\u200Epei\r\n  "));
  EXPECT_EQ(f.Names()[0], "Taipei");
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  f.Enter(std::string(254, 'x') + "😀" + "tail");  // the pair would straddle unit 255
  EXPECT_EQ(f.Names()[0], std::string(254, 'x'));
}

TEST(CommitCellEdit, DuplicateNamesAreAskedOnlyWithCheckName) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1"});
  BeginCellEdit(f.edit, f.editor, 1, kNameColumn);
  EXPECT_TRUE(f.Enter("a"));
  EXPECT_TRUE(f.ui2.messages.empty());
  f.doc.settings.Set(Option::CheckName, true);
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  f.ui2.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_FALSE(f.Enter("a"));  // the other "a" is row 1
  EXPECT_TRUE(f.editor.open);
  EXPECT_EQ(f.ui2.messages.back().id, 14203);
  EXPECT_EQ(f.ui2.messages.back().buttons, MessageButtons::OkCancel);
  EXPECT_EQ(f.ui2.messages.back().icon, MessageIcon::Question);
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  EXPECT_TRUE(f.Enter("b"));  // OK accepts it, and the commit counts as done
  EXPECT_TRUE(f.editor.commitOk);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"b", "a"}));
}

TEST(CommitCellEdit, CoordinatesAreParsedRangeTestedAndStoredInTheDisplayForm) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1"});
  SetBaseRow(f.context, 0, false);
  const auto distanceBefore = f.Column(kDistanceColumn)[1];
  BeginCellEdit(f.edit, f.editor, 1, kLongitudeColumn);
  EXPECT_EQ(f.ui2.shown.back().limit, 23u);
  EXPECT_FALSE(f.Enter("181"));
  EXPECT_FALSE(f.Enter("12abc"));
  EXPECT_FALSE(f.Enter(std::string(300, '1')));
  EXPECT_EQ(f.ui2.MessageIds(), (std::vector<int>{14223, 14223, 14223}));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.10000");
  EXPECT_TRUE(f.Enter("E 121 30"));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.50000");
  EXPECT_NE(f.Column(kDistanceColumn)[1], distanceBefore);
  BeginCellEdit(f.edit, f.editor, 1, kLatitudeColumn);
  EXPECT_FALSE(f.Enter("-90.5"));
  EXPECT_EQ(f.ui2.messages.back().id, 14224);
  EXPECT_TRUE(f.Enter(""));  // a blank coordinate clears the cell and the Order
  EXPECT_EQ(testing::Rows(f.doc)[1], "b|121.50000||2");
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", ""}));
  Undo(f.edit);
  Undo(f.edit);
  EXPECT_EQ(testing::Rows(f.doc)[1], "b|121.10000|25.10000|2");
  EXPECT_EQ(f.Column(kDistanceColumn)[1], distanceBefore);
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(CommitCellEdit, ThePinnedBaseRowKeepsItsCoordinatesAndNeverMarksModified) {
  EntryFixture f;
  f.Load({"home|121|25", "a|121.1|25.1"});
  f.Pin();
  BeginCellEdit(f.edit, f.editor, 0, kLatitudeColumn);
  EXPECT_FALSE(f.Enter(""));
  EXPECT_EQ(f.ui2.messages.back().id, 14205);
  EXPECT_TRUE(f.Enter("25.5"));
  EXPECT_FALSE(f.doc.document.modified);
  BeginCellEdit(f.edit, f.editor, 1, kLatitudeColumn);
  EXPECT_TRUE(f.Enter(""));  // another row may lose a coordinate
}

TEST(CommitCellEdit, AnUnchangedTextMakesNoStepButSelectsTheRowAgain) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1"});
  f.Select({1});
  BeginCellEdit(f.edit, f.editor, 1, kLongitudeColumn);
  EXPECT_TRUE(f.Selected().empty());
  EXPECT_TRUE(f.Enter("121.1"));
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_FALSE(f.doc.document.modified);
  EXPECT_FALSE(f.ui2.editorVisible);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
}

TEST(CancelCellEdit, AnExistingRowWithAnEmptyNameIsNotDeleted) {
  EntryFixture f;
  f.Load({"|121|25", "b|121.1|25.1"});
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  EXPECT_EQ(f.EditorText(), "新行程 12/5 PM 10:05:09");
  f.Esc();
  EXPECT_EQ(f.doc.table.RowCount(), 2u);
  BeginCellEdit(f.edit, f.editor, 0, kNameColumn);
  f.Enter("named");
  Undo(f.edit);  // an ordinary cell edit: undo brings the empty name back, the row stays
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"", "b"}));
}

// ---- Tab, F2, double-click ----

TEST(TabCellEdit, MovesThroughTheEditableColumnsInDisplayOrder) {
  EXPECT_EQ(NextEditableColumn(kNameColumn, false, false), kLatitudeColumn);
  EXPECT_EQ(NextEditableColumn(kLatitudeColumn, false, false), kLongitudeColumn);
  EXPECT_EQ(NextEditableColumn(kLongitudeColumn, false, false), kNameColumn);
  EXPECT_EQ(NextEditableColumn(kNameColumn, false, true), kLongitudeColumn);
  EXPECT_EQ(NextEditableColumn(kNameColumn, true, false), kLongitudeColumn);
  EXPECT_EQ(NextEditableColumn(kLatitudeColumn, true, false), kNameColumn);
}

TEST(TabCellEdit, ANewRowNamedByTabIsOneStepWithTheCoordinatesTypedAfter) {
  EntryFixture f;
  f.Load({"a|121|25"});
  AddEntry(f.edit, f.editor);
  EXPECT_FALSE(f.Tab(""));  // refused: stays on the name
  EXPECT_EQ(f.editor.column, kNameColumn);
  EXPECT_TRUE(f.Tab("new"));
  EXPECT_EQ(f.editor.column, kLatitudeColumn);
  EXPECT_EQ(f.doc.currentColumn, kLatitudeColumn);
  EXPECT_TRUE(f.Tab("25.5"));
  EXPECT_EQ(f.editor.column, kLongitudeColumn);
  f.Esc();  // a named row stays
  EXPECT_EQ(testing::Rows(f.doc)[1], "new||25.50000|2");
  Undo(f.edit);
  Undo(f.edit);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"a"});
  EXPECT_FALSE(CanUndo(f.doc.journal));
}

TEST(EditSelectedEntry, AfterSortingByDistanceEditsTheName) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1"});
  EditSelectedEntry(f.edit, f.editor);  // no selection
  EXPECT_FALSE(f.editor.open);
  f.doc.currentColumn = kDistanceColumn;
  f.Select({1});
  EditSelectedEntry(f.edit, f.editor);
  EXPECT_EQ(f.editor.column, kNameColumn);
  EXPECT_EQ(f.EditorText(), "b");
}

TEST(DoubleClickCell, EditsTheCellTogglesOnTheIconAndIgnoresOrderAndDistance) {
  EntryFixture f;
  f.Load({"a|121|25|2", "b|121.1|25.1|0"});
  DoubleClickCell(f.edit, f.editor, 0, kOrderColumn, false);
  DoubleClickCell(f.edit, f.editor, 5, kNameColumn, false);
  EXPECT_FALSE(f.editor.open);
  f.Select({0, 1});
  DoubleClickCell(f.edit, f.editor, 0, kNameColumn, true);  // a destination: both become via points
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 0}));
  DoubleClickCell(f.edit, f.editor, 1, kLatitudeColumn, false);
  EXPECT_EQ(f.doc.currentColumn, kLatitudeColumn);
  EXPECT_EQ(f.EditorText(), "25.10000");
}

// ---- delete ----

TEST(DeleteSelectedEntries, SelectsTheRowThatTookTheFirstPlaceOrTheNewLastRow) {
  EntryFixture f;
  f.Load({"a|121|25", "b|121.1|25.1", "c", "d|121.3|25.3", "e|121.4|25.4"});
  const auto before = Picture(f.doc);
  f.Select({1, 2});
  DeleteSelectedEntries(f.edit);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "d", "e"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", "3"}));
  f.Select({1, 2});
  DeleteSelectedEntries(f.edit);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  f.Select({0});
  DeleteSelectedEntries(f.edit);
  EXPECT_TRUE(f.doc.table.Empty());
  EXPECT_TRUE(f.doc.document.modified);
  DeleteSelectedEntries(f.edit);  // nothing selected: nothing happens
  Undo(f.edit);
  Undo(f.edit);
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
}

TEST(DeleteSelectedEntries, TheBaseFollowsItsEntryOrGoesWithIt) {
  EntryFixture f;
  f.Load({"a|121|25", "base|121.1|25.1", "c|121.2|25.2"});
  SetBaseRow(f.context, 1, false);
  f.Select({0});
  DeleteSelectedEntries(f.edit);
  EXPECT_EQ(f.doc.baseRow, 0);
  f.Select({0});
  DeleteSelectedEntries(f.edit);
  EXPECT_EQ(f.doc.baseRow, -1);
  EXPECT_EQ(f.Column(kDistanceColumn), std::vector<std::string>{""});
}

TEST(DeleteSelectedEntries, ThePinnedBaseRowAloneLeavesTheDocumentUnmodified) {
  EntryFixture f;
  f.Load({"home|121|25", "a|121.1|25.1"});
  f.Pin();
  const auto before = Picture(f.doc);
  f.Select({0});
  DeleteSelectedEntries(f.edit, true);
  EXPECT_FALSE(f.doc.baseRowPinned);
  EXPECT_FALSE(f.doc.document.modified);
  EXPECT_EQ(f.ui2.statusTexts.back(), "正在剪下行程的資料...");
  EXPECT_EQ(f.ui2.pressedButtons.back(), IDM_CUT);
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
}

// ---- merge and clear ----

MergeFieldsChoice Merge(MergeField prefix, MergeField suffix, const std::string& text) {
  return {prefix, suffix, Utf8ToText(text)};
}

TEST(MergeFields, AcceptsTheFourPairsWithAUsableText) {
  using M = MergeField;
  EXPECT_TRUE(MergeFieldsAcceptable(Merge(M::Text, M::Name, "@")));
  EXPECT_TRUE(MergeFieldsAcceptable(Merge(M::Sequence, M::Name, "01")));
  EXPECT_TRUE(MergeFieldsAcceptable(Merge(M::Name, M::Text, "x")));
  EXPECT_TRUE(MergeFieldsAcceptable(Merge(M::Name, M::Sequence, "123456789")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Name, M::Sequence, "1234567890")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Sequence, M::Name, "1a")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Text, M::Name, " \u200E ")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Text, M::Text, "x")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Name, M::Name, "x")));
  EXPECT_FALSE(MergeFieldsAcceptable(Merge(M::Sequence, M::Text, "1")));
}

std::vector<std::string> NumberedRows(int count) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i) rows.push_back("n|121|25");
  return rows;
}

TEST(MergeFields, SequenceNumbersArePaddedOnlyForALeadingZero) {
  EntryFixture f;
  f.Load(NumberedRows(150));
  ApplyMergeFields(f.edit, Merge(MergeField::Sequence, MergeField::Name, "01"));
  EXPECT_EQ(f.Names()[0], "001n");
  EXPECT_EQ(f.Names()[149], "150n");
  Undo(f.edit);
  ApplyMergeFields(f.edit, Merge(MergeField::Name, MergeField::Sequence, "1"));
  EXPECT_EQ(f.Names()[0], "n1");
  EXPECT_EQ(f.Names()[149], "n150");
  Undo(f.edit);
  f.Select({3, 4});
  ApplyMergeFields(f.edit, Merge(MergeField::Sequence, MergeField::Name, "007"));
  EXPECT_EQ(f.Names()[3], "007n");
  EXPECT_EQ(f.Names()[4], "008n");
  EXPECT_EQ(f.Names()[5], "n");
}

TEST(MergeFields, ThePinnedRowGetsNoNumberAndDoesNotCountForPadding) {
  EntryFixture f;
  f.Load(NumberedRows(100));
  f.Pin();
  ApplyMergeFields(f.edit, Merge(MergeField::Sequence, MergeField::Name, "01"));
  EXPECT_EQ(f.Names()[0], "n");
  EXPECT_EQ(f.Names()[1], "01n");
  EXPECT_EQ(f.Names()[99], "99n");
}

TEST(MergeFields, JoinedNamesAreCutAndNormalisedAndTheDialogCanCancel) {
  EntryFixture f;
  f.Load({"Taipei|121|25", std::string(250, 'y') + "|121|25"});
  MergeFields(f.edit, f.ui2);  // Cancel
  EXPECT_FALSE(CanUndo(f.doc.journal));
  f.ui2.merge = Merge(MergeField::Name, MergeField::Text, "a|b>c0123456789");
  MergeFields(f.edit, f.ui2);
  EXPECT_EQ(f.Names()[0], "Taipeia b c0123456789");
  EXPECT_EQ(f.Names()[1].size(), 255u);
  EXPECT_TRUE(f.doc.document.modified);
  Undo(f.edit);
  EXPECT_EQ(f.Names()[0], "Taipei");
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(ClearFields, StripsNumbersOnlyWhereANameRemains) {
  EXPECT_EQ(TextToUtf8(WithoutLeadingNumber(u"12 Taipei")), "Taipei");
  EXPECT_EQ(TextToUtf8(WithoutLeadingNumber(u"123")), "123");
  EXPECT_EQ(TextToUtf8(WithoutLeadingNumber(u"12\u200E")), "12\u200E");
  EXPECT_EQ(TextToUtf8(WithoutTrailingNumber(u"Stop 7")), "Stop");
  EXPECT_EQ(TextToUtf8(WithoutTrailingNumber(u"7")), "7");
  EXPECT_EQ(TextToUtf8(WithoutTrailingNumber(u"\u3000 7")), "\u3000 7");

  EntryFixture f;
  f.Load({"home|121|25", "12 Stop 7|121.1|25.1", "12 34|121.2|25.2", "base|121.3|25.3"});
  f.Pin();
  SetBaseRow(f.context, 3, false);
  const auto before = Picture(f.doc);
  ApplyClearFields(f.edit, {});  // nothing ticked
  EXPECT_FALSE(CanUndo(f.doc.journal));
  ApplyClearFields(f.edit, {true, true, false, true});
  EXPECT_EQ(testing::Rows(f.doc), (std::vector<std::string>{"home|121.00000|25.00000|2", "Stop|121.10000||2",
                                                            "34|121.20000||2", "base|121.30000||2"}));
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "", ""}));
  EXPECT_EQ(f.doc.baseRow, -1);  // the base row lost its latitude
  EXPECT_TRUE(f.doc.document.modified);
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
}

// ---- a working session ----

TEST(EntryEditing, UndoAllAndRedoAllBringBackEveryState) {
  EntryFixture f;
  f.Load({"01 Taipei|121.5|25.05|3", "Tainan 2|120.2|23|2", "Kaohsiung|120.3|22.6|2"});
  SetBaseRow(f.context, 0, false);
  std::vector<testing::DocumentPicture> states{Picture(f.doc)};
  f.Select({1});
  InsertEntry(f.edit, f.editor);
  f.Tab("Hsinchu");  // the insert and the name: one step
  states.push_back(Picture(f.doc));
  f.Enter("24.8");
  states.push_back(Picture(f.doc));
  BeginCellEdit(f.edit, f.editor, 1, kLongitudeColumn);
  f.Enter("120 58 E");
  states.push_back(Picture(f.doc));
  f.Select({1, 2});
  ApplyMergeFields(f.edit, Merge(MergeField::Name, MergeField::Text, " @"));
  states.push_back(Picture(f.doc));
  ApplyClearFields(f.edit, {true, true, true, false});
  states.push_back(Picture(f.doc));
  f.Select({0, 3});
  DeleteSelectedEntries(f.edit);
  states.push_back(Picture(f.doc));
  for (std::size_t i = states.size() - 1; i-- > 0;) {
    Undo(f.edit);
    EXPECT_EQ(Picture(f.doc), states[i]) << "after undo to state " << i;
  }
  EXPECT_FALSE(CanUndo(f.doc.journal));
  for (std::size_t i = 1; i < states.size(); ++i) {
    Redo(f.edit);
    EXPECT_EQ(Picture(f.doc), states[i]) << "after redo to state " << i;
  }
}

}  // namespace
}  // namespace wayloom
