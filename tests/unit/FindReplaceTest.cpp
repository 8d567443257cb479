#include <gtest/gtest.h>

#include "core/CommandIds.h"
#include "EditingTestSupport.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

struct SearchFixture : EditFixture {
  using EditFixture::EditFixture;
  SearchOptions& Search(const std::string& find, const std::string& replace = "") {
    options.findText = Utf8ToText(find);
    options.replaceText = Utf8ToText(replace);
    return options;
  }
  SearchOptions options;
};

// ---- matching and replacing text ----

TEST(TextContains, FollowsMatchCaseAndNeverFindsAnEmptyTextAndReplacingResumesBehindEachOccurrence) {
  EXPECT_TRUE(TextContains(u"taipei Main", u"MAIN", false) && !TextContains(u"taipei Main", u"MAIN", true));
  EXPECT_TRUE(TextContains(u"ÄRZTE Ωmega Пётр ＡＢ", u"ärzte ωMEGA пЁТР ａｂ", false));
  EXPECT_FALSE(TextContains(u"abc", u"", false));
  EXPECT_EQ(ReplaceOccurrences(u"aaa", u"a", u"bb", true), u"bbbbbb");
  EXPECT_EQ(ReplaceOccurrences(u"aaa", u"aa", u"a", true), u"aa");
  EXPECT_EQ(ReplaceOccurrences(u"Aa", u"a", u"x", false), u"xx");
  EXPECT_EQ(ReplaceOccurrences(u"Aa", u"a", u"x", true), u"Ax");
  EXPECT_EQ(ReplaceOccurrences(u"abc", u"", u"x", true), u"abc");
}

// ---- find ----

TEST(FindFrom, SelectAllWithoutAMatchLeavesNothingSelectedAndCoordinatesAreSearchedAsShown) {
  SearchFixture f;
  f.doc.settings.Set(Option::DmsFormat, true);
  f.Load({"Taipei|121.5|25", "Tainan|120|23"});
  f.Select({0});
  EXPECT_EQ(FindFrom(f.doc, f.Search("Kaohsiung"), 0, true), 0);
  EXPECT_TRUE(f.Selected().empty() && f.ui.messages.empty());
  EXPECT_EQ(FindFrom(f.doc, f.Search("Tai"), 0, true), 0);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);
  EXPECT_EQ(FindFrom(f.doc, f.options, 2, false), 0);  // past the end
  EXPECT_TRUE(f.Selected().empty());
  EXPECT_EQ(FindFrom(f.doc, f.Search("121° 30'"), 0, false), 0);
  f.options.namesOnly = true;
  EXPECT_EQ(FindFrom(f.doc, f.options, 0, false), -1);
  EXPECT_TRUE(f.Selected().empty());
}

TEST(FindNext, WrapsToTheFirstMatchAndFindsASingleMatchAgain) {
  SearchFixture f({"taipei|121|25", "x|120|23", "TAIPEI 2|120.1|23.1", "y|120.2|23.2"});
  f.Search("Taipei");
  FindNext(f.context, f.options);  // no selection: from row 0
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  FindNext(f.context, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  FindNext(f.context, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  f.options.matchCase = true;
  f.Search("TAIPEI");
  FindNext(f.context, f.options);
  FindNext(f.context, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  EXPECT_EQ(f.ui.scrolledTo.back(), 2);
}

TEST(Find, TheDialogsOkStoresTheOptionsAndCancelKeepsThem) {
  SearchFixture f;
  Find(f.context, f.ui, f.options);  // empty table: no dialog
  EXPECT_TRUE(f.ui.searchShown.empty());
  f.Load({"a|121|25", "ab|120|23"});
  f.Search("a");
  Find(f.context, f.ui, f.options);  // Cancel
  EXPECT_EQ(TextToUtf8(f.options.findText), "a");
  f.ui.search = SearchOptions{Text(300, u'b'), u"", false, false, true};
  Find(f.context, f.ui, f.options);
  EXPECT_TRUE(f.options.findText.size() == 255 && f.options.allMatches && f.Selected().empty());
  f.ui.search->findText = u"B";
  Find(f.context, f.ui, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_EQ(f.ui.searchShown, (std::vector<std::string>{"a", "a", std::string(255, 'b')}));
}

// ---- replace ----

TEST(ReplaceIn, RefusesNamesThatWouldBeBlankForbiddenOrDuplicate) {
  SearchFixture f({"aaa|121|25", "Stop|120|23", "Stop 2|120.1|23.1"});
  EXPECT_TRUE(ReplaceIn(f.context, f.Search("a", "bb"), 0, true));
  EXPECT_EQ(f.Names()[0], "bbbbbb");
  EXPECT_FALSE(ReplaceIn(f.context, f.Search("bbbbbb", " "), 0, true));
  EXPECT_FALSE(ReplaceIn(f.context, f.Search("Stop", "A|B"), 0, true));
  EXPECT_FALSE(ReplaceIn(f.context, f.Search(" 2", std::string(254, 'x')), 0, true));  // would grow past 255
  f.doc.settings.Set(Option::CheckName, true);
  EXPECT_FALSE(ReplaceIn(f.context, f.Search(" 2", ""), 0, true));
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"bbbbbb", "Stop", "Stop 2"}));
  f.doc.settings.Set(Option::CheckName, false);
  EXPECT_TRUE(ReplaceIn(f.context, f.options, 0, true));
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"bbbbbb", "Stop", "Stop"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
}

TEST(ReplaceIn, CoordinatesChangeOnlyWhenTheResultIsACoordinateOfTheAxis) {
  SearchFixture f({"a|121.5|25.5"});
  EXPECT_FALSE(ReplaceIn(f.context, f.Search("121", "191"), 0, true));
  testing::ExpectUndoRedo(f, [&] { EXPECT_TRUE(ReplaceIn(f.context, f.Search(".5", ".25"), 0, true)); },
                          {"a|121.25000|25.25000|2"});
  EXPECT_TRUE(f.doc.document.modified);
}

TEST(Replace, AllMatchesIsOneStepAndOtherwiseFindsTheNext) {
  SearchFixture f({"home @|121|25", "a @|121.1|25.1", "b|121.2|25.2", "c @|121.3|25.3"});
  f.Pin();
  f.ui.search = SearchOptions{u" @", u"", false, true, true};
  Replace(f.context, f.ui, f.options);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"home", "a", "b", "c"}));
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1, 3}));
  EXPECT_EQ(f.ui.statusTexts.back(), "正在取代行程的資料...");
  f.ui.search->allMatches = false;
  Replace(f.context, f.ui, f.options);
  EXPECT_EQ(f.ui.posted, (std::vector<std::pair<int, long long>>{{IDM_FIND_NEXT, 0}}));
}

