#include <gtest/gtest.h>

#include "core/TextRules.h"

namespace wayloom {
namespace {

struct NameCase {
  Text input;
  Text expected;  // empty: rejected
};

TEST(NormaliseName, CleansCutsAndRejects) {
  const Text name255(255, u'x');
  Text name300(300, u'y');
  name300[254] = u' ';  // the cut leaves a trailing space, which the trim removes
  const NameCase cases[] = {
      {u"Home", u"Home"},
      {name255, name255},
      {name300, Text(254, u'y')},
      {u"  a|b>c  ", u"a b c"},
      {u"\u3000\u3000", u""},
      {u"", u""},
      {u"   ", u""},
      {u"a\u200Eb", u"ab"},
      {u"a\u2013b", u"a\u2013b"},
      {u"\u200E Home", u"Home"},
      {u"tab\there\r\nnext", u"tab here  next"},
      {u"x\x01y", u"xy"},
      {Text(u"a\0b", 3), u"ab"},
  };
  for (const auto& c : cases) {
    Text name = c.input;
    const bool accepted = NormaliseName(name);
    EXPECT_EQ(accepted, !c.expected.empty());
    if (accepted) EXPECT_EQ(name, c.expected);
  }
}

TEST(NormaliseName, CutNeverLeavesHalfASurrogatePair) {
  Text name(254, u'a');
  name += u"\U0001F600";  // units 255 and 256
  ASSERT_TRUE(NormaliseName(name));
  EXPECT_EQ(name.size(), 254u);
}

TEST(CleanText, TrimsAndDeletesFormatCharacters) {
  Text text = u"\u3000 \u202Aabc\u206F \u3000";
  CleanText(text);
  EXPECT_EQ(text, u"abc");
  Text kept = u"\u2000x\u20AC";
  CleanText(kept);
  EXPECT_EQ(kept, u"\u2000x\u20AC");
}

TEST(IsPlainNumber, TellsRealZeroFromText) {
  const std::pair<Text, bool> cases[] = {
      {u"0", true},      {u"0.000", true}, {u"-0.5", true}, {u"+12", true},  {u" 7 ", true},
      {u".5", true},     {u"5.", true},    {u"", false},    {u".", false},   {u"abc", false},
      {u"1.2.3", false}, {u"1e5", false},  {u"--1", false}, {u"1-", false},  {u"0x10", false},
  };
  for (const auto& [text, plain] : cases) EXPECT_EQ(IsPlainNumber(text), plain) << TextToUtf8(text);
}

}  // namespace
}  // namespace wayloom
