#include "core/ToolbarLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::MemoryProfile;

TEST(ToolbarLayoutTest, ButtonsAreTheListedCommandsInOrderWithNineGroupSeparators) {
  // Commands with a button, as ranges; every other main-menu command has none.
  const std::pair<int, int> ranges[] = {{1000, 1007}, {1009, 1019}, {1022, 1030}, {1033, 1047},
                                        {1054, 1055}, {1057, 1062}};
  int image = 0;
  for (int command = IDM_FIRST; command <= IDM_LAST; ++command) {
    const bool hasButton = std::ranges::any_of(ranges, [&](auto r) { return command >= r.first && command <= r.second; });
    EXPECT_EQ(ToolbarImageOf(command), hasButton ? image++ : -1) << command;
  }
  EXPECT_EQ(image, kToolbarImageCount);
  EXPECT_EQ(ToolbarImageOf(IDM_RELAYOUT), -1);

  EXPECT_EQ(TextToUtf8(FormatToolbarLayout(DefaultToolbarLayout())),
            "0 1 2 3 4 5 6 7 51 8 9 10 11 12 13 14 15 51 16 17 18 19 51 20 21 22 23 51 24 25 26 27 51 "
            "28 29 30 31 51 32 33 34 35 36 37 38 39 51 40 41 51 42 43 44 45 51 46 47 48 49 50");
  EXPECT_EQ(ParseToolbarLayout(FormatToolbarLayout(DefaultToolbarLayout())), DefaultToolbarLayout());
}

TEST(ToolbarLayoutTest, ParsingKeepsEachButtonOnceAndPassesOverAnythingElse) {
  const struct { const char16_t* value; ToolbarLayout expected; } cases[] = {
      {u"0 51 51 0 99", {0, 51, 51}},
      {u"50 52 -1 +3 3x 007 051 100 1", {50, 7, 51, 1}},
      {u"  4   5  ", {4, 5}},
      {u"4\t5 6", {6}},
      {u"99999999999999999999 2", {2}},
      {u"", {}},
      {u"51", {51}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseToolbarLayout(c.value), c.expected) << TextToUtf8(c.value);
}

TEST(ToolbarLayoutTest, WrittenValueStopsBeforeTheEntryThatWouldPass253Characters) {
  ToolbarLayout layout(200, kToolbarSeparator);  // 126 separators fill 126 x 3 - 1 = 377 characters
  const Text text = FormatToolbarLayout(layout);
  EXPECT_EQ(text.size(), 251u);  // 84 entries; an 85th would need 254
  EXPECT_EQ(ParseToolbarLayout(text), ToolbarLayout(84, kToolbarSeparator));
  layout.insert(layout.begin(), {10, 2});  // "10 2 " and 83 separators: exactly 253 characters
  EXPECT_EQ(FormatToolbarLayout(layout).size(), 253u);
  EXPECT_EQ(FormatToolbarLayout({}), u"");
}

TEST(ToolbarLayoutTest, ProfileKeyAbsentGivesTheDefaultAndEmptyGivesNoButtons) {
  MemoryProfile profile;
  EXPECT_FALSE(HasToolbarLayout(profile));
  EXPECT_EQ(ReadToolbarLayout(profile), DefaultToolbarLayout());
  ASSERT_TRUE(WriteToolbarLayout(profile, {3, 51, 0}));
  EXPECT_EQ(profile.writes, std::vector<std::string>({"Options/Toolbar Button=3 51 0"}));
  EXPECT_EQ(ReadToolbarLayout(profile), ToolbarLayout({3, 51, 0}));
  profile.Set("Options", "Toolbar Button", u"");
  EXPECT_EQ(ReadToolbarLayout(profile), ToolbarLayout());
  ASSERT_TRUE(DeleteToolbarLayout(profile));
  EXPECT_FALSE(HasToolbarLayout(profile));
  EXPECT_EQ(ReadToolbarLayout(profile), DefaultToolbarLayout());
}

}  // namespace
}  // namespace wayloom
