#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "core/CommandIds.h"
#include "editing/FindReplace.h"
#include "editing/UndoCommands.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::Picture;

class TickClock : public Clock {
 public:
  LocalTime Now() const override { return {}; }
  std::uint32_t TickCount() const override { return ticks; }
  std::uint32_t ticks = 1;
};

// Answers the find and replace dialogs and remembers what they were shown.
class SearchUi : public testing::RecordingUi, public SearchDialogs {
 public:
  std::optional<SearchOptions> AskFind(const SearchOptions& shown) override { return Answer(shown); }
  std::optional<SearchOptions> AskReplace(const SearchOptions& shown) override { return Answer(shown); }
  void PostCommand(int command, long long parameter) override { posted.push_back(command); }
  std::optional<SearchOptions> Answer(const SearchOptions& shown) {
    shownTexts.push_back(TextToUtf8(shown.findText));
    return answer;
  }
  std::optional<SearchOptions> answer;
  std::vector<std::string> shownTexts;
  std::vector<int> posted;
};

struct SearchFixture : EditFixture {
  SearchOptions& Search(const std::string& find, const std::string& replace = "") {
    options.findText = Utf8ToText(find);
    options.replaceText = Utf8ToText(replace);
    return options;
  }
  SearchUi ui2;
  CommandContext edit{doc, ui2, files};
  SearchOptions options;
};

// ---- matching and replacing text ----

TEST(TextContains, FollowsMatchCaseAndNeverFindsAnEmptyText) {
  EXPECT_TRUE(TextContains(u"taipei Main", u"MAIN", false));
  EXPECT_FALSE(TextContains(u"taipei Main", u"MAIN", true));
  EXPECT_TRUE(TextContains(u"ÄRZTE Ωmega Пётр ＡＢ", u"ärzte ωMEGA пЁТР ａｂ", false));
  EXPECT_FALSE(TextContains(u"abc", u"", false));
}

TEST(ReplaceOccurrences, ReplacesLeftToRightResumingBehindEachOccurrence) {
  EXPECT_EQ(ReplaceOccurrences(u"aaa", u"a", u"bb", true), u"bbbbbb");
  EXPECT_EQ(ReplaceOccurrences(u"aaa", u"aa", u"a", true), u"aa");
  EXPECT_EQ(ReplaceOccurrences(u"Aa", u"a", u"x", false), u"xx");
  EXPECT_EQ(ReplaceOccurrences(u"Aa", u"a", u"x", true), u"Ax");
  EXPECT_EQ(ReplaceOccurrences(u"abc", u"", u"x", true), u"abc");
}

// ---- find ----

TEST(FindFrom, SelectAllWithoutAMatchLeavesNothingSelected) {
  SearchFixture f;
  f.Load({"Taipei|121|25", "Tainan|120|23"});
  f.Select({0});
  EXPECT_EQ(FindFrom(f.doc, f.Search("Kaohsiung"), 0, true), 0);
  EXPECT_TRUE(f.Selected().empty());
  EXPECT_TRUE(f.ui2.messages.empty());
  EXPECT_EQ(FindFrom(f.doc, f.Search("Tai"), 0, true), 0);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);
  EXPECT_EQ(FindFrom(f.doc, f.options, 2, false), 0);  // past the end
  EXPECT_TRUE(f.Selected().empty());
}

TEST(FindFrom, SearchesCoordinatesInTheirDisplayTextUnlessNamesOnly) {
  SearchFixture f;
  f.doc.settings.Set(Option::DmsFormat, true);
  f.Load({"a|121.5|25", "b|120|23"});
  EXPECT_EQ(FindFrom(f.doc, f.Search("121° 30'"), 0, false), 0);
  f.options.namesOnly = true;
  EXPECT_EQ(FindFrom(f.doc, f.options, 0, false), -1);
  EXPECT_TRUE(f.Selected().empty());
}

