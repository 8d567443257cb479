#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::EditFixture;

// ---- the portable name order ----

TEST(PortableCollation, LogicalAndLocaleOrders) {
  // a, b and the sign of the logical comparison, then of the locale one (9: not compared).
  const struct { const char *a, *b; int logical, locale; } cases[] = {
      {"Stop 2", "Stop 10", -1, 1}, {"Stop 10", "Stop 9", 1, 9}, {"abc", "ABC", 0, -1}, {"ABC", "abc", 0, 1},
      {"Stop 007", "stop 7", 0, 9}, {"a2b", "a2c", -1, 9}, {"abc", "abcd", -1, 9}, {"ABC", "abd", -1, -1},
      {"123456789012345678901", "123456789012345678902", -1, 9},  // beyond 64 bits
      {"9", "a", -1, 9}, {"1x", "-x", -1, 9},  // digits before letters and before anything else
      {"ÄRGER", "ärger", 0, 9}, {"台中", "台北", -1, 9}, {"Taipei", "Taipei", 0, 0}, {"abc", "abd", -1, -1}};
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  const PortableCollation collation;
  for (const auto& c : cases) {
    EXPECT_EQ(sign(collation.CompareLogical(Utf8ToText(c.a), Utf8ToText(c.b))), c.logical) << c.a << " / " << c.b;
    if (c.locale != 9) {
      EXPECT_EQ(sign(collation.CompareLocale(Utf8ToText(c.a), Utf8ToText(c.b))), c.locale) << c.a;
    }
  }
}

TEST(PortableCollation, PrefixesAgreeWithTheLogicalOrderWhereTheyDiffer) {
  const char16_t alphabet[] = u"0019aAbFZz _-.\u00e4\u00c4\u00e9\u53f0\u5317\u865f";
  std::uint32_t seed = 3;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 10;
  };
  PortableCollation collation;
  int decided = 0;
  for (int i = 0; i < 200000; ++i) {
    Text a, b;
    for (Text* text : {&a, &b}) {
      const std::size_t length = next() % 12;
      for (std::size_t k = 0; k < length; ++k) text->push_back(alphabet[next() % (std::size(alphabet) - 1)]);
    }
    if (next() % 2) b = a.substr(0, next() % (a.size() + 1)) + b;  // often a common start
    if (next() % 4 == 0) {  // a long common start: the prefix runs out inside the names
      Text start;
      for (std::size_t length = 8 + next() % 24; start.size() < length;)
        start.push_back(alphabet[next() % (std::size(alphabet) - 1)]);
      a = start + a;
      b = start + b;
    }
    const CollationPrefix prefixA = collation.LogicalPrefix(a), prefixB = collation.LogicalPrefix(b);
    if (prefixA == prefixB) continue;
    ++decided;
    const int logical = collation.CompareLogical(a, b);
    ASSERT_EQ(prefixA < prefixB, logical < 0) << TextToUtf8(a) << " / " << TextToUtf8(b);
    ASSERT_NE(logical, 0) << TextToUtf8(a) << " / " << TextToUtf8(b);
  }
  EXPECT_GT(decided, 100000);
  // Long digit runs and long texts stop the prefix without misleading it.
  EXPECT_LT(collation.LogicalPrefix(u"0"), collation.LogicalPrefix(std::u16string(40, u'9')));
  EXPECT_EQ(collation.LogicalPrefix(u"Stop 12345678901, then a long way round to a"),
            collation.LogicalPrefix(u"Stop 12345678901, then a long way round to b"));
}

// ---- sorting ----

TEST(SortTable, NamesAlikeBeyondThePrefixStillSortInLogicalOrder) {
  EditFixture f({"台北市信義區松高路1號", "台北市信義區松高路1F", std::string(23, 'a') + "é", std::string(23, 'a') + "z"});
  SortNames(f.context, true);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{std::string(23, 'a') + "z", std::string(23, 'a') + "é",
                                                 "台北市信義區松高路1F", "台北市信義區松高路1號"}));
}

