#include <gtest/gtest.h>

#include "core/StatusTexts.h"
#include "core/StringTable.h"
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
      {Text(254, u'a') + u"\U0001F600", Text(254, u'a')},  // the cut never leaves half a surrogate pair
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
    if (accepted) {
      EXPECT_EQ(name, c.expected);
    }
  }
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

TEST(FormatText, FillsArgumentsInOrder) {
  const struct {
    const char16_t* format;
    std::initializer_list<FormatArg> args;
    const char16_t* expected;
  } cases[] = {
      {u"檔案的內容有問題\n\n%s", {u"a.itn"}, u"檔案的內容有問題\n\na.itn"},
      {u"已經轉換 %d 個檔案, 正在轉換: %s", {3, u"x.kml"}, u"已經轉換 3 個檔案, 正在轉換: x.kml"},
      {u"%.2u:%02d|%5d|%-d%%", {7, -3, 42}, u"07:-3|   42|%-d%"},
      {u"%s and %s", {u"one"}, u"one and "},
      {u"100%", {}, u"100%"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatText(c.format, c.args), c.expected) << TextToUtf8(c.format);
  EXPECT_EQ(FormatString(14214, 3), u"總共剔除 3 筆相同的行程資料");
  EXPECT_TRUE(LoadText(99999).empty());
}

TEST(StatusTexts, ClockCounterAndShortening) {
  EXPECT_EQ(ClockText(12, 5, u':'), u"  PM 12:05  ");
  EXPECT_EQ(ClockText(0, 5, u' '), u"  AM 12 05  ");
  EXPECT_EQ(ClockText(23, 59, u':'), u"  PM 11:59  ");
  EXPECT_EQ(ClockText(9, 0, u':'), u"  AM 9:00  ");
  EXPECT_EQ(RowCounterText(u"行程", 0, 0, 12), u"  行程  0 - 0 / 12  ");

  const std::pair<Text, Text> cases[] = {
      {u"開啟舊檔。", u"開啟舊檔"}, {u"Saved.", u"Saved"},  {u"Wait...", u"Wait..."},
      {u" Kept.", u" Kept."},     {u"", u""},             {u".", u""},
      {u"a.。", u"a."},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ShortenedStatusText(in), out);
  EXPECT_EQ(ShortenedStatusText(Text(300, u'x')).size(), 254u);
}

}  // namespace
}  // namespace wayloom
