#include "platform/posix/IniFileProfile.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "ProfileCases.h"
#include "TestSupport.h"

namespace wayloom {
namespace {

namespace fs = std::filesystem;

class IniFileProfileTest : public ::testing::Test {
 protected:
  void WriteBytes(const std::string& bytes) const { testing::WriteBytes(path_, bytes); }
  std::string ReadBytes() const { return testing::ReadBytes(path_); }
  std::ptrdiff_t DirectoryEntries() const { return std::distance(fs::directory_iterator(dir_.path()), {}); }
  testing::TempFolder dir_;
  const fs::path path_ = dir_ / "Wayloom.ini";
};

TEST_F(IniFileProfileTest, ReadsAsTheWindowsFunctionsDo) {
  for (const testing::IniReadCase& c : testing::kIniReadCases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    IniFileProfile profile(path_);
    EXPECT_EQ(profile.ReadString(c.section, c.key), c.expected);
    EXPECT_EQ(profile.FileEncoding(), c.encoding);
  }
}

TEST_F(IniFileProfileTest, WritesKeysInPlaceKeepingTheRest) {
  // file: nullopt is no file yet.
  const struct {
    const char* name; std::optional<std::string> file; std::vector<std::array<const char16_t*, 3>> writes; std::string expected;
  } cases[] = {
      {"new file in UTF-16", std::nullopt,
       {{u"Options", u"Show Toolbar", u"1"}, {u"Font", u"Name", u"\u65B0\u7D30\u660E\u9AD4"}, {u"Options", u"File Count", u"7"}},
       testing::Utf16Bytes(u"[Options]\r\nShow Toolbar=1\r\nFile Count=7\r\n[Font]\r\nName=\u65B0\u7D30\u660E\u9AD4\r\n")},
      {"update keeps layout", "; settings\n\n[Options]\n  Show Toolbar =  0\nOther=x\n\n[Window]\nLeft=5\n",
       {{u"options", u"SHOW TOOLBAR", u"1"}, {u"Options", u"New Key", u"n"}, {u"Window", u"Top", u"7"}, {u"Font", u"Name", u"Arial"}},
       "; settings\n\n[Options]\n  Show Toolbar =  1\nOther=x\nNew Key=n\n\n[Window]\nLeft=5\nTop=7\n[Font]\nName=Arial\n"},
      {"first of duplicates, bare key filled", "[S]\r\nK=1\r\nB\r\n[S]\r\nK=2\r\n",
       {{u"S", u"k", u"3"}, {u"S", u"b", u"4"}, {u"S", u"C", u"5"}}, "[S]\r\nK=3\r\nB=4\r\nC=5\r\n[S]\r\nK=2\r\n"},
      // Line breaks in a value cannot add keys or sections.
      {"line breaks", "[S]\r\n", {{u"S", u"A", u"x\r\n[S]\r\nB=1\nC=2"}}, "[S]\r\nA=x  [S]  B=1 C=2\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(path_);
    if (c.file) WriteBytes(*c.file);
    IniFileProfile profile(path_);
    if (!c.file) {
      EXPECT_EQ(profile.ReadInt(u"Options", u"Show Toolbar", 7), 7);
    }
    EXPECT_EQ(fs::exists(path_), c.file.has_value());
    for (const auto& [section, key, value] : c.writes) ASSERT_TRUE(profile.WriteString(section, key, value));
    EXPECT_EQ(ReadBytes(), c.expected);
    EXPECT_EQ(DirectoryEntries(), 1);  // no temporary file left beside it
  }
}

TEST_F(IniFileProfileTest, KeepsTheEncodingWhenRewriting) {
  using E = IniFileProfile::Encoding;
  using testing::Utf16Bytes;
  const struct { const char* name; std::string file; Text value; E after; std::string bytes; } cases[] = {
      {"UTF-16LE", Utf16Bytes(u"[S]\r\nA=1\r\n"), u"\u4E2D", E::Utf16Le, Utf16Bytes(u"[S]\r\nA=1\r\nB=\u4E2D\r\n")},
      {"UTF-16BE", Utf16Bytes(u"[S]\n", true), u"\u4E2D", E::Utf16Be, Utf16Bytes(u"[S]\nB=\u4E2D\n", true)},
      {"UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nA=1\r\n", u"\u4E2D", E::Utf8Bom, "\xEF\xBB\xBF[S]\r\nA=1\r\nB=\xE4\xB8\xAD\r\n"},
      {"UTF-8", "[S]\r\nA=1\r\n", u"\u4E2D \U0001F600", E::Utf8, "[S]\r\nA=1\r\nB=\xE4\xB8\xAD \xF0\x9F\x98\x80\r\n"},
      {"Latin-1", "[S]\r\nA=\xE9\r\n", u"\u00FC", E::Latin1, "[S]\r\nA=\xE9\r\nB=\xFC\r\n"},
      {"Latin-1 that cannot hold the text", "[S]\r\nA=\xE9\r\n", u"\u4E2D", E::Utf16Le,
       Utf16Bytes(u"[S]\r\nA=\u00E9\r\nB=\u4E2D\r\n")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    {
      IniFileProfile profile(path_);
      ASSERT_TRUE(profile.WriteString(u"S", u"B", c.value));
      EXPECT_EQ(profile.FileEncoding(), c.after);
    }
    EXPECT_EQ(ReadBytes(), c.bytes);
    IniFileProfile reread(path_);
    EXPECT_EQ(reread.FileEncoding(), c.after);
    EXPECT_EQ(reread.ReadString(u"S", u"B"), c.value);
  }
}

TEST_F(IniFileProfileTest, FailedWriteReturnsFalseAndChangesNothing) {
  // The target is a directory: the rename over it fails.
  fs::create_directory(path_);
  IniFileProfile profile(path_);
  EXPECT_FALSE(profile.WriteString(u"S", u"K", u"v"));
  EXPECT_EQ(profile.ReadString(u"S", u"K"), std::nullopt);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(DirectoryEntries(), 1);

  // The folder does not exist: nothing is created.
  EXPECT_FALSE(IniFileProfile(dir_ / "missing/Wayloom.ini").WriteString(u"S", u"K", u"v"));
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

TEST_F(IniFileProfileTest, SeesChangesMadeByOthers) {
  WriteBytes("[S]\r\nK=1\r\n");
  IniFileProfile profile(path_);
  EXPECT_EQ(profile.ReadString(u"S", u"K"), u"1");
  WriteBytes("[S]\r\nK=22\r\nL=3\r\n");
  EXPECT_EQ(profile.ReadString(u"S", u"K"), u"22");
  ASSERT_TRUE(profile.WriteString(u"S", u"M", u"4"));
  EXPECT_EQ(ReadBytes(), "[S]\r\nK=22\r\nL=3\r\nM=4\r\n");
  fs::remove(path_);
  EXPECT_EQ(profile.ReadString(u"S", u"K"), std::nullopt);
}

// Whatever junk the file holds, reading never fails and a written key reads back.
TEST_F(IniFileProfileTest, JunkFilesNeverBreakReadingOrWriting) {
  std::mt19937 random(12345);
  const std::string alphabet = std::string("[]=;\"' \t\r\n\x1a\xFF\xFE\xEF\xBB\xBF\xE4\xB8\xAD" "SKsk") +
                               std::string(1, '\0');
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    std::string junk;
    const int length = static_cast<int>(random() % 200);
    for (int i = 0; i < length; ++i)
      junk.push_back(random() % 3 == 0 ? static_cast<char>(random() & 0xFF) : alphabet[random() % alphabet.size()]);
    WriteBytes(junk);
    IniFileProfile profile(path_);
    profile.ReadString(u"S", u"K");
    profile.ReadInt(u"s", u"k", 3);
    const Text value = round % 2 ? u"\u4E2D v" : u"value";
    ASSERT_TRUE(profile.WriteString(u"S", u"K", value));
    EXPECT_EQ(profile.ReadString(u"S", u"K"), value);
    EXPECT_EQ(IniFileProfile(path_).ReadString(u"s", u"k"), value);
  }
}

}  // namespace
}  // namespace wayloom
