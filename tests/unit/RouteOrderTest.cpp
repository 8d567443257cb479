#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "planning/RouteOrder.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::ExpectUndoRedo;

// ---- 1033 / 1034 destination and via point ----

TEST(SetDestination, ChangesTheDestinationBitOfEverySelectedRowOnly) {
  EditFixture f({"a|||1", "b|||0", "c|||0", "d|||2"});
  f.Select({0, 1, 3});
  ExpectUndoRedo(f, [&] { SetDestination(f.context, true); }, {"a|||3", "b|||2", "c|||0", "d|||2"});
  EXPECT_EQ(f.ui.releasedButtons.front(), 1033);
  EXPECT_EQ(f.map.syncs, 3);  // the command, its undo and its redo
  f.Select({0, 1, 3});
  SetDestination(f.context, false);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{1, 0, 0, 0}));
  EXPECT_EQ(f.ui.statusTexts.front() + f.ui.statusTexts.back(), "正在設定行程的狀態為目的地...正在設定行程的狀態為經由地...");
}

TEST(ToggleDestination, TheStatusIconActsByTheRowsStatus) {
  EditFixture f({"a|||2", "b|||0"});
  f.Select({0, 1});
  ToggleDestination(f.context, 0);  // a destination: via point for all selected
  EXPECT_EQ(f.Statuses(), (std::vector<int>{0, 0}));
  ToggleDestination(f.context, 1);
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2}));
}

// ---- 1035 / 1036 to pass and passed, and moves across the passed run ----

TEST(PassedRun, SetPassedAndMovesKeepThePassedBitsALeadingRun) {
  using Command = void (*)(CommandContext&);
  const struct {
    std::vector<std::string> rows;
    std::size_t row;
    Command command;
    std::vector<std::string> expected;
    const char* status;
  } cases[] = {
      // Passed passes every row above; to pass clears every row below.
      {{"r0|||2", "r1|||0", "r2|||2", "r3|||2", "r4|||0", "r5|||2", "r6|||2"}, 5, [](CommandContext& c) { SetPassed(c, true); },
       {"r0|||3", "r1|||1", "r2|||3", "r3|||3", "r4|||1", "r5|||3", "r6|||2"}, "正在設定行程的狀態為已經過..."},
      {{"r0|||3", "r1|||1", "r2|||3", "r3|||1", "r4|||3", "r5|||2"}, 2, [](CommandContext& c) { SetPassed(c, false); },
       {"r0|||3", "r1|||1", "r2|||2", "r3|||0", "r4|||2", "r5|||2"}, "正在設定行程的狀態為要經過..."},
      // A passed entry moved below one to pass, and one to pass moved above a passed one.
      {{"p0|||3", "p1|||3", "t2|||2", "t3|||2"}, 1, MoveDown, {"p0|||3", "t2|||2", "p1|||2", "t3|||2"}, "正在移動行程的資料..."},
      {{"p0|||3", "p1|||1", "t2|||2", "t3|||2"}, 2, MoveUp, {"p0|||3", "t2|||2", "p1|||0", "t3|||2"}, "正在移動行程的資料..."},
  };
  for (const auto& c : cases) {
    EditFixture f(c.rows);
    f.Select({c.row});
    ExpectUndoRedo(f, [&] {
      c.command(f.context);
      EXPECT_EQ(f.map.syncs, c.command == MoveUp || c.command == MoveDown);  // the map does not show the passed bit
    }, c.expected);
    EXPECT_TRUE(f.doc.document.modified);
    EXPECT_EQ(f.ui.statusTexts.front(), c.status);
  }
}

// ---- 1038 / 1039 move up and down ----

TEST(MoveEntry, MovesTheEntryAndItsSelection) {
  EditFixture f({"a|1|1|2", "b|2|2|0", "c||", "d|4|4"});
  f.Select({2});
  MoveUp(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "c", "b", "d"}));
  EXPECT_EQ(f.Statuses(), (std::vector<int>{2, 2, 0, 2}));
  EXPECT_TRUE(f.Selected() == std::vector<std::size_t>{1} && f.doc.table.FocusedRow() == 1);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "2", "3"}));
  EXPECT_TRUE(f.doc.document.modified && f.map.syncs == 1);
  EXPECT_EQ(f.ui.statusTexts.back(), "正在移動行程的資料...");
  MoveDown(f.context);
  MoveDown(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "d", "c"}));
  EXPECT_EQ(f.ui.scrolledTo.back(), 3);  // min(a + 3, last row)
  Undo(f.context);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});  // undo selects the moved entry
}

// ---- 1040 reverse ----

TEST(ReverseRoute, SwapsFromTheOutsideInClearsEveryPassedBitAndUndoes) {
  EditFixture f({"r0|0|0|3", "r1|1|1|1", "r2|2|2|3", "r3||3|2", "r4|4|4|0"});
  SetBaseRow(f.context, 1, false);
  f.Select({1});
  ExpectUndoRedo(f, [&] {
    ReverseRoute(f.context);
    EXPECT_EQ(f.Selected(), std::vector<std::size_t>{3});
  }, {"r4|4.00000|4.00000|0", "r3||3.00000|2", "r2|2.00000|2.00000|2", "r1|1.00000|1.00000|0",
      "r0|0.00000|0.00000|2"});
  EXPECT_TRUE(f.doc.baseRow == 3 && f.doc.document.modified);
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "", "2", "3", "4"}));
  EXPECT_EQ(f.ui.statusTexts.front(), "正在顛倒行程的順序...");
}

TEST(ReverseRoute, RedoRenumbersTheOrderColumn) {
  // No base row and an odd count with a passed middle row: the group ends with a status
  // change, and the Order column must still follow the moved coordinates.
  EditFixture f({"a||", "b|1|1|3", "c|2|2|3"});
  std::vector<std::vector<std::string>> orders;
  for (auto step : {ReverseRoute, Undo, Redo}) step(f.context), orders.push_back(f.Column(kOrderColumn));
  EXPECT_EQ(orders, (std::vector<std::vector<std::string>>{{"1", "2", ""}, {"", "1", "2"}, {"1", "2", ""}}));
}

TEST(ReverseRoute, NeedsTwoRowsBesidesThePinnedOne) {
  EditFixture f({"Home|0|0|0", "a|1|1|2"});
  f.Pin();
  ReverseRoute(f.context);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  f.doc.baseRowPinned = false;
  ReverseRoute(f.context);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "Home"}));
}

}  // namespace
}  // namespace wayloom
