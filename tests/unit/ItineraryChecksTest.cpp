#include "editing/ItineraryChecks.h"

#include <gtest/gtest.h>

#include <random>

#include "EditingTestSupport.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::EditFixture;

CheckOptions Options(bool similar, bool near, bool blank, unsigned value = 0, DistanceUnit unit = DistanceUnit::Metre) {
  CheckOptions options;
  options.similarNames = similar;
  options.nearDistance = near;
  options.blankCoordinates = blank;
  options.distanceValue = value;
  options.distanceUnit = unit;
  options.threshold = CheckThreshold(value, unit);
  return options;
}

struct ChecksFixture : EditFixture {
  using EditFixture::EditFixture;
  CommandContext& run = context;
  CheckResults checks{ui};

  void Check(const CheckOptions& options) {
    ui.check = options;
    CheckItinerary(run, checks);
  }
  // "name|distance|key" per item (key: R for the reference, - for none).
  std::vector<std::string> Listed() const {
    std::vector<std::string> out;
    for (const CheckResultItem& item : checks.Items()) {
      out.push_back(TextToUtf8(item.name));
      if (!checks.ColumnShown(kDistanceColumn)) continue;
      const std::string key =
          item.key == kCheckReferenceKey ? "R" : item.key == kCheckPlainKey ? "-" : std::to_string(item.key);
      out.back().append("|").append(TextToUtf8(item.distance)).append("|").append(key);
    }
    return out;
  }
  // The table row each item points at, by its name.
  std::vector<std::string> RowsOfItems() const {
    std::vector<std::string> out;
    for (const CheckResultItem& item : checks.Items()) {
      const long long row = doc.table.FindRowById(item.rowId);
      out.push_back(row < 0 ? "?" : TextToUtf8(doc.table.Cell(static_cast<std::size_t>(row), kNameColumn)));
    }
    return out;
  }
  bool Ended() const { return !checks.Running() && doc.recorder == nullptr && checks.modalDepth == 0; }
};

using Names = std::vector<std::string>;

TEST(CheckOptions, ThresholdAndDistanceText) {
  struct Case { unsigned value; DistanceUnit unit; std::int32_t metres; };
  for (const Case& c : {Case{100, DistanceUnit::Foot, 30}, Case{1, DistanceUnit::Mile, 1609}, Case{3, DistanceUnit::Mile, 4828},
                        Case{7, DistanceUnit::Kilometre, 7000}, Case{0, DistanceUnit::Kilometre, 0},
                        Case{999999999, DistanceUnit::Foot, 304799999}, Case{2147484, DistanceUnit::Kilometre, INT32_MAX},
                        Case{999999999, DistanceUnit::Mile, INT32_MAX}})
    EXPECT_EQ(CheckThreshold(c.value, c.unit), c.metres) << c.value;

  struct Text_ { const char16_t* text; int result; unsigned value; };
  for (const Text_& t : {Text_{u" 012 ", 0, 12}, Text_{u"", 0, 0}, Text_{u"999999999", 0, 999999999},
                         Text_{u"1234567890", kCheckDistanceFormatMessage, 5}, Text_{u"12a", kCheckDistanceFormatMessage, 5},
                         Text_{u"-3", kCheckDistanceFormatMessage, 5}, Text_{u"1.5", kCheckDistanceFormatMessage, 5},
                         Text_{u"１２", kCheckDistanceFormatMessage, 5}}) {
    CheckOptions options = Options(false, true, false, 5, DistanceUnit::Foot);
    EXPECT_EQ(AcceptCheckOptions(options, t.text), t.result) << TextToUtf8(t.text);
    EXPECT_EQ(options.distanceValue, t.value);
    EXPECT_EQ(options.threshold, CheckThreshold(t.value, DistanceUnit::Foot));
  }
  CheckOptions notNear = Options(true, false, false);
  EXPECT_EQ(AcceptCheckOptions(notNear, u"junk"), 0);  // the edit is not read then

  EXPECT_TRUE(CheckUnitForRadio(false, false) == DistanceUnit::Foot && CheckUnitForRadio(true, true) == DistanceUnit::Kilometre);
  const CheckDialogControls one = CheckDialogEnabling(Options(true, true, false), 1);
  const CheckDialogControls two = CheckDialogEnabling(Options(false, true, false), 2);
  EXPECT_TRUE(!one.pairChecks && !one.distance && !one.ok && two.pairChecks && two.distance && two.ok);
}

