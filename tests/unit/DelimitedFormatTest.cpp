#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/DelimitedFormat.h"
#include "formats/FileFormat.h"
#include "platform/posix/IconvTextCodec.h"

namespace wayloom {
namespace {

using testing::Rows;
using testing::MemoryFile;
using testing::ScriptedUi;
using Lines = std::vector<std::string>;

const IconvTextCodec kBig5(950);

std::string Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

struct Outcome {
  int format;
  Lines rows;
};

// Reads as the open and import commands do: the data followed by the format's terminator.
int Read(DocumentState& doc, const std::string& bytes, int format, TransferMode mode = TransferMode::Open,
         const TextCodec* codec = &kBig5) {
  std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
  const auto terminator = GetFileFormat(format).terminator;
  buffer.insert(buffer.end(), terminator.begin(), terminator.end());
  ScriptedUi ui;
  ReadContext context{doc, ui, nullptr, codec, format};
  EXPECT_EQ(ReadDelimited(context, buffer, bytes.size(), mode), 0);
  return context.format;
}

Outcome ReadAll(const std::string& bytes, int format, TransferMode mode = TransferMode::Open, bool lngFirst = false) {
  DocumentState doc;
  doc.settings.Set(Option::LngFirst, lngFirst);
  const int detected = Read(doc, bytes, format, mode);
  return {detected, Rows(doc)};
}

std::string Write(const DocumentState& doc, int format, TransferMode mode = TransferMode::Save) {
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, mode, nullptr, &kBig5, format};
  EXPECT_EQ(WriteDelimited(context), 0);
  return file.bytes;
}

void AddRow(DocumentState& doc, TextView name, TextView lon, TextView lat, EntryStatus status) {
  const std::size_t row = doc.table.Insert(SIZE_MAX, name, status, false);
  doc.table.SetCell(row, kLongitudeColumn, lon);
  doc.table.SetCell(row, kLatitudeColumn, lat);
}

// Names with a comma and a quote, blank coordinates, every status.
void AddSampleRows(DocumentState& doc) {
  AddRow(doc, u"Taipei 101", u"121.56500", u"25.03300", 2);
  AddRow(doc, u"Say \"hi\", friend", u"-0.50000", u"", 1);
  AddRow(doc, u"台北", u"0.00000", u"-33.86782", 0);
  AddRow(doc, u"a,b", u"", u"", 3);
}

constexpr char kCsvAnsi[] =
    "121.56500,25.03300,Taipei 101,2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    "0.00000,-33.86782,\xA5\x78\xA5\x5F,0\r\n,,\"a,b\",3\r\n";
constexpr char kCsvUtf8[] =
    "\xEF\xBB\xBF" "121.56500,25.03300,Taipei 101,2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    "0.00000,-33.86782,\xE5\x8F\xB0\xE5\x8C\x97,0\r\n,,\"a,b\",3\r\n";
constexpr char16_t kCsvText[] =
    u"121.56500,25.03300,Taipei 101,2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    u"0.00000,-33.86782,台北,0\r\n,,\"a,b\",3\r\n";
constexpr char kQuotedAnsi[] =
    "121.56500,25.03300,\"Taipei 101\",2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    "0.00000,-33.86782,\"\xA5\x78\xA5\x5F\",0\r\n,,\"a,b\",3\r\n";
constexpr char kQuotedUtf8[] =
    "\xEF\xBB\xBF" "121.56500,25.03300,\"Taipei 101\",2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    "0.00000,-33.86782,\"\xE5\x8F\xB0\xE5\x8C\x97\",0\r\n,,\"a,b\",3\r\n";
constexpr char16_t kQuotedText[] =
    u"121.56500,25.03300,\"Taipei 101\",2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n"
    u"0.00000,-33.86782,\"台北\",0\r\n,,\"a,b\",3\r\n";
// Latitude first: "Lng First" is off.
constexpr char kTxtAnsi[] =
    "Taipei 101\t25.03300\t121.56500\t2\r\nSay \"hi\", friend\t\t-0.50000\t1\r\n"
    "\xA5\x78\xA5\x5F\t-33.86782\t0.00000\t0\r\na,b\t\t\t3\r\n";
constexpr char kTxtUtf8[] =
    "\xEF\xBB\xBF" "Taipei 101\t25.03300\t121.56500\t2\r\nSay \"hi\", friend\t\t-0.50000\t1\r\n"
    "\xE5\x8F\xB0\xE5\x8C\x97\t-33.86782\t0.00000\t0\r\na,b\t\t\t3\r\n";
constexpr char16_t kTxtText[] =
    u"Taipei 101\t25.03300\t121.56500\t2\r\nSay \"hi\", friend\t\t-0.50000\t1\r\n"
    u"台北\t-33.86782\t0.00000\t0\r\na,b\t\t\t3\r\n";

TEST(WriteDelimited, EveryLayoutInEveryEncoding) {
  DocumentState doc;
  AddSampleRows(doc);
  const std::string unicodeMark = "\xFF\xFE";
  const struct {
    int format;
    std::string bytes;
  } cases[] = {
      {9, kCsvAnsi},    {10, unicodeMark + Le(kCsvText)},    {11, kCsvUtf8},
      {12, kQuotedAnsi}, {13, unicodeMark + Le(kQuotedText)}, {14, kQuotedUtf8},
      {15, kQuotedAnsi}, {16, unicodeMark + Le(kQuotedText)}, {17, kQuotedUtf8},
      {18, kTxtAnsi},    {19, unicodeMark + Le(kTxtText)},    {20, kTxtUtf8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    EXPECT_EQ(Write(doc, c.format), c.bytes);
  }
  EXPECT_EQ(Write(doc, 10).substr(0, 6), std::string("\xFF\xFE" "1\0" "2\0", 6));
}

TEST(WriteDelimited, RowsColumnsAndFailures) {
  DocumentState doc;
  doc.settings.Set(Option::LngFirst, true);
  doc.settings.Set(Option::DmsFormat, true);
  doc.settings.Set(Option::CompassDirection, true);
  AddRow(doc, u"Base", u"E 1° 00' 00.00\"", u"N 2° 00' 00.00\"", 0);
  AddRow(doc, u"Sydney", u"E 151° 12' 00.00\"", u"S 33° 52' 04.15\"", 2);
  AddRow(doc, u"Other", u"", u"", 0);
  doc.baseRowPinned = true;
  doc.table.SetSelected(0, true);
  doc.table.SetSelected(1, true);
  // Save skips the pinned base row; coordinates are written as signed decimals.
  EXPECT_EQ(Write(doc, 18), "Sydney\t151.20000\t-33.86782\t2\r\nOther\t\t\t0\r\n");
  EXPECT_EQ(Write(doc, 15, TransferMode::Export),
            "1.00000,2.00000,\"Base\",0\r\n151.20000,-33.86782,\"Sydney\",2\r\n");
  // An empty table writes the mark alone.
  EXPECT_EQ(Write(DocumentState{}, 14), "\xEF\xBB\xBF");

  MemoryFile file;
  file.fail = true;
  BufferedWriter writer(file);
  WriteContext context{doc, writer, TransferMode::Save, nullptr, &kBig5, 19};
  EXPECT_EQ(WriteDelimited(context), 14222);
}

TEST(ReadDelimited, DetectsTheEncodingAndSetsTheExactFormat) {
  const struct {
    std::string bytes;
    DelimitedEncoding encoding;
    std::size_t mark;
  } marks[] = {
      {"", DelimitedEncoding::Ansi, 0},         {"\xFF", DelimitedEncoding::Ansi, 0},
      {"\xFE\xFF", DelimitedEncoding::Ansi, 0}, {"\xEF\xBB", DelimitedEncoding::Ansi, 0},
      {"\xFF\xFE", DelimitedEncoding::Utf16, 2}, {"\xFF\xFE\x41", DelimitedEncoding::Utf16, 2},
      {"\xEF\xBB\xBF", DelimitedEncoding::Utf8, 3},
  };
  for (const auto& m : marks) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(m.bytes.data()), m.bytes.size());
    const DetectedEncoding detected = DetectDelimitedEncoding(bytes);
    EXPECT_EQ(detected.encoding, m.encoding) << m.bytes;
    EXPECT_EQ(detected.markLength, m.mark) << m.bytes;
  }
  // Empty files and files of a mark alone add nothing but still tell the format.
  for (int format = 5; format <= 8; ++format) {
    const int base = 9 + 3 * (format - 5);
    EXPECT_EQ(ReadAll("", format).format, base);
    EXPECT_EQ(ReadAll("\xFF\xFE", format).format, base + 1);
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF", format).rows, Lines{});
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF", base).format, base + 2);  // an exact index is detected anew
  }
}

