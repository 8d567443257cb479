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

using testing::EditFixture;
using testing::Picture;

struct CommandCase {
  const char* name;
  std::function<void(EditFixture&)> setup;
  std::function<void(EditFixture&)> run;
  bool choosesBase = false;  // the command makes another entry the base, or none
  bool renames = false;      // the command changes every name, the base row's too
};

void PutText(EditFixture& f, std::u16string text) {
  std::vector<std::uint8_t> block;
  for (char16_t unit : text + u'\0') block.insert(block.end(), {std::uint8_t(unit), std::uint8_t(unit >> 8)});
  f.clipboard.blocks = {{ClipboardFormat::UnicodeText, block}};
}

// Home is passed and a base point: pinned as row 0, or an ordinary row with t3 the base.
void LoadRoute(EditFixture& f, bool pinned) {
  f.Load({"Home|121|25|3", "p1|121.1|25.1|3", "p2|121.2|25.2|1", "t3|121.3|25.3|2", "t4|121.4|25.4|0",
          "t5|121.5|25.5|2", "t6|121.05|25.05|2"});
  pinned ? f.Pin() : SetBaseRow(f.context, 3, false);
  f.profile.WriteString(u"Base Points", u"BP List 1", u"Work>121.6>25.6");
}

const CommandCase kCommands[] = {
    {"add", {}, [](EditFixture& f) { AddEntry(f.context, f.editor), f.Enter("new"); }},
    {"insert at the top", [](EditFixture& f) { f.Select({0}); },
     [](EditFixture& f) { InsertEntry(f.context, f.editor), f.Enter("new"); }},
    {"edit a name", {}, [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 4, kNameColumn), f.Enter("x"); }},
    {"clear a coordinate", {},
     [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 4, kLatitudeColumn), f.Enter(""); }},
    {"edit row 0's coordinate", {},
     [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 0, kLongitudeColumn), f.Enter("120.5"); }},
    {"delete", [](EditFixture& f) { f.Select({2, 4}); }, [](EditFixture& f) { DeleteSelectedEntries(f.context); }},
    {"cut", [](EditFixture& f) { f.Select({4, 5}); }, [](EditFixture& f) { CutRows(f.context); }},
    {"paste rows at the top", [](EditFixture& f) { f.Select({1, 4}), CopyRows(f.context), f.Select({0}); },
     [](EditFixture& f) { PasteRows(f.context); }},
    {"paste coordinates", [](EditFixture& f) { f.Select({4, 5}), PutText(f, u"25.9, 121.9"); },
     [](EditFixture& f) { PasteCoordinates(f.context); }},
    {"destination", [](EditFixture& f) { f.Select({4}); }, [](EditFixture& f) { SetDestination(f.context, true); }},
    {"via point", [](EditFixture& f) { f.Select({3, 5}); }, [](EditFixture& f) { SetDestination(f.context, false); }},
    {"passed", [](EditFixture& f) { f.Select({5}); }, [](EditFixture& f) { SetPassed(f.context, true); }},
    {"to pass", [](EditFixture& f) { f.Select({1}); }, [](EditFixture& f) { SetPassed(f.context, false); }},
    {"move up", [](EditFixture& f) { f.Select({3}); }, [](EditFixture& f) { MoveUp(f.context); }},
    {"move down", [](EditFixture& f) { f.Select({2}); }, [](EditFixture& f) { MoveDown(f.context); }},
    {"reverse", {}, [](EditFixture& f) { ReverseRoute(f.context); }},
    {"sort names", {}, [](EditFixture& f) { SortNames(f.context, false); }},
    {"sort by latitude", {}, [](EditFixture& f) { HeaderClick(f.context, kLatitudeColumn); }},
    {"sort by distance", {}, [](EditFixture& f) { SortTable(f.context, kDistanceColumn, false, SortMode::Command); }},
    {"plan", [](EditFixture& f) { f.ui.plan = PlanOptions{true, false, false}; },
     [](EditFixture& f) {
       PlanOptions options;
       PlanRoute(f.context, f.ui, options, u"");
     }},
    {"set base point", [](EditFixture& f) { f.Select({5}); },
     [](EditFixture& f) { SetBasePointFromSelection(f.context); }, true},
    {"my base points: set", [](EditFixture& f) { f.ui.basePoints = [](BasePointDialog& d) { return d.Press(kBasePointSet).result; }; },
     [](EditFixture& f) { MyBasePoints(f.context, f.ui); }, true},
    {"my base points: export", [](EditFixture& f) {
       f.ui.basePoints = [](BasePointDialog& d) { return d.Press(kBasePointExportAll), d.Press(kBasePointOk).result; };
     },
     [](EditFixture& f) { MyBasePoints(f.context, f.ui); }},
    {"merge fields", {}, [](EditFixture& f) { ApplyMergeFields(f.context, {MergeField::Sequence, MergeField::Name, u"1"}); },
     false, true},
    {"clear fields", [](EditFixture& f) { f.Select({4, 5}); },
     [](EditFixture& f) { ApplyClearFields(f.context, {true, true, true, false}); }},
    {"replace all", [](EditFixture& f) { f.ui.search = SearchOptions{u"5", u"7", false, false, true}; },
     [](EditFixture& f) {
       SearchOptions options;
       Replace(f.context, f.ui, options);
     }},
    {"replace next", [](EditFixture& f) { f.Select({0}); },
     [](EditFixture& f) { ReplaceNext(f.context, SearchOptions{u"121", u"120", false, false, false}); }},
    {"nudge", {}, [](EditFixture& f) { NudgeCoordinates(f.context, f.clock); }},
    {"hide the distance column", {}, [](EditFixture& f) { ToggleDistanceColumn(f.context); }, true},
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
        if (f.doc.baseRowPinned) {
          EXPECT_EQ(f.doc.baseRow, 0);
        }
        if (!c.choosesBase) {
          EXPECT_EQ(f.doc.baseRowPinned, pinned);
          ASSERT_GE(f.doc.baseRow, 0);
          if (!c.renames) {
            EXPECT_EQ(f.Names()[static_cast<std::size_t>(f.doc.baseRow)], baseName);
          }
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
      {"insert, nothing selected", [](EditFixture& f) { InsertEntry(f.context, f.editor); }},
      {"insert, two selected", [](EditFixture& f) { f.Select({1, 2}), InsertEntry(f.context, f.editor); }},
      {"add, then Esc", [](EditFixture& f) { AddEntry(f.context, f.editor), f.Esc(); }},
      {"an unchanged coordinate", [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 4, kLongitudeColumn), f.Enter("121.4"); }},
      {"a refused name", [](EditFixture& f) { BeginCellEdit(f.context, f.editor, 4, kNameColumn), f.Enter("a|b"), f.Esc(); }},
      {"move up below the pinned row", [](EditFixture& f) { f.Select({1}), MoveUp(f.context); }},
      {"move the pinned row down", [](EditFixture& f) { f.Select({0}), MoveDown(f.context); }},
      {"move the last row down", [](EditFixture& f) { f.Select({6}), MoveDown(f.context); }},
      {"destination, nothing selected", [](EditFixture& f) { SetDestination(f.context, true); }},
      {"passed, two selected", [](EditFixture& f) { f.Select({4, 5}), SetPassed(f.context, true); }},
      {"sort by the Order column", [](EditFixture& f) { HeaderClick(f.context, kOrderColumn); }},
      {"the pinned row as base point", [](EditFixture& f) { f.Select({0}), SetBasePointFromSelection(f.context); }},
      {"my base points: cancel", [](EditFixture& f) { MyBasePoints(f.context, f.ui); }},
      {"merge: two names", [](EditFixture& f) { ApplyMergeFields(f.context, {MergeField::Name, MergeField::Name, u"x"}); }},
      {"clear: nothing ticked", [](EditFixture& f) { ApplyClearFields(f.context, {}); }},
      {"replace: no match", [](EditFixture& f) { ReplaceIn(f.context, {u"zz", u"y"}, 0, true); }},
      {"replace: not a coordinate", [](EditFixture& f) { ReplaceIn(f.context, {u"121", u"abc"}, 0, true); }},
      {"replace: out of range", [](EditFixture& f) { ReplaceIn(f.context, {u"25.", u"95."}, 0, true); }},
      {"replace: the same coordinate", [](EditFixture& f) { ReplaceIn(f.context, {u"50000", u"5"}, 0, true); }},
      {"paste: empty clipboard", [](EditFixture& f) { PasteRows(f.context); }},
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
