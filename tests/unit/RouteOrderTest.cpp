#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "editing/UndoCommands.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

// ---- 1033 / 1034 destination and via point ----

TEST(SetDestination, ChangesTheDestinationBitOfEverySelectedRowOnly) {
  EditFixture f;
  f.Load({"a|||1", "b|||0", "c|||0", "d|||2"});
  f.Select({0, 1, 3});
  SetDestination(f.context, true);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 2, 0, 2}));
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(f.map.syncs, 1);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在設定行程的狀態為目的地...");
  EXPECT_EQ(f.ui.releasedButtons, std::vector<int>{1033});
  SetDestination(f.context, false);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(f.ui.statusTexts.back(), "正在設定行程的狀態為經由地...");
  Undo(f.context);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{3, 2, 0, 2}));
  Undo(f.context);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{1, 0, 0, 2}));
  EXPECT_FALSE(f.doc.document.modified);
}

// Commands that do not apply change nothing, record nothing and show nothing.
TEST(RouteOrder, CommandsThatDoNotApplyDoNothing) {
  EditFixture f;
  f.Load({"Home|0|0|0", "a|1|1|2"});
  SetDestination(f.context, true);  // nothing selected
  f.Select({0, 1});
  SetPassed(f.context, true);  // two selected
  f.doc.baseRowPinned = true;
  ReverseRoute(f.context);  // one row besides the pinned one
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Home", "a"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 2}));
  EXPECT_TRUE(f.ui.statusTexts.empty());
  EXPECT_FALSE(CanUndo(f.doc.journal));
  f.doc.baseRowPinned = false;
  ReverseRoute(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "Home"}));
}

TEST(SetDestination, ThePinnedBaseRowDoesNotMakeTheDocumentModified) {
  EditFixture f;
  f.Load({"Home|0|0|2", "a|1|1|2"});
  f.doc.baseRowPinned = true;
  f.Select({0});
  SetDestination(f.context, false);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 2}));
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(ToggleDestination, TheStatusIconActsByTheRowsStatus) {
  EditFixture f;
  f.Load({"a|||2", "b|||0"});
  f.Select({0, 1});
  ToggleDestination(f.context, 0);  // a destination: via point for all selected
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 0}));
  ToggleDestination(f.context, 1);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2}));
}

// ---- 1035 / 1036 to pass and passed ----

TEST(SetPassed, PassedPassesEveryRowAboveToPassClearsEveryRowBelow) {
  const struct {
    std::vector<std::string> rows;
    std::size_t row;
    bool passed;
    std::vector<int> expected;
    const char* status;
  } cases[] = {
      {{"r0|||2", "r1|||0", "r2|||2", "r3|||2", "r4|||0", "r5|||2", "r6|||2"}, 5, true, {3, 1, 3, 3, 1, 3, 2},
       "正在設定行程的狀態為已經過..."},
      {{"r0|||3", "r1|||1", "r2|||3", "r3|||1", "r4|||3", "r5|||2"}, 2, false, {3, 1, 2, 0, 2, 2},
       "正在設定行程的狀態為要經過..."},
  };
  for (const auto& c : cases) {
    EditFixture f;
    f.Load(c.rows);
    const std::vector<int> before = f.Statuses();
    f.Select({c.row});
    SetPassed(f.context, c.passed);
    EXPECT_EQ(f.Statuses(), c.expected);
    EXPECT_TRUE(f.doc.document.modified);
    EXPECT_EQ(f.ui.statusTexts.back(), c.status);
    EXPECT_EQ(f.map.syncs, 0);  // the map does not show the passed bit
    Undo(f.context);
    EXPECT_EQ(f.Statuses(), before);
    EXPECT_FALSE(f.doc.document.modified);
    Redo(f.context);
    EXPECT_EQ(f.Statuses(), c.expected);
  }
}

// ---- 1038 / 1039 move up and down ----

TEST(MoveEntry, MovesTheEntryAndItsSelection) {
  EditFixture f;
  f.Load({"a|1|1|2", "b|2|2|0", "c||", "d|4|4"});
  f.Select({2});
  MoveUp(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "c", "b", "d"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2, 0, 2}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "2", "3"}));
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(f.map.syncs, 1);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在移動行程的資料...");
  MoveDown(f.context);
  MoveDown(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "d", "c"}));
  MoveDown(f.context);  // the last row: not offered
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "d", "c"}));
  EXPECT_EQ(f.ui.scrolledTo.back(), 3);  // min(a + 3, last row)
}

TEST(MoveEntry, UndoAndRedoMoveTheSameEntry) {
  EditFixture f;
  f.Load({"a|1|1", "b|2|2", "c|3|3", "d|4|4"});
  const auto before = Picture(f.doc);
  f.Select({1});
  MoveDown(f.context);
  MoveDown(f.context);
  const auto after = Picture(f.doc);
  Undo(f.context);
  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  Redo(f.context);
  Redo(f.context);
  EXPECT_EQ(Picture(f.doc), after);
  EXPECT_EQ(f.map.syncs, 6);  // two moves, two undos, two redos
}

