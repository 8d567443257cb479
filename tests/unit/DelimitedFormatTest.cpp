#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/DelimitedFormat.h"
#include "formats/FileFormat.h"
#include "platform/posix/IconvTextCodec.h"

namespace wayloom {
namespace {

using testing::Lines;

const IconvTextCodec kBig5(950);

std::string Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

testing::ReadResultRows ReadAll(const std::string& bytes, int format, bool lngFirst = false) {
  DocumentState doc;
  doc.settings.Set(Option::LngFirst, lngFirst);
  testing::ScriptedUi ui;
  ReadContext context{doc, ui, nullptr, &kBig5, format};
  EXPECT_EQ(testing::ReadBytesAs(context, bytes), 0);
  return {0, testing::Rows(doc), context.format};
}

std::string Write(const DocumentState& doc, int format) {
  return testing::WriteAs(format, doc, TransferMode::Save, &kBig5);
}

TEST(WriteDelimited, EveryLayoutInEveryEncoding) {
  // Names with a comma and a quote, blank coordinates, every status.
  DocumentState doc;
  testing::AddRow(doc, u"Taipei 101", u"121.565", u"25.033", 2);
  testing::AddRow(doc, u"Say \"hi\", friend", u"-0.5", u"", 1);
  testing::AddRow(doc, u"台北", u"0", u"-33.86782", 0);
  testing::AddRow(doc, u"a,b", u"", u"", 3);
  // csv quotes a name only when it must, asc and poi always; txt puts the latitude first
  // ("Lng First" is off).
  const std::u16string layouts[] = {
      u"121.56500,25.03300,Taipei 101,2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n0.00000,-33.86782,台北,0\r\n"
      u",,\"a,b\",3\r\n",
      u"121.56500,25.03300,\"Taipei 101\",2\r\n-0.50000,,\"Say \"\"hi\"\", friend\",1\r\n0.00000,-33.86782,\"台北\",0\r\n"
      u",,\"a,b\",3\r\n",
      u"Taipei 101\t25.03300\t121.56500\t2\r\nSay \"hi\", friend\t\t-0.50000\t1\r\n台北\t-33.86782\t0.00000\t0\r\n"
      u"a,b\t\t\t3\r\n",
  };
  for (int format = 9; format <= 20; ++format) {
    const std::u16string& text = layouts[format < 12 ? 0 : format < 18 ? 1 : 2];
    const std::string encodings[] = {kBig5.Encode(text, 950), "\xFF\xFE" + Le(text), "\xEF\xBB\xBF" + TextToUtf8(text)};
    EXPECT_EQ(Write(doc, format), encodings[(format - 9) % 3]) << format;
  }
  EXPECT_EQ(Write(doc, 10).substr(0, 6), std::string("\xFF\xFE" "1\0" "2\0", 6));
}

TEST(WriteDelimited, SignedDecimalsInTheColumnOrder) {
  DocumentState doc;
  doc.settings.Set(Option::LngFirst, true);
  doc.settings.Set(Option::DmsFormat, true);
  doc.settings.Set(Option::CompassDirection, true);
  testing::AddRow(doc, u"Sydney", u"151.2", u"-33.86782", 2);
  testing::AddRow(doc, u"Other", u"", u"", 0);
  EXPECT_EQ(doc.table.Cell(0, kLatitudeColumn), u"S 33\u00B0 52' 04.15\"");
  EXPECT_EQ(Write(doc, 18), "Sydney\t151.20000\t-33.86782\t2\r\nOther\t\t\t0\r\n");
  EXPECT_EQ(Write(doc, 15), "151.20000,-33.86782,\"Sydney\",2\r\n,,\"Other\",0\r\n");
  // An empty table writes the mark alone.
  EXPECT_EQ(Write(DocumentState{}, 14), "\xEF\xBB\xBF");
}

TEST(ReadDelimited, DetectsTheEncodingAndSetsTheExactFormat) {
  // Only a whole mark counts. Empty files and files of a mark alone add nothing but still
  // tell the format; an exact format index is detected anew.
  const std::pair<std::string, int> marks[] = {{"", 0},         {"\xFF", 0},         {"\xFE\xFF", 0},    {"\xEF\xBB", 0},
                                               {"\xFF\xFE", 1}, {"\xFF\xFE\x41", 1}, {"\xEF\xBB\xBF", 2}};
  for (int format = 5; format <= 20; ++format) {
    const int base = format < 9 ? 9 + 3 * (format - 5) : format - (format - 9) % 3;
    for (const auto& [bytes, encoding] : marks) {
      const auto read = ReadAll(bytes, format);
      EXPECT_EQ(read.format, base + encoding) << format << " " << bytes;
      EXPECT_EQ(read.rows, Lines{});
    }
  }
}

TEST(ReadDelimited, EveryLayoutInEveryEncodingWithoutAFinalLineEnd) {
  const std::u16string comma = u"121.5,25.5,台北,1\r\n-1,-2,\"End, no break\",3";
  const std::u16string tabs = u"台北\t25.5\t121.5\t1\r\nEnd, no break\t-2\t-1\t3";
  const Lines rows = {"台北|121.50000|25.50000|1", "End, no break|-1.00000|-2.00000|3"};
  for (int format = 5; format <= 8; ++format) {
    SCOPED_TRACE(format);
    const bool txt = format == 8;
    const std::string utf8 = TextToUtf8(txt ? tabs : comma);
    const int base = 9 + 3 * (format - 5);
    EXPECT_EQ(ReadAll(kBig5.Encode(txt ? tabs : comma, 950), format).rows, rows);
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

TEST(ReadDelimited, LargeFilesReadInPiecesAsAWhole) {
  // Several megabytes are decoded a piece at a time; no row may be lost, split or doubled
  // where the pieces meet, whatever the encoding and the line ends.
  constexpr int kRows = 100000;
  Lines rows;
  for (int i = 0; i < kRows; ++i) rows.push_back("台北 " + std::to_string(i) + "|121.50000|25.50000|1");
  for (const char16_t* end : {u"\r\n", u"\r", u"\n"}) {
    std::u16string text;
    for (int i = 0; i < kRows; ++i) text += u"121.5,25.5,台北 " + Utf8ToText(std::to_string(i)) + u",1" + (i + 1 < kRows ? end : u"");
    SCOPED_TRACE(TextToUtf8(end).size());
    EXPECT_EQ(ReadAll(kBig5.Encode(text, 950), 5).rows, rows);
    EXPECT_EQ(ReadAll("\xFF\xFE" + Le(text), 5).rows, rows);
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + TextToUtf8(text), 5).rows, rows);
  }
}

TEST(ReadDelimited, LinesFieldsQuotesAndStatuses) {
  const std::string longLine = "1,2,Name" + std::string(293, ' ') + ",1";  // 303 characters
  const std::string tooLong = "1,2,Name" + std::string(294, ' ') + ",1";   // cut before its status
  const struct {
    int format;
    std::string bytes;
    Lines rows;
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
       {"Home|121.50000|25.03300|0", "\"Q\", x|1.00000|2.00000|2"}, true},
      {8, "Home\t121.5\t25.033\t0\r\n", {"Home|25.03300||0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.substr(0, 40));
    EXPECT_EQ(ReadAll(c.bytes, c.format, c.lngFirst).rows, c.rows);
  }
}

}  // namespace
}  // namespace wayloom
