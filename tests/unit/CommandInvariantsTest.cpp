// What every command that changes the table keeps, whatever it does: the pinned base row
// stays first, the base row follows its entry, the Distance column stays current, the
// passed rows stay a leading run, and the command is one undo step. And what a command
// that does not apply does: nothing, recorded nowhere.
#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using namespace testing;

struct CommandCase {
  const char* name;
  std::function<void(EditFixture&)> setup, run;
  // choosesBase: the command makes another entry the base, or none; renames: the command
  // changes every name, the base row's too.
  bool choosesBase = false, renames = false;
};

// Home is passed and a base point: pinned as row 0, or an ordinary row with t3 the base.
void LoadRoute(EditFixture& f, bool pinned) {
  f.Load({"Home|121|25|3", "p1|121.1|25.1|3", "p2|121.2|25.2|1", "t3|121.3|25.3|2", "t4|121.4|25.4|0",
          "t5|121.5|25.5|2", "t6|121.05|25.05|2"});
  pinned ? f.Pin() : SetBaseRow(f.context, 3, false);
  f.profile.WriteString(u"Base Points", u"BP List 1", u"Work>121.6>25.6");
}

#define DO(...) [](EditFixture& f) { __VA_ARGS__; }

const CommandCase kCommands[] = {
    {"add", {}, DO(AddEntry(f.context, f.editor), f.Enter("new"))},
    {"insert at the top", DO(f.Select({0})), DO(InsertEntry(f.context, f.editor), f.Enter("new"))},
    {"edit a name", {}, DO(BeginCellEdit(f.context, f.editor, 4, kNameColumn), f.Enter("x"))},
    {"clear a coordinate", {}, DO(BeginCellEdit(f.context, f.editor, 4, kLatitudeColumn), f.Enter(""))},
    {"edit row 0's coordinate", {}, DO(BeginCellEdit(f.context, f.editor, 0, kLongitudeColumn), f.Enter("120.5"))},
    {"delete", DO(f.Select({2, 4})), DO(DeleteSelectedEntries(f.context))},
    {"cut", DO(f.Select({4, 5})), DO(CutRows(f.context))},
    {"paste rows at the top", DO(f.Select({1, 4}), CopyRows(f.context), f.Select({0})), DO(PasteRows(f.context))},
    {"paste coordinates", DO(f.Select({6}), CopyCoordinates(f.context), f.Select({4, 5})), DO(PasteCoordinates(f.context))},
    {"destination", DO(f.Select({4})), DO(SetDestination(f.context, true))},
    {"via point", DO(f.Select({3, 5})), DO(SetDestination(f.context, false))},
    {"passed", DO(f.Select({5})), DO(SetPassed(f.context, true))},
    {"to pass", DO(f.Select({1})), DO(SetPassed(f.context, false))},
    {"move up", DO(f.Select({3})), DO(MoveUp(f.context))},
    {"move down", DO(f.Select({2})), DO(MoveDown(f.context))},
    {"reverse", {}, DO(ReverseRoute(f.context))},
    {"sort names", {}, DO(SortNames(f.context, false))},
    {"sort by latitude", {}, DO(HeaderClick(f.context, kLatitudeColumn))},
    {"sort by distance", {}, DO(SortTable(f.context, kDistanceColumn, false, SortMode::Command))},
    {"plan", DO(f.ui.plan = PlanOptions{true, false, false}), DO(PlanOptions o; PlanRoute(f.context, f.ui, o, u""))},
    {"set base point", DO(f.Select({5})), DO(SetBasePointFromSelection(f.context)), true},
    {"my base points: set", DO(f.ui.basePoints = [](BasePointDialog& d) { return d.Press(kBasePointSet).result; }),
     DO(MyBasePoints(f.context, f.ui)), true},
    {"my base points: export",
     DO(f.ui.basePoints = [](BasePointDialog& d) { return d.Press(kBasePointExportAll), d.Press(kBasePointOk).result; }),
     DO(MyBasePoints(f.context, f.ui))},
    {"merge fields", {}, DO(ApplyMergeFields(f.context, {MergeField::Sequence, MergeField::Name, u"1"})), false, true},
    {"clear fields", DO(f.Select({4, 5})), DO(ApplyClearFields(f.context, {true, true, true, false}))},
    {"replace all", DO(f.ui.search = SearchOptions{u"5", u"7", false, false, true}),
     DO(SearchOptions o; Replace(f.context, f.ui, o))},
    {"replace next", DO(f.Select({0})), DO(ReplaceNext(f.context, SearchOptions{u"121", u"120", false, false, false}))},
    {"nudge", {}, DO(NudgeCoordinates(f.context, f.clock))},
    {"hide the distance column", {}, DO(ToggleDistanceColumn(f.context)), true},
};

