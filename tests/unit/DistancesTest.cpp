#include <gtest/gtest.h>

#include "EditingTestSupport.h"

namespace wayloom {
namespace {

using testing::EditFixture;

TEST(FormatDistance, UnitsAndRounding) {
  struct Case {
    std::int32_t metres;
    bool metric;
    const char* text;
  } cases[] = {
      {0, true, "0    m"},       {999, true, "999    m"},    {1000, true, "1.0  km"},
      {1049, true, "1.0  km"},   {1050, true, "1.1  km"},    {1250, true, "1.3  km"},
      {111319, true, "111.3  km"}, {0, false, "0    ft"},    {160, false, "524    ft"},
      {161, false, "0.1  mi"},   {1609, false, "1.0  mi"},   {2414, false, "1.5  mi"},
      {20037508, true, "20037.5  km"},
  };
  for (const Case& c : cases) EXPECT_EQ(TextToUtf8(FormatDistance(c.metres, c.metric)), c.text) << c.metres;
}

TEST(DistanceBetweenRows, GreatCircleMetresInEveryDisplayForm) {
  EditFixture f({"a|0|0", "b|0|-1", "c|0|0", "d|10|", "e||", "f|180|0"});
  const struct {
    std::size_t from, to;
    std::int32_t metres;
  } cases[] = {{0, 1, 111319} /* a degree of a meridian */, {1, 0, 111319}, {0, 2, 0},
               {0, 3, kDistanceUnavailable}, {4, 0, kDistanceUnavailable}, {0, 5, 20037510} /* half the globe */};
  for (int pass = 0; pass < 3; ++pass) {  // decimal, then DMS, then DMS with compass letters
    if (pass > 0) ReformatAllCoordinates(f.doc, pass == 1 ? CoordinateSwitch::Dms : CoordinateSwitch::Compass);
    for (const auto& c : cases) EXPECT_EQ(DistanceBetweenRows(f.doc, c.from, c.to), c.metres) << c.from << "-" << c.to;
  }
  EXPECT_EQ(f.Column(kLatitudeColumn)[1], "S 1° 00' 00.00\"");
}

TEST(DistanceBetweenRows, TwoPointsTooCloseForTheArcCosineGiveZero) {
  // Near the pole the cosine sum of these two points comes out just above 1.
  EditFixture f({"a|32.00185|88.82026", "b|32.00186|88.82026", "c|-32.49812|-89.63587", "d|-32.49811|-89.63587"});
  EXPECT_EQ(DistanceBetweenRows(f.doc, 0, 1), 0);
  EXPECT_EQ(DistanceBetweenRows(f.doc, 2, 3), 0);
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 0, false);
  EXPECT_EQ(f.Column(kDistanceColumn)[1] + std::to_string(f.doc.table.Row(1).sortKey), "0    m0");
}

TEST(CoordinateDegrees, ReadsEveryStoredDecimalTextAsTheFullReaderDoes) {
  EditFixture f({"a"});
  std::uint32_t seed = 11;
  for (int i = 0; i < 100000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::int64_t units = static_cast<std::int64_t>(seed % 36000001) - 18000000;
    const Text text = FormatUnitsDecimal(units);
    f.doc.table.SetCell(0, kLongitudeColumn, text);
    const auto expected = CoordinateTextToDegrees(text, CoordinateFormat{});
    ASSERT_TRUE(expected.has_value());
    ASSERT_EQ(CoordinateDegrees(f.doc, 0, kLongitudeColumn), expected) << TextToUtf8(text);
  }
  for (const char16_t* text : {u"121.5", u"-.5", u"12.345678", u"E 121.50000", u"1e2"}) {
    f.doc.table.SetCell(0, kLongitudeColumn, text);
    EXPECT_EQ(CoordinateDegrees(f.doc, 0, kLongitudeColumn), CoordinateTextToDegrees(text, CoordinateFormat{}));
  }
}

TEST(SetBaseRow, BasePointModeMeasuresFromTheBaseAdjacentModeFromTheRowBefore) {
  EditFixture f({"base|0|0", "a|0|1", "no latitude|0|", "b|0|0"});
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 0, true);
  EXPECT_EQ(f.doc.baseRow, 0);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "111.3  km", "", "0    m"}));
  std::vector<std::int32_t> keys;
  for (std::size_t row = 0; row < 3; ++row) keys.push_back(f.doc.table.Row(row).sortKey);
  EXPECT_EQ(keys, (std::vector<std::int32_t>{kSortKeyBaseRow, 111319, kDistanceUnavailable}));

  EditFixture g({"a|0|1", "b|0|2", "unlocated||", "c|0|3", "base|0|5", "d|0|6"});
  SetBaseRow(g.context, 4, false);
  EXPECT_EQ(g.Column(kDistanceColumn), (std::vector<std::string>{"", "111.3  km", "", "", "", "111.3  km"}));
  EXPECT_EQ(g.doc.table.Row(0).sortKey, 445277);  // the sort keys are still the distances to the base point
}

