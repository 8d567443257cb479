#include <gtest/gtest.h>

#include "TestSupport.h"
#include "formats/GpiFormat.h"

namespace wayloom {
namespace {

using testing::Lines;

std::string U16(unsigned v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string U32(std::uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
std::string Raw(const char* bytes, std::size_t size) { return std::string(bytes, size); }

// GPSBabel's header: the file name "my.gpi" (header base 0), the POI header record with
// its code page, and a group named in EN.
std::string PlainHeader(std::uint32_t codePage = 1252, const std::string& group = "My points") {
  return Raw("\0\0\0\0", 4) + U32(22) + "GRMREC00" + U32(0) + U16(0) + U16(6) + "my.gpi" + Raw("\1\0\0\0", 4) +
         U32(12) + Raw("POI\0\0\0", 6) + "00" + U32(codePage) + Raw("\x09\0\x08\0", 4) + U32(0) + U32(0) +
         U32(4 + group.size()) + "EN" + U16(group.size()) + group;
}

// POI Loader's header: a 12-byte first record with a sub-record after the file name, then
// the POI header record, whose copyright sub-record holds a POI-like tag.
std::string LoaderHeader(std::uint32_t codePage) {
  const std::string data = "GRMREC01" + U32(0) + U16(3) + U16(4) + "name" + Raw("\x0f\0\0\0", 4) + U32(1) + "x";
  const std::string poiHeader = Raw("POI\0\0\0", 6) + "01" + U32(codePage) + Raw("\x11\0\0\0", 4) + U32(8) +
                                Raw("\x02\0\x08\0\0\0\0\0", 8);
  return Raw("\0\0\x08\0", 4) + U32(data.size()) + U32(data.size() - 9) + data + Raw("\1\0\x08\0", 4) +
         U32(poiHeader.size()) + U32(12) + poiHeader;
}

using Names = std::vector<std::pair<std::string, std::string>>;
// A POI record: tag, lengths, latitude, longitude, its names; tail stands for sub-records.
std::string Poi(const Names& names, std::int32_t lat = 1 << 29, std::int32_t lon = -(1 << 29),
                const std::string& tail = std::string(10, '\0')) {
  std::string list;
  for (const auto& [language, text] : names) list += language + U16(text.size()) + text;
  const std::string data = U32(lat) + U32(lon) + U16(1) + '\0' + U32(list.size()) + list;
  return Raw("\2\0\x08\0", 4) + U32(data.size() + tail.size()) + U32(data.size()) + data + tail;
}

// The reader gets a heap block of exactly the file's bytes.
testing::ReadResultRows Read(const std::string& bytes) { return testing::ReadRowsAs(4, bytes); }

TEST(GpiRead, HeaderChecks) {
  const std::string file = PlainHeader() + Poi({{"EN", "a"}});
  std::string signature01 = file, noPoi = file, farBase = file, loaderFar = LoaderHeader(1252) + Poi({{"EN", "a"}});
  signature01[15] = '1';
  noPoi[38] = 'X';
  farBase.replace(22, 2, U16(0xFFFF));
  loaderFar.replace(4, 4, U32(0xFFFFFFF0));
  const std::pair<std::string, int> cases[] = {
      {file.substr(0, 70), 14225}, {signature01, 14219}, {noPoi, 14219}, {farBase, 14219}, {loaderFar, 14219},
      {PlainHeader() + std::string(8, '\0'), 0}, {file, 0}};
  for (const auto& [bytes, result] : cases) EXPECT_EQ(Read(bytes).result, result) << bytes.size();
}

TEST(GpiRead, TheEnglishNameAmongANamesList) {
  const std::pair<std::string, std::string> cases[] = {
      {Poi({{"EN", "Taipei 101"}}), "Taipei 101"},       {Poi({{"DE", "Mai"}}), ""},
      {Poi({{"RU", "\xD0\x9C\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE"}, {"EN", "Metro     "}}), "Metro"},
      {Poi({{"DE", "x"}, {"FR", "y"}, {"EN", "z"}}), "z"}, {Poi({{"EN", ""}}), ""},
      {Poi({{"EN", Raw("\0ab", 3)}}), ""},               {Poi({{"EN", "   "}}), ""},
      {Poi({{"EN", "a|b>c"}}), "a b c"},                {Poi({{"EN", std::string(300, 'n')}}), std::string(255, 'n')},
      // The name may end the record; it may not run past it.
      {Poi({{"EN", "last"}}, 1 << 29, -(1 << 29), ""), "last"},
      {Poi({{"EN", "long"}}, 1 << 29, -(1 << 29), "").replace(29, 2, U16(5)), ""},
      // Only the first name counts outside the names list.
      {Poi({{"DE", "a"}}, 1 << 29, -(1 << 29), "EN" + U16(1) + "b"), ""},
  };
  for (const auto& [poi, name] : cases) {
    const auto read = Read(PlainHeader() + poi + std::string(40, '\0'));
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.rows, name.empty() ? Lines{} : Lines{name + "|-45.00000|45.00000|2"}) << name;
  }
}

TEST(GpiRead, CoordinatesRoundToUnits) {
  struct Case {
    std::int32_t lat, lon;
    const char* row;
  } cases[] = {
      {1 << 30, INT32_MIN, "p|-180.00000|90.00000|2"},
      {(1 << 30) + 59, INT32_MAX, "p|180.00000|90.00000|2"},  // 90.0000049 degrees
      {(1 << 30) + 60, 596523, "p|0.05000||2"},               // 90.0000050 degrees
      {-(1 << 30) - 60, -596523, "p|-0.05000||2"},
      {0, 1, "p|0.00000|0.00000|2"},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(PlainHeader() + Poi({{"EN", "p"}}, c.lat, c.lon)).rows, Lines{c.row});
}

TEST(GpiRead, EveryRecordWhollyInsideTheFile) {
  const std::string a = Poi({{"EN", "a"}}), b = Poi({{"EN", "b"}});
  const std::string last = Poi({{"EN", "c"}}, 1 << 29, -(1 << 29), "");
  const std::string stray = Raw("\2\0\x08\0", 4) + U32(0xFFFFFFFF) + U32(0);
  const std::pair<std::string, std::size_t> cases[] = {
      {a + b + last, 3},                      // a chain, the last record ending the file
      {a + "junk" + b + "xyz" + last, 3},     // found by the byte scan
      {stray + a + b, 2},                     // a length past the file end: no record
      {a + b + last.substr(0, last.size() - 1), 2},
      {Raw("\2\0\x08\0", 4) + U32(0) + U32(0) + a, 1},  // an empty record in the chain
  };
  for (const auto& [records, rows] : cases) {
    const auto read = Read(PlainHeader() + records);
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.rows.size(), rows) << records.size();
  }
}

TEST(GpiRead, NamesInTheHeadersCodePage) {
  const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
      {1252, "\x80", "€"},
      {65001, "\xC3\xA9", "é"},
      {0x0011FDE9, "\xC3\xA9", "é"},  // POI Loader keeps another field in the high half
      {437, "\x80", "€"},             // unknown here: the system code page (the built-in 1252)
  };
  for (const auto& [codePage, bytes, name] : cases) {
    EXPECT_EQ(Read(PlainHeader(codePage) + Poi({{"EN", bytes}})).rows, Lines{name + "|-45.00000|45.00000|2"});
    EXPECT_EQ(Read(LoaderHeader(codePage) + Poi({{"RU", "x"}, {"EN", bytes}})).rows,
              Lines{name + "|-45.00000|45.00000|2"});
  }
}

TEST(GpiRead, ImportSelectsTheRowsAndChecksNames) {
  DocumentState doc;
  doc.settings.Set(Option::CheckName, true);
  testing::ScriptedUi ui;
  ui.duplicateAnswers = {kDrop};
  const std::string bytes = PlainHeader() + Poi({{"EN", "a"}}) + Poi({{"EN", "b"}}) + Poi({{"EN", "a"}});
  ReadContext context{doc, ui, nullptr, nullptr, 4};
  EXPECT_EQ(testing::ReadBytesAs(context, bytes, TransferMode::Import), 0);
  EXPECT_EQ(ui.duplicateQuestions, Lines{"a"});
  EXPECT_EQ(doc.table.SelectedCount(), 2u);
}

}  // namespace
}  // namespace wayloom