TEST(CheckItinerary, NothingFoundEndsAtOnceWithTheCompletionMessage) {
  ChecksFixture f({"Alpha|121.5|25.0", "Beta|121.6|25.1", "Gamma|120.0|23.0"});
  f.Check(Options(true, true, true, 1, DistanceUnit::Kilometre));
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14298});
  EXPECT_EQ(f.ui.checkShown, 0);
  EXPECT_EQ(f.ui.marquees, (Names{"正在檢查空白的行程座標, 按 Esc 鍵停止...", "正在檢查相近的行程距離, 按 Esc 鍵停止...",
                                       "正在檢查相似的行程名稱, 按 Esc 鍵停止..."}));
  EXPECT_TRUE(f.Ended() && f.doc.statusResetPending);
  // Cancel in the dialog starts nothing.
  f.ui.check.reset();
  CheckItinerary(f.run, f.checks);
  EXPECT_TRUE(f.Ended());
  // With fewer than two rows only blank coordinates are checked.
  ChecksFixture g({"Solo|121.5|25.0"});
  g.Check(Options(true, true, true));
  EXPECT_EQ(g.ui.checkAskedRows, std::vector<std::size_t>{1});
  EXPECT_FALSE(g.checks.options.similarNames || g.checks.options.nearDistance);
  EXPECT_EQ(g.ui.marquees.size(), 1u);
  EXPECT_EQ(g.ui.MessageIds(), std::vector<int>{14298});
}

TEST(CheckItinerary, PhasesInTurnWithContinueAndCommand1028ActivatesARunningCheck) {
  ChecksFixture f({"Home|121.5|25.0", "No latitude|121.5|", "Home again|121.5|25.0", "Far|100.0|10.0", "Blank||"});
  f.Check(Options(true, true, true));
  EXPECT_EQ(f.checks.TitleId(), 14296);
  EXPECT_EQ(f.Listed(), (Names{"No latitude", "Blank"}));
  EXPECT_EQ(f.doc.table.FirstSelected(), 1);  // the first item is selected and shown in the table
  EXPECT_EQ(f.checks.modalDepth, 0);
  CheckItinerary(f.run, f.checks);
  EXPECT_TRUE(f.ui.checkShown == 2 && f.ui.checkAskedRows.size() == 1);

  f.checks.Continue(f.run);  // threshold 0: only identical coordinates, never a row without them
  EXPECT_EQ(f.checks.TitleId(), 14295);
  EXPECT_EQ(f.Listed(), (Names{"Home||R", "Home again|0    m|0"}));
  f.checks.Continue(f.run);
  EXPECT_EQ(f.checks.TitleId(), 14294);
  EXPECT_EQ(f.Listed(), (Names{"Home", "Home again"}));
  f.checks.Continue(f.run);
  EXPECT_TRUE(f.Ended() && f.ui.checkHidden == 3);
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14298});
}

TEST(CheckItinerary, NearGroupsUseTheThresholdAndAHugeOneNeverTakesUnlocatedRows) {
  ChecksFixture f;
  // 0.001 degree of latitude is 111 m.
  f.Load({"A|121.5|25.000", "B|121.5|25.001", "C|121.5|25.003", "D||25.0", "E|121.5|25.0045"});
  f.Check(Options(false, true, false, 250, DistanceUnit::Metre));
  EXPECT_EQ(f.Listed(), (Names{"A||R", "B|111    m|111"}));
  f.checks.Continue(f.run);
  EXPECT_EQ(f.Listed(), (Names{"B||R", "C|222    m|222"}));
  f.checks.Continue(f.run);
  EXPECT_EQ(f.Listed(), (Names{"C||R", "E|166    m|166"}));
  f.checks.Cancel(f.run);
  EXPECT_TRUE(f.Ended() && f.ui.messages.empty());

  f.Check(Options(false, true, false, 999999999, DistanceUnit::Kilometre));
  EXPECT_EQ(f.Listed().size(), 4u);  // everything but D
}

