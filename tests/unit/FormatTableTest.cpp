// What every format of the format table shares, run for each format that has the reader
// or writer in question: a write reads back the same rows, the pinned base row and the
// selection, disk errors, long names, import, short data, and the real-world sample files.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ItnFormat.h"
#include "platform/posix/IconvTextCodec.h"

namespace wayloom {
namespace {

using testing::Lines;
using testing::ReadBytesAs;
using testing::Rows;
using testing::ScriptedUi;
using testing::WriteAs;

// ANSI delimited text in a UTF-8 code page, so that every name survives.
const IconvTextCodec kUtf8System(kUtf8CodePage);

std::vector<int> Writable() {
  std::vector<int> formats;
  for (int i = 0; i < kFormatCount; ++i)
    if (GetFileFormat(i).writer) formats.push_back(i);
  return formats;
}

// What a format gives back of rows: KML, GPX and OV2 keep no status (OV2 POIs are
// destinations) and no row without both coordinates.
Lines Kept(int format, const Lines& rows) {
  if (format != 2 && format != 3 && format != kGpxRouteFormat && format != kOv2Format) return rows;
  Lines kept;
  for (std::string row : rows) {
    row.back() = format == kOv2Format ? '2' : '0';
    if (row.find("||") == std::string::npos) kept.push_back(row);
  }
  return kept;
}

Lines ReadBack(int format, const DocumentState& doc, TransferMode mode = TransferMode::Save) {
  return testing::ReadRowsAs(format, WriteAs(format, doc, mode, &kUtf8System), TransferMode::Open, &kUtf8System).rows;
}

// A leading run of passed rows; markup, a comma, quotes and references in names;
// characters beyond Latin-1 and the Basic Multilingual Plane; a row without latitude.
DocumentState SampleTable() {
  DocumentState doc;
  testing::AddRow(doc, u"Base", u"-179.99999", u"1.000005", 3);
  testing::AddRow(doc, u"\u53F0\u5317 \U0001F600 \u00C5ngstr\u00F6m", u"121.565", u"25.033", 1);
  testing::AddRow(doc, u"Fish & Chips, \"Best\" <Inn 'x'", u"-0.5", u"0", 2);
  testing::AddRow(doc, u"&amp; &#65; &nbsp; <![CDATA[c ]]", u"180", u"-90", 0);
  testing::AddRow(doc, u"No latitude", u"10", u"", 2);
  return doc;
}

TEST(FormatTable, WhatIsWrittenReadsBackAndWritesTheSameBytesInEveryDisplayForm) {
  for (int format : Writable()) {
    for (bool lngFirst : {false, true}) {
      SCOPED_TRACE(format);
      DocumentState doc = SampleTable(), again;
      doc.settings.Set(Option::LngFirst, lngFirst);
      again.settings.Set(Option::LngFirst, lngFirst);
      const std::string bytes = WriteAs(format, doc, TransferMode::Save, &kUtf8System);
      ScriptedUi ui;
      ReadContext context{again, ui, nullptr, &kUtf8System, format};
      ASSERT_EQ(ReadBytesAs(context, bytes), 0);
      EXPECT_EQ(context.format, format);
      EXPECT_EQ(Rows(again), Kept(format, Rows(doc)));
      EXPECT_EQ(WriteAs(format, again, TransferMode::Save, &kUtf8System), bytes);
      // The display form changes nothing in the file.
      ReformatAllCoordinates(doc, CoordinateSwitch::Dms);
      ReformatAllCoordinates(doc, CoordinateSwitch::Compass);
      ASSERT_EQ(doc.table.Cell(3, kLongitudeColumn), u"E 180\u00B0 00' 00.00\"");
      EXPECT_EQ(WriteAs(format, doc, TransferMode::Save, &kUtf8System), bytes);
    }
  }
}

TEST(FormatTable, SaveSkipsThePinnedBaseRowAndExportWritesTheSelection) {
  DocumentState doc = SampleTable();
  doc.baseRowPinned = true;
  doc.table.SetSelected(0, true);
  doc.table.SetSelected(3, true);
  const Lines rows = Rows(doc);
  for (int format : Writable()) {
    EXPECT_EQ(ReadBack(format, doc), Kept(format, Lines(rows.begin() + 1, rows.end()))) << format;
    EXPECT_EQ(ReadBack(format, doc, TransferMode::Export), Kept(format, {rows[0], rows[3]})) << format;
  }
}

TEST(FormatTable, AFailedWriteReportsTheDiskError) {
  const DocumentState doc = SampleTable();
  for (int format : Writable()) {
    testing::MemoryFile file;
    file.fail = true;
    BufferedWriter writer(file);
    WriteContext context{doc, writer, TransferMode::Save, nullptr, &kUtf8System, format};
    EXPECT_EQ(GetFileFormat(format).writer(context), kDiskWriteError) << format;
  }
}

// Names are cut to 255 characters after reading (after unescaping, for KML and GPX).
TEST(FormatTable, LongNamesKeep255Characters) {
  Text markup, wide(270, u'\u53F0');
  while (markup.size() < 270) markup += u"&<&a";
  for (const Text& name : {markup, wide}) {
    DocumentState doc;
    testing::AddRow(doc, name, u"1", u"2");
    const Lines kept = {TextToUtf8(name.substr(0, 255)) + "|1.00000|2.00000|2"};
    for (int format : Writable()) EXPECT_EQ(ReadBack(format, doc), Kept(format, kept)) << format;
  }
}

TEST(FormatTable, ImportSelectsTheNewRowsClearsPassedBitsAndAsksAboutDuplicates) {
  DocumentState file;
  const std::pair<const char16_t*, EntryStatus> rows[] = {{u"b", 3}, {u"a", 1}, {u"a", 3}, {u"a", 0}};
  for (const auto& [name, status] : rows) testing::AddRow(file, name, u"1", u"2", status);
  for (int format : Writable()) {
    SCOPED_TRACE(format);
    DocumentState doc;
    doc.settings.Set(Option::CheckName, true);
    testing::AddRow(doc, u"a", u"3", u"4");
    ScriptedUi ui;
    ui.duplicateAnswers = {kDrop, kKeepAll};
    FileProgress progress(ui, 13109, false);
    ReadContext context{doc, ui, &progress, &kUtf8System, format};
    ASSERT_EQ(ReadBytesAs(context, WriteAs(format, file, TransferMode::Save, &kUtf8System), TransferMode::Import), 0);
    EXPECT_EQ(ui.duplicateQuestions, (Lines{"a", "a"}));
    EXPECT_EQ(doc.document.duplicatesDropped, 1);
    Lines expected = Kept(format, {"b|1.00000|2.00000|2", "a|1.00000|2.00000|2", "a|1.00000|2.00000|0"});
    expected.insert(expected.begin(), "a|3.00000|4.00000|2");
    EXPECT_EQ(Rows(doc), expected);
    EXPECT_EQ(doc.table.SelectedCount(), 3u);
    EXPECT_FALSE(doc.table.Row(0).selected);
    EXPECT_EQ(doc.table.FocusedRow(), 3);
    EXPECT_GE(ui.progress.back(), 95);  // KML and GPX report up to their last element
  }
}

// Handed exactly the bytes of any prefix of a file, without a terminator, a reader stays
// inside them (AddressSanitizer checks the reads) and either reads or reports the content.
TEST(FormatTable, EveryTruncationStaysInsideTheData) {
  for (int format : Writable()) {
    const std::string file = WriteAs(format, SampleTable(), TransferMode::Save, &kUtf8System);
    for (std::size_t size = 0; size <= file.size(); ++size) {
      std::vector<std::uint8_t> buffer(file.begin(), file.begin() + size);
      DocumentState doc;
      ScriptedUi ui;
      ReadContext context{doc, ui, nullptr, &kUtf8System, format};
      const int result = GetFileFormat(format).reader(context, buffer, size, TransferMode::Open);
      EXPECT_TRUE(result == 0 || result == kFileContentProblem) << format << " " << size;
      EXPECT_LE(doc.table.RowCount(), 5u);
    }
  }
}

struct CorpusCase {
  const char* file;
  std::size_t count;
  std::vector<std::pair<std::size_t, const char*>> rows;  // index, "name|lon|lat|status"
  int result = 0;
  const TextCodec* codec = nullptr;  // the system code page of delimited text
};

const CorpusCase kCorpus[] = {
    // Latitude and longitude swapped by its writer: still a valid itinerary.
    {"GPSBabel_gpsbabel/tomtom_itn.itn", 46, {{0, "BELLEVUE|42.43095|-71.10763|0"}}},
    // Latin-1, LF only, "+" signs, statuses 4, 1, 1, 3: 4 reads as 2, which ends the leading run of passed rows.
    {"cpesch_RouteConverter/tomtom-sample-file.itn", 4,
     {{0, "bei D 22959,Linau|10.46348|53.64352|2"}, {2, "bei D 23881,Alt Mölln|10.66082|53.62182|0"},
      {3, "bei D 23847,Steinhorst|10.47504|53.72251|2"}}},
    {"gpsbabel-generated/Lctns_Instinct.itn", 10,
     {{2, "North pole ele2|0.00000|90.00000|0"}, {6, "Händelstraße|13.28755|52.38667|0"}}},
    {"gpsbabel-generated/Lctns_Instinct_places.itn", 10, {{0, "Greenwich ele46|0.00000|51.47726|2"}}},
    {"GPSBabel_gpsbabel/kml-points.kml", 9, {{0, "GCEBB|-87.13470|35.97203|0"}, {8, "GC317D|-86.86728|36.08280|0"}}},
    {"GPSBabel_gpsbabel/earth-gc.kml", 2, {{0, "Points géodésiques du Québec|-73.00000|46.13333|0"}}},
    {"GPSBabel_gpsbabel/xsddatetime.kml", 5, {{4, "dateTime (YYYY-MM-DDThh:mm:sszzzzzz)|-116.86546|36.46085|0"}}},
    {"gpsbabel-generated/Lctns_Instinct.kml", 10,
     {{3, "South pole 2835|0.00000|-90.00000|0"}, {5, "Байкал|107.68591|53.03740|0"}}},
    {"mapbox_togeojson/point.kml", 1, {{0, "Simple placemark|-122.08220|37.42229|0"}}},
    {"mapbox_togeojson/twopoints.kml", 2, {{1, "Simple placemark two|-120.08220|37.42229|0"}}},
    {"mapbox_togeojson/extended_data.kml", 1, {{0, "Extended data placemark|-122.08220|37.42229|0"}}},
    {"mapbox_togeojson/simpledata.kml", 2, {{1, "Difficult trail|-121.99800|37.00780|0"}}},
    // A point with empty coordinates still makes a row.
    {"mapbox_togeojson/addresses.kml", 15, {{0, "In transit|||0"}, {14, "Walking|||0"}}},
    // No point, no name, a self-closing placemark, points in a MultiGeometry.
    {"GPSBabel_gpsbabel/opentracks.kml", 0, {}}, {"mapbox_togeojson/cdata.kml", 0, {}},
    {"mapbox_togeojson/noname.kml", 0, {}},      {"mapbox_togeojson/nogeomplacemark.kml", 0, {}},
    {"mapbox_togeojson/selfclosing.kml", 0, {}}, {"mapbox_togeojson/multigeometry.kml", 0, {}},
    {"GPSBabel_gpsbabel/basecamp.gpx", 2, {{0, "Hwy 119|-105.46585|39.97387|0"}, {1, "Hwy 72|-105.49896|40.00397|0"}}},
    {"cpesch_RouteConverter/from-garmin-basecamp.gpx", 2, {{1, "Hwy 72|-105.49896|40.00397|0"}}},
    {"GPSBabel_gpsbabel/garmincategories.gpx", 2, {{0, "Hwy 119|-105.46585|39.97387|0"}}},
    {"GPSBabel_gpsbabel/expertgps.gpx", 86, {{0, "5066|-71.11928|42.43888|0"}}},
    {"GPSBabel_gpsbabel/garmin_gpi.gpx", 86, {{0, "5058ROAD|-71.12092|42.43999|0"}}},
    {"GPSBabel_gpsbabel/garmin_gpi_encoding.gpx", 1, {{0, "€|4.35000|50.85000|0"}}},
    {"GPSBabel_gpsbabel/Lctns_Instinct.gpx", 10, {{2, "North pole ele2|0.00000|90.00000|0"}}},
    {"GPSBabel_gpsbabel/spb_metro_norm_ru~gpi.gpx", 83, {{1, "РЫБАЦКОЕ|30.50010|59.83066|0"}}},
    {"GPSBabel_gpsbabel/gpxpassthrough10.gpx", 3, {{1, "Turn right at Airport Rd|-116.86546|36.46085|0"}}},
    {"GPSBabel_gpsbabel/GCGCA8_nasty.gpx", 1, {{0, "GCGCA8|-86.86167|35.92167|0"}}},
    {"GPSBabel_gpsbabel/lowrance-utf16-test.gpx", 1, {{0, "Test_Ā_Point|-122.41940|37.77490|0"}}},
    {"GPSBabel_gpsbabel/tomtom.gpx", 54, {{0, "Aebi Frères, Bogis-Bossey|6.17021|46.35438|0"}}},
    {"tkrajina_gpxpy/unicode.gpx", 6, {{0, "šđčćž|14.29490|45.75793|0"}, {5, "VANSHNG LK|14.36133|45.76558|0"}}},
    {"tkrajina_gpxpy/unicode_with_bom.gpx", 1, {{0, "test|3.51539|43.30963|0"}}},
    {"tkrajina_gpxpy/unicode_with_bom_noencoding.gpx", 1, {{0, "bom noencoding ő|0.10000|0.10000|0"}}},
    // The second waypoint has no name: it is passed over.
    {"tkrajina_gpxpy/gpx1.0_with_all_fields.gpx", 1, {{0, "example name|45.60000|12.30000|0"}}},
    {"tkrajina_gpxpy/gpx1.1_with_all_fields.gpx", 1, {{0, "example name|45.60000|12.30000|0"}}},
    // No waypoint, or (wpt.gpx) forty waypoints, none named.
    {"tkrajina_gpxpy/gpx1.1_with_extensions.gpx", 0, {}}, {"tkrajina_gpxpy/gpx_with_garmin_extension.gpx", 0, {}},
    {"mapbox_togeojson/wpt.gpx", 0, {}},
    // No waypoint but a route: its points, as the scripted question answers.
    {"tkrajina_gpxpy/route.gpx", 55, {{0, "#001|13.72670|45.27876|0"}, {54, "#055|13.72666|45.27878|0"}}},
    // The self-closing second waypoint ends the read.
    {"mapbox_togeojson/gdal.gpx", 1, {{0, "waypoint name|1.00000|0.00000|0"}}, kFileContentProblem},
    {"GPSBabel_gpsbabel/garmin_gpi.gpi", 86, {{0, "5058ROAD|-71.12092|42.43999|2"}, {85, "SOAPBOX|-71.10748|42.45596|2"}}},
    // The last POI ends 32 bytes or less before the file end.
    {"GPSBabel_gpsbabel/garmin_gpi_category~gpx.gpi", 86, {{85, "SOAPBOX|-71.10748|42.45596|2"}}},
    {"GPSBabel_gpsbabel/garmin_gpi_encoding.gpi", 1, {{0, "€|4.35000|50.85000|2"}}},
    {"GPSBabel_gpsbabel/garmin_gpi_position~gpx.gpi", 86, {{85, "SOAPBOX|-71.10748|42.45596|2"}}},
    {"GPSBabel_gpsbabel/gpi_ext-sample.gpi", 9, {{0, "3|12.43389|50.87734|2"}, {8, "NARVA|12.10545|50.49262|2"}}},
    {"GPSBabel_gpsbabel/gpispeed.gpi", 1, {{0, "point0|9.83402|49.79469|2"}}},
    // POI Loader files: UTF-8 with the EN name second, and German names only.
    {"GPSBabel_gpsbabel/spb_metro_norm.gpi", 83,
     {{0, "About Saint-Petersburg Metro - 2016.05|30.30668|59.94407|2"}, {82, "SPORTIVNAYA-2|30.28350|59.94763|2"}}},
    {"GPSBabel_gpsbabel/umsonstdraussen.gpi", 0, {}},
    // Four prologue lines with fewer than three fields; cp1252 names; no status field.
    {"gpsbabel-generated/Lctns_Instinct.asc", 10,
     {{0, "Greenwich ele46|0.00000|51.47726|2"}, {5, "??????|107.68591|53.03740|2"}, {6, "Händelstraße|13.28755|52.38667|2"}}},
    {"GPSBabel_gpsbabel/tomtom_poi.asc", 86, {{0, "5066|-71.11928|42.43888|2"}, {1, "5067|-71.11969|42.43923|2"}}},
    // unicsv: the header is a row; the third column (longitude) is the name.
    {"gpsbabel-generated/Lctns_Instinct.csv", 11, {{0, "Longitude|||2"}, {1, "0.000001|1.00000|51.47726|2"}}},
    // UTF-8 without a mark, read with UTF-8 as the system code page.
    {"gpsbabel-generated/Lctns_Instinct_garmin_poi.csv", 10,
     {{5, "Байкал|107.68591|53.03740|2"}, {7, "בית לחם|35.19556|31.70306|2"}, {9, "Θέατρο|20.98391|39.16106|2"}},
     0, &kUtf8System},
    // The 363-character line is cut; the quoted name column is the status field.
    {"GPSBabel_gpsbabel/libreoffice.csv", 2, {{1, "-105.2705|1.00000|40.01500|2"}}},
    {"GPSBabel_gpsbabel/unidelim.csv", 2, {{0, "foo; bar;|||2"}, {1, "this|41.90270|12.49624|2"}}},
    {"GPSBabel_gpsbabel/grapheme.csv", 4, {{1, "9.9534||49.79130|2"}}},
    // Latin-1 names under a tree of skippers.
    {"GPSBabel_gpsbabel/tomtom.ov2", 54,
     {{0, "Aebi Frères, Bogis-Bossey|6.17021|46.35438|2"}, {53, "Trocknungsge.Eiken|7.99154|47.54497|2"}}},
    {"Akiat_TomTomRecordsModifier/MapSettings.cfg", 2,
     {{0, "De Maten 6, Kampen|5.91530|52.54197|2"}, {1, "Johan De Wittlaan 16, Den Haag|4.28615|52.08791|2"}}},
};

// Every sample file reads as its extension says (MapSettings.cfg as the device
// favourites), and what it gave, saved in the format a save would choose, reads back the same.
TEST(FormatTable, RealWorldFiles) {
  const auto corpus = testing::SharedDir() / "corpus";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no sample files";
  std::size_t checked = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(corpus)) {
    const std::string extension = entry.path().extension().string();
    if (!entry.is_regular_file() || extension.size() < 2 || extension == ".md") continue;
    const std::string file = std::filesystem::relative(entry.path(), corpus).string();
    SCOPED_TRACE(file);
    const CorpusCase* expected = nullptr;
    for (const CorpusCase& c : kCorpus)
      if (file == c.file) expected = &c;
    const int format = extension == ".cfg" ? 0 : FormatForOpening(Utf8ToText(extension.substr(1)));
    DocumentState doc;
    ScriptedUi ui;
    ReadContext context{doc, ui, nullptr, expected ? expected->codec : nullptr, format};
    EXPECT_EQ(ReadBytesAs(context, testing::ReadBytes(entry.path())), expected ? expected->result : 0);
    const Lines rows = Rows(doc);
    if (expected) {
      ++checked;
      ASSERT_EQ(rows.size(), expected->count);
      for (const auto& [index, row] : expected->rows) EXPECT_EQ(rows[index], row);
    }
    const int written = GetFileFormat(context.format).writer ? context.format : kItnFormat;
    EXPECT_EQ(ReadBack(written, doc), Kept(written, rows));
  }
  EXPECT_EQ(checked, std::size(kCorpus));
}

}  // namespace
}  // namespace wayloom
