#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "editing/UndoCommands.h"
#include "core/UndoJournal.h"
#include "planning/Distances.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::DocumentPicture;
using testing::EditFixture;
using testing::Picture;

// One in-place edit as a command makes it: a group of its own, then the change.
void EditCell(DocumentState& doc, std::size_t row, int column, const char* text) {
  BeginUndoGroup(doc.journal);
  SetCellRecorded(doc, row, column, Utf8ToText(text));
  if (!(row == 0 && doc.baseRowPinned)) doc.SetModified(true);
}

int UndoAll(EditFixture& f) {
  int steps = 0;
  while (CanUndo(f.doc.journal)) {
    Undo(f.context);
    ++steps;
  }
  return steps;
}

// ---- group control ----

TEST(UndoJournal, KeepsTheLastSixtyFourGroups) {
  EditFixture f;
  f.Load({"start"});
  for (int i = 1; i <= 65; ++i) EditCell(f.doc, 0, kNameColumn, ("name " + std::to_string(i)).c_str());
  EXPECT_EQ(UndoAll(f), 64);  // each edit of the cell is a step of its own
  // The first edit was dropped: its result is as far back as undo goes.
  EXPECT_EQ(f.Names(), std::vector<std::string>{"name 1"});
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  Redo(f.context);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"name 2"});
}

TEST(UndoJournal, ANewChangeAfterUndoFreesEveryUndoneGroup) {
  EditFixture f;
  f.Load({"a", "b"});
  EditCell(f.doc, 0, kNameColumn, "a1");
  EditCell(f.doc, 0, kNameColumn, "a2");
  EditCell(f.doc, 1, kNameColumn, "b1");
  Undo(f.context);
  Undo(f.context);
  ASSERT_TRUE(CanRedo(f.doc.journal));
  EditCell(f.doc, 1, kNameColumn, "b2");
  EXPECT_FALSE(CanRedo(f.doc.journal));
  for (int slot = f.doc.journal.current + 1; slot < UndoJournal::kSlots; ++slot)
    EXPECT_EQ(f.doc.journal.groups[slot], nullptr) << slot;
  Redo(f.context);  // not offered: nothing happens
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a1", "b2"}));
}

TEST(UndoJournal, EmptyGroupsSuspendedRecordingAndResetLeaveNoStep) {
  EditFixture f;
  f.Load({"a", "b"});
  BeginUndoGroup(f.doc.journal);
  SetCellRecorded(f.doc, 0, kNameColumn, u"a");  // no change: the group receives no record
  EXPECT_FALSE(CanUndo(f.doc.journal));
  SuspendRecording(f.doc.journal);
  InsertRowRecorded(f.doc, 1, u"new", 2, false);
  SetCellRecorded(f.doc, 0, kNameColumn, u"changed");
  SetStatusRecorded(f.doc, 0, 3);
  DeleteRowRecorded(f.doc, 2);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"changed", "new"}));
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EditCell(f.doc, 0, kNameColumn, "b");
  EditCell(f.doc, 0, kNameColumn, "c");
  Undo(f.context);
  ResetJournal(f.doc.journal);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_FALSE(CanRedo(f.doc.journal));
  EXPECT_EQ(f.doc.journal.current, -1);
}

// ---- add and insert: the held record ----

TEST(UndoJournal, ANewRowAbandonedBeforeItIsNamedLeavesNoStep) {
  EditFixture f;
  f.Load({"a"});
  HoldNextRecord(f.doc.journal);
  const std::size_t row = InsertRowRecorded(f.doc, SIZE_MAX, u"", 2, true);
  BeginUndoGroup(f.doc.journal);  // the editor opens on the new row
  DiscardHeldRecord(f.doc.journal);  // Esc
  f.doc.table.Remove(row);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_EQ(f.Names(), std::vector<std::string>{"a"});
}