TEST(ReadDelimited, EveryLayoutInEveryEncodingWithoutAFinalLineEnd) {
  const std::u16string comma = u"121.5,25.5,台北,1\r\n-1,-2,\"End, no break\",3";
  const std::u16string tabs = u"台北\t25.5\t121.5\t1\r\nEnd, no break\t-2\t-1\t3";
  const std::string commaAnsi = "121.5,25.5,\xA5\x78\xA5\x5F,1\r\n-1,-2,\"End, no break\",3";
  const std::string tabsAnsi = "\xA5\x78\xA5\x5F\t25.5\t121.5\t1\r\nEnd, no break\t-2\t-1\t3";
  const Lines rows = {"台北|121.50000|25.50000|1", "End, no break|-1.00000|-2.00000|3"};
  for (int format = 5; format <= 8; ++format) {
    SCOPED_TRACE(format);
    const bool txt = format == 8;
    const std::string utf8 = TextToUtf8(txt ? tabs : comma);
    const int base = 9 + 3 * (format - 5);
    EXPECT_EQ(ReadAll(txt ? tabsAnsi : commaAnsi, format).rows, rows);
    EXPECT_EQ(ReadAll("\xFF\xFE" + Le(txt ? tabs : comma), format).rows, rows);
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + utf8, format).rows, rows);
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + utf8, format).format, base + 2);
    // An odd-length UTF-16 file: the stray last byte is no character, the last line still counts.
    const auto odd = ReadAll("\xFF\xFE" + Le(txt ? tabs : comma) + "\x41", format);
    EXPECT_EQ(odd.format, base + 1);
    EXPECT_EQ(odd.rows, rows);
  }
  EXPECT_EQ(ReadAll("\xFF\xFE" + Le(u"1,2,Tail") + "\x41", 5).rows, Lines{"Tail\xEF\xBF\xBD|1.00000|2.00000|2"});
}