TEST(FindNext, WrapsToTheFirstMatchAndFindsASingleMatchAgain) {
  SearchFixture f;
  f.Load({"taipei|121|25", "x|120|23", "TAIPEI 2|120.1|23.1", "y|120.2|23.2"});
  f.Search("Taipei");
  FindNext(f.edit, f.options);  // no selection: from row 0
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  FindNext(f.edit, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  FindNext(f.edit, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});
  f.options.matchCase = true;
  f.Search("TAIPEI");
  FindNext(f.edit, f.options);
  FindNext(f.edit, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  EXPECT_EQ(f.ui2.scrolledTo.back(), 2);
}

TEST(Find, TheDialogsOkStoresTheOptionsAndCancelKeepsThem) {
  SearchFixture f;
  Find(f.edit, f.ui2, f.options);  // empty table: no dialog
  EXPECT_TRUE(f.ui2.shownTexts.empty());
  f.Load({"a|121|25", "ab|120|23"});
  f.Search("a");
  Find(f.edit, f.ui2, f.options);  // Cancel
  EXPECT_EQ(TextToUtf8(f.options.findText), "a");
  SearchOptions answer;
  answer.findText = Text(300, u'b');
  answer.allMatches = true;
  f.ui2.answer = answer;
  Find(f.edit, f.ui2, f.options);
  EXPECT_EQ(f.options.findText.size(), 255u);
  EXPECT_TRUE(f.options.allMatches);
  EXPECT_TRUE(f.Selected().empty());
  f.ui2.answer->findText = u"B";
  Find(f.edit, f.ui2, f.options);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{1});
  EXPECT_EQ(f.ui2.shownTexts, (std::vector<std::string>{"a", "a", std::string(255, 'b')}));
}

// ---- replace ----

TEST(ReplaceIn, RefusesNamesThatWouldBeBlankForbiddenOrDuplicate) {
  SearchFixture f;
  f.Load({"aaa|121|25", "Stop|120|23", "Stop 2|120.1|23.1"});
  EXPECT_TRUE(ReplaceIn(f.edit, f.Search("a", "bb"), 0, true));
  EXPECT_EQ(f.Names()[0], "bbbbbb");
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("bbbbbb", " "), 0, true));
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("Stop", "A|B"), 0, true));
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search(" 2", std::string(254, 'x')), 0, true));  // would grow past 255
  f.doc.settings.Set(Option::CheckName, true);
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search(" 2", ""), 0, true));
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"bbbbbb", "Stop", "Stop 2"}));
  f.doc.settings.Set(Option::CheckName, false);
  EXPECT_TRUE(ReplaceIn(f.edit, f.options, 0, true));
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"bbbbbb", "Stop", "Stop"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
}

TEST(ReplaceIn, CoordinatesChangeOnlyWhenTheResultIsACoordinateOfTheAxis) {
  SearchFixture f;
  f.Load({"a|121.5|25.5"});
  const auto before = Picture(f.doc);
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("121", "abc"), 0, true));
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("121", "191"), 0, true));
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("25.", "95."), 0, true));
  EXPECT_FALSE(ReplaceIn(f.edit, f.Search("50000", "5"), 0, true));  // the same coordinate again
  EXPECT_EQ(Picture(f.doc), before);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_TRUE(ReplaceIn(f.edit, f.Search(".5", ".25"), 0, true));
  EXPECT_EQ(testing::Rows(f.doc)[0], "a|121.25000|25.25000|2");
  EXPECT_TRUE(f.doc.document.modified);
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
}

TEST(Replace, AllMatchesIsOneStepAndThePinnedRowMarksNothingModified) {
  SearchFixture f;
  f.Load({"home @|121|25", "a @|121.1|25.1", "b|121.2|25.2", "c @|121.3|25.3"});
  f.doc.baseRowPinned = true;
  SetBaseRow(f.context, 0, false);
  const auto before = Picture(f.doc);
  SearchOptions answer;
  answer.findText = u" @";
  answer.allMatches = true;
  answer.namesOnly = true;
  f.ui2.answer = answer;
  Replace(f.edit, f.ui2, f.options);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"home", "a", "b", "c"}));
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1, 3}));
  EXPECT_EQ(f.ui2.statusTexts.back(), "正在取代行程的資料...");
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
  ReplaceIn(f.edit, f.options, 0, false);  // only the pinned row changes
  EXPECT_FALSE(f.doc.document.modified);
  f.ui2.answer->allMatches = false;
  Replace(f.edit, f.ui2, f.options);
  EXPECT_EQ(f.ui2.posted, std::vector<int>{IDM_FIND_NEXT});
}

TEST(ReplaceNext, ReplacesInTheCurrentRowOnlyAndMovesToTheNextMatch) {
  SearchFixture f;
  f.Load({"x1|121|25", "other|121.1|25.1", "x2|121.2|25.2", "x3|121.3|25.3"});
  f.Search("x", "y");
  ReplaceNext(f.edit, f.options);  // no selection: find next is posted
  EXPECT_EQ(f.ui2.posted, std::vector<int>{IDM_FIND_NEXT});
  f.Select({1});
  ReplaceNext(f.edit, f.options);  // not a match: only moves
  EXPECT_EQ(f.Names()[2], "x2");
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{2});
  ReplaceNext(f.edit, f.options);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"x1", "other", "y2", "x3"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{3});
}