// A large table is measured in shares (on two threads where there are two processors);
// every row must come out as it does measured on its own, at the shares' edges too, where
// the row before may lack a coordinate.
TEST(SetBaseRow, ALargeTableMeasuresAsEachRowOnItsOwn) {
  std::vector<std::string> rows;
  std::uint32_t seed = 5;
  for (int i = 0; i < 50000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const bool unlocated = seed % 97 == 0 || i == 16383 || i == 32767;
    rows.push_back("r|" + std::to_string(static_cast<int>(seed % 360) - 180) + "." + std::to_string(seed % 7) + "|" +
                   (unlocated ? "" : std::to_string(static_cast<int>((seed >> 12) % 180) - 90) + ".25"));
  }
  EditFixture f(rows);
  for (int adjacent : {0, 1}) {
    f.doc.settings.adjacentDistance = adjacent;
    SetBaseRow(f.context, 7, false);
    const std::vector<std::string> texts = f.Column(kDistanceColumn);
    std::vector<std::int32_t> keys;
    for (std::size_t row = 0; row < rows.size(); ++row) keys.push_back(f.doc.table.Row(row).sortKey);
    for (std::size_t row = 0; row < rows.size(); ++row) {
      f.doc.table.SetSortKey(row, 0);
      f.doc.table.SetCell(row, kDistanceColumn, u"?");
      ComputeDistances(f.context, static_cast<long long>(row), false);
      ASSERT_EQ(f.doc.table.Row(row).sortKey, keys[row]) << row;
      ASSERT_EQ(TextToUtf8(f.doc.table.Cell(row, kDistanceColumn)), texts[row]) << row;
    }
    EXPECT_EQ(texts[16384].empty(), adjacent == 1);  // after an unlocated row
  }
}

TEST(SetBaseRow, NoBaseWithoutBothCoordinatesPastTheEndOrWhileTheColumnIsHiddenAndMinusOneFindsTheMarker) {
  EditFixture f({"a|0|", "b|0|1", "c|0|2"});
  SetBaseRow(f.context, 0, false);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "", ""}));
  SetBaseRow(f.context, 5, false);
  EXPECT_EQ(f.doc.baseRow, -1);
  f.doc.settings.Set(Option::ShowDistance, false);
  SetBaseRow(f.context, 1, false);
  EXPECT_EQ(f.doc.baseRow, -1);
  f.doc.settings.Set(Option::ShowDistance, true);
  SetBaseRow(f.context, 1, false);
  f.doc.table.SwapRows(1, 2);  // the marker travels with its row
  f.doc.baseRow = 0;           // whatever it says now
  SetBaseRow(f.context, -1, false);
  EXPECT_EQ(f.doc.baseRow, 2);
}