TEST(SortTable, NamesInLogicalOrderWithCaseDecidingTies) {
  EditFixture f({"Stop 10", "ABC", "Stop 2", "abd", "abc", "Stop 1"});
  SortNames(f.context, true);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"abc", "ABC", "abd", "Stop 1", "Stop 2", "Stop 10"}));
  EXPECT_EQ(f.ui.statusTexts.back(), "正在排序行程的資料...");
  EXPECT_EQ((std::tuple(f.ui.arrowColumn, f.ui.arrowAscending, f.doc.document.modified, f.map.syncs)),
            (std::tuple<int, bool, bool, int>(kNameColumn, true, true, 1)));
  SortNames(f.context, false);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"Stop 10", "Stop 2", "Stop 1", "abd", "ABC", "abc"}));
  EXPECT_EQ(f.ui.releasedButtons, (std::vector<int>{1043, 1044}));
  EXPECT_FALSE(f.ui.arrowAscending);
}

TEST(SortTable, ALargeTableEndsInOrderWithEqualNamesInTheirOldOrder) {
  EditFixture f;
  std::vector<std::string> rows;
  std::uint32_t seed = 7;
  const char* const prefixes[] = {"Stop ", "stop ", "Hotel ", "", "View "};
  for (int i = 0; i < 50000; ++i) {
    seed = seed * 1103515245u + 12345u;
    // The latitude remembers where the row was: i / 1000 degrees.
    char latitude[16];
    std::snprintf(latitude, sizeof latitude, "%d.%03d", i / 1000, i % 1000);
    rows.push_back(prefixes[(seed >> 8) % 5] + std::to_string((seed >> 12) % 3000) + "|1|" + latitude);
  }
  f.Load(rows);
  auto oldIndex = [&](std::size_t row) {
    return static_cast<long long>(CoordinateDegrees(f.doc, row, kLatitudeColumn).value_or(-1) * 1000 + 0.5);
  };
  for (bool ascending : {true, false}) {
    SortNames(f.context, ascending);
    for (std::size_t row = 0; row + 1 < f.doc.table.RowCount(); ++row) {
      const TextView a = f.doc.table.Row(row).Name(), b = f.doc.table.Row(row + 1).Name();
      int order = f.collation.CompareLogical(a, b);
      if (order == 0) order = f.collation.CompareLocale(a, b);
      if (!ascending) order = -order;
      ASSERT_LE(order, 0) << row;
      if (order == 0) {
        ASSERT_LT(oldIndex(row), oldIndex(row + 1)) << row;
      }
    }
    Undo(f.context);
    ASSERT_EQ(oldIndex(0) + oldIndex(49999), 49999);
  }
}

std::vector<std::string> Sorted(EditFixture& f, int column, bool ascending) {
  SortTable(f.context, column, ascending, SortMode::Command);
  return f.Names();
}
using Names = std::vector<std::string>;