TEST(ReplaceNext, ARefusedReplacementInTheCurrentRowReachesNoOtherRow) {
  SearchFixture f;
  f.Load({"x1|121|25", "y3|121.1|25.1", "x3|121.2|25.2"});
  f.doc.settings.Set(Option::CheckName, true);
  f.Select({2});
  ReplaceNext(f.edit, f.Search("x", "y"));  // "y3" exists: refused
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"x1", "y3", "x3"}));
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});  // the next match
  EXPECT_FALSE(CanUndo(f.doc.journal));
  EXPECT_FALSE(f.doc.document.modified);
}

TEST(ReplaceNext, ACoordinateReplacedInTheCurrentRowUpdatesItsDistance) {
  SearchFixture f;
  f.Load({"base|121|25", "a|121.1|25.1"});
  SetBaseRow(f.context, 0, false);
  const auto distance = f.Column(kDistanceColumn)[1];
  f.Select({1});
  ReplaceNext(f.edit, f.Search("121.1", "121.3"));
  EXPECT_EQ(f.Column(kLongitudeColumn)[1], "121.30000");
  EXPECT_NE(f.Column(kDistanceColumn)[1], distance);
}

// ---- nudge and selection ----

std::int64_t Units(const EditFixture& f, std::size_t row, int column) {
  return *CoordinateTextToUnits(f.doc.table.Cell(row, column), f.doc.Format());
}

TEST(NudgeCoordinates, MovesLocatedSelectedRowsByAtMostTwoUnitsAndUndoRestoresTheText) {
  SearchFixture f;
  TickClock clock;
  f.doc.settings.Set(Option::DmsFormat, true);
  std::vector<std::string> rows;
  for (int i = 0; i < 40; ++i) rows.push_back("r|180|-90");
  rows.push_back("half|121.5|");
  f.Load(rows);
  const auto before = Picture(f.doc);
  std::vector<std::size_t> selected;
  for (std::size_t i = 0; i < 41; i += 2) selected.push_back(i);
  f.doc.table.ClearSelectionAndFocus();
  for (std::size_t row : selected) f.doc.table.SetSelected(row, true);
  NudgeCoordinates(f.edit, clock);
  bool moved = false;
  for (std::size_t row = 0; row < 40; ++row) {
    const std::int64_t lon = Units(f, row, kLongitudeColumn), lat = Units(f, row, kLatitudeColumn);
    EXPECT_GE(lon, 18000000 - 2);
    EXPECT_LE(lon, 18000000);
    EXPECT_GE(lat, -9000000);
    EXPECT_LE(lat, -9000000 + 2);
    if (row % 2 == 1) {
      EXPECT_EQ(before.rows[row], Picture(f.doc).rows[row]);
    }
    moved = moved || lon != 18000000 || lat != -9000000;
  }
  EXPECT_TRUE(moved);
  EXPECT_EQ(Picture(f.doc).rows[40], before.rows[40]);  // no latitude: left alone
  EXPECT_TRUE(f.doc.document.modified);
  const auto nudged = Picture(f.doc);
  Undo(f.edit);
  EXPECT_EQ(Picture(f.doc), before);
  f.doc.table.ClearSelectionAndFocus();
  for (std::size_t row : selected) f.doc.table.SetSelected(row, true);
  NudgeCoordinates(f.edit, clock);  // the same tick gives the same moves
  EXPECT_EQ(Picture(f.doc), nudged);
}

TEST(NudgeCoordinates, WithNoSelectionMovesEveryRowAndAnEmptyTableNothing) {
  SearchFixture f;
  TickClock clock;
  NudgeCoordinates(f.edit, clock);
  EXPECT_FALSE(CanUndo(f.doc.journal));
  std::vector<std::string> rows(30, "r|121|25");
  f.Load(rows);
  NudgeCoordinates(f.edit, clock);
  int moved = 0;
  for (std::size_t row = 0; row < 30; ++row) {
    const std::int64_t lon = Units(f, row, kLongitudeColumn) - 12100000;
    EXPECT_LE(std::abs(lon), 2);
    moved += lon != 0;
  }
  EXPECT_GT(moved, 0);
}

TEST(SelectionCommands, SelectAllKeepsTheFocusAndInvertClearsIt) {
  SearchFixture f;
  SelectAllRows(f.doc);
  InvertSelection(f.doc);  // empty table: nothing
  f.Load({"a", "b", "c"});
  InvertSelection(f.doc);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(f.doc.table.FocusedRow(), -1);
  f.Select({1});
  SelectAllRows(f.doc);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(f.doc.table.FocusedRow(), 1);
  f.Select({1});
  InvertSelection(f.doc);
  EXPECT_EQ(f.Selected(), (std::vector<std::size_t>{0, 2}));
  EXPECT_EQ(f.doc.table.FocusedRow(), -1);
}

}  // namespace
}  // namespace wayloom
