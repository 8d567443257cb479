// The Windows name order against the portable one: the same order for the names an
// itinerary usually holds (letters, spaces, digits, punctuation other than the hyphen and
// apostrophe, which the Windows word sort nearly ignores), and the cases the sort relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/PortableCollation.h"
#include "platform/win32/Win32Collation.h"

namespace wayloom {
namespace {

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

TEST(Win32Collation, LogicalOrderAndLocaleOrder) {
  Win32Collation windows;
  EXPECT_LT(windows.CompareLogical(u"Stop 2", u"Stop 10"), 0);
  EXPECT_EQ(windows.CompareLogical(u"abc", u"ABC"), 0);
  EXPECT_NE(windows.CompareLocale(u"abc", u"ABC"), 0);
  EXPECT_EQ(windows.CompareLocale(u"Taipei", u"Taipei"), 0);
}

TEST(Win32Collation, ThePortableOrderAgreesOnPlainNames) {
  const std::vector<Text> names = {u"Stop 1",  u"stop 1",   u"Stop 2",   u"Stop 10", u"Stop 10a", u"Stop 9b",
                                   u"Hotel",   u"hotel",    u"Hotel 12", u"abc",     u"ABC",      u"abd",
                                   u"a",       u"a b",      u"ab",       u"Zebra",   u"zebra 3",  u"x 100",
                                   u"x 99",    u"Route 66", u"route 7",  u"Home",    u"HOME 2",   u"Market",
                                   u"1x",      u"(1) a",    u"a.b",      u"a,b",     u"007"};
  Win32Collation windows;
  PortableCollation portable;
  for (const Text& a : names) {
    for (const Text& b : names) {
      EXPECT_EQ(Sign(windows.CompareLogical(a, b)), Sign(portable.CompareLogical(a, b)))
          << "logical " << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());
      if (windows.CompareLogical(a, b) == 0) {
        EXPECT_EQ(Sign(windows.CompareLocale(a, b)), Sign(portable.CompareLocale(a, b)))
            << "locale " << std::string(a.begin(), a.end()) << " / " << std::string(b.begin(), b.end());
      }
    }
  }
}

// The similar-name equality (CompareStringW flags 0x30005), its keys and the case fold of
// the containment test, against the portable ones.
TEST(Win32Collation, LooseEqualityAgreesWithThePortableOneAndWithItsKeys) {
  struct Pair { const char16_t* a; const char16_t* b; bool equal; };
  const Pair pairs[] = {
      {u"Taipei Station", u"TAIPEI-STATION", true}, {u"\uFF21\uFF22\uFF23", u"abc", true},
      {u"台北車站", u"台北 車站", true},             {u"Stop 1", u"stop1", true},
      {u"Taipei", u"Taipei Station", false},       {u"台北", u"台中", false},
      {u"Stop 1", u"Stop 2", false},               {u"abc", u"abd", false}};
  Win32Collation windows;
  PortableCollation portable;
  for (const Pair& pair : pairs) {
    const std::string label = "pair " + std::to_string(&pair - pairs);
    EXPECT_EQ(windows.EqualIgnoringCaseSymbolsWidth(pair.a, pair.b), pair.equal) << label;
    EXPECT_EQ(windows.LooseKey(pair.a) == windows.LooseKey(pair.b), pair.equal) << label;
    EXPECT_EQ(portable.EqualIgnoringCaseSymbolsWidth(pair.a, pair.b), pair.equal) << label;
  }
  EXPECT_TRUE(windows.EqualIgnoringCaseSymbolsWidth(u"", u""));
  EXPECT_EQ(windows.LooseKey(u""), windows.LooseKey(u"- -"));
  for (const char16_t* text : {u"Taipei Station", u"\uFF21bc", u"\u00C9cole", u"台北"}) {
    Text folded = text, portableFolded = text;
    windows.FoldCase(folded);
    portable.FoldCase(portableFolded);
    EXPECT_EQ(folded, portableFolded);
  }
}

}  // namespace
}  // namespace wayloom
