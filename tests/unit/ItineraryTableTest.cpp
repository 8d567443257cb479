#include <gtest/gtest.h>

#include <random>
#include <string>

#include "TestSupport.h"
#include "core/RowOperations.h"

namespace wayloom {
namespace {

using testing::Rows;

std::size_t Add(DocumentState& doc, const char16_t* name, std::size_t index = SIZE_MAX) {
  return InsertRowRecorded(doc, index, name, 2, false);
}

TEST(RenumberOrder, CountsOnlyRowsWithBothCoordinates) {
  DocumentState doc;
  testing::AddRow(doc, u"a", u"1", u"1");
  testing::AddRow(doc, u"b", u"2", u"");  // no latitude
  testing::AddRow(doc, u"c", u"3", u"3");
  testing::AddRow(doc, u"d", u"", u"");
  RenumberOrder(doc.table);
  auto orders = [&] {
    std::vector<Text> out;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i) out.emplace_back(doc.table.Cell(i, kOrderColumn));
    return out;
  };
  EXPECT_EQ(orders(), (std::vector<Text>{u"1", u"", u"2", u""}));
  // Clearing a coordinate takes the row out of the count.
  SetCoordinateFromText(doc, 0, Axis::Latitude, u"x", CoordinateSource::DegreesClearing);
  RenumberOrder(doc.table);
  EXPECT_EQ(orders(), (std::vector<Text>{u"", u"", u"1", u""}));
}

TEST(SetCoordinateFromText, DegreesUnitsAndClearing) {
  DocumentState doc;
  Add(doc, u"row");
  struct Case {
    const char16_t* text;
    CoordinateSource source;
    Axis axis;
    const char16_t* expected;  // the cell afterwards
  } cases[] = {
      {u"180.00001", CoordinateSource::Degrees, Axis::Longitude, u""},
      {u"-180", CoordinateSource::Degrees, Axis::Longitude, u"-180.00000"},
      {u"90.000001", CoordinateSource::Degrees, Axis::Latitude, u"90.00000"},
      {u"-0.000001", CoordinateSource::Degrees, Axis::Latitude, u"0.00000"},
      {u"abc", CoordinateSource::Degrees, Axis::Latitude, u"0.00000"},      // left alone
      {u"abc", CoordinateSource::DegreesClearing, Axis::Latitude, u""},     // cleared
      {u" 2503300 ", CoordinateSource::Units, Axis::Latitude, u"25.03300"},
      {u"0", CoordinateSource::Units, Axis::Latitude, u"0.00000"},
      {u"1e3", CoordinateSource::Degrees, Axis::Latitude, u"0.00000"},      // out of range: unchanged
      {u"99999999999999999999999", CoordinateSource::Units, Axis::Longitude, u"-180.00000"},
  };
  for (const auto& c : cases) {
    SetCoordinateFromText(doc, 0, c.axis, c.text, c.source);
    const int column = c.axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
    EXPECT_EQ(doc.table.Cell(0, column), TextView(c.expected)) << TextToUtf8(c.text);
  }
  doc.settings.Set(Option::CompassDirection, true);
  SetCoordinateFromText(doc, 0, Axis::Latitude, u"-33.86782", CoordinateSource::Degrees);
  EXPECT_EQ(doc.table.Cell(0, kLatitudeColumn), u"S 33.86782");
}

// Readers store most coordinates through an exact whole-unit path; every text must give
// the cell the general rule (CoordinateCellText) gives, in every display form and source.
TEST(SetCoordinateFromText, ExactPathAgreesWithTheGeneralRule) {
  std::vector<std::string> texts = {"0", "-0", "-0.00000", "0.000005", "-0.000005", "180", "180.00001", "-180.00000",
                                    "90.000005", "12.", ".5", "-.5", ".", "-", "", "1.2.3", "+5", " 5", "5 ", "1e2",
                                    "121.50000x", "123456789.12345", "1234567890", "18000000", "-18000001",
                                    "999999999999999", "9000000.5", "00012.34500"};
  std::mt19937 random(5);
  const char* const signs[] = {"", "", "-", "+", " "};
  for (int i = 0; i < 3000; ++i) {
    std::string text = signs[random() % 5];
    for (int k = static_cast<int>(random() % 11); k > 0; --k) text += static_cast<char>('0' + random() % 10);
    if (random() % 2) {
      text += '.';
      for (int k = static_cast<int>(random() % 8); k > 0; --k) text += static_cast<char>('0' + random() % 10);
    }
    if (random() % 20 == 0) text += "x";
    texts.push_back(text);
  }
  DocumentState doc;
  Add(doc, u"row");
  const CoordinateSource sources[] = {CoordinateSource::Degrees, CoordinateSource::Units,
                                      CoordinateSource::DegreesClearing};
  for (const bool dms : {false, true}) {
    for (const bool compass : {false, true}) {
      doc.settings.Set(Option::DmsFormat, dms);
      doc.settings.Set(Option::CompassDirection, compass);
      for (const std::string& bytes : texts) {
        const Text text = AsciiToText(bytes);
        for (const CoordinateSource source : sources) {
          for (const Axis axis : {Axis::Longitude, Axis::Latitude}) {
            const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
            const auto general = CoordinateCellText(text, axis, source == CoordinateSource::Units ? source
                                                                 : CoordinateSource::Degrees, doc.Format());
            const Text expected = general ? *general : source == CoordinateSource::DegreesClearing ? Text() : u"old";
            doc.table.SetCell(0, column, u"old");
            EXPECT_EQ(SetCoordinateFromText(doc, 0, axis, text, source), general.has_value()) << bytes;
            EXPECT_EQ(doc.table.Cell(0, column), expected) << bytes << " dms " << dms << " compass " << compass;
            doc.table.SetCell(0, column, u"old");
            SetCoordinateFromBytes(doc, 0, axis, bytes, source);
            EXPECT_EQ(doc.table.Cell(0, column), expected) << bytes;
          }
        }
      }
    }
  }
  // Whole units as the GPI reader gives them: the same as their decimal text.
  for (const std::int64_t units : std::initializer_list<std::int64_t>{0, -1, 12150000, -9000000, 9000001, -18000000, 18000001}) {
    const auto general = CoordinateCellText(AsciiToText(std::to_string(units)), Axis::Latitude,
                                            CoordinateSource::Units, doc.Format());
    doc.table.SetCell(0, kLatitudeColumn, u"old");
    EXPECT_EQ(SetCoordinateFromUnits(doc, 0, Axis::Latitude, units), general.has_value());
    EXPECT_EQ(doc.table.Cell(0, kLatitudeColumn), general ? TextView(*general) : TextView(u"old")) << units;
  }
}

TEST(FindEntryByName, ExactMatchesThroughEveryKindOfChange) {
  DocumentState doc;
  for (const char16_t* name : {u"Home", u"home", u"Shop", u"Home"}) Add(doc, name);
  EXPECT_EQ(doc.table.FindEntryByName(u"Home"), 0);
  EXPECT_EQ(doc.table.FindEntryByName(u"Home", 0), 3);
  EXPECT_EQ(doc.table.FindEntryByName(u"home"), 1);
  EXPECT_EQ(doc.table.FindEntryByName(u"HOME"), -1);
  EXPECT_EQ(doc.table.FindEntryByName(u"Hom"), -1);
  // Insert in the middle, delete, rename, swap: the lookup follows every change.
  Add(doc, u"Shop", 0);
  EXPECT_EQ(doc.table.FindEntryByName(u"Shop"), 0);
  EXPECT_EQ(doc.table.FindEntryByName(u"Home"), 1);
  DeleteRowRecorded(doc, 1);
  EXPECT_EQ(doc.table.FindEntryByName(u"Home"), 3);
  SetCellRecorded(doc, 0, kNameColumn, u"Market");
  EXPECT_EQ(doc.table.FindEntryByName(u"Shop"), 2);
  EXPECT_EQ(doc.table.FindEntryByName(u"Market"), 0);
  doc.table.SwapRows(0, 3);
  EXPECT_EQ(doc.table.FindEntryByName(u"Market"), 3);
  doc.table.Clear();
  EXPECT_EQ(doc.table.FindEntryByName(u"Market"), -1);
  Add(doc, u"Market");
  EXPECT_EQ(doc.table.FindEntryByName(u"Market"), 0);
}

TEST(ItineraryTable, RowIdsAreStableAndNeverReused) {
  DocumentState doc;
  for (const char16_t* name : {u"a", u"b", u"c"}) Add(doc, name);
  const RowId a = doc.table.Row(0).id, c = doc.table.Row(2).id;
  EXPECT_NE(a, c);
  doc.table.SwapRows(0, 2);
  EXPECT_EQ(doc.table.FindRowById(a), 2);
  DeleteRowRecorded(doc, 1);
  const std::size_t added = Add(doc, u"d");
  const RowId d = doc.table.Row(added).id;
  EXPECT_TRUE(d != a && d != c && d != 0);
  doc.table.Permute({1, 2, 0});
  EXPECT_EQ(Rows(doc), (std::vector<std::string>{"a|||2", "d|||2", "c|||2"}));
  EXPECT_EQ(doc.table.FindRowById(c), 2);
}

// Cell texts of every length, assigned, copied, moved and cleared at random, always read
// back as a plain model of them does: long texts share pooled blocks of a few sizes.
TEST(CellText, TextsOfEveryLengthKeepTheirUnits) {
  std::mt19937 random(15);
  std::vector<CellText> cells(500);
  std::vector<Text> model(cells.size());
  for (int step = 0; step < 20000; ++step) {
    const std::size_t i = random() % cells.size(), j = random() % cells.size();
    switch (random() % 4) {
      case 0: {
        Text text(random() % 300, u'a');
        for (char16_t& unit : text) unit = static_cast<char16_t>(u'a' + random() % 26);
        cells[i].Assign(text);
        model[i] = text;
        break;
      }
      case 1: cells[i] = cells[j]; model[i] = model[j]; break;
      case 2:
        if (i == j) break;
        cells[i] = std::move(cells[j]);
        model[i] = std::move(model[j]);
        model[j].clear();
        break;
      default: cells[i].Clear(); model[i].clear(); break;
    }
  }
  for (std::size_t i = 0; i < cells.size(); ++i) ASSERT_EQ(cells[i].View(), TextView(model[i])) << i;
}

// A coordinate cell keeps units and their display form only when formatting them gives
// back the very text it was given (25 deg 02' is 2503333 units, shown as 01' 59.99");
// any other text is kept as it is. Either way the cell
// reads back exactly what was put in, copied, moved or exchanged.
TEST(CoordinateCell, EveryTextReadsBackExactly) {
  struct Case {
    Axis axis;
    const char16_t* text;
    bool units;
  };
  const Axis lng = Axis::Longitude, lat = Axis::Latitude;
  for (const Case& c : std::initializer_list<Case>{
           {lng, u"121.50000", true}, {lat, u"-0.00001", true}, {lng, u"0.00000", true},
           {lng, u"21474.83647", true}, {lng, u"-21474.83648", true}, {lng, u"21474.83648", false},
           {lng, u"-0.00000", false}, {lng, u"121.5", false}, {lng, u"0121.50000", false}, {lng, u"+1.00000", false},
           {lng, u" 1.00000", false}, {lng, u"1.000000", false}, {lng, u"abc", false}, {lng, u".12345", false},
           {lng, u"E 121.50000", true}, {lat, u"E 121.50000", false}, {lng, u"W 0.00001", true},
           {lat, u"S 33.50000", true}, {lat, u"N 0.00000", true}, {lng, u"E121.50000", false},
           {lng, u"W 0.00000", false}, {lat, u"25\u00B0 30' 00.00\"", true}, {lat, u"25\u00B0 3' 00.00\"", false},
           {lat, u"N 25\u00B0 30' 00.00\"", true}, {lat, u"25\u00B0 02' 00.00\"", false},
           {lng, u"-121\u00B0 30' 00.00\"", true}}) {
    CoordinateCell cell;
    cell.Assign(c.axis, c.text);
    EXPECT_EQ(cell.Value(c.axis), TextView(c.text)) << TextToUtf8(c.text);
    EXPECT_EQ(cell.HasUnits(), c.units) << TextToUtf8(c.text);
    CoordinateCell copy = cell;
    cell.Assign(c.axis, u"1.00000");
    EXPECT_EQ(copy.Value(c.axis), TextView(c.text));
    CoordinateCell moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(moved.Value(c.axis), TextView(c.text));
  }
  // Every form of random units: the text made in place is the display text, and it goes
  // back to the same units.
  std::mt19937 random(7);
  for (int i = 0; i < 4000; ++i) {
    const Axis axis = i % 2 ? lng : lat;
    const std::int64_t limit = AxisLimitUnits(axis);
    const std::int64_t units = static_cast<std::int64_t>(random() % (2 * limit + 1)) - limit;
    const CoordinateFormat format{(i / 2) % 2 == 1, (i / 4) % 2 == 1};
    const Text expected = *FormatCoordinateUnits(axis, static_cast<double>(units), true, format);
    char16_t made[kMaxCoordinateLength];
    ASSERT_EQ(TextView(made, FormatCoordinateInto(axis, units, format, made)), TextView(expected));
    CoordinateCell cell;
    cell.Assign(axis, expected);
    ASSERT_TRUE(cell.HasUnits()) << TextToUtf8(expected);
    EXPECT_EQ(cell.Units(), units);
    EXPECT_EQ(cell.Value(axis), TextView(expected));
  }
}

// The writers' decimal text straight from the units is the one they make of the cell's
// text, whatever form the cell and the document are in.
TEST(CoordinateCell, WritersDecimalsAgreeWithTheText) {
  std::mt19937 random(11);
  const CoordinateFormat forms[] = {{false, false}, {false, true}, {true, false}, {true, true}};
  for (int i = 0; i < 4000; ++i) {
    const Axis axis = i % 2 ? Axis::Longitude : Axis::Latitude;
    const std::int64_t limit = AxisLimitUnits(axis);
    CoordinateCell cell;
    cell.SetUnits(axis, static_cast<std::int64_t>(random() % (2 * limit + 1)) - limit, forms[random() % 4]);
    if (i % 7 == 0) cell.Assign(axis, u"W 12.5");  // kept as text
    for (const CoordinateFormat document : forms) {
      std::string bytes, expectedBytes;
      Text text, expectedText;
      AppendCellDecimal(bytes, cell, axis, document);
      AppendDecimalBytes(expectedBytes, cell.Value(axis), document);
      AppendCellDecimal(text, cell, axis, document);
      AppendDecimalText(expectedText, cell.Value(axis), document);
      ASSERT_EQ(bytes, expectedBytes) << TextToUtf8(cell.Value(axis));
      ASSERT_EQ(text, expectedText);
    }
  }
}

// The table's cells through their columns: coordinates of either kind exchanged with the
// undo journal's texts, and the Order column's numbers.
TEST(ItineraryTable, CellsExchangeTheirTextsWhateverTheirForm) {
  ItineraryTable table;
  table.Insert(0, u"a", 0, false);
  table.SetCell(0, kLongitudeColumn, u"121.50000");
  table.SetCell(0, kLatitudeColumn, u"25 north");
  CellText longitude(u"W 1.00000"), latitude(u"-2.00000");
  table.SwapCell(0, kLongitudeColumn, longitude);
  table.SwapCell(0, kLatitudeColumn, latitude);
  EXPECT_EQ(longitude.View(), u"121.50000");
  EXPECT_EQ(latitude.View(), u"25 north");
  EXPECT_EQ(table.Cell(0, kLongitudeColumn), u"W 1.00000");
  EXPECT_EQ(table.Cell(0, kLatitudeColumn), u"-2.00000");
  table.SwapCell(0, kLatitudeColumn, latitude);
  EXPECT_EQ(latitude.View(), u"-2.00000");
  EXPECT_EQ(table.Cell(0, kLatitudeColumn), u"25 north");
  for (const char16_t* order : {u"1", u"48", u"999999999", u""}) {
    table.SetCell(0, kOrderColumn, order);
    EXPECT_EQ(table.Cell(0, kOrderColumn), TextView(order));
  }
  const CellValue kept = table.Cell(0, kLongitudeColumn);
  const CellValue copy = kept;  // a formatted value copies its own units
  table.SetCell(0, kLongitudeColumn, u"");
  EXPECT_EQ(copy, u"W 1.00000");
}

// Distance texts are kept once for the process: rows with the same text share it, texts
// stay valid while many more are added, and exchanging one with a cell (as undo does)
// gives each side the other's text.
TEST(ItineraryTable, DistanceTextsAreSharedAndSurviveGrowth) {
  ItineraryTable table;
  auto text = [](std::size_t row) { return AsciiToText(std::to_string(row % 3001) + ".5  km"); };
  for (std::size_t row = 0; row < 9000; ++row) {
    table.Insert(row, u"n", 0, false);
    table.SetCell(row, kDistanceColumn, text(row));
  }
  for (std::size_t row = 0; row < 9000; ++row) ASSERT_EQ(table.Cell(row, kDistanceColumn), text(row)) << row;
  EXPECT_EQ(table.Cell(5, kDistanceColumn).data(), table.Cell(3006, kDistanceColumn).data());
  CellText other(u"7    m");
  table.SwapCell(5, kDistanceColumn, other);
  EXPECT_EQ(table.Cell(5, kDistanceColumn), u"7    m");
  EXPECT_EQ(other.View(), u"5.5  km");
  EXPECT_EQ(table.Cell(3006, kDistanceColumn), u"5.5  km");
  table.SetCell(5, kDistanceColumn, u"");
  EXPECT_TRUE(table.Cell(5, kDistanceColumn).empty());
}

TEST(ColumnLayout, DisplayOrderAndDefaults) {
  EXPECT_EQ(ColumnDisplayOrder(false), (std::array<int, kColumnCount>{3, 4, 0, 2, 1}));
  EXPECT_EQ(ColumnDisplayOrder(true), (std::array<int, kColumnCount>{3, 4, 0, 1, 2}));
  EXPECT_EQ(DefaultColumnLayout(kDistanceColumn, false, true).width, 0);
  EXPECT_TRUE(DefaultColumnLayout(kDistanceColumn, true, true).rightAligned);
  EXPECT_FALSE(DefaultColumnLayout(kLatitudeColumn, true, true).rightAligned);
}

TEST(ScrollTopForRow, KeepsVisibleRowsAndCentresOthers) {
  EXPECT_EQ(ScrollTopForRow(5, 100, 0, 20), 0);
  EXPECT_EQ(ScrollTopForRow(50, 100, 0, 20), 40);
  EXPECT_EQ(ScrollTopForRow(3, 100, 50, 20), 0);
  EXPECT_EQ(ScrollTopForRow(500, 100, 0, 20), 89);
  EXPECT_EQ(ScrollTopForRow(-1, 100, 7, 20), 7);
  EXPECT_EQ(ScrollTopForRow(3, 0, 7, 20), 7);
}

}  // namespace
}  // namespace wayloom
