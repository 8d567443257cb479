#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/RowOperations.h"
#include "formats/ItnFormat.h"
#include "formats/KmlFormat.h"

namespace wayloom {
namespace {

using testing::Rows;
using testing::MemoryFile;
using testing::ReadResultRows;
using testing::ScriptedUi;
using Lines = std::vector<std::string>;

constexpr std::uint8_t kTerminator[] = {0, 0};

int Read(DocumentState& doc, ScriptedUi& ui, const std::string& bytes, TransferMode mode = TransferMode::Open) {
  return testing::ReadBytesWith(ReadKml, doc, ui, bytes, kTerminator, mode);
}

ReadResultRows ReadAll(const std::string& bytes) {
  return testing::ReadRowsWith(ReadKml, bytes, kTerminator);
}

std::string Placemark(const std::string& name, const std::string& coordinates) {
  return "<Placemark><name>" + name + "</name><Point><coordinates>" + coordinates +
         "</coordinates></Point></Placemark>\r\n";
}

std::string Write(const DocumentState& doc, TransferMode mode = TransferMode::Save, bool numbered = false,
                  std::size_t* count = nullptr) {
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode};
  context.numberPlacemarks = numbered;
  std::size_t written = 0;
  EXPECT_EQ(WriteKmlCounted(context, written), 0);
  if (count) *count = written;
  return file.bytes;
}

const std::string kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<kml xmlns=\"http://www.opengis.net/kml/2.2\">\r\n<Document>\r\n";
const std::string kFooter = "</Document>\r\n</kml>\r\n";

// Destination Taipei, via point with markup in its name, a row without latitude, a
// passed via point with characters outside the Basic Multilingual Plane.
DocumentState SampleTable() {
  DocumentState doc;
  const std::pair<const char16_t*, EntryStatus> rows[] = {
      {u"Taipei", 2}, {u"Fish & Chips <\"Best\"> 'Inn'", 0}, {u"No latitude", 2}, {u"\u53F0\u5317 \U0001F600", 1}};
  for (const auto& [name, status] : rows) InsertRowRecorded(doc, SIZE_MAX, name, status, false);
  const char16_t* coordinates[][2] = {{u"121.565", u"25.033"}, {u"-0.5", u"0"}, {u"10", u""}, {u"-180", u"-90"}};
  for (std::size_t row = 0; row < 4; ++row) {
    SetCoordinateFromText(doc, row, Axis::Longitude, coordinates[row][0], CoordinateSource::Degrees);
    SetCoordinateFromText(doc, row, Axis::Latitude, coordinates[row][1], CoordinateSource::Degrees);
  }
  return doc;
}

TEST(WriteKml, ByteExactFile) {
  DocumentState doc = SampleTable();
  const std::string expected =
      kHeader + Placemark("Taipei", "121.56500,25.03300") +
      Placemark("Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'", "-0.50000,0.00000") +
      Placemark("\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000") + kFooter;
  EXPECT_EQ(Write(doc), expected);
  // The display form does not change the file.
  ReformatAllCoordinates(doc, CoordinateSwitch::Dms);
  ReformatAllCoordinates(doc, CoordinateSwitch::Compass);
  EXPECT_EQ(Write(doc), expected);
  EXPECT_EQ(Write(DocumentState()), kHeader + kFooter);
}

TEST(WriteKml, GoogleEarthNumbering) {
  DocumentState doc = SampleTable();
  // Nothing selected: every row; numbers stay consecutive over the row without latitude.
  std::size_t count = 0;
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count),
            kHeader + Placemark("#1 Taipei", "121.56500,25.03300") +
                Placemark("#2' Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'", "-0.50000,0.00000") +
                Placemark("#3' \xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000") + kFooter);
  EXPECT_EQ(count, 3u);
  // With a pinned base row and nothing selected, row 0 is left out.
  doc.baseRowPinned = true;
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count),
            kHeader + Placemark("#1' Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'", "-0.50000,0.00000") +
                Placemark("#2' \xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000") + kFooter);
  EXPECT_EQ(count, 2u);
  // A selection is written whole, the pinned row too when it is selected.
  doc.table.SetSelected(0, true);
  doc.table.SetSelected(2, true);
  doc.table.SetSelected(3, true);
  EXPECT_EQ(Write(doc, TransferMode::Export, true, &count),
            kHeader + Placemark("#1 Taipei", "121.56500,25.03300") +
                Placemark("#2' \xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000") + kFooter);
  EXPECT_EQ(count, 2u);
}