TEST(MoveEntry, PassedBitsStayALeadingRun) {
  const struct {
    std::vector<std::string> rows;
    std::size_t row;
    bool up;
    std::vector<int> expected;
  } cases[] = {
      {{"p0|||3", "p1|||3", "t2|||2", "t3|||2"}, 1, false, {3, 2, 2, 2}},  // a passed entry moved below one to pass
      {{"p0|||3", "p1|||1", "t2|||2", "t3|||2"}, 2, true, {3, 2, 0, 2}},   // one to pass moved above a passed one
  };
  for (const auto& c : cases) {
    EditFixture f;
    f.Load(c.rows);
    const auto before = Picture(f.doc);
    f.Select({c.row});
    c.up ? MoveUp(f.context) : MoveDown(f.context);
    EXPECT_EQ(f.Names(), (std::vector<std::string>{"p0", "t2", "p1", "t3"}));
    EXPECT_EQ(f.Statuses(), c.expected);
    Undo(f.context);
    EXPECT_EQ(Picture(f.doc), before);
    Redo(f.context);
    EXPECT_EQ(f.Statuses(), c.expected);
  }
}

TEST(MoveEntry, ThePinnedBaseRowStaysFirst) {
  EditFixture f;
  f.Load({"Home|0|0", "a|1|1", "b|2|2"});
  f.doc.baseRowPinned = true;
  f.Select({1});
  EXPECT_FALSE(CanMoveUp(f.doc));
  MoveUp(f.context);
  f.Select({0});
  EXPECT_FALSE(CanMoveDown(f.doc));
  MoveDown(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Home", "a", "b"}));
  f.Select({2});
  EXPECT_TRUE(CanMoveUp(f.doc));
  f.Select({0, 2});
  EXPECT_FALSE(CanMoveUp(f.doc));  // exactly one selected row
}

TEST(MoveEntry, TheBaseRowFollowsItsEntry) {
  EditFixture f;
  f.Load({"a|0|0", "base|0|1", "c|0|3"});
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 1, false);
  f.Select({1});
  MoveDown(f.context);
  EXPECT_EQ(f.doc.baseRow, 2);
  EXPECT_EQ(f.Names()[2], "base");
  EXPECT_EQ(f.doc.table.Row(2).sortKey, kSortKeyBaseRow);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"111.3  km", "222.6  km", ""}));
  Undo(f.context);
  EXPECT_EQ(f.doc.baseRow, 1);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"111.3  km", "", "222.6  km"}));
}

// ---- 1040 reverse ----

TEST(ReverseRoute, SwapsFromTheOutsideInClearsEveryPassedBitAndUndoes) {
  EditFixture f;
  f.Load({"r0|0|0|3", "r1|1|1|1", "r2|2|2|3", "r3||3|2", "r4|4|4|0"});
  SetBaseRow(f.context, 1, false);
  const auto before = Picture(f.doc);
  f.Select({1});
  ReverseRoute(f.context);
  EXPECT_EQ(testing::Rows(f.doc), (std::vector<std::string>{"r4|4.00000|4.00000|0", "r3||3.00000|2",
                                                           "r2|2.00000|2.00000|2", "r1|1.00000|1.00000|0",
                                                           "r0|0.00000|0.00000|2"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{3});
  EXPECT_EQ(f.doc.baseRow, 3);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "2", "3", "4"}));
  EXPECT_TRUE(f.doc.document.modified);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在顛倒行程的順序...");
  EXPECT_EQ(f.map.syncs, 1);
  const auto after = Picture(f.doc);
  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before);
  Redo(f.context);
  EXPECT_EQ(Picture(f.doc), after);
}

TEST(ReverseRoute, RedoRenumbersTheOrderColumn) {
  // No base row and an odd count with a passed middle row: the group ends with a status
  // change, and the Order column must still follow the moved coordinates.
  EditFixture f;
  f.Load({"a||", "b|1|1|3", "c|2|2|3"});
  ReverseRoute(f.context);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", ""}));
  Undo(f.context);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"", "1", "2"}));
  Redo(f.context);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2", ""}));
}

TEST(ReverseRoute, ThePinnedBaseRowStaysFirst) {
  EditFixture f;
  f.Load({"Home|0|0|3", "a|1|1|1", "b|2|2|2", "c|3|3|2"});
  f.doc.baseRowPinned = true;
  SetBaseRow(f.context, 0, false);
  ReverseRoute(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Home", "c", "b", "a"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2, 2, 0}));
  EXPECT_EQ(f.doc.baseRow, 0);
  EXPECT_TRUE(f.doc.baseRowPinned);
}

}  // namespace
}  // namespace wayloom
