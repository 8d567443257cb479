#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "EditingTestSupport.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::ExpectUndoRedo;
using testing::Picture;

using testing::EditFixture;
// ---- default name ----

TEST(DefaultEntryName, ShowsTheLocalTimeOnATwelveHourClock) {
  std::string names;
  for (const LocalTime& t : {LocalTime{2024, 1, 1, 0, 0, 0}, {2024, 7, 31, 12, 59, 5}, {2024, 7, 31, 11, 0, 59}})
    names += TextToUtf8(DefaultEntryName(t)) + ";";
  EXPECT_EQ(names, "新行程 1/1 AM 12:00:00;新行程 7/31 PM 12:59:05;新行程 7/31 AM 11:00:59;");
}

// ---- add and insert ----

TEST(AddEntry, EnterWithoutTypingStoresTheDefaultNameAsOneUndoStep) {
  EditFixture f({"a|121|25|3", "b|121.1|25.1|3"});
  ExpectUndoRedo(f, [&] {
    AddEntry(f.context, f.editor);
    EXPECT_EQ(f.EditorText(), "新行程 12/5 PM 10:05:09");
    EXPECT_EQ(f.ui.statusTexts.back(), "請輸入行程的名稱 (Tab/Shift+Tab: 移到下/前一個欄位)");
    EXPECT_TRUE(f.Enter(f.EditorText()));
    EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  }, {"a|121.00000|25.00000|3", "b|121.10000|25.10000|3", "新行程 12/5 PM 10:05:09|||2"});  // at the end: status 2
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(AddEntry, EscLeavesTheTableAndTheUndoHistoryUnchanged) {
  EditFixture f({"a|121|25", "b|121.1|25.1"});
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  f.Enter("a2");
  Undo(f.context);
  AddEntry(f.context, f.editor);
  f.Esc();
  EXPECT_TRUE(!CanUndo(f.doc.journal) && CanRedo(f.doc.journal) && !f.editor.open);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});  // clamped to the new last row
}

// ---- committing a cell ----

TEST(CommitCellEdit, RefusedNamesKeepTheEditorOpenAndTheCellUnchanged) {
  EditFixture f({"a|121|25"});
  EXPECT_TRUE(!AcceptsEditorCharacter(kNameColumn, u'|') && !AcceptsEditorCharacter(kNameColumn, u'>') &&
              AcceptsEditorCharacter(kNameColumn, u'<'));
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  for (const char* text : {"x|y", "", "   ", "\u200E\t", "a>b"}) EXPECT_FALSE(f.Enter(text)) << text;
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14226, 14204, 14204, 14204, 14226}));
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Information);
  EXPECT_TRUE(f.editor.open && f.ui.editorVisible && !f.editor.commitOk);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"a"});
  EXPECT_FALSE(CanUndo(f.doc.journal) || f.doc.document.modified);
}

TEST(CommitCellEdit, NamesAreCleanedAndCutTo255UnitsWithoutSplittingACharacter) {
  EditFixture f({"a|121|25"});
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  EXPECT_TRUE(f.Enter("  \tTai\u200Epei\r\n  "));
  EXPECT_EQ(f.Names()[0], "Taipei");
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  f.Enter(std::string(254, 'x') + "😀" + "tail");  // the pair would straddle unit 255
  EXPECT_EQ(f.Names()[0], std::string(254, 'x'));
}

TEST(CommitCellEdit, DuplicateNamesAreAskedOnlyWithCheckName) {
  EditFixture f({"a|121|25", "b|121.1|25.1"});
  BeginCellEdit(f.context, f.editor, 1, kNameColumn);
  EXPECT_TRUE(f.Enter("a"));
  EXPECT_TRUE(f.ui.messages.empty());
  f.doc.settings.Set(Option::CheckName, true);
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  f.ui.answers = {MessageResult::Cancel, MessageResult::Ok};
  EXPECT_FALSE(f.Enter("a"));  // the other "a" is row 1
  EXPECT_TRUE(f.editor.open);
  const auto& asked = f.ui.messages.back();
  EXPECT_EQ(std::tuple(asked.id, asked.buttons, asked.icon), std::tuple(14203, MessageButtons::OkCancel, MessageIcon::Question));
  EXPECT_TRUE(f.Enter("a") && f.editor.commitOk);  // OK accepts it, and the commit counts as done
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "a"}));
}