TEST(WriteKml, SaveSkipsThePinnedBaseRowExportWritesTheSelectionFailuresReport) {
  DocumentState doc = SampleTable();
  doc.baseRowPinned = true;
  doc.table.SetSelected(0, true);
  EXPECT_EQ(Write(doc), kHeader + Placemark("Fish &amp; Chips &lt;&quot;Best&quot;&gt; 'Inn'", "-0.50000,0.00000") +
                            Placemark("\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80", "-180.00000,-90.00000") +
                            kFooter);
  EXPECT_EQ(Write(doc, TransferMode::Export), kHeader + Placemark("Taipei", "121.56500,25.03300") + kFooter);

  MemoryFile file;
  file.fail = true;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, TransferMode::Save};
  EXPECT_EQ(WriteKml(context), kDiskWriteError);
}

TEST(WriteKml, RoundTripKeepsNamesAndCoordinates) {
  // Table names never hold '>' (it becomes a space on reading), every other character survives.
  DocumentState doc;
  const char16_t* names[] = {u"Fish & Chips <\"Best\" 'Inn'", u"&amp; stays &#65; &nbsp;", u"\u00C5ngstr\u00F6m",
                             u"\u53F0\u5317 \U0001F600", u"a]]b <![CDATA[c"};
  for (const char16_t* name : names) {
    const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, name, 2, false);
    SetCoordinateFromText(doc, row, Axis::Longitude, u"-179.99999", CoordinateSource::Degrees);
    SetCoordinateFromText(doc, row, Axis::Latitude, u"1.000005", CoordinateSource::Degrees);
  }
  const std::string bytes = Write(doc);
  DocumentState again;
  ScriptedUi ui;
  ASSERT_EQ(Read(again, ui, bytes), 0);
  Lines expected = Rows(doc);
  for (std::string& row : expected) row.back() = '0';  // KML keeps no status
  EXPECT_EQ(Rows(again), expected);
  EXPECT_EQ(Write(again), bytes);
}