TEST(CheckItinerary, SimilarNames) {
  struct Case { const char* a; const char* b; bool similar; };
  for (const Case& c : {Case{"Station", "Taipei Station", true}, Case{"Taipei Station", "station", true},
                        Case{"Taipei", "TAIPEI", true}, Case{"ＡＢＣ", "abc", true},
                        Case{"Taipei Station", "TAIPEI-STATION", true}, Case{"台北車站", "台北 車站", true},
                        Case{"カタカナ", "かたかな", true}, Case{"Hotel", "Motel", false}, Case{"台北", "台中", false},
                        Case{"", "Anything", false}}) {
    ChecksFixture f;
    f.Load({std::string(c.a) + "|1|1", std::string(c.b) + "|2|2"});
    f.Check(Options(true, false, false));
    EXPECT_EQ(f.checks.Running(), c.similar) << c.a << " / " << c.b;
  }
}

// The quick scans (prefiltered by latitude and by characters) against the plain rules.
TEST(CheckItinerary, ScansFindWhatThePlainRulesFind) {
  ChecksFixture f;
  std::mt19937 random(7);
  const char* words[] = {"Stop", "stop", "STOP 1", "Inn", "inn-1", "Lake", "ＬＡＫＥ", "Lake View", "台北", "台北站", ""};
  std::vector<std::string> rows;
  for (int i = 0; i < 150; ++i) {
    const std::string name = std::string(words[random() % std::size(words)]) + (random() % 3 ? "" : std::to_string(random() % 5));
    const std::string lon = random() % 9 ? std::to_string(121 + (random() % 40) * 0.0007) : "";
    rows.push_back(name + "|" + lon + "|" + std::to_string(25 + (random() % 40) * 0.0007));
  }
  f.Load(rows);
  const std::int32_t threshold = 150;
  std::vector<Names> expected, found;
  for (std::size_t r = 0; r < rows.size(); ++r) {  // near groups by DistanceBetweenRows
    Names group;
    for (std::size_t s = r + 1; s < rows.size(); ++s) {
      const std::int32_t d = DistanceBetweenRows(f.doc, r, s);
      if (d != kDistanceUnavailable && d <= threshold) group.push_back(std::to_string(s) + ":" + std::to_string(d));
    }
    if (!group.empty()) expected.push_back(group);
  }
  for (std::size_t r = 0; r < rows.size(); ++r) {  // similar groups by the collation's own rules
    Names group;
    const TextView a = f.doc.table.Cell(r, kNameColumn);
    for (std::size_t s = r + 1; s < rows.size(); ++s) {
      const TextView b = f.doc.table.Cell(s, kNameColumn);
      Text shorter(b.size() <= a.size() ? b : a), longer(b.size() <= a.size() ? a : b);
      f.collation.FoldCase(shorter);
      f.collation.FoldCase(longer);
      if (f.collation.EqualIgnoringCaseSymbolsWidth(a, b) || (!shorter.empty() && longer.find(shorter) != Text::npos))
        group.push_back(std::to_string(s));
    }
    if (!group.empty()) expected.push_back(group);
  }
  f.Check(Options(true, true, false, threshold, DistanceUnit::Metre));
  while (f.checks.Running()) {
    Names group;
    const auto& items = f.checks.Items();
    for (std::size_t i = 1; i < items.size(); ++i) {
      const std::string row = std::to_string(f.doc.table.FindRowById(items[i].rowId));
      group.push_back(items[i].key == kCheckPlainKey ? row : row + ":" + std::to_string(items[i].key));
    }
    found.push_back(group);
    f.checks.Continue(f.run);
  }
  EXPECT_EQ(found, expected);
}