TEST(ReadDelimited, LinesFieldsQuotesAndStatuses) {
  const std::string longLine = "1,2,Name" + std::string(293, ' ') + ",1";  // 303 characters
  const std::string tooLong = "1,2,Name" + std::string(294, ' ') + ",1";   // cut before its status
  const struct {
    int format;
    std::string bytes;
    Lines rows;
    TransferMode mode = TransferMode::Open;
    bool lngFirst = false;
  } cases[] = {
      // Prologue, comments, empty lines, CR, LF and CR LF line ends.
      {5, " TomTom POI\r\n; c,o,m,1\r\n   ;x,y,z\r\n\r\n121.5,25,Home,1\r1,1,a,0\n1,1,b\r\n1,1",
       {"Home|121.50000|25.00000|1", "a|1.00000|1.00000|0", "b|1.00000|1.00000|2"}},
      // Quotes: runs of n give n div 2 quotes and switch when n is odd, anywhere in a field.
      {5, "1,2,\"Boulder, Colorado\",0\r\n1,2,\"a\"\"b\",0\r\n1,2,ab\"c,d\"e,0\r\n1,2,\"x\",0\r\n"
          "1,2,\"unclosed, name,3\r\n4,5,next,0\r\n1,2,\"two\r\nlines\",0\r\n",
       {"Boulder, Colorado|1.00000|2.00000|0", "a\"b|1.00000|2.00000|0", "abc,de|1.00000|2.00000|0",
        "x|1.00000|2.00000|0", "unclosed, name,3|1.00000|2.00000|2", "next|4.00000|5.00000|0",
        "two|1.00000|2.00000|2"}},
      // Statuses: spaces and TABs, then digits; no digit or above 3 gives 2; passed rows
      // stay a leading run.
      {5, "0,0,a, 1\r\n0,0,b,\t3x\r\n0,0,c,02\r\n0,0,d,5\r\n0,0,e,-1\r\n0,0,f,\r\n0,0,g,99999999999999999999\r\n"
          "0,0,h,1\r\n0,0,i,7\r\n0,0,j,x\r\n",
       {"a|0.00000|0.00000|1", "b|0.00000|0.00000|3", "c|0.00000|0.00000|2", "d|0.00000|0.00000|2",
        "e|0.00000|0.00000|2", "f|0.00000|0.00000|2", "g|0.00000|0.00000|2", "h|0.00000|0.00000|0",
        "i|0.00000|0.00000|2", "j|0.00000|0.00000|2"}},
      {7, "1,1,a,1\r\n1,1,b,3\r\n1,1,c,0\r\n1,1,d,1\r\n",
       {"a|1.00000|1.00000|0", "b|1.00000|1.00000|2", "c|1.00000|1.00000|0", "d|1.00000|1.00000|0"},
       TransferMode::Import},
      // A blank name adds nothing and leaves the passed run alone.
      {7, "1,1,\"a|b>c\",1\r\n1,1,   ,0\r\n181,-91,Far,1\r\nabc, 25 ,Letters,1\r\n-0.000001,x,Zero,0\r\n",
       {"a b c|1.00000|1.00000|1", "Far|||1", "Letters||25.00000|1", "Zero|0.00000||0"}},
      // Lines are cut to 303 characters (never between the halves of a surrogate pair).
      {5, "\xEF\xBB\xBF" + longLine + "\r\n" + tooLong + "\r\n1" + std::string(293, ' ') +
              ",2,Xabcd\xF0\x9F\x98\x80\r\n",
       {"Name|1.00000|2.00000|1", "Name|1.00000|2.00000|2", "Xabcd|1.00000|2.00000|2"}},
      // asc: degrees, minutes and seconds; quotes and colons in coordinates are spaces.
      {6, "121 30 00,25 2 0,Home,2\r\n121:30:00,25:02:00,Colons\r\n\"-121.5\",\"\"25.5,\"Q\"\"d\",0\r\n"
          "E 121 30,S 25 30,Compass,0\r\n.5,.25,Points,0\r\n-.5,S .25,Signs,0\r\nx5,+5,Junk,0\r\n",
       {"Home|121.50000|25.03333|2", "Colons|121.50000|25.03333|2", "Q\"d|-121.50000|25.50000|0",
        "Compass|121.50000|-25.50000|0", "Points|0.50000|0.25000|0", "Signs|-0.50000|-0.25000|0", "Junk|||0"}},
      // Tab-separated: no quoting, a leading TAB (no name) skips the line.
      {8, "Home\t121.5\t25.033\t0\r\n\tNo name\t1\t1\r\n\"Q\", x\t1\t2\r\nShort\t1\r\n; c\td\te\r\n",
       {"Home|121.50000|25.03300|0", "\"Q\", x|1.00000|2.00000|2"}, TransferMode::Open, true},
      {8, "Home\t121.5\t25.033\t0\r\n", {"Home|25.03300||0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    EXPECT_EQ(ReadAll(c.bytes, c.format, c.mode, c.lngFirst).rows, c.rows);
  }
}

TEST(ReadDelimited, ImportAddsSelectedRowsAndAsksAboutDuplicates) {
  DocumentState doc;
  doc.settings.Set(Option::CheckName, true);
  Read(doc, "1,1,Home,1\r\n", 5);
  ScriptedUi ui;
  ui.duplicateAnswers = {kDrop};
  const std::string file = "2,2,Home,1\r\n3,3,New,0\r\n";
  std::vector<std::uint8_t> buffer(file.begin(), file.end());
  FileProgress progress(ui, 13109, false);
  ReadContext context{doc, ui, &progress, &kBig5, 5};
  ReadDelimited(context, buffer, buffer.size(), TransferMode::Import);
  EXPECT_EQ(ui.duplicateQuestions, Lines{"Home"});
  EXPECT_EQ(doc.document.duplicatesDropped, 1);
  EXPECT_EQ(Rows(doc), (Lines{"Home|1.00000|1.00000|1", "New|3.00000|3.00000|0"}));
  EXPECT_FALSE(doc.table.Row(0).selected);
  EXPECT_TRUE(doc.table.Row(1).selected);
  EXPECT_EQ(ui.progress.back(), 100);
}

TEST(DelimitedFormat, RoundTripsEveryFormat) {
  for (int format = 9; format <= 20; ++format) {
    for (bool lngFirst : {false, true}) {
      SCOPED_TRACE(format);
      DocumentState doc;
      doc.settings.Set(Option::LngFirst, lngFirst);
      AddSampleRows(doc);
      AddRow(doc, u"\"Quoted\" ,,\"", u"-180.00000", u"90.00000", 2);
      if ((format - 9) % 3) AddRow(doc, u"Smile 😀 Ω", u"0.00001", u"-0.00001", 0);
      DocumentState again;
      again.settings.Set(Option::LngFirst, lngFirst);
      EXPECT_EQ(Read(again, Write(doc, format), 5 + (format - 9) / 3), format);
      // Passed rows stay a leading run: statuses 2, 1, 0, 3 read back as 2, 0, 0, 2.
      Lines expected = Rows(doc);
      expected[1].back() = '0';
      expected[3].back() = '2';
      EXPECT_EQ(Rows(again), expected);
    }
  }
}

// Real-world files, read as the rules of the reader make them.
TEST(DelimitedFormat, RealWorldFiles) {
  const auto corpus = testing::SharedDir() / "corpus";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no sample files";
  const IconvTextCodec utf8(65001);
  const struct {
    const char* path;
    int format;
    const TextCodec* codec;
    std::size_t count;
    Lines firstRows;
  } files[] = {
      // Four prologue lines with fewer than three fields; cp1252 names; no status field.
      {"gpsbabel-generated/Lctns_Instinct.asc", 6, &BuiltInTextCodec(), 10,
       {"Greenwich ele46|0.00000|51.47726|2", "Unseen4AllTrail|0.00000|51.48012|2",
        "North pole ele2|0.00000|90.00000|2",
        "South pole 2835|0.00000|-90.00000|2", "Elevation unset|35.50391|31.75932|2", "??????|107.68591|53.03740|2",
        "Händelstraße|13.28755|52.38667|2"}},
      {"GPSBabel_gpsbabel/tomtom_poi.asc", 6, &kBig5, 86, {"5066|-71.11928|42.43888|2", "5067|-71.11969|42.43923|2"}},
      // unicsv: the header is a row; the third column (longitude) is the name.
      {"gpsbabel-generated/Lctns_Instinct.csv", 5, &kBig5, 11,
       {"Longitude|||2", "0.000001|1.00000|51.47726|2", "0.000000|2.00000|51.48012|2"}},
      // UTF-8 without a mark, read with UTF-8 as the system code page.
      {"gpsbabel-generated/Lctns_Instinct_garmin_poi.csv", 5, &utf8, 10,
       {"Greenwich ele46|0.00000|51.47726|2", "Unseen4AllTrail|0.00000|51.48012|2",
        "North pole ele2|0.00000|90.00000|2",
        "South pole 2835|0.00000|-90.00000|2", "Elevation unset|35.50391|31.75932|2", "Байкал|107.68591|53.03740|2",
        "Händelstraße|13.28755|52.38667|2", "בית לחם|35.19556|31.70306|2", "الكويت|47.70962|29.31483|2",
        "Θέατρο|20.98391|39.16106|2"}},
      // The 363-character line is cut; the quoted name column is the status field.
      {"GPSBabel_gpsbabel/libreoffice.csv", 5, &kBig5, 2, {"Longitude|||2", "-105.2705|1.00000|40.01500|2"}},
      {"GPSBabel_gpsbabel/unidelim.csv", 5, &kBig5, 2, {"foo; bar;|||2", "this|41.90270|12.49624|2"}},
      {"GPSBabel_gpsbabel/grapheme.csv", 5, &kBig5, 4, {"lon|||2", "9.9534||49.79130|2"}},
  };
  for (const auto& f : files) {
    SCOPED_TRACE(f.path);
    const std::string bytes = testing::ReadBytes(corpus / f.path);
    ASSERT_FALSE(bytes.empty());
    DocumentState doc;
    EXPECT_EQ(Read(doc, bytes, f.format, TransferMode::Open, f.codec), 9 + 3 * (f.format - 5));
    const Lines rows = Rows(doc);
    EXPECT_EQ(rows.size(), f.count);
    EXPECT_EQ(Lines(rows.begin(), rows.begin() + std::min(rows.size(), f.firstRows.size())), f.firstRows);
  }
}

}  // namespace
}  // namespace wayloom