TEST(UndoJournal, NamingANewRowMakesOneStepThatRemovesIt) {
  EditFixture f;
  f.Load({"a", "b"});
  const DocumentPicture before = Picture(f.doc);
  HoldNextRecord(f.doc.journal);
  const std::size_t row = InsertRowRecorded(f.doc, 1, u"", 2, true);
  BeginUndoGroup(f.doc.journal);
  EXPECT_FALSE(CanUndo(f.doc.journal));  // held, not yet a step
  CommitHeldRecord(f.doc.journal);
  SetCellRecorded(f.doc, row, kNameColumn, u"named");
  f.doc.SetModified(true);
  ASSERT_TRUE(CanUndo(f.doc.journal));
  EXPECT_EQ(f.doc.journal.groups[f.doc.journal.current]->records.size(), 1u);

  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  Redo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "named", "b"}));
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(UndoJournal, CellsSetRightAfterAnInsertComeBackWithTheRow) {
  EditFixture f;
  f.Load({"a"});
  BeginUndoGroup(f.doc.journal);
  const std::size_t row = InsertRowRecorded(f.doc, 0, u"pasted", 2, true);
  SetCellRecorded(f.doc, row, kLongitudeColumn, u"121.50000");
  SetCellRecorded(f.doc, row, kLatitudeColumn, u"25.03300");
  f.doc.SetModified(true);
  EXPECT_EQ(f.doc.journal.groups[f.doc.journal.current]->records.size(), 1u);
  Undo(f.context);
  EXPECT_EQ(testing::Rows(f.doc), std::vector<std::string>{"a|||2"});
  Redo(f.context);
  EXPECT_EQ(testing::Rows(f.doc), (std::vector<std::string>{"pasted|121.50000|25.03300|2", "a|||2"}));
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", ""}));
}

// ---- the Undo and Redo commands ----

TEST(Undo, ShowsItsTextAndButtonAndTellsTheMap) {
  EditFixture f;
  f.Load({"a"});
  Undo(f.context);  // nothing to undo or redo: nothing happens
  Redo(f.context);
  EXPECT_TRUE(f.ui.statusTexts.empty());
  EXPECT_EQ(f.map.syncs, 0);
  EditCell(f.doc, 0, kNameColumn, "b");
  f.doc.titleDirty = f.doc.statusResetPending = false;
  Undo(f.context);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在復原前一個動作...");
  EXPECT_EQ(f.ui.pressedButtons, std::vector<int>{1009});
  EXPECT_EQ(f.ui.releasedButtons, std::vector<int>{1009});
  EXPECT_EQ(f.map.syncs, 1);
  EXPECT_TRUE(f.doc.titleDirty);
  EXPECT_TRUE(f.doc.statusResetPending);
  Redo(f.context);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在重複前一個被復原的動作...");
  EXPECT_EQ(f.ui.releasedButtons.back(), 1010);
  EXPECT_EQ(f.map.syncs, 2);
}

TEST(Undo, ACoordinateComesBackInTheDisplayFormOfNow) {
  EditFixture f;
  f.Load({"a|121.5|25"});
  EditCell(f.doc, 0, kLongitudeColumn, "122.00000");
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  ASSERT_EQ(f.Column(kLongitudeColumn), std::vector<std::string>{"122° 00' 00.00\""});
  Undo(f.context);
  EXPECT_EQ(f.Column(kLongitudeColumn), std::vector<std::string>{"121° 30' 00.00\""});
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  Redo(f.context);
  EXPECT_EQ(f.Column(kLongitudeColumn), std::vector<std::string>{"E 122° 00' 00.00\""});
}

TEST(Undo, TheModifiedFlagReturnsToItsStateAtTheSave) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2", "c|3|3"});
  EditCell(f.doc, 0, kNameColumn, "x");
  f.doc.SetModified(false);  // saved
  EditCell(f.doc, 1, kNameColumn, "y");
  BeginUndoGroup(f.doc.journal);
  DeleteRowRecorded(f.doc, 2);
  f.doc.SetModified(true);
  Undo(f.context);
  EXPECT_TRUE(f.doc.document.modified);
  Undo(f.context);
  EXPECT_FALSE(f.doc.document.modified);
  Undo(f.context);
  EXPECT_FALSE(f.doc.document.modified);  // as before the first edit
  Redo(f.context);
  Redo(f.context);
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(Undo, DeletedRowsComeBackSelectedAtTheirPlaces) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2", "c|3|3", "d", "e|5|5|3", "f|6|6"});
  const DocumentPicture before = Picture(f.doc);
  BeginUndoGroup(f.doc.journal);
  DeleteRowsRecorded(f.doc, {1, 3, 4});
  f.doc.SetModified(true);
  RenumberOrder(f.doc.table);
  ASSERT_EQ(f.Names(), (std::vector<std::string>{"a", "c", "f"}));
  const DocumentPicture after = Picture(f.doc);

  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{1, 3, 4}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);  // the last row put back
  Redo(f.context);
  EXPECT_EQ(Picture(f.doc), after);
}