TEST(CommitCellEdit, CoordinatesAreParsedRangeTestedAndStoredInTheDisplayForm) {
  EditFixture f({"a|121|25", "b|121.1|25.1"});
  SetBaseRow(f.context, 0, false);
  BeginCellEdit(f.context, f.editor, 1, kLongitudeColumn);
  for (const std::string& refused : {std::string("181"), std::string("12abc"), std::string(300, '1')})
    EXPECT_FALSE(f.Enter(refused)) << refused;
  EXPECT_EQ(f.ui.MessageIds(), (std::vector<int>{14223, 14223, 14223}));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.10000");
  EXPECT_TRUE(f.Enter("E 121 30"));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.50000");
  EXPECT_EQ(f.Column(kDistanceColumn)[1], TextToUtf8(FormatDistance(DistanceBetweenRows(f.doc, 0, 1), true)));
  BeginCellEdit(f.context, f.editor, 1, kLatitudeColumn);
  EXPECT_FALSE(f.Enter("-90.5"));
  EXPECT_EQ(f.ui.messages.back().id, 14224);
  EXPECT_TRUE(f.Enter(""));  // a blank coordinate clears the cell and the Order
  EXPECT_EQ(f.Rows()[1], "b|121.50000||2");
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", ""}));
}

TEST(CommitCellEdit, ThePinnedBaseRowKeepsItsCoordinates) {
  EditFixture f({"home|121|25", "a|121.1|25.1"});
  f.Pin();
  BeginCellEdit(f.context, f.editor, 0, kLatitudeColumn);
  EXPECT_FALSE(f.Enter(""));
  EXPECT_EQ(f.ui.messages.back().id, 14205);
  f.Esc();
  BeginCellEdit(f.context, f.editor, 1, kLatitudeColumn);
  EXPECT_TRUE(f.Enter(""));  // another row may lose a coordinate
}

TEST(CommitCellEdit, AnUnchangedTextMakesNoStepButSelectsTheRowAgain) {
  EditFixture f({"a|121|25", "b|121.1|25.1"});
  f.Select({1});
  BeginCellEdit(f.context, f.editor, 1, kLongitudeColumn);
  EXPECT_TRUE(f.Selected().empty());
  EXPECT_TRUE(f.Enter("121.1") && !f.ui.editorVisible);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
}

TEST(CancelCellEdit, AnExistingRowWithAnEmptyNameIsNotDeleted) {
  EditFixture f({"|121|25", "b|121.1|25.1"});
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  EXPECT_EQ(f.EditorText(), "新行程 12/5 PM 10:05:09");
  f.Esc();
  EXPECT_EQ(f.doc.table.RowCount(), 2u);
  BeginCellEdit(f.context, f.editor, 0, kNameColumn);
  f.Enter("named");
  Undo(f.context);  // an ordinary cell edit: undo brings the empty name back, the row stays
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"", "b"}));
}

// ---- Tab, F2, double-click ----

TEST(TabCellEdit, MovesThroughTheEditableColumnsInDisplayOrder) {
  const struct { int from; bool backwards, lngFirst; int to; } cases[] = {
      {kNameColumn, false, false, kLatitudeColumn}, {kLatitudeColumn, false, false, kLongitudeColumn},
      {kLongitudeColumn, false, false, kNameColumn}, {kNameColumn, false, true, kLongitudeColumn},
      {kNameColumn, true, false, kLongitudeColumn},  {kLatitudeColumn, true, false, kNameColumn}};
  for (const auto& c : cases) EXPECT_EQ(NextEditableColumn(c.from, c.lngFirst, c.backwards), c.to) << c.from;
}

TEST(TabCellEdit, ANewRowNamedByTabIsOneStepWithTheCoordinatesTypedAfter) {
  EditFixture f({"a|121|25"});
  AddEntry(f.context, f.editor);
  EXPECT_TRUE(!f.Tab("") && f.editor.column == kNameColumn);  // refused: stays on the name
  EXPECT_TRUE(f.Tab("new") && f.editor.column == kLatitudeColumn && f.doc.currentColumn == kLatitudeColumn);
  EXPECT_TRUE(f.Tab("25.5") && f.editor.column == kLongitudeColumn);
  f.Esc();  // a named row stays
  EXPECT_EQ(f.Rows()[1], "new||25.50000|2");
  Undo(f.context);
  Undo(f.context);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"a"});
  EXPECT_FALSE(CanUndo(f.doc.journal));
}