TEST(SortTable, CoordinatesAsDegreesWithEmptyTextsFirstAscendingAndLastDescending) {
  EditFixture f({"a|10|1", "b||2", "c|-5|3", "d|2.5|", "e||5"});
  EXPECT_EQ(Sorted(f, kLongitudeColumn, true), (Names{"b", "e", "c", "d", "a"}));
  EXPECT_EQ(Sorted(f, kLongitudeColumn, false), (Names{"a", "d", "c", "b", "e"}));
  EXPECT_EQ(Sorted(f, kLatitudeColumn, true), (Names{"d", "a", "b", "c", "e"}));
  EXPECT_EQ(f.Column(kOrderColumn), (Names{"", "1", "", "2", ""}));
  // Any display form compares as degrees.
  EditFixture g({"east|121.5|0", "west|-121.5|0", "near|0.5|0", "far|-0.25|0"});
  ReformatAllCoordinates(g.doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(g.doc, CoordinateSwitch::Compass);
  EXPECT_EQ(Sorted(g, kLongitudeColumn, true), (Names{"west", "far", "near", "east"}));
}

TEST(SortTable, DistancePutsTheBaseRowFirstInBothDirections) {
  EditFixture f({"far|0|3", "none|0|", "base|0|0", "near|0|1", "mid|0|2"});
  f.doc.settings.adjacentDistance = 0;
  SetBaseRow(f.context, 2, false);
  EXPECT_EQ(Sorted(f, kDistanceColumn, true), (Names{"base", "near", "mid", "far", "none"}));
  EXPECT_EQ(Sorted(f, kDistanceColumn, false), (Names{"base", "none", "far", "mid", "near"}));
  EXPECT_EQ(f.doc.baseRow, 0);
}

TEST(SortTable, ClearsThePassedBitsAndUndoBringsThemBack) {
  EditFixture f({"c|||3", "b|||1", "a|||2", "d|||0"});
  testing::ExpectUndoRedo(f, [&] { SortNames(f.context, true); }, {"a|||2", "b|||0", "c|||2", "d|||0"});
  EXPECT_EQ(f.ui.arrowColumn, kNameColumn);  // shown again by redo
  Undo(f.context);
  EXPECT_EQ(f.ui.arrowColumn, -1);  // no arrow after undo
}

// ---- which column, which direction ----

TEST(HeaderClick, TheCurrentColumnFlipsAnotherColumnKeepsTheDirection) {
  EditFixture f({"b|1|2", "a|2|1", "c|3|3"});
  HeaderClick(f.context, kNameColumn);  // starts as Name, descending: the first click sorts ascending
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"a", "b", "c"}));
  HeaderClick(f.context, kNameColumn);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c", "b", "a"}));
  HeaderClick(f.context, kLongitudeColumn);  // keeps descending
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(f.doc.currentColumn, kLongitudeColumn);
  HeaderClick(f.context, kLongitudeColumn);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"b", "a", "c"}));
  EXPECT_TRUE(f.doc.sortAscending);
}

TEST(HeaderClick, AFirstClickOnAnotherColumnSortsDescendingAndResetRemovesTheArrow) {
  EditFixture f({"a|1|1", "b|3|3", "c|2|2"});
  HeaderClick(f.context, kLatitudeColumn);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"b", "c", "a"}));
  EXPECT_EQ((std::pair(f.ui.arrowColumn, f.ui.arrowAscending)), (std::pair<int, bool>(kLatitudeColumn, false)));
  ResetSortHeader(f.context);  // keeps the direction
  EXPECT_EQ((std::tuple<int, int, bool>(f.ui.arrowColumn, f.doc.currentColumn, f.doc.sortAscending)),
            (std::tuple<int, int, bool>(-1, kNameColumn, false)));
}

TEST(HeaderClick, IgnoredClicks) {
  EditFixture f({"b|1|1", "a|2|2"});
  HeaderClick(f.context, kDistanceColumn);  // no base row
  f.doc.baseRowPinned = true;  // one row besides the pinned one
  HeaderClick(f.context, kNameColumn);
  EXPECT_EQ(f.Names(), (std::vector<std::string>{"b", "a"}));
  EXPECT_FALSE(CanUndo(f.doc.journal) || !f.ui.statusTexts.empty());
}

TEST(SortCurrentColumn, SortsTheColumnLastChosen) {
  EditFixture f({"a|1|3", "b|3|1", "c|2|2"});
  for (int column : {kLatitudeColumn, kOrderColumn}) {  // the Order column sorts nothing
    f.doc.currentColumn = column;
    SortCurrentColumn(f.context, column == kLatitudeColumn);
    EXPECT_EQ(f.Names(), (Names{"b", "c", "a"}));
  }
}

}  // namespace
}  // namespace wayloom
