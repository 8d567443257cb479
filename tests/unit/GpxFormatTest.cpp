#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/RowOperations.h"
#include "formats/GpxFormat.h"
#include "formats/ItnFormat.h"

namespace wayloom {
namespace {

using testing::Rows;
using testing::MemoryFile;
using testing::ReadResultRows;
using testing::ScriptedUi;
using Lines = std::vector<std::string>;

constexpr std::uint8_t kTerminator[] = {0, 0};

int Read(DocumentState& doc, ScriptedUi& ui, const std::string& bytes, TransferMode mode = TransferMode::Open) {
  return testing::ReadBytesWith(ReadGpx, doc, ui, bytes, kTerminator, mode);
}

ReadResultRows ReadAll(const std::string& bytes) {
  return testing::ReadRowsWith(ReadGpx, bytes, kTerminator);
}

std::string Waypoint(const std::string& lat, const std::string& lon, const std::string& name) {
  return "<wpt lat=\"" + lat + "\" lon=\"" + lon + "\">\r\n<name>" + name + "</name>\r\n</wpt>\r\n";
}

std::string Write(const DocumentState& doc, TransferMode mode = TransferMode::Save) {
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode};
  EXPECT_EQ(WriteGpx(context), 0);
  return file.bytes;
}

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
    "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n";
const std::string kFooter = "</gpx>\r\n";

DocumentState SampleTable() {
  DocumentState doc;
  const char16_t* rows[][3] = {{u"Taipei 101", u"121.565", u"25.033"},
                               {u"Fish & Chips <\"Best\"> 'Inn'", u"-0.5", u"0"},
                               {u"No longitude", u"", u"10"},
                               {u"\u53F0\u5317 \U0001F600", u"180", u"-89.999996"}};
  for (const auto& row : rows) {
    const std::size_t index = InsertRowRecorded(doc, SIZE_MAX, row[0], 2, false);
    SetCoordinateFromText(doc, index, Axis::Longitude, row[1], CoordinateSource::Degrees);
    SetCoordinateFromText(doc, index, Axis::Latitude, row[2], CoordinateSource::Degrees);
  }
  return doc;
}

TEST(WriteGpx, ByteExactFile) {
  DocumentState doc = SampleTable();
  const std::string expected = kHeader + Waypoint("25.03300", "121.56500", "Taipei 101") +
                               Waypoint("0.00000", "-0.50000", "Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'") +
                               Waypoint("-90.00000", "180.00000", "\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80") +
                               kFooter;
  EXPECT_EQ(Write(doc), expected);
  ReformatAllCoordinates(doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(doc, CoordinateSwitch::Compass);
  EXPECT_EQ(Write(doc), expected);
  EXPECT_EQ(Write(DocumentState()), kHeader + kFooter);
}

TEST(WriteGpx, SaveSkipsThePinnedBaseRowExportWritesTheSelectionFailuresReport) {
  DocumentState doc = SampleTable();
  doc.baseRowPinned = true;
  doc.table.SetSelected(0, true);
  doc.table.SetSelected(2, true);
  EXPECT_EQ(Write(doc), kHeader + Waypoint("0.00000", "-0.50000", "Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'") +
                            Waypoint("-90.00000", "180.00000", "\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80") + kFooter);
  EXPECT_EQ(Write(doc, TransferMode::Export), kHeader + Waypoint("25.03300", "121.56500", "Taipei 101") + kFooter);

  MemoryFile file;
  file.fail = true;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, TransferMode::Save};
  EXPECT_EQ(WriteGpx(context), kDiskWriteError);
}

TEST(WriteGpx, RoundTripKeepsNamesAndCoordinates) {
  DocumentState doc;
  const char16_t* names[] = {u"Fish & Chips <\"Best\" 'Inn'", u"&lt;b&gt; &#65;", u"\u00C5ngstr\u00F6m",
                             u"\u53F0\u5317 \U0001F600"};
  for (const char16_t* name : names) {
    const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, name, 3, false);
    SetCoordinateFromText(doc, row, Axis::Longitude, u"-12.345678", CoordinateSource::Degrees);
    SetCoordinateFromText(doc, row, Axis::Latitude, u"89.99999", CoordinateSource::Degrees);
  }
  const std::string bytes = Write(doc);
  DocumentState again;
  ScriptedUi ui;
  ASSERT_EQ(Read(again, ui, bytes), 0);
  Lines expected = Rows(doc);
  for (std::string& row : expected) row.back() = '0';  // GPX keeps no status
  EXPECT_EQ(Rows(again), expected);
  EXPECT_EQ(Write(again), bytes);
}