TEST(DoubleClickCell, EditsTheCellTogglesOnTheIconAndIgnoresOrderAndDistance) {
  EditFixture f({"a|121|25|2", "b|121.1|25.1|0"});
  EditSelectedEntry(f.context, f.editor);  // no selection
  DoubleClickCell(f.context, f.editor, 0, kOrderColumn, false);
  DoubleClickCell(f.context, f.editor, 5, kNameColumn, false);
  EXPECT_FALSE(f.editor.open);
  f.Select({0, 1});
  DoubleClickCell(f.context, f.editor, 0, kNameColumn, true);  // a destination: both become via points
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 0}));
  DoubleClickCell(f.context, f.editor, 1, kLatitudeColumn, false);
  EXPECT_EQ(std::to_string(f.doc.currentColumn) + f.EditorText(), std::to_string(kLatitudeColumn) + "25.10000");
  f.Esc();
  f.doc.currentColumn = kDistanceColumn;  // after sorting by distance, F2 edits the name
  f.Select({1});
  EditSelectedEntry(f.context, f.editor);
  EXPECT_EQ(std::to_string(f.editor.column) + f.EditorText(), std::to_string(kNameColumn) + "b");
}

// ---- delete ----

TEST(DeleteSelectedEntries, SelectsTheRowThatTookTheFirstPlaceOrTheNewLastRowAndTakesTheBaseAlong) {
  EditFixture f({"a|121|25", "b|121.1|25.1", "c", "d|121.3|25.3", "e|121.4|25.4"});
  SetBaseRow(f.context, 1, false);
  f.Select({1, 2});
  DeleteSelectedEntries(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "d", "e"}));
  EXPECT_EQ(f.doc.baseRow, -1);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", "3"}));
  f.Select({1, 2});
  DeleteSelectedEntries(f.context);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  f.Select({0});
  DeleteSelectedEntries(f.context);
  EXPECT_TRUE(f.doc.table.Empty() && f.doc.document.modified);
}

// ---- the pinned base row ----

TEST(PinnedBaseRow, ChangingOnlyThePinnedRowLeavesTheDocumentUnmodified) {
  using Command = void (*)(EditFixture&);
  const std::pair<const char*, Command> cases[] = {
      {"edit its latitude", [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 0, kLatitudeColumn), f.Enter("25.5"); }},
      {"cut it", [](EditFixture& f) {
         f.Select({0}), DeleteSelectedEntries(f.context, true);
         EXPECT_EQ(f.Rows(), std::vector<std::string>{"a|121.10000|25.10000|2"});
         EXPECT_FALSE(f.doc.baseRowPinned);
         EXPECT_EQ(f.ui.statusTexts.front(), "正在剪下行程的資料...");
         EXPECT_EQ(f.ui.pressedButtons.front(), IDM_CUT);
       }},
      {"make it a via point", [](EditFixture& f) { f.Select({0}), SetDestination(f.context, false); }},
      {"replace in it", [](EditFixture& f) { ReplaceIn(f.context, {u"home", u"house"}, 0, false); }},
      {"paste a text without coordinates", [](EditFixture& f) {  // clears both
         f.clipboard.blocks[ClipboardFormat::UnicodeText] = {'x', 0, 0, 0};
         f.Select({0}), PasteCoordinates(f.context);
         EXPECT_EQ(f.Rows()[0], "home|||2");
       }},
      {"hide the distance column", [](EditFixture& f) { ToggleDistanceColumn(f.context); }},
  };
  for (const auto& [name, command] : cases) {
    SCOPED_TRACE(name);
    EditFixture f({"home|121|25", "a|121.1|25.1"});
    f.Pin();
    ExpectUndoRedo(f, [&] { command(f); });
    EXPECT_FALSE(f.doc.document.modified);
  }
}

// ---- merge and clear ----

MergeFieldsChoice Merge(MergeField prefix, MergeField suffix, const std::string& text) {
  return {prefix, suffix, Utf8ToText(text)};
}

TEST(MergeFields, AcceptsTheFourPairsWithAUsableText) {
  using M = MergeField;
  const struct { M prefix, suffix; const char* text; bool ok; } cases[] = {
      {M::Text, M::Name, "@", true},         {M::Sequence, M::Name, "01", true},
      {M::Name, M::Text, "x", true},         {M::Name, M::Sequence, "123456789", true},
      {M::Name, M::Sequence, "1234567890", false}, {M::Sequence, M::Name, "1a", false},
      {M::Text, M::Name, " \u200E ", false}, {M::Text, M::Text, "x", false},
      {M::Name, M::Name, "x", false},        {M::Sequence, M::Text, "1", false}};
  for (const auto& c : cases) EXPECT_EQ(MergeFieldsAcceptable(Merge(c.prefix, c.suffix, c.text)), c.ok) << c.text;
}

std::vector<std::string> NumberedRows(int count) { return std::vector<std::string>(count, "n|121|25"); }