TEST(UpdateRowDistance, TheEditedRowAndInAdjacentModeTheNext) {
  EditFixture f({"base|0|0", "a|0|1", "b|0|2"});
  SetBaseRow(f.context, 0, false);
  f.doc.table.SetCell(1, kLatitudeColumn, u"0.50000");
  UpdateRowDistance(f.context, 1);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "55.7  km", "167.0  km"}));
  f.doc.table.SetCell(0, kLatitudeColumn, u"3.00000");  // the base itself moved
  UpdateRowDistance(f.context, 0);
  EXPECT_EQ(f.doc.table.Row(1).sortKey, 278298);
}

// ---- 1209 show / hide the Distance column ----

TEST(ShowDistanceColumn, ShowingMakesRowZeroTheBaseWhenItIsLocated) {
  for (const bool located : {true, false}) {
    EditFixture f({located ? "a|0|0" : "a||", "b|0|1", "c|0|2"});
    f.doc.settings.Set(Option::ShowDistance, false);
    ToggleDistanceColumn(f.context);
    EXPECT_TRUE(f.doc.settings.Get(Option::ShowDistance));
    EXPECT_EQ(f.doc.baseRow, located ? 0 : -1);
    EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", located ? "111.3  km" : "", located ? "111.3  km" : ""}));
    Undo(f.context);
    EXPECT_FALSE(f.doc.settings.Get(Option::ShowDistance));
    EXPECT_EQ(f.doc.baseRow, -1);
  }
}

TEST(ShowDistanceColumn, HidingRemovesThePinnedRowAndUndoBringsEverythingBack) {
  EditFixture f({"Home|0|0", "a|0|1", "b|0|2"});
  f.doc.baseRowPinned = true;
  SetBaseRow(f.context, 0, false);
  ToggleDistanceColumn(f.context);
  EXPECT_EQ(f.Rows(), (std::vector<std::string>{"a|0.00000|1.00000|2", "b|0.00000|2.00000|2"}));
  EXPECT_FALSE(f.doc.settings.Get(Option::ShowDistance) || f.doc.baseRowPinned || f.doc.baseRow != -1);
  EXPECT_EQ(f.Selected(), std::vector<std::size_t>{0});  // nothing was selected
  EXPECT_EQ(f.Column(kOrderColumn), (std::vector<std::string>{"1", "2"}));
  Undo(f.context);
  EXPECT_TRUE(f.doc.settings.Get(Option::ShowDistance));
}

// ---- 1210 metric, 1211 / 1212 mode ----

TEST(ToggleMetricUnit, RewritesEveryDistanceAndIsNotUndone) {
  EditFixture f({"a|0|0", "b|0|0.001", "c|0|1"});
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 0, false);
  ToggleMetricUnit(f.context);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "364    ft", "69.2  mi"}));
  EXPECT_EQ(f.map.options, std::vector<int>{11});
  EXPECT_FALSE(f.doc.settings.Get(Option::MetricUnit) || CanUndo(f.doc.journal) || f.doc.document.modified);
  ToggleMetricUnit(f.context);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "111    m", "111.3  km"}));
  EXPECT_EQ(f.map.options, (std::vector<int>{11, 10}));
}

TEST(SetDistanceMode, SwitchesBetweenAdjacentAndBasePoint) {
  EditFixture f({"a|0|0", "b|0|1", "c|0|2"});
  SetBaseRow(f.context, 0, false);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "111.3  km", "111.3  km"}));
  SetDistanceMode(f.context, false);
  EXPECT_EQ(f.doc.settings.adjacentDistance, 0);
  EXPECT_EQ(f.Column(kDistanceColumn), (std::vector<std::string>{"", "111.3  km", "222.6  km"}));
  f.ui.fitted.clear();
  SetDistanceMode(f.context, false);  // already in force
  EXPECT_TRUE(f.ui.fitted.empty());
  f.doc.settings.Set(Option::ShowDistance, false);
  SetDistanceMode(f.context, true);  // greyed while hidden
  EXPECT_EQ(f.doc.settings.adjacentDistance, 0);
}

}  // namespace
}  // namespace wayloom