TEST(CheckItinerary, EscDuringTheNearScanAndANewDocumentEndTheRunWithoutAMessage) {
  ChecksFixture f({"A|121.5|25.0", "B|122.5|25.0", "C|123.5|25.0", "D|124.5|25.0"});
  f.ui.stopAtPoll = 2;
  f.Check(Options(true, true, false, 1, DistanceUnit::Metre));
  EXPECT_TRUE(f.Ended() && f.ui.polls == 2 && f.ui.checkClosed == 1 && f.doc.statusResetPending);
  ChecksFixture g({"Blank||", "Other|1|1"});
  g.Check(Options(false, false, true));
  ASSERT_TRUE(g.checks.Running());
  NewDocument(g.run);
  EXPECT_TRUE(g.Ended() && g.ui.checkClosed == 1);
  EXPECT_TRUE(f.ui.messages.empty() && g.ui.messages.empty());
}

TEST(CheckResults, EditsDuringANearGroupKeepTheListTrue) {
  ChecksFixture f({"Other|120.0|20.0", "Ref|121.5|25.000", "Near|121.5|25.001", "Nearer|121.5|24.9995"});
  f.Check(Options(false, true, false, 200, DistanceUnit::Metre));
  ASSERT_EQ(f.Listed(), (Names{"Ref||R", "Near|111    m|111", "Nearer|55    m|55"}));

  BeginUndoGroup(f.doc.journal);
  SetCellRecorded(f.doc, 2, kNameColumn, u"Renamed");
  SetCoordinateFromText(f.doc, 2, Axis::Latitude, u"25.002", CoordinateSource::Degrees);
  EXPECT_EQ(f.Listed(), (Names{"Ref||R", "Renamed|222    m|222", "Nearer|55    m|55"}));
  SetCoordinateFromText(f.doc, 1, Axis::Latitude, u"25.0015", CoordinateSource::Degrees);  // the reference moves
  EXPECT_EQ(f.Listed(), (Names{"Ref||R", "Renamed|55    m|55", "Nearer|222    m|222"}));
  Undo(f.run);
  EXPECT_EQ(f.Listed(), (Names{"Ref||R", "Near|111    m|111", "Nearer|55    m|55"}));
  Redo(f.run);
  EXPECT_EQ(f.Listed(), (Names{"Ref||R", "Renamed|55    m|55", "Nearer|222    m|222"}));
  Undo(f.run);

  // Move, reverse and sort move entries between rows: the items stay on their entries.
  f.Select({2});
  MoveUp(f.run);
  ReverseRoute(f.run);
  SortNames(f.run, false);
  EXPECT_EQ(f.RowsOfItems(), (Names{"Ref", "Near", "Nearer"}));
  EXPECT_EQ(f.Listed(), (Names{"Ref||R", "Near|111    m|111", "Nearer|55    m|55"}));
  f.checks.SelectOnly(f.run, 2);
  EXPECT_EQ(f.Names()[static_cast<std::size_t>(f.doc.table.FirstSelected())], "Nearer");
  EXPECT_TRUE(f.checks.CanGoTo());
  f.ui.tableFocused = 0;
  f.checks.GoTo(f.run);
  EXPECT_EQ(f.ui.tableFocused, 1);

  // A planner-like replacement: a copy at the end takes over, then the source goes.
  const std::size_t source = static_cast<std::size_t>(f.doc.table.FindRowById(f.checks.Items()[1].rowId));
  BeginUndoGroup(f.doc.journal);
  const std::size_t copy = InsertRowRecorded(f.doc, SIZE_MAX, u"Near", 2, false);
  f.doc.table.SetCell(copy, kLongitudeColumn, f.doc.table.Cell(source, kLongitudeColumn));
  f.doc.table.SetCell(copy, kLatitudeColumn, f.doc.table.Cell(source, kLatitudeColumn));
  f.doc.recorder->RowReplaced(source, copy);
  DeleteRowRecorded(f.doc, source);
  EXPECT_EQ(f.RowsOfItems(), (Names{"Ref", "Near", "Nearer"}));

  // Deleting the reference row from the table clears every distance; undo brings the
  // row back as a new entry, which takes no part.
  f.Select({static_cast<std::size_t>(f.doc.table.FindRowById(f.checks.Items()[0].rowId))});
  DeleteSelectedEntries(f.run);
  EXPECT_EQ(f.Listed(), (Names{"Near||-", "Nearer||-"}));
  Undo(f.run);
  EXPECT_EQ(f.Listed(), (Names{"Near||-", "Nearer||-"}));
  const auto nearer = static_cast<std::size_t>(f.doc.table.FindEntryByName(u"Nearer"));
  SetCoordinateFromText(f.doc, nearer, Axis::Latitude, u"25.004", CoordinateSource::Degrees);
  EXPECT_EQ(f.Listed(), (Names{"Near||-", "Nearer||-"}));
}

