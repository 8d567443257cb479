#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/posix/IconvTextCodec.h"

namespace wayloom {
namespace {

TEST(IconvTextCodec, RoundTripsInEachCodePage) {
  const IconvTextCodec codec(0);
  EXPECT_EQ(codec.SystemCodePage(), 950u);  // ANSI is Big5 unless the user chooses another
  EXPECT_EQ(IconvTextCodec(1252).SystemCodePage(), 1252u);
  const struct {
    unsigned codePage;
    Text text;
    std::string bytes;
  } cases[] = {
      {950, u"台北市 101", "\xA5\x78\xA5\x5F\xA5\xAB 101"},
      {1252, u"Händelstraße €", "H\xE4ndelstra\xDF" "e \x80"},
      {kUtf8CodePage, u"台 Ω 😀", "\xE5\x8F\xB0 \xCE\xA9 \xF0\x9F\x98\x80"},
      {28591, u"\u0080ÿ", "\x80\xFF"},
      {1200, u"A台", std::string("A\0\xF0\x53", 4)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_TRUE(codec.IsAvailable(c.codePage));
    EXPECT_EQ(codec.Encode(c.text, c.codePage), c.bytes);
    EXPECT_EQ(codec.Decode(c.bytes, c.codePage), c.text);
  }
  for (unsigned codePage : {932u, 936u, 949u, 874u, 1250u, 437u, 28605u, 54936u})
    EXPECT_TRUE(codec.IsAvailable(codePage)) << codePage;
  // Longer than one conversion chunk.
  const Text longText(40000, u'台');
  EXPECT_EQ(codec.Decode(codec.Encode(longText, 950), 950), longText);
}

TEST(IconvTextCodec, UnavailableCodePagesReadAsTheSystemCodePage) {
  for (unsigned codePage : {0u, 1u, 12345u, 65000u}) EXPECT_FALSE(IconvTextCodec(0).IsAvailable(codePage));
  const IconvTextCodec cp1252(1252);
  EXPECT_EQ(cp1252.Decode("\xE4", 12345), u"ä");
  EXPECT_EQ(cp1252.Encode(u"ä", 0), "\xE4");
  // A system code page that is not there itself falls back to Big5.
  EXPECT_EQ(IconvTextCodec(12345).Decode("\xA5\x78", 54321), u"台");
}

TEST(IconvTextCodec, InvalidBytesAndUnencodableCharacters) {
  const IconvTextCodec codec(950);
  // One U+FFFD per undecodable byte; the bytes after it are read again.
  EXPECT_EQ(codec.Decode("a\xA5", 950), u"a\uFFFD");
  EXPECT_EQ(codec.Decode("\xA5\n\xA5\x78", 950), u"\uFFFD\n台");
  EXPECT_EQ(codec.Decode("\x81\x81x", 1252), u"\uFFFD\uFFFDx");
  EXPECT_EQ(codec.Decode("\xC3(", kUtf8CodePage), u"\uFFFD(");
  EXPECT_EQ(codec.Decode(std::string("A\0B", 3), 1200), Text(u"A\uFFFD"));
  // One '?' per character the code page cannot hold (a surrogate pair is one character).
  EXPECT_EQ(codec.Encode(u"é台", 950), "?\xA5\x78");
  EXPECT_EQ(codec.Encode(u"a台😀b", 1252), "a??b");
  EXPECT_EQ(codec.Encode(Text(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00), 1252), "x?y?");
}

// A long text is encoded in slices: every character, pairs across the slice borders and
// characters the code page cannot hold among them, encodes as it does on its own.
TEST(IconvTextCodec, LongTextsEncodeAsTheirCharactersDo) {
  const IconvTextCodec codec(950);
  const Text characters[] = {u"a", u"台", u"é", u"😀", u"Ж", Text(1, char16_t(0xD800)), u"ก"};
  for (unsigned codePage : {950u, 1252u, 54936u}) {
    Text text;
    std::string expected;
    for (std::size_t i = 0; text.size() < 5000; ++i) {
      const Text& character = characters[(i * i + i / 7) % std::size(characters)];
      text += character;
      expected += codec.Encode(character, codePage);
    }
    EXPECT_EQ(codec.Encode(text, codePage), expected) << codePage;
  }
}

// Bytes decode as their characters do one by one, whatever stands beside them: ASCII after
// a trail byte below 0x80 (許 is B3 5C), four-byte GB18030 characters, invalid bytes.
TEST(IconvTextCodec, LongByteRunsDecodeAsTheirCharactersDo) {
  const IconvTextCodec codec(950);
  using Characters = std::vector<std::pair<std::string, Text>>;
  const std::pair<unsigned, Characters> cases[] = {
      {950u, {{"a", u"a"}, {"\\", u"\\"}, {"\xA5\x78", u"台"}, {"\xB3\x5C", u"許"}, {"\xA4\x40", u"一"},
              {"\xFF", u"\uFFFD"}, {"\r\n", u"\r\n"}, {std::string(1, '\0'), Text(1, u'\0')}}},
      {54936u, {{"a", u"a"}, {"\x81\x30\x81\x30", u"\u0080"}, {"\xB0\xA1", u"啊"}, {"\x95\x32\x82\x36", u"\U00020000"},
                {"0", u"0"}}},
      {1252u, {{"a", u"a"}, {"\xE9", u"é"}, {"\x81", u"\uFFFD"}, {"z", u"z"}}},
  };
  for (const auto& [codePage, characters] : cases) {
    std::string bytes;
    Text expected;
    for (std::size_t i = 0; bytes.size() < 5000; ++i) {
      const auto& [character, text] = characters[(i * i + i / 7) % characters.size()];
      bytes += character;
      expected += text;
    }
    EXPECT_EQ(codec.Decode(bytes, codePage), expected) << codePage;
  }
}

}  // namespace
}  // namespace wayloom