TEST(MergeFields, SequenceNumbersArePaddedOnlyForALeadingZero) {
  EditFixture f(NumberedRows(150));
  ApplyMergeFields(f.context, Merge(MergeField::Sequence, MergeField::Name, "01"));
  EXPECT_EQ(f.Names()[0] + " " + f.Names()[149], "001n 150n");
  Undo(f.context);
  ApplyMergeFields(f.context, Merge(MergeField::Name, MergeField::Sequence, "1"));
  EXPECT_EQ(f.Names()[0] + " " + f.Names()[149], "n1 n150");
  Undo(f.context);
  f.Select({3, 4});
  ApplyMergeFields(f.context, Merge(MergeField::Sequence, MergeField::Name, "007"));
  const auto names = f.Names();
  EXPECT_EQ(std::vector<std::string>(names.begin() + 3, names.begin() + 6), (std::vector<std::string>{"007n", "008n", "n"}));
}

TEST(MergeFields, ThePinnedRowGetsNoNumberAndDoesNotCountForPadding) {
  EditFixture f(NumberedRows(100));
  f.Pin();
  ApplyMergeFields(f.context, Merge(MergeField::Sequence, MergeField::Name, "01"));
  EXPECT_EQ(f.Names()[0] + " " + f.Names()[1] + " " + f.Names()[99], "n 01n 99n");
}

TEST(MergeFields, JoinedNamesAreCutAndNormalisedAndTheDialogCanCancel) {
  EditFixture f({"Taipei|121|25", std::string(250, 'y') + "|121|25"});
  MergeFields(f.context, f.ui);  // Cancel
  EXPECT_FALSE(CanUndo(f.doc.journal));
  f.ui.merge = Merge(MergeField::Name, MergeField::Text, "a|b>c0123456789");
  MergeFields(f.context, f.ui);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Taipeia b c0123456789", std::string(250, 'y') + "a b c"}));
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(ClearFields, StripsNumbersOnlyWhereANameRemains) {
  const std::pair<const char16_t*, const char*> leading[] = {{u"12 Taipei", "Taipei"}, {u"123", "123"}, {u"12\u200E", "12\u200E"}};
  const std::pair<const char16_t*, const char*> trailing[] = {{u"Stop 7", "Stop"}, {u"7", "7"}, {u"\u3000 7", "\u3000 7"}};
  for (const auto& [name, rest] : leading) EXPECT_EQ(TextToUtf8(WithoutLeadingNumber(name)), rest);
  for (const auto& [name, rest] : trailing) EXPECT_EQ(TextToUtf8(WithoutTrailingNumber(name)), rest);

  EditFixture f({"home|121|25", "12 Stop 7|121.1|25.1", "12 34|121.2|25.2", "base|121.3|25.3"});
  f.Pin();
  SetBaseRow(f.context, 3, false);
  ExpectUndoRedo(f, [&] { ApplyClearFields(f.context, {true, true, false, true}); },
                 {"home|121.00000|25.00000|2", "Stop|121.10000||2", "34|121.20000||2", "base|121.30000||2"});
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "", ""}));
  EXPECT_EQ(f.doc.baseRow, -1);  // the base row lost its latitude
}

// The header menu's column commands: every change is one undo step, a pinned row keeps its
// coordinates (its name is cut like any other), and a name whose only "@" leads stays whole.
TEST(HeaderColumnCommands, ClearTheWholeColumnAndCutAddressesAfterTheLastAt) {
  EditFixture f({"home@base|121|25", "Taipei 101 @ No. 7 @ Xinyi|121.5|25", "@only|121.2|25.2", "plain|121.3|25.3"});
  f.Pin();
  ExpectUndoRedo(f, [&] { ClearColumnAddresses(f.context); },
                 {"home|121.00000|25.00000|2", "Taipei 101 @ No. 7|121.50000|25.00000|2",
                  "@only|121.20000|25.20000|2", "plain|121.30000|25.30000|2"});
  EXPECT_TRUE(f.doc.document.modified);

  EditFixture g({"home|121|25", "a|121.5|25", "b|121.2|"});
  g.Pin();
  ExpectUndoRedo(g, [&] { ClearWholeColumn(g.context, kLongitudeColumn); },
                 {"home|121.00000|25.00000|2", "a||25.00000|2", "b|||2"});
  EXPECT_EQ(g.Column(kOrderColumn), (std::vector<std::string>{"1", "", ""}));
  ClearWholeColumn(g.context, kNameColumn);  // only coordinate columns are cleared
  EXPECT_EQ(g.Column(kNameColumn), (std::vector<std::string>{"home", "a", "b"}));

  EditFixture unchanged({"x@|121|25"});
  ClearColumnAddresses(unchanged.context);  // cut to "x"
  EXPECT_EQ(unchanged.Column(kNameColumn), (std::vector<std::string>{"x"}));
  EditFixture nothing({"@x|121|25"});
  ClearColumnAddresses(nothing.context);
  EXPECT_FALSE(nothing.doc.document.modified);
}

}  // namespace
}  // namespace wayloom