TEST(ReadGpx, WaypointTags) {
  const struct {
    const char* what;
    std::string file;
    Lines rows;
  } cases[] = {
      {"either attribute order, any case, spaces around '='",
       "<gpx><wpt lon=\"121.5\" lat=\"25\"><name>a</name></wpt><WPT  LAT = \"1\"LON=\"2\"><NAME>b</NAME></WPT></gpx>",
       {"a|121.50000|25.00000|0", "b|2.00000|1.00000|0"}},
      {"a later value replaces the earlier", "<wpt lat=\"1\" lon=\"2\" lat=\"3\"><name>c</name></wpt>",
       {"c|2.00000|3.00000|0"}},
      {"other elements and tags not followed by a space are passed over",
       "<rtept lat=\"1\" lon=\"1\"><name>r</name></rtept><trkpt lat=\"1\" lon=\"1\"></trkpt>"
       "<wpt\nlat=\"1\" lon=\"1\"><name>n</name></wpt><wpt\tlat=\"1\"><wpts x=\"\">" +
           Waypoint("5", "6", "d"),
       {"d|6.00000|5.00000|0"}},
      {"references and CDATA",
       Waypoint("1", "1", "&lt;b&gt;") + Waypoint("1", "1", "A &amp; B &#38; &nbsp;C") +
           Waypoint("1", "1", "<![CDATA[x & y]]>"),
       {"<b|1.00000|1.00000|0", "A & B &#38;  C|1.00000|1.00000|0", "x & y|1.00000|1.00000|0"}},
      {"values that are no coordinates",
       Waypoint("91", "-181", "out") + Waypoint("x", "", "text") + Waypoint(" 0 ", "1e1", "zero"),
       {"out|||0", "text|||0", "zero|10.00000|0.00000|0"}},
      {"waypoints without a name or with a blank one are skipped",
       "<wpt lat=\"1\" lon=\"1\"></wpt><wpt lat=\"1\" lon=\"1\"><ele>1</ele></wpt>" + Waypoint("1", "1", " \r\n ") +
           Waypoint("2", "2", "e") + "<rte><name>route</name></rte>",
       {"e|2.00000|2.00000|0"}},
      {"no waypoint", "<?xml version=\"1.0\"?><gpx><rte><name>x</name></rte></gpx>", {}},
  };
  for (const auto& c : cases) {
    const auto read = ReadAll(c.file);
    EXPECT_EQ(read.result, 0) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
}

TEST(ReadGpx, StructuralFaultsEndTheReadAndKeepEarlierRows) {
  const std::string kept = Waypoint("1", "2", "Kept");
  for (const std::string bad : {
           "<wpt lat=\"1\" lon=\"2\" id=\"3\"><name>x</name></wpt>",  // another attribute
           "<wpt lat=\"1\" lon=\"2\"/>",                               // self-closing
           "<wpt lat='1' lon='2'><name>x</name></wpt>",               // apostrophes
           "<wpt lat=\"1\"\n lon=\"2\"><name>x</name></wpt>",         // line break between attributes
           "<wpt lat=\"1\" lon=\"2\" ><name>x</name></wpt>",          // space before '>'
           "<wpt lat=\"1\"><name>x</name></wpt>",                     // no longitude
           "<wpt lat=\"1\" lon:\"2\"><name>x</name></wpt>",
           "<wpt lat=\"1\" lon=\"2",
           "<wpt ",
           "<wpt lat=\"1\" lon=\"2\"><name>x</name>",
           "<wpt lat=\"1\" lon=\"2\"><name>x</nam"}) {
    const auto read = ReadAll(kept + bad);
    EXPECT_EQ(read.result, kFileContentProblem) << bad;
    EXPECT_EQ(read.rows, Lines{"Kept|2.00000|1.00000|0"}) << bad;
  }
}

TEST(ReadGpx, LongNamesAreCutAfterUnescaping) {
  std::string name;
  for (int i = 0; i < 300; ++i) name += "&quot;";
  const auto read = ReadAll(Waypoint("1", "1", name));
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0], std::string(255, '"') + "|1.00000|1.00000|0");
}

TEST(ReadGpx, EveryTruncationStaysInsideTheData) {
  const std::string file = kHeader + Waypoint("25.5", "-121", "\xF0\x9F\x98\x80 &amp;") + kFooter;
  for (std::size_t size = 0; size <= file.size(); ++size) {
    std::vector<std::uint8_t> buffer(file.begin(), file.begin() + size);
    DocumentState doc;
    ScriptedUi ui;
    ReadContext context{doc, ui, nullptr};
    const int result = ReadGpx(context, buffer, buffer.size(), TransferMode::Import);
    EXPECT_TRUE(result == 0 || result == kFileContentProblem);
    EXPECT_LE(doc.table.RowCount(), 1u);
  }
}