TEST(ReadKml, TolerantScanning) {
  const struct {
    const char* what;
    std::string file;
    Lines rows;
  } cases[] = {
      {"tags in any case, attributes",
       "<kml><Document><PLACEMARK id=\"a\">\n<NAME>Upper</NAME><point><COORDINATES>1,2</COORDINATES></point>"
       "</placemark></Document></kml>",
       {"Upper|1.00000|2.00000|0"}},
      {"spaces and line breaks, altitude",
       Placemark("Alt", "\n    121.5,25.0,0\n  ") + Placemark("Two", " 1 , 2 ,3 4,5,6"),
       {"Alt|121.50000|25.00000|0", "Two|1.00000|2.00000|0"}},
      {"bad values leave the cells empty",
       Placemark("Bad", "abc,200") + Placemark("One", "5") + Placemark("Empty", "") +
           Placemark("Zeros", "0,-0.000001"),
       {"Bad|||0", "One|5.00000||0", "Empty|||0", "Zeros|0.00000|0.00000|0"}},
      {"references", Placemark("Fish &amp; Chips &#65; a&nbsp;b &amp;lt; &apos;", "1,1"),
       {"Fish & Chips &#65; a b &lt; &apos;|1.00000|1.00000|0"}},
      {"CDATA is literal",
       Placemark("<![CDATA[Fish & <Chips>]]>", "1,1") + Placemark("a &amp; <![CDATA[&amp;]]> b", "1,1") +
           Placemark("<![CDATA[Points g\xC3\xA9od\xC3\xA9siques]]>", "1,1"),
       {"Fish & <Chips|1.00000|1.00000|0", "a & &amp; b|1.00000|1.00000|0",
        "Points g\xC3\xA9od\xC3\xA9siques|1.00000|1.00000|0"}},
      {"blank and control-only names, no point, no name",
       Placemark("  \t ", "1,1") + "<Placemark><name>Line</name><LineString><coordinates>1,2 3,4</coordinates>"
       "</LineString></Placemark><Placemark><Point><coordinates>3,3</coordinates></Point></Placemark>" +
           Placemark("Kept", "2,2") + "<Placemark><description>none</description></Placemark>",
       {"Kept|2.00000|2.00000|0"}},
      {"names end only at character starts",
       Placemark("\xF0\x9F\x98\x80", "1,1") + "<Placemark><name>\xE5</name>x</name><Point><coordinates>1,1"
       "</coordinates></Point></Placemark>",
       {"\xF0\x9F\x98\x80|1.00000|1.00000|0", "\xEF\xBF\xBD</name x|1.00000|1.00000|0"}},
      {"no placemark at all", "<?xml version=\"1.0\"?><kml><Document><name>x</name></Document></kml>", {}},
      {"nothing", "", {}},
  };
  for (const auto& c : cases) {
    const auto read = ReadAll(c.file);
    EXPECT_EQ(read.result, 0) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
}

TEST(ReadKml, LongNamesAreCutAfterUnescaping) {
  // A reference across the 255th character of the escaped text is decoded whole.
  const std::string name = std::string(250, 'a') + "&quot;xyz" + std::string(3000, 'b');
  auto read = ReadAll(Placemark(name, "1,1"));
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0], std::string(250, 'a') + "\"xyzb|1.00000|1.00000|0");
  std::string amps;
  for (int i = 0; i < 2000; ++i) amps += "&amp;";
  read = ReadAll(Placemark(amps, "1,1"));
  ASSERT_EQ(read.rows.size(), 1u);
  EXPECT_EQ(read.rows[0], std::string(255, '&') + "|1.00000|1.00000|0");
}

TEST(ReadKml, StructuralFaultsEndTheReadAndKeepEarlierRows) {
  const std::string kept = Placemark("Kept", "1,2");
  for (const std::string bad : {
           "<Placemark", "<Placemark id=\"x\"", "<Placemark><name>cut", "<Placemark><name>a</name>",
           "<Placemark><name>a</name><Point><coordinates>1,2</coordinates></Point>",
           "<Placemark><name>a</name><Point></Point></Placemark>",
           "<Placemark><name>a</name><Point><coordinates>1,2</Point></Placemark>",
           "<Placemark><name>a</name><Point<coordinates>1,2</coordinates></Placemark>"}) {
    const auto read = ReadAll(kept + bad);
    EXPECT_EQ(read.result, kFileContentProblem) << bad;
    EXPECT_EQ(read.rows, Lines{"Kept|1.00000|2.00000|0"}) << bad;
  }
}

TEST(ReadKml, EveryTruncationStaysInsideTheData) {
  // Handed exactly the bytes, without any terminator (AddressSanitizer checks the reads).
  const std::string file = kHeader + Placemark("\xE5\x8F\xB0 &amp; <![CDATA[x]]>", " 1,2,3 ") + kFooter;
  for (std::size_t size = 0; size <= file.size(); ++size) {
    std::vector<std::uint8_t> buffer(file.begin(), file.begin() + size);
    DocumentState doc;
    ScriptedUi ui;
    ReadContext context{doc, ui, nullptr};
    const int result = ReadKml(context, buffer, buffer.size(), TransferMode::Open);
    EXPECT_TRUE(result == 0 || result == kFileContentProblem);
    EXPECT_LE(doc.table.RowCount(), 1u);
  }
}

