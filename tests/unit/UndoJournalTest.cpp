#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "core/UndoJournal.h"
#include "planning/RouteOrder.h"

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
  for (; CanUndo(f.doc.journal); ++steps) Undo(f.context);
  return steps;
}

// ---- group control ----

TEST(UndoJournal, KeepsTheLastSixtyFourGroups) {
  EditFixture f({"start"});
  for (int i = 1; i <= 65; ++i) EditCell(f.doc, 0, kNameColumn, ("name " + std::to_string(i)).c_str());
  EXPECT_EQ(UndoAll(f), 64);  // each edit of the cell is a step of its own
  // The first edit was dropped: its result is as far back as undo goes.
  EXPECT_EQ(f.Names(), std::vector<std::string>{"name 1"});
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  Redo(f.context);
  EXPECT_EQ(f.Names(), std::vector<std::string>{"name 2"});
}

TEST(UndoJournal, ANewChangeAfterUndoFreesEveryUndoneGroup) {
  EditFixture f({"a", "b"});
  EditCell(f.doc, 0, kNameColumn, "a1");
  EditCell(f.doc, 0, kNameColumn, "a2");
  EditCell(f.doc, 1, kNameColumn, "b1");
  Undo(f.context);
  Undo(f.context);
  EditCell(f.doc, 1, kNameColumn, "b2");
  EXPECT_FALSE(CanRedo(f.doc.journal));
  Redo(f.context);  // not offered: nothing happens
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a1", "b2"}));
  EXPECT_EQ(UndoAll(f), 2);
}

// ---- the Undo and Redo commands ----

TEST(Undo, ShowsItsTextAndButtonAndTellsTheMap) {
  EditFixture f({"a"});
  Undo(f.context);  // nothing to undo or redo: nothing happens
  Redo(f.context);
  EXPECT_TRUE(f.ui.statusTexts.empty() && f.map.syncs == 0);
  EditCell(f.doc, 0, kNameColumn, "b");
  f.doc.titleDirty = f.doc.statusResetPending = false;
  Undo(f.context);
  EXPECT_EQ(f.ui.pressedButtons, std::vector<int>{1009});
  EXPECT_EQ(f.map.syncs, 1);
  EXPECT_TRUE(f.doc.titleDirty && f.doc.statusResetPending);
  Redo(f.context);
  EXPECT_EQ(f.ui.statusTexts, (std::vector<std::string>{"正在復原前一個動作...", "正在重複前一個被復原的動作..."}));
  EXPECT_EQ(f.ui.releasedButtons, (std::vector<int>{1009, 1010}));
  EXPECT_EQ(f.map.syncs, 2);
}

TEST(Undo, ACoordinateComesBackInTheDisplayFormOfNow) {
  EditFixture f({"a|121.5|25"});
  EditCell(f.doc, 0, kLongitudeColumn, "122.00000");
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Dms);
  Undo(f.context);
  EXPECT_EQ(f.Column(kLongitudeColumn), std::vector<std::string>{"121° 30' 00.00\""});
  ReformatAllCoordinates(f.doc, CoordinateSwitch::Compass);
  Redo(f.context);
  EXPECT_EQ(f.Column(kLongitudeColumn), std::vector<std::string>{"E 122° 00' 00.00\""});
}

TEST(Undo, TheSameCellEditedTwiceStepsBackThroughEachText) {
  EditFixture f({"a|121.5|25", "b|1|1"});
  for (const char* name : {"x", "y"}) BeginCellEdit(f.context, f.editor, 0, kNameColumn), f.Enter(name);
  std::string names;
  for (auto step : {Undo, Undo, Redo, Redo}) step(f.context), names += f.Names()[0];
  EXPECT_EQ(names, "xaxy");
}

TEST(Undo, TheModifiedFlagReturnsToItsStateAtTheSave) {
  EditFixture f({"a|1|1", "b|2|2", "c|3|3"});
  EditCell(f.doc, 0, kNameColumn, "x");
  f.doc.SetModified(false);  // saved
  EditCell(f.doc, 1, kNameColumn, "y");
  f.Select({2});
  DeleteSelectedEntries(f.context);
  std::vector<bool> modified;  // after each undo (the last as before the first edit), then two redos
  for (int i = 0; i < 3; ++i) Undo(f.context), modified.push_back(f.doc.document.modified);
  Redo(f.context);
  Redo(f.context);
  modified.push_back(f.doc.document.modified);
  EXPECT_EQ(modified, (std::vector<bool>{true, false, false, true}));
}

TEST(Undo, SelectsWhatItPutsBack) {
  EditFixture f({"a|1|1", "b|2|2", "c|3|3", "d", "e|5|5|3", "f|6|6"});
  f.Select({1, 3, 4});
  DeleteSelectedEntries(f.context);
  Undo(f.context);  // deleted rows come back selected at their places
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{1, 3, 4}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);  // the last row put back
  f.Select({2});
  SetDestination(f.context, false);
  f.Select({0});
  Undo(f.context);  // a status edit selects its row
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  EXPECT_EQ(f.ui.scrolledTo.back(), 2);
}

TEST(Undo, GroupsThatInsertOrDeleteRowsReplayWithPaintingSuspended) {
  EditFixture f({"a", "b"});
  struct Watch : RowRecorder {
    testing::RecordingUi* ui;
    bool suspended = false;
    void RowDeleting(std::size_t, const ItineraryEntry&) override { suspended = ui->redrawSuspended; }
  } watch;
  watch.ui = &f.ui;
  BeginUndoGroup(f.doc.journal);
  InsertRowRecorded(f.doc, 0, u"new", 2, false);
  f.doc.recorder = &watch;
  Undo(f.context);
  EXPECT_TRUE(watch.suspended);
  EXPECT_FALSE(f.ui.redrawSuspended);
}

}  // namespace
}  // namespace wayloom