TEST(ReplaceNext, ReplacesInTheCurrentRowOnlyAndMovesToTheNextMatch) {
  SearchFixture f({"x1|121|25", "other|121.1|25.1", "x2|121.2|25.2", "x3|121.3|25.3"});
  f.Search("x", "y");
  ReplaceNext(f.context, f.options);  // no selection: find next is posted
  EXPECT_EQ(f.ui.posted, (std::vector<std::pair<int, long long>>{{IDM_FIND_NEXT, 0}}));
  f.Select({1});
  ReplaceNext(f.context, f.options);  // not a match: only moves
  EXPECT_EQ(f.Names()[2], "x2");
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  ReplaceNext(f.context, f.options);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"x1", "other", "y2", "x3"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{3});
}

TEST(ReplaceNext, ARefusedReplacementInTheCurrentRowReachesNoOtherRow) {
  SearchFixture f({"x1|121|25", "y3|121.1|25.1", "x3|121.2|25.2"});
  f.doc.settings.Set(Option::CheckName, true);
  f.Select({2});
  ReplaceNext(f.context, f.Search("x", "y"));  // "y3" exists: refused
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"x1", "y3", "x3"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});  // the next match
  EXPECT_FALSE(CanUndo(f.doc.journal) || f.doc.document.modified);
}

// ---- nudge and selection ----

TEST(NudgeCoordinates, MovesLocatedSelectedRowsByAtMostTwoUnitsAndUndoRestoresTheText) {
  SearchFixture f;
  NudgeCoordinates(f.context, f.clock);  // an empty table: nothing
  EXPECT_FALSE(CanUndo(f.doc.journal));
  f.doc.settings.Set(Option::DmsFormat, true);
  std::vector<std::string> rows(40, "r|180|-90");
  rows.push_back("half|121.5|");
  f.Load(rows);
  const auto before = Picture(f.doc);
  auto selectEven = [&] {
    f.doc.table.ClearSelectionAndFocus();
    for (std::size_t i = 0; i < 41; i += 2) f.doc.table.SetSelected(i, true);
  };
  selectEven();
  const auto nudged = testing::ExpectUndoRedo(f, [&] { NudgeCoordinates(f.context, f.clock); });
  bool moved = false;
  for (std::size_t row = 0; row < 40; ++row) {
    const std::int64_t lon = *CoordinateTextToUnits(f.doc.table.Cell(row, kLongitudeColumn), f.doc.Format());
    const std::int64_t lat = *CoordinateTextToUnits(f.doc.table.Cell(row, kLatitudeColumn), f.doc.Format());
    EXPECT_TRUE(lon >= 18000000 - 2 && lon <= 18000000 && lat >= -9000000 && lat <= -9000000 + 2) << row;
    if (row % 2 == 1) {
      EXPECT_EQ(nudged.rows[row], before.rows[row]);
    }
    moved = moved || lon != 18000000 || lat != -9000000;
  }
  EXPECT_TRUE(moved);
  EXPECT_TRUE(nudged.rows[40] == before.rows[40] && nudged.modified);  // no latitude: left alone
  Undo(f.context);
  selectEven();
  NudgeCoordinates(f.context, f.clock);  // the same tick gives the same moves
  EXPECT_EQ(Picture(f.doc), nudged);
  f.doc.table.ClearSelectionAndFocus();  // none selected: every located row
  NudgeCoordinates(f.context, f.clock);
  int oddMoved = 0;
  for (std::size_t row = 1; row < 40; row += 2) oddMoved += Picture(f.doc).rows[row] != nudged.rows[row];
  EXPECT_GT(oddMoved, 0);
}

TEST(SelectionCommands, SelectAllKeepsTheFocusAndInvertClearsIt) {
  SearchFixture f;
  SelectAllRows(f.doc);
  InvertSelection(f.doc);  // empty table: nothing
  f.Load({"a", "b", "c"});
  std::string seen;  // the selected rows and the focused one after each command
  auto note = [&] {
    for (std::size_t row : f.Selected()) seen += std::to_string(row);
    seen += "/" + std::to_string(f.doc.table.FocusedRow()) + " ";
  };
  InvertSelection(f.doc), note();
  f.Select({1});
  SelectAllRows(f.doc), note();
  f.Select({1});
  InvertSelection(f.doc), note();
  EXPECT_EQ(seen, "012/-1 012/1 02/-1 ");
}

}  // namespace
}  // namespace wayloom