TEST(ReadKml, ImportSelectsRowsAndAsksAboutDuplicates) {
  DocumentState doc;
  doc.settings.Set(Option::CheckName, true);
  ScriptedUi ui;
  ui.duplicateAnswers = {kDrop};
  ASSERT_EQ(Read(doc, ui, Placemark("a", "1,1")), 0);
  ASSERT_EQ(Read(doc, ui, Placemark("a", "2,2") + Placemark("b", "3,3"), TransferMode::Import), 0);
  EXPECT_EQ(ui.duplicateQuestions, Lines{"a"});
  EXPECT_EQ(Rows(doc), (Lines{"a|1.00000|1.00000|0", "b|3.00000|3.00000|0"}));
  EXPECT_FALSE(doc.table.Row(0).selected);
  EXPECT_TRUE(doc.table.Row(1).selected);
}

TEST(ReadKml, RealWorldFiles) {
  if (!std::filesystem::exists(testing::SharedDir() / "corpus")) GTEST_SKIP() << "no sample files";
  const struct {
    const char* file;
    std::size_t rowCount;
    std::vector<std::pair<std::size_t, std::string>> rows;
  } cases[] = {
      {"GPSBabel_gpsbabel/kml-points.kml", 9, {{0, "GCEBB|-87.13470|35.97203|0"}, {8, "GC317D|-86.86728|36.08280|0"}}},
      {"GPSBabel_gpsbabel/earth-gc.kml", 2,
       {{0, "Points g\xC3\xA9od\xC3\xA9siques du Qu\xC3\xA9" "bec|-73.00000|46.13333|0"},
        {1, "Oozy rat in a sanitary zoo|-86.86167|35.92167|0"}}},
      {"GPSBabel_gpsbabel/xsddatetime.kml", 5,
       {{0, "gYear (YYYY)|-116.86546|36.46085|0"}, {4, "dateTime (YYYY-MM-DDThh:mm:sszzzzzz)|-116.86546|36.46085|0"}}},
      {"GPSBabel_gpsbabel/opentracks.kml", 0, {}},
      {"gpsbabel-generated/Lctns_Instinct.kml", 10,
       {{0, "Greenwich ele46|0.00000|51.47726|0"}, {2, "North pole ele2|0.00000|90.00000|0"},
        {3, "South pole 2835|0.00000|-90.00000|0"},
        {5, "\xD0\x91\xD0\xB0\xD0\xB9\xD0\xBA\xD0\xB0\xD0\xBB|107.68591|53.03740|0"},
        {6, "H\xC3\xA4ndelstra\xC3\x9F" "e|13.28755|52.38667|0"}}},
      {"mapbox_togeojson/point.kml", 1, {{0, "Simple placemark|-122.08220|37.42229|0"}}},
      {"mapbox_togeojson/twopoints.kml", 2, {{1, "Simple placemark two|-120.08220|37.42229|0"}}},
      {"mapbox_togeojson/extended_data.kml", 1, {{0, "Extended data placemark|-122.08220|37.42229|0"}}},
      {"mapbox_togeojson/simpledata.kml", 2,
       {{0, "Easy trail|-122.00000|37.00200|0"}, {1, "Difficult trail|-121.99800|37.00780|0"}}},
      // A point with empty coordinates still makes a row.
      {"mapbox_togeojson/addresses.kml", 15,
       {{0, "In transit|||0"}, {4, "Lub d - Bangkok Siam|||0"}, {14, "Walking|||0"}}},
      {"mapbox_togeojson/cdata.kml", 0, {}},  // no name
      {"mapbox_togeojson/noname.kml", 0, {}},
      {"mapbox_togeojson/nogeomplacemark.kml", 0, {}},
      {"mapbox_togeojson/selfclosing.kml", 0, {}},
      {"mapbox_togeojson/multigeometry.kml", 0, {}},
  };
  for (const auto& c : cases) {
    DocumentState doc;
    ScriptedUi ui;
    EXPECT_EQ(Read(doc, ui, testing::ReadBytes(testing::SharedDir() / "corpus" / c.file)), 0) << c.file;
    const Lines rows = Rows(doc);
    ASSERT_EQ(rows.size(), c.rowCount) << c.file;
    for (const auto& [index, row] : c.rows) EXPECT_EQ(rows[index], row) << c.file;
  }
}

}  // namespace
}  // namespace wayloom