TEST(CheckResults, ContinueAfterDeletesResumesAtTheNextEntry) {
  ChecksFixture f({"A|1|1", "B|1|1", "C|2|2", "D|2|2", "E|3|3", "F|3|3"});
  f.Check(Options(false, true, false));
  EXPECT_EQ(f.Listed(), (Names{"A||R", "B|0    m|0"}));
  SortNames(f.run, false);  // moves every row without a notification
  f.checks.Continue(f.run);
  EXPECT_EQ(f.Listed(), (Names{"C||R", "D|0    m|0"}));
  // An earlier row and the reference itself go: the next reference is D, then E.
  BeginUndoGroup(f.doc.journal);
  DeleteRowRecorded(f.doc, static_cast<std::size_t>(f.doc.table.FindEntryByName(u"A")));
  DeleteRowRecorded(f.doc, static_cast<std::size_t>(f.doc.table.FindEntryByName(u"C")));
  f.checks.Continue(f.run);
  EXPECT_EQ(f.Listed(), (Names{"E||R", "F|0    m|0"}));
}

TEST(CheckResults, DeleteFromTheListIsOneUndoStepEach) {
  ChecksFixture f({"Inn|121|25", "Inn 2|121|25", "Other|10|10"});
  f.Check(Options(true, false, false));
  ASSERT_EQ(f.Listed(), (Names{"Inn", "Inn 2"}));
  const auto before = testing::Picture(f.doc);
  f.checks.SetItemSelected(0, false);
  f.checks.SetItemSelected(1, true);
  EXPECT_TRUE(f.checks.CanDelete());
  f.checks.DeleteSelected(f.run);
  EXPECT_EQ(f.Names(), (Names{"Inn", "Other"}));
  EXPECT_EQ(f.Listed(), Names{"Inn"});
  EXPECT_TRUE(!f.checks.CanDelete() && f.doc.document.modified);
  f.checks.DeleteAll(f.run);
  EXPECT_EQ(f.Names(), Names{"Other"});
  EXPECT_FALSE(f.checks.CanDeleteAll());
  Undo(f.run);
  Undo(f.run);
  EXPECT_EQ(testing::Picture(f.doc), before);
}

TEST(CheckResults, SortingTheList) {
  ChecksFixture f({"b2|121.5|", "B10|121.4|", "a|121.6|", "c||"});
  f.Check(Options(false, false, true));
  f.checks.ClickColumnTitle(f.doc, kDistanceColumn);  // not in this phase
  f.checks.ClickColumnTitle(f.doc, kOrderColumn);
  EXPECT_FALSE(f.checks.SortMarkShown());
  f.checks.ClickColumnTitle(f.doc, kNameColumn);
  EXPECT_EQ(f.Listed(), (Names{"a", "b2", "B10", "c"}));
  f.checks.ClickColumnTitle(f.doc, kNameColumn);
  EXPECT_EQ(f.Listed(), (Names{"c", "B10", "b2", "a"}));
  f.checks.ClickColumnTitle(f.doc, kLongitudeColumn);  // keeps the direction: descending
  EXPECT_EQ(f.Listed(), (Names{"a", "b2", "B10", "c"}));
  f.checks.ClickColumnTitle(f.doc, kLongitudeColumn);
  EXPECT_TRUE(f.checks.SortMarkShown() && f.Listed() == (Names{"c", "B10", "b2", "a"}));
  f.checks.Continue(f.run);
  EXPECT_FALSE(f.checks.SortMarkShown());
}

}  // namespace
}  // namespace wayloom
