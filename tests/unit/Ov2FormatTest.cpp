#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/ItnFormat.h"

namespace wayloom {
namespace {

using testing::Lines;

std::string Bytes(std::initializer_list<int> bytes) {
  std::string out;
  for (int b : bytes) out.push_back(static_cast<char>(b));
  return out;
}

// A POI record: type 2, length, longitude, latitude (1e-5 degrees), name, NUL.
std::string Poi(std::int32_t longitude, std::int32_t latitude, const std::string& name, int type = 2) {
  std::string out(1, static_cast<char>(type));
  for (std::uint32_t value : {static_cast<std::uint32_t>(14 + name.size()), static_cast<std::uint32_t>(longitude),
                              static_cast<std::uint32_t>(latitude)})
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift & 0xFF));
  return out + name + '\0';
}

TEST(WriteOv2, ByteExactFile) {
  DocumentState doc;
  testing::AddRow(doc, u"Caf\u00E9", u"4.35", u"50.85");
  testing::AddRow(doc, u"\u53F0\u5317 101", u"121.5", u"25.033");
  testing::AddRow(doc, u"No latitude", u"1", u"");
  testing::AddRow(doc, u"\u00C3\u00A9", u"0", u"-0.5");  // its code page 1252 bytes would read as UTF-8 "é"
  testing::AddRow(doc, u"\u20AC", u"-73.98765", u"40.74844");
  const std::string expected =
      // Skipper: 96 bytes in all; east, north, west, south.
      Bytes({0x01, 0x60, 0, 0, 0, 0xF0, 0x64, 0xB9, 0x00, 0x48, 0x97, 0x4D, 0x00, 0x93, 0x1A, 0x8F, 0xFF, 0xB0, 0x3C,
             0xFF, 0xFF}) +
      Bytes({0x02, 0x12, 0, 0, 0, 0x38, 0xA3, 0x06, 0x00, 0x48, 0x97, 0x4D, 0x00}) + "Caf\xE9" + '\0' +
      Bytes({0x02, 0x18, 0, 0, 0, 0xF0, 0x64, 0xB9, 0x00, 0x84, 0x32, 0x26, 0x00}) + "\xE5\x8F\xB0\xE5\x8C\x97 101" +
      '\0' + Bytes({0x02, 0x12, 0, 0, 0, 0, 0, 0, 0, 0xB0, 0x3C, 0xFF, 0xFF}) + "\xC3\x83\xC2\xA9" + '\0' +
      Bytes({0x02, 0x0F, 0, 0, 0, 0x93, 0x1A, 0x8F, 0xFF, 0x5C, 0x2D, 0x3E, 0x00}) + "\x80" + '\0';
  EXPECT_EQ(testing::WriteAs(kOv2Format, doc), expected);
  EXPECT_EQ(testing::ReadRowsAs(kOv2Format, expected).rows,
            (Lines{"Café|4.35000|50.85000|2", "台北 101|121.50000|25.03300|2", "Ã©|0.00000|-0.50000|2",
                   "€|-73.98765|40.74844|2"}));
  EXPECT_EQ(testing::WriteAs(kOv2Format, DocumentState()), "");
}

// GPSBabel's file (a tree of skippers over 54 POIs) is read and written again byte for byte.
TEST(WriteOv2, WritesTheSkipperTreeOfTheRealWorldFile) {
  const auto file = testing::SharedDir() / "corpus" / "GPSBabel_gpsbabel" / "tomtom.ov2";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sample files";
  const std::string bytes = testing::ReadBytes(file);
  DocumentState doc;
  testing::ScriptedUi ui;
  ReadContext context{doc, ui, nullptr, nullptr, kOv2Format};
  ASSERT_EQ(testing::ReadBytesAs(context, bytes), 0);
  ASSERT_EQ(doc.table.RowCount(), 54u);
  EXPECT_EQ(testing::WriteAs(kOv2Format, doc), bytes);
}

TEST(ReadOv2, RecordsAndBadInput) {
  const std::string kept = Poi(100000, 200000, "Kept");
  const std::string keptRow = "Kept|1.00000|2.00000|2";
  const std::string skipper = Bytes({0x01, 0x15, 0, 0, 0}) + std::string(16, '\0');
  const struct {
    const char* what;
    std::string file;
    int result;
    Lines rows;
  } cases[] = {
      {"skippers whose lengths lie are only stepped into",
       Bytes({0x01, 0xE8, 0x03, 0, 0}) + std::string(16, '\0') + kept + Bytes({0x01, 0, 0, 0, 0}) +
           std::string(16, '\0') + Poi(-1, -2, "Last"),
       0,
       {keptRow, "Last|-0.00001|-0.00002|2"}},
      {"deleted and unknown records are passed over by their length",
       skipper + Bytes({0x00, 0x0A, 0, 0, 0, 9, 9, 9, 9, 9}) + kept + Bytes({0x09, 0x06, 0, 0, 0, 0x02}),
       0,
       {keptRow}},
      {"type 3 holds more strings after the name", Poi(0, 0, std::string("Name\0id", 7), 3), 0,
       {"Name|0.00000|0.00000|2"}},
      {"a name runs to the record's end without a NUL; a blank name gives no row",
       Poi(100000, 200000, "Kep").substr(0, 16) + "t" + Poi(0, 0, " "), 0, {keptRow}},
      {"a latitude beyond 90 degrees stays empty", Poi(0, 9100000, "Far"), 0, {"Far|0.00000||2"}},
      {"a truncated skipper", kept + skipper.substr(0, 20), kFileContentProblem, {keptRow}},
      {"a truncated record header", kept + Bytes({0x02, 0x20, 0}), kFileContentProblem, {keptRow}},
      {"a record ending past the data", kept + Poi(0, 0, "Cut").substr(0, 16), kFileContentProblem, {keptRow}},
      {"a zero length would never move forward", kept + Bytes({0x00, 0, 0, 0, 0}) + kept, kFileContentProblem,
       {keptRow}},
      {"a length inside the header", kept + Bytes({0x07, 0x04, 0, 0, 0}) + kept, kFileContentProblem, {keptRow}},
      {"a POI shorter than its coordinates", kept + Bytes({0x02, 0x0C, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7}) + kept,
       kFileContentProblem, {keptRow}},
      {"a length beyond 2 GB", kept + Bytes({0x02, 0xFF, 0xFF, 0xFF, 0xFF}) + kept, kFileContentProblem, {keptRow}},
      {"an empty file", "", 0, {}},
  };
  for (const auto& c : cases) {
    const auto read = testing::ReadRowsAs(kOv2Format, c.file);
    EXPECT_EQ(read.result, c.result) << c.what;
    EXPECT_EQ(read.rows, c.rows) << c.what;
  }
}

}  // namespace
}  // namespace wayloom