TEST(CommandInvariants, EveryCommandKeepsTheBaseRowsThePassedRunAndIsOneUndoStep) {
  for (const CommandCase& c : kCommands) {
    for (bool pinned : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (pinned ? ", pinned base row" : ", base row t3"));
      EditFixture f;
      LoadRoute(f, pinned);
      if (c.setup) c.setup(f);
      const std::string baseName = f.Names()[static_cast<std::size_t>(f.doc.baseRow)];
      testing::ExpectUndoRedo(f, [&] {
        c.run(f);
        EXPECT_TRUE(testing::PassedRowsLead(f.doc));
        EXPECT_EQ(f.doc.baseRowPinned ? f.doc.baseRow : 0, 0);
        if (!c.choosesBase) {
          EXPECT_EQ(f.doc.baseRowPinned, pinned);
          ASSERT_GE(f.doc.baseRow, 0);
          if (!c.renames) { EXPECT_EQ(f.Names()[static_cast<std::size_t>(f.doc.baseRow)], baseName); }
        }
        // The distances are those of the base row as it is now.
        if (!f.doc.settings.Get(Option::ShowDistance)) return;
        const auto shown = Picture(f.doc);
        SetBaseRow(f.context, f.doc.baseRow, false);
        EXPECT_EQ(Picture(f.doc), shown) << "stale distances";
      });
    }
  }
}

TEST(CommandInvariants, CommandsThatDoNotApplyChangeAndRecordNothing) {
  const std::pair<const char*, std::function<void(EditFixture&)>> cases[] = {
      {"insert, nothing selected", DO(InsertEntry(f.context, f.editor))},
      {"insert, two selected", DO(f.Select({1, 2}), InsertEntry(f.context, f.editor))},
      {"add, then Esc", DO(AddEntry(f.context, f.editor), f.Esc())},
      {"an unchanged coordinate", DO(BeginCellEdit(f.context, f.editor, 4, kLongitudeColumn), f.Enter("121.4"))},
      {"a refused name", DO(BeginCellEdit(f.context, f.editor, 4, kNameColumn), f.Enter("a|b"), f.Esc())},
      {"move up below the pinned row", DO(f.Select({1}), MoveUp(f.context))},
      {"move the pinned row down", DO(f.Select({0}), MoveDown(f.context))},
      {"move the last row down", DO(f.Select({6}), MoveDown(f.context))},
      {"destination, nothing selected", DO(SetDestination(f.context, true))},
      {"passed, two selected", DO(f.Select({4, 5}), SetPassed(f.context, true))},
      {"sort by the Order column", DO(HeaderClick(f.context, kOrderColumn))},
      {"the pinned row as base point", DO(f.Select({0}), SetBasePointFromSelection(f.context))},
      {"my base points: cancel", DO(MyBasePoints(f.context, f.ui))},
      {"merge: two names", DO(ApplyMergeFields(f.context, {MergeField::Name, MergeField::Name, u"x"}))},
      {"clear: nothing ticked", DO(ApplyClearFields(f.context, {}))},
      {"replace: no match", DO(ReplaceIn(f.context, {u"zz", u"y"}, 0, true))},
      {"replace: not a coordinate", DO(ReplaceIn(f.context, {u"121", u"abc"}, 0, true))},
      {"replace: out of range", DO(ReplaceIn(f.context, {u"25.", u"95."}, 0, true))},
      {"replace: the same coordinate", DO(ReplaceIn(f.context, {u"50000", u"5"}, 0, true))},
      {"paste: empty clipboard", DO(PasteRows(f.context))},
      {"paste coordinates onto themselves", DO(f.Select({4}), CopyCoordinates(f.context), PasteCoordinates(f.context))},
  };
  for (const auto& [name, command] : cases) {
    EditFixture f;
    LoadRoute(f, true);
    const auto before = Picture(f.doc);
    command(f);
    EXPECT_EQ(Picture(f.doc), before) << name;
    EXPECT_FALSE(CanUndo(f.doc.journal)) << name;
  }
}

}  // namespace
}  // namespace wayloom