TEST(ReadGpx, RealWorldFiles) {
  if (!std::filesystem::exists(testing::SharedDir() / "corpus")) GTEST_SKIP() << "no sample files";
  const struct {
    const char* file;
    int result;
    std::size_t rowCount;
    std::vector<std::pair<std::size_t, std::string>> rows;
  } cases[] = {
      {"GPSBabel_gpsbabel/basecamp.gpx", 0, 2,
       {{0, "Hwy 119|-105.46585|39.97387|0"}, {1, "Hwy 72|-105.49896|40.00397|0"}}},
      {"cpesch_RouteConverter/from-garmin-basecamp.gpx", 0, 2, {{1, "Hwy 72|-105.49896|40.00397|0"}}},
      {"GPSBabel_gpsbabel/garmincategories.gpx", 0, 2, {{0, "Hwy 119|-105.46585|39.97387|0"}}},
      {"GPSBabel_gpsbabel/expertgps.gpx", 0, 86, {{0, "5066|-71.11928|42.43888|0"}}},
      {"GPSBabel_gpsbabel/garmin_gpi.gpx", 0, 86, {{0, "5058ROAD|-71.12092|42.43999|0"}}},
      {"GPSBabel_gpsbabel/garmin_gpi_encoding.gpx", 0, 1, {{0, "\xE2\x82\xAC|4.35000|50.85000|0"}}},
      {"GPSBabel_gpsbabel/Lctns_Instinct.gpx", 0, 10,
       {{0, "Greenwich ele46|0.00000|51.47726|0"}, {2, "North pole ele2|0.00000|90.00000|0"}}},
      {"GPSBabel_gpsbabel/spb_metro_norm_ru~gpi.gpx", 0, 83,
       {{1, "\xD0\xA0\xD0\xAB\xD0\x91\xD0\x90\xD0\xA6\xD0\x9A\xD0\x9E\xD0\x95|30.50010|59.83066|0"}}},
      {"GPSBabel_gpsbabel/gpxpassthrough10.gpx", 0, 3, {{1, "Turn right at Airport Rd|-116.86546|36.46085|0"}}},
      {"GPSBabel_gpsbabel/GCGCA8_nasty.gpx", 0, 1, {{0, "GCGCA8|-86.86167|35.92167|0"}}},
      {"GPSBabel_gpsbabel/lowrance-utf16-test.gpx", 0, 1, {{0, "Test_\xC4\x80_Point|-122.41940|37.77490|0"}}},
      {"GPSBabel_gpsbabel/tomtom.gpx", 0, 54, {{0, "Aebi Fr\xC3\xA8res, Bogis-Bossey|6.17021|46.35438|0"}}},
      {"tkrajina_gpxpy/unicode.gpx", 0, 6,
       {{0, "\xC5\xA1\xC4\x91\xC4\x8D\xC4\x87\xC5\xBE|14.29490|45.75793|0"}, {5, "VANSHNG LK|14.36133|45.76558|0"}}},
      {"tkrajina_gpxpy/unicode_with_bom.gpx", 0, 1, {{0, "test|3.51539|43.30963|0"}}},
      {"tkrajina_gpxpy/unicode_with_bom_noencoding.gpx", 0, 1, {{0, "bom noencoding \xC5\x91|0.10000|0.10000|0"}}},
      // The second waypoint has no name: it is passed over.
      {"tkrajina_gpxpy/gpx1.0_with_all_fields.gpx", 0, 1, {{0, "example name|45.60000|12.30000|0"}}},
      {"tkrajina_gpxpy/gpx1.1_with_all_fields.gpx", 0, 1, {{0, "example name|45.60000|12.30000|0"}}},
      {"tkrajina_gpxpy/gpx1.1_with_extensions.gpx", 0, 0, {}},
      {"tkrajina_gpxpy/gpx_with_garmin_extension.gpx", 0, 0, {}},
      {"tkrajina_gpxpy/route.gpx", 0, 0, {}},
      {"mapbox_togeojson/wpt.gpx", 0, 0, {}},  // forty waypoints, none named
      // The self-closing second waypoint ends the read.
      {"mapbox_togeojson/gdal.gpx", kFileContentProblem, 1, {{0, "waypoint name|1.00000|0.00000|0"}}},
  };
  for (const auto& c : cases) {
    DocumentState doc;
    ScriptedUi ui;
    EXPECT_EQ(Read(doc, ui, testing::ReadBytes(testing::SharedDir() / "corpus" / c.file)), c.result) << c.file;
    const Lines rows = Rows(doc);
    ASSERT_EQ(rows.size(), c.rowCount) << c.file;
    for (const auto& [index, row] : c.rows) EXPECT_EQ(rows[index], row) << c.file;
  }
}

}  // namespace
}  // namespace wayloom