TEST(Undo, EachDeleteOfAGroupIsUndoneInItsOwnPlace) {
  // Deleting one row at a time, each at an index of the table as it is then.
  EditFixture f;
  f.Load({"a", "b", "c", "d", "e", "f", "g"});
  BeginUndoGroup(f.doc.journal);
  for (std::size_t row : {5, 0, 3, 0}) DeleteRowRecorded(f.doc, row);
  ASSERT_EQ(f.Names(), (std::vector<std::string>{"c", "d", "g"}));
  Undo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g"}));
  Redo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c", "d", "g"}));
}

TEST(Undo, InsertsAtManyPlacesAreTakenOutAndPutBack) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2", "c|3|3"});
  const DocumentPicture before = Picture(f.doc);
  BeginUndoGroup(f.doc.journal);
  const std::pair<std::size_t, const char16_t*> inserts[] = {{0, u"n1"}, {2, u"n2"}, {SIZE_MAX, u"n3"}, {1, u"n4"}, {0, u"n5"}};
  for (auto [index, name] : inserts) {
    const std::size_t row = InsertRowRecorded(f.doc, index, name, 2, true);
    SetCellRecorded(f.doc, row, kLongitudeColumn, u"9.00000");
  }
  RenumberOrder(f.doc.table);
  f.doc.SetModified(true);
  ASSERT_EQ(f.Names(), (std::vector<std::string>{"n5", "n1", "n4", "a", "n2", "b", "c", "n3"}));
  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  Redo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"n5", "n1", "n4", "a", "n2", "b", "c", "n3"}));
  EXPECT_EQ(f.Column(kLongitudeColumn),
            (std::vector<std::string>{"9.00000", "9.00000", "9.00000", "1.00000", "9.00000", "2.00000", "3.00000", "9.00000"}));
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(Undo, UndoingTheDeleteOfTheBaseRowMakesItTheBaseAgain) {
  EditFixture f;
  f.Load({"a|121|25", "b|121.1|25", "base|121.2|25", "d|121.3|25"});
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 2, false);
  BeginUndoGroup(f.doc.journal);
  DeleteRowRecorded(f.doc, 2);
  EXPECT_EQ(f.doc.baseRow, -1);
  SetBaseRow(f.context, -1, false);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "", ""}));
  Undo(f.context);
  EXPECT_EQ(f.doc.baseRow, 2);
  EXPECT_EQ(f.doc.table.Row(2).sortKey, kSortKeyBaseRow);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"20.2  km", "10.1  km", "", "10.1  km"}));
}

TEST(Undo, DeletingARowAboveTheBaseKeepsTheSameEntryAsBase) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2", "c|3|3", "base|4|4"});
  SetBaseRow(f.context, 3, false);
  BeginUndoGroup(f.doc.journal);
  DeleteRowRecorded(f.doc, 1);
  EXPECT_EQ(f.doc.baseRow, 2);
  Undo(f.context);
  EXPECT_EQ(f.doc.baseRow, 3);
  EXPECT_EQ(f.Names()[3], "base");
  Redo(f.context);
  EXPECT_EQ(f.doc.baseRow, 2);
  EXPECT_EQ(f.Names()[2], "base");
}

