#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ItnFormat.h"

namespace wayloom {
namespace {

using testing::Lines;

TEST(ReadItn, RecordsAsTheReadingRulesMakeThem) {
  const struct {
    const char* what;
    std::string bytes;
    Lines rows;
    int result = 0;
  } cases[] = {
      {"a last record without CR LF; blank lines vanish",
       "12150000|2503300|Taipei 101|2|\r\n\r\n\r\n-050000|000000|Zero|0|\r\n+1046348|+5364352|Plus|3",
       {"Taipei 101|121.50000|25.03300|2", "Zero|-0.50000|0.00000|0", "Plus|10.46348|53.64352|2"}},
      {"four fields, LF line ends", "100|200|a|1\n300|400|b|0\n", {"a|0.00100|0.00200|1", "b|0.00300|0.00400|0"}},
      {"the status is one byte", "1|1|four|4|\r\n1|1|nine|9|\r\n1|1|letter|x|\r\n1|1|empty||\r\n1|1|end|\r\n",
       {"four|0.00001|0.00001|2", "nine|0.00001|0.00001|2", "letter|0.00001|0.00001|2", "empty|0.00001|0.00001|2",
        "end|0.00001|0.00001|2"}},
      {"02: the status is the 0, the 2 starts a record that runs into the end", "1|1|two|02|\r\n",
       {"two|0.00001|0.00001|0"}, kFileContentProblem},
      {"passed rows stay a leading run", "1|1|a|1|\r\n1|1|b|3|\r\n1|1|c|0|\r\n1|1|d|1|\r\n",
       {"a|0.00001|0.00001|1", "b|0.00001|0.00001|3", "c|0.00001|0.00001|0", "d|0.00001|0.00001|0"}},
      {"a dropped (blank) record does not end the run", "1|1|a|1|\r\n1|1| |0|\r\n1|1|b|1|\r\n",
       {"a|0.00001|0.00001|1", "b|0.00001|0.00001|1"}},
      {"coordinates outside the range leave the cell empty",
       "18012345|18012345|blank|2|\r\n18000001|9000001|over|2|\r\n18000000|-9000000|edge|2|\r\n0|0|zero|2|\r\n"
       "abc|-x|letters|2|\r\n0.092200|5147725.598900|fraction|2|\r\n121.5| 7 |half|2|\r\n",
       {"blank|||2", "over|||2", "edge|180.00000|-90.00000|2", "zero|0.00000|0.00000|2", "letters|||2",
        "fraction|0.00000|51.47726|2", "half|0.00122|0.00007|2"}},
      {"byte form: one character per byte", "1|1|Alt M\xF6lln|2|\r\n1|1|\xC3\xA9|2|\r\n",
       {"Alt Mölln|0.00001|0.00001|2", "Ã©|0.00001|0.00001|2"}},
      // A bar inside a multi-byte lead's reach is no separator.
      {"UTF-8 form", "\xEF\xBB\xBF" "1|1|\xE5\x8F\xB0\xE5\x8C\x97|2|\r\n1|1|a\xC3|b|3|\r\n",
       {"台北|0.00001|0.00001|2", "a\xEF\xBF\xBD b|0.00001|0.00001|2"}},
      {"coded names: units low byte first up to the aligned CR LF, an optional empty name field",
       std::string(">>\x41\x21\x42\x21\x0D\x0A" "100|200||3\r\n>>\x43\x21\x0D\x0A" "300|400|1\r\n"),
       {"AB|0.00100|0.00200|3", "C|0.00300|0.00400|1"}},
      {"a CR LF off the unit boundary does not end a coded name", ">>\x41\x0D\x0A\x21\x0D\x0A" "1|2|2\r\n",
       {"\u3DCF|0.00001|0.00002|2"}},
      {"in a UTF-8 file >> is a longitude", "\xEF\xBB\xBF>>|1|x|2|\r\n", {"x||0.00001|2"}},
      {"empty", "", {}, kFileContentProblem},
      {"a line end only", "\r\n", {}, kFileContentProblem},
      {"no bars", "no bars at all", {}, kFileContentProblem},
      {"a cut record keeps the rows before it", "1|1|kept|2|\r\n5|6", {"kept|0.00001|0.00001|2"}, kFileContentProblem},
      {"a coded name without an aligned line end", "1|1|kept|2|\r\n>>\x41\x21\x42", {"kept|0.00001|0.00001|2"},
       kFileContentProblem},
  };
  for (const auto& c : cases) {
    const auto read = testing::ReadRowsAs(kItnFormat, c.bytes);
    EXPECT_EQ(read.result, c.result) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
  // Even handed bytes without the terminator, the scanner stays inside them.
  for (const std::string bytes : {"1|2|", "1|2|name", ">>\x41\x21", "\xEF\xBB\xBF" "1|2|\xF0"}) {
    std::vector<std::uint8_t> buffer(bytes.begin(), bytes.end());
    DocumentState doc;
    testing::ScriptedUi ui;
    ReadContext context{doc, ui, nullptr};
    EXPECT_EQ(ReadItn(context, buffer, buffer.size(), TransferMode::Open), kFileContentProblem) << bytes;
  }
}

TEST(DecodeNameUnit, HandWorkedUnits) {
  EXPECT_EQ(DecodeNameUnit(0x2141), u'A');
  EXPECT_EQ(DecodeNameUnit(0x21E9), u'\u00E9');
  EXPECT_EQ(DecodeNameUnit(0x3021), 0x09FA);  // 49 * 213 + 33 - 0x1EEC
  EXPECT_EQ(DecodeNameUnit(0xFFFF), 0x063C);  // wraps on 16 bits after adding 0x5000
  EXPECT_EQ(DecodeNameUnit(0x0000), 0x32BE);
}

TEST(WriteItn, ByteExactRecords) {
  DocumentState doc;
  testing::AddRow(doc, u"Taipei", u"121.5", u"25.033", 3);
  testing::AddRow(doc, u"Zero", u"-0.5", u"0", 1);
  testing::AddRow(doc, u"Blank", u"", u"-33.86782", 0);
  EXPECT_EQ(testing::WriteAs(kItnFormat, doc),
            "12150000|2503300|Taipei|3\r\n-050000|000000|Zero|1\r\n18012345|-3386782|Blank|0\r\n");
}

TEST(WriteItn, ChoosesUtf8OnlyForCharactersAboveLatin1) {
  DocumentState doc;
  InsertRowRecorded(doc, 0, u"Alt M\u00F6lln", 2, false);
  EXPECT_EQ(testing::WriteAs(kItnFormat, doc), "18012345|18012345|Alt M\xF6lln|2\r\n");
  InsertRowRecorded(doc, 1, u"\u53F0\u5317 \U0001F600", 2, false);
  EXPECT_EQ(testing::WriteAs(kItnFormat, doc), "\xEF\xBB\xBF" "18012345|18012345|Alt M\xC3\xB6lln|2\r\n"
                                               "18012345|18012345|\xE5\x8F\xB0\xE5\x8C\x97 \xF0\x9F\x98\x80|2\r\n");
}

}  // namespace
}  // namespace wayloom
