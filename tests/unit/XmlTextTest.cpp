#include <gtest/gtest.h>

#include "formats/XmlText.h"

namespace wayloom {
namespace {

TEST(XmlText, EscapeAndUnescape) {
  EXPECT_EQ(EscapeXml(u"a&b<c>d\"e'f \u53F0"), u"a&amp;b&lt;c&gt;d&quot;e'f \u53F0");
  EXPECT_EQ(EscapeXml(u"&amp;"), u"&amp;amp;");
  const std::pair<const char16_t*, const char16_t*> unescaped[] = {
      {u"&amp;&lt;&gt;&quot;&nbsp;", u"&<>\" "},
      {u"&amp;lt; &amp;amp;", u"&lt; &amp;"},  // one pass: a decoded '&' starts nothing
      {u"&#65; &#x41; &apos; &AMP; &amp &", u"&#65; &#x41; &apos; &AMP; &amp &"},
      {u"&&lt;&", u"&<&"},
      {u"", u""},
  };
  for (const auto& [text, expected] : unescaped) {
    Text t(text);
    UnescapeXml(t);
    EXPECT_EQ(t, expected) << TextToUtf8(text);
  }
}

TEST(XmlText, DecodeNames) {
  EXPECT_EQ(DecodeXmlName("Fish &amp; <![CDATA[&amp; <b>]]> &lt;\xE5\x8F\xB0"), u"Fish & &amp; <b> <\u53F0");
  EXPECT_EQ(DecodeXmlName("<![CDATA[open"), u"open");
  EXPECT_EQ(DecodeXmlName("a\xF0\x9F\x98\x80\xC3"), u"a\U0001F600\uFFFD");
  // Long content: the first 1792 characters, none cut in half.
  EXPECT_EQ(DecodeXmlName(std::string(6000, 'x')), Text(kXmlNameUnitsDecoded, u'x'));
  std::string wide;
  for (int i = 0; i < 2000; ++i) wide += "\xE5\x8F\xB0";
  EXPECT_EQ(DecodeXmlName("ab" + wide), u"ab" + Text(kXmlNameUnitsDecoded - 2, u'\u53F0'));
}

TEST(XmlText, DecodeIntoReusedBufferReplacesTheOldName) {
  Text name = u"an older and much longer name";
  for (const char* content : {"Caf\xC3\xA9 1", "a &amp; b", "<![CDATA[x&amp;]]>", ""}) {
    DecodeXmlNameInto(content, name);
    EXPECT_EQ(name, DecodeXmlName(content)) << content;
  }
}

TEST(XmlText, TemplatesAndEscapedUtf8AppendWhatTheTextFunctionsGive) {
  const struct {
    const char* format;
    std::initializer_list<std::string_view> values;
    const char* expected;
  } cases[] = {
      {"<a x=\"%s\" y=\"%d\">", {"1", "2"}, "<a x=\"1\" y=\"2\">"},
      {"100%% %s%%", {"v"}, "100% v%"},
      {"%s%s|%s", {"a", "b"}, "ab|"},   // fewer values: the rest become nothing
      {"%x %", {"unused"}, "%x %"},     // neither a placeholder nor an escape
      {"%%s", {"v"}, "%s"},
      {"", {"v"}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FillTemplate(c.format, c.values), c.expected) << c.format;
    std::string appended = "head ";
    AppendFilledTemplate(appended, c.format, c.values);
    EXPECT_EQ(appended, std::string("head ") + c.expected) << c.format;
  }
  // Lone surrogates next to escaped characters, astral characters, plain runs.
  const Text texts[] = {u"", u"plain", u"a&b<c>d\"e'f", u"\xD83D&\xDE00", u"\U0001F600\u53F0&", u"&&&", u"\xDC00x\xD800"};
  for (const Text& text : texts) {
    std::string appended = "x";
    AppendEscapedXmlUtf8(appended, text);
    EXPECT_EQ(appended, "x" + TextToUtf8(EscapeXml(text)));
  }
}

// The scanner finds a tag exactly where a plain case-blind search does, for any range, at
// the borders of its eight-byte steps and at the very end of the data.
// Find and FindAtCharacterStart (which steps over a lead byte's whole character, even
// when its tail holds a '<') against plain searches position by position.
TEST(XmlScanner, FindAgreesWithAPlainSearch) {
  const std::string_view pieces[] = {"<", "<p", "<P", "<pl", "<placemark", "<PlaceMark>", "</placemark>", "x",
                                     "\xC3\xA9", "p", "<<", "<\x10", "plain ascii text", "\xE4\xB8\xAD", "\xF0<pl",
                                     "\xE0<", "\xC3<p"};
  const std::string_view tags[] = {"<placemark", "</placemark>", "<p", "<", "<\x10", "<pl"};
  std::uint32_t seed = 15;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
  for (int round = 0; round < 300; ++round) {
    std::string data;
    const std::size_t count = next() % 40;
    for (std::size_t k = 0; k < count; ++k) data += pieces[next() % std::size(pieces)];
    const XmlScanner scan(data);
    for (std::string_view tag : tags) {
      const std::size_t from = data.empty() ? 0 : next() % (data.size() + 1);
      const std::size_t to = next() % 2 ? data.size() : from + next() % (data.size() + 2);
      std::size_t expected = XmlScanner::kNotFound;
      for (std::size_t i = from; i + tag.size() <= std::min(to, data.size()) && expected == XmlScanner::kNotFound; ++i)
        if (scan.StartsWith(i, tag)) expected = i;
      EXPECT_EQ(scan.Find(tag, from, to), expected) << '"' << data << "\" " << tag << ' ' << from << ' ' << to;
      expected = XmlScanner::kNotFound;
      for (std::size_t i = from; i < data.size() && expected == XmlScanner::kNotFound;) {
        const auto lead = static_cast<std::uint8_t>(data[i]);
        if (scan.StartsWith(i, tag)) expected = i;
        i += lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      }
      EXPECT_EQ(scan.FindAtCharacterStart(tag, from), expected) << '"' << data << "\" " << tag << ' ' << from;
    }
  }
}

}  // namespace
}  // namespace wayloom