TEST(Undo, ThePinnedBaseRowInsertClearsAndSetsThePinnedFlag) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2"});
  BeginUndoGroup(f.doc.journal);
  f.doc.baseRowPinned = true;  // known before the insert, so the record knows the row
  InsertRowRecorded(f.doc, 0, u"Home", 2, true);
  SetCellRecorded(f.doc, 0, kLongitudeColumn, u"0.00000");
  SetCellRecorded(f.doc, 0, kLatitudeColumn, u"0.00000");
  SetBaseRow(f.context, 0, false);
  RenumberOrder(f.doc.table);
  Undo(f.context);
  EXPECT_FALSE(f.doc.baseRowPinned);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_FALSE(f.doc.document.modified);
  Redo(f.context);
  EXPECT_TRUE(f.doc.baseRowPinned);
  EXPECT_EQ(f.doc.baseRow, 0);
  EXPECT_EQ(testing::Rows(f.doc)[0], "Home|0.00000|0.00000|2");
  EXPECT_FALSE(f.doc.document.modified);  // the pinned row never makes the document modified
}

TEST(Redo, ChangesToThePinnedBaseRowLeaveTheModifiedFlagAlone) {
  EditFixture f;
  f.Load({"Home|0|0", "a|1|1"});
  f.doc.baseRowPinned = true;
  SetBaseRow(f.context, 0, false);
  EditCell(f.doc, 0, kNameColumn, "Office");
  BeginUndoGroup(f.doc.journal);
  SetStatusRecorded(f.doc, 0, 3);
  Undo(f.context);
  Undo(f.context);
  EXPECT_FALSE(f.doc.document.modified);
  Redo(f.context);
  Redo(f.context);
  EXPECT_EQ(testing::Rows(f.doc)[0], "Office|0.00000|0.00000|3");
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(Undo, AStatusEditSelectsItsRow) {
  EditFixture f;
  f.Load({"a", "b", "c"});
  BeginUndoGroup(f.doc.journal);
  SetStatusRecorded(f.doc, 1, 0);
  f.doc.SetModified(true);
  f.Select({0});
  Undo(f.context);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2, 2}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_FALSE(f.doc.document.modified);
  EXPECT_EQ(f.ui.scrolledTo.back(), 1);
}

TEST(Undo, GroupsThatInsertOrDeleteRowsReplayWithPaintingSuspended) {
  EditFixture f;
  f.Load({"a", "b"});
  bool suspendedDuringReplay = false;
  struct Watch : RowRecorder {
    testing::RecordingUi* ui;
    bool* seen;
    void RowDeleting(std::size_t, const ItineraryEntry&) override { *seen = ui->redrawSuspended; }
  } watch;
  watch.ui = &f.ui;
  watch.seen = &suspendedDuringReplay;
  BeginUndoGroup(f.doc.journal);
  InsertRowRecorded(f.doc, 0, u"new", 2, false);
  f.doc.recorder = &watch;
  Undo(f.context);
  EXPECT_TRUE(suspendedDuringReplay);
  EXPECT_FALSE(f.ui.redrawSuspended);
}

TEST(Undo, AnOrderSnapshotFindsItsRowsByTheirIds) {
  // A re-ordering the snapshot is not told about: the rows are found by their ids.
  EditFixture f;
  f.Load({"a|||3", "b|||1", "c", "d"});
  RecordOrderSnapshotBefore(f.doc, kNameColumn, false);
  f.doc.table.Permute({2, 0, 3, 1});
  RecordOrderSnapshotAfter(f.doc);
  ASSERT_EQ(f.Names(), (std::vector<std::string>{"c", "a", "d", "b"}));
  Undo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 1, 2, 2}));
  Redo(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c", "a", "d", "b"}));
}

// ---- memory ----

TEST(UndoJournal, AnOrderSnapshotCostsAtMostTwoIntegersPerRow) {
  EditFixture f;
  std::vector<std::string> rows;
  for (int i = 0; i < 20000; ++i) rows.push_back("entry " + std::to_string((i * 7919) % 20000));
  f.Load(rows);
  const std::size_t before = JournalMemoryBytes(f.doc.journal);
  SortNames(f.context, true);
  const std::size_t after = JournalMemoryBytes(f.doc.journal);
  EXPECT_LE(after - before, rows.size() * 2 * sizeof(std::int32_t) + 1024);
  Undo(f.context);
  EXPECT_EQ(f.Names()[1], "entry 7919");
}

}  // namespace
}  // namespace wayloom
