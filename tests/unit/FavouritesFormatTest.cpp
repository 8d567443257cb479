#include <gtest/gtest.h>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::Lines;

std::string I32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
}

// A favourite as the device writes it: the fixed bytes with the offset k at +26 to Q; the
// byte at Q places the length byte at R = Q + byte - 26; the name follows the length byte.
std::string Favourite(char category, std::int32_t lon, std::int32_t lat, const std::string& name, char k = 27,
                      char atQ = 27, int lengthByte = -1) {
  std::string record = std::string{4, 0, category, 0, 0, 0, 8, 0} + I32(lon) + I32(lat) + std::string{8, 0};
  record += std::string(8, 'z') + k + atQ + static_cast<char>(lengthByte >= 0 ? lengthByte : name.size() + 27);
  return record + name;
}
const std::string kEnd(30, '\0');  // the scan stops 30 bytes before the end

struct FavouritesRead {
  Lines rows;
  std::vector<std::string> questions;
  int format;
};

FavouritesRead Read(const std::string& bytes, bool homeAndRecent, bool checkName = false) {
  DocumentState doc;
  doc.settings.Set(Option::CheckName, checkName);
  testing::ScriptedUi ui;
  ReadContext context{doc, ui, nullptr, nullptr, 0, homeAndRecent};
  EXPECT_EQ(testing::ReadBytesAs(context, bytes), 0);
  return {testing::Rows(doc), ui.duplicateQuestions, context.format};
}

TEST(FavouritesRead, CategoriesAndTheirLabels) {
  const std::string file = Favourite(3, 121500, 2503300, "Fav") + Favourite(4, -1, 0, "Home") +
                           Favourite(5, 0, -1, "Recent") + Favourite(7, 0, 0, "Seven") + kEnd;
  const auto favourites = Read(file, false);
  EXPECT_EQ(favourites.rows, Lines{"Fav|1.21500|25.03300|2"});
  EXPECT_EQ(favourites.format, 1);
  EXPECT_EQ(Read(file, true).rows, (Lines{"Fav@我的最愛|1.21500|25.03300|2", "Home@我的家|-0.00001|0.00000|2",
                                          "Recent@近期地點|0.00000|-0.00001|2", "Seven@近期地點|0.00000|0.00000|2"}));
}

TEST(FavouritesRead, ExactDuplicatesAreSkippedBeforeTheNameQuestion) {
  const std::string a = Favourite(3, 100, 200, "A");
  const struct {
    std::string file;
    std::size_t rows;
    std::size_t questions;  // with "Check Name"
  } cases[] = {
      {a + a + kEnd, 1, 0},
      {a + Favourite(3, 100, 201, "A") + kEnd, 2, 1},
      {Favourite(3, 18000001, 200, "A") + Favourite(3, 18000001, 200, "A") + kEnd, 2, 1},  // empty cells
      // Only the first row of the name is compared.
      {a + Favourite(3, 100, 201, "A") + Favourite(3, 100, 201, "A") + kEnd, 3, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Read(c.file, false).rows.size(), c.rows);
    EXPECT_EQ(Read(c.file, false, true).questions.size(), c.questions);
  }
}

TEST(FavouritesRead, NamesAndBounds) {
  const std::string b = Favourite(3, 1, 1, "B");
  const std::pair<std::string, Lines> cases[] = {
      // The device's two-byte code, whole units only; plain names are one byte a character.
      {Favourite(3, 1, 1, ">>\x41\x21\x42\x21\x43") + kEnd, {"AB|0.00001|0.00001|2"}},
      {Favourite(3, 1, 1, "Caf\xE9") + kEnd, {"Café|0.00001|0.00001|2"}},
      {Favourite(3, 1, 1, "   ") + b + kEnd, {"B|0.00001|0.00001|2"}},
      // A length byte below 27 (signed) gives no row; the scan goes on.
      {Favourite(3, 1, 1, "x", 27, 27, 26) + b + kEnd, {"B|0.00001|0.00001|2"}},
      {Favourite(3, 1, 1, "x", 27, 27, 0x90) + b + kEnd, {"B|0.00001|0.00001|2"}},
      // The scan goes on after the name, not inside it.
      {Favourite(3, 1, 1, Favourite(3, 2, 2, "Inner")) + kEnd, {"zzzzzzzz Inner|0.00001|0.00001|2"}},
      // A name before the start or past the end ends the scan.
      {Favourite(3, 1, 1, "x", -1) + b + kEnd, {}},
      {Favourite(3, 1, 1, "x", 27, -100) + b + kEnd, {}},
      {b + Favourite(3, 1, 1, "x", 27, 27, 100) + "x", {"B|0.00001|0.00001|2"}},
  };
  for (const auto& [file, rows] : cases) EXPECT_EQ(Read(file, false).rows, rows) << file.size();
}

// The favourites alone are among the real-world files read by every format.
TEST(FavouritesRead, RealDeviceFileWithHomeAndRecentPlaces) {
  const auto file = testing::SharedDir() / "corpus" / "Akiat_TomTomRecordsModifier" / "MapSettings.cfg";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no shared corpus";
  // 61 records: the home place three times, many recent places twice.
  const auto all = Read(testing::ReadBytes(file), true).rows;
  ASSERT_EQ(all.size(), 38u);
  EXPECT_EQ(all.front(), "Schouw 4418, Lelystad@我的家|5.46289|52.50772|2");
  EXPECT_EQ(all[3], "Texelstroom 10, Lelystad@近期地點|5.48838|52.52389|2");
  EXPECT_EQ(all.back(), "Texelstroom@近期地點|5.48856|52.52400|2");
}

}  // namespace
}  // namespace wayloom
