#include "platform/posix/IniFileProfile.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace wayloom {
namespace {

namespace fs = std::filesystem;

std::string Utf16Le(TextView text) {
  std::string out = "\xFF\xFE";
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

class IniFileProfileTest : public ::testing::Test {
 protected:
  void WriteBytes(const std::string& bytes) const { testing::WriteBytes(path_, bytes); }
  std::string ReadBytes() const { return testing::ReadBytes(path_); }
  std::vector<std::string> DirectoryEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) names.push_back(entry.path().filename().string());
    return names;
  }
  testing::TempFolder dir_;
  const fs::path path_ = dir_ / "Wayloom.ini";
};

struct ReadCase {
  const char* name;
  std::string file;
  const char16_t* section;
  const char16_t* key;
  std::optional<Text> expected;
};

TEST_F(IniFileProfileTest, ReadsAsTheWindowsFunctionsDo) {
  const ReadCase cases[] = {
      {"plain", "[Options]\r\nShow Toolbar=1\r\n", u"Options", u"Show Toolbar", u"1"},
      {"section and key case", "[OPTIONS]\r\nshow toolbar=0\r\n", u"options", u"SHOW TOOLBAR", u"0"},
      {"white space trimmed", "  [Options]  \r\n \t Show Toolbar \t=  a b  \t\r\n", u"Options", u"Show Toolbar", u"a b"},
      {"requested names trimmed", "[Options]\r\nKey=v\r\n", u" Options ", u"  Key ", u"v"},
      {"spaces inside brackets", "[ Options ]\r\nKey=v\r\n", u"Options", u"Key", u"v"},
      {"text after the bracket", "[Options] old\r\nKey=v\r\n", u"Options", u"Key", u"v"},
      {"double quotes removed", "[S]\r\nK=\" 5 \"\r\n", u"S", u"K", u" 5 "},
      {"single quotes removed", "[S]\r\nK='x'\r\n", u"S", u"K", u"x"},
      {"unmatched quotes kept", "[S]\r\nK=\"x'\r\n", u"S", u"K", u"\"x'"},
      {"lone quote kept", "[S]\r\nK=\"\r\n", u"S", u"K", u"\""},
      {"empty quotes", "[S]\r\nK=\"\"\r\n", u"S", u"K", u""},
      {"inner quotes kept", "[S]\r\nK=a \"b\" c\r\n", u"S", u"K", u"a \"b\" c"},
      {"empty value is present", "[S]\r\nK=\r\n", u"S", u"K", u""},
      {"equals sign in value", "[S]\r\nK=a=b\r\n", u"S", u"K", u"a=b"},
      {"comment line", "[S]\r\n;K=1\r\n", u"S", u"K", std::nullopt},
      {"first key wins", "[S]\r\nK=1\r\nk=2\r\n", u"S", u"K", u"1"},
      {"only the first section counts", "[S]\r\nA=1\r\n[s]\r\nB=2\r\n", u"S", u"B", std::nullopt},
      {"key in the next section", "[S]\r\n[T]\r\nK=1\r\n", u"S", u"K", std::nullopt},
      {"bare key hides a later one", "[S]\r\nK\r\nK=5\r\n", u"S", u"K", std::nullopt},
      {"unclosed section is a key", "[S]\r\n[T\r\nK=1\r\n", u"S", u"K", u"1"},
      {"key before any section", "K=1\r\n[S]\r\n", u"S", u"K", std::nullopt},
      {"missing section", "[S]\r\nK=1\r\n", u"T", u"K", std::nullopt},
      {"missing key", "[S]\r\nK=1\r\n", u"S", u"L", std::nullopt},
      {"prefix of a key", "[S]\r\nKey=1\r\n", u"S", u"Ke", std::nullopt},
      {"LF line ends", "[S]\nA=1\nK=2\n", u"S", u"K", u"2"},
      {"lone CR line ends", "[S]\rA=1\rK=2", u"S", u"K", u"2"},
      {"no final line end", "[S]\r\nK=2", u"S", u"K", u"2"},
      {"DOS end-of-file mark trimmed", "[S]\r\nK=1\x1a\r\n\x1a", u"S", u"K", u"1"},
      {"no-break space kept", "[S]\r\nK=\xC2\xA0" "1\r\n", u"S", u"K", u"\u00A0" u"1"},
      {"Chinese in UTF-8", "[S]\r\n\xE8\xB7\xAF\xE5\xBE\x91=\xE5\x8F\xB0\xE5\x8C\x97\r\n", u"S", u"\u8DEF\u5F91", u"\u53F0\u5317"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    IniFileProfile profile(path_);
    EXPECT_EQ(profile.ReadString(c.section, c.key), c.expected);
  }
}

TEST_F(IniFileProfileTest, DetectsTheEncoding) {
  using E = IniFileProfile::Encoding;
  struct Case {
    const char* name;
    std::string file;
    E encoding;
    Text value;
  };
  std::string utf16be = "\xFE\xFF";
  for (char16_t c : Text(u"[S]\r\nK=\u4E2D\r\n")) {
    utf16be.push_back(static_cast<char>(c >> 8));
    utf16be.push_back(static_cast<char>(c & 0xFF));
  }
  const Case cases[] = {
      {"UTF-16LE", Utf16Le(u"[S]\r\nK=\u4E2D\u6587\r\n"), E::Utf16Le, u"\u4E2D\u6587"},
      {"UTF-16LE odd length", Utf16Le(u"[S]\r\nK=ab") + "c", E::Utf16Le, u"ab"},
      {"UTF-16BE", utf16be, E::Utf16Be, u"\u4E2D"},
      {"UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nK=\xE4\xB8\xAD\r\n", E::Utf8Bom, u"\u4E2D"},
      {"UTF-8", "[S]\r\nK=\xE4\xB8\xAD\r\n", E::Utf8, u"\u4E2D"},
      {"ASCII", "[S]\r\nK=v\r\n", E::Utf8, u"v"},
      {"Latin-1", "[S]\r\nK=caf\xE9\r\n", E::Latin1, u"caf\u00E9"},
      {"cut UTF-8 is Latin-1", "[S]\r\nK=\xE4\xB8\r\n", E::Latin1, u"\u00E4\u00B8"},
      {"NUL ends a value", Utf16Le(Text(u"[S]\r\nK=x\0y\r\n", 12)), E::Utf16Le, u"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    IniFileProfile profile(path_);
    EXPECT_EQ(profile.ReadString(u"S", u"K"), c.value);
    EXPECT_EQ(profile.FileEncoding(), c.encoding);
  }
}

TEST_F(IniFileProfileTest, MissingFileReadsEmptyAndIsCreatedAsUtf16) {
  IniFileProfile profile(path_);
  EXPECT_EQ(profile.ReadString(u"Options", u"Show Toolbar"), std::nullopt);
  EXPECT_EQ(profile.ReadInt(u"Options", u"Show Toolbar", 7), 7);
  EXPECT_FALSE(fs::exists(path_));

  ASSERT_TRUE(profile.WriteString(u"Options", u"Show Toolbar", u"1"));
  ASSERT_TRUE(profile.WriteString(u"Font", u"Name", u"\u65B0\u7D30\u660E\u9AD4"));
  ASSERT_TRUE(profile.WriteString(u"Options", u"File Count", u"7"));
  EXPECT_EQ(ReadBytes(), Utf16Le(u"[Options]\r\nShow Toolbar=1\r\nFile Count=7\r\n"
                                 u"[Font]\r\nName=\u65B0\u7D30\u660E\u9AD4\r\n"));
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"Wayloom.ini"});
}

TEST_F(IniFileProfileTest, UpdatesInPlaceKeepingTheRest) {
  WriteBytes("; settings\n\n[Options]\n  Show Toolbar =  0\nOther=x\n\n[Window]\nLeft=5\n");
  IniFileProfile profile(path_);
  ASSERT_TRUE(profile.WriteString(u"options", u"SHOW TOOLBAR", u"1"));
  ASSERT_TRUE(profile.WriteString(u"Options", u"New Key", u"n"));
  ASSERT_TRUE(profile.WriteString(u"Window", u"Top", u"7"));
  ASSERT_TRUE(profile.WriteString(u"Font", u"Name", u"Arial"));
  EXPECT_EQ(ReadBytes(), "; settings\n\n[Options]\n  Show Toolbar =  1\nOther=x\nNew Key=n\n\n"
                         "[Window]\nLeft=5\nTop=7\n[Font]\nName=Arial\n");
  EXPECT_EQ(profile.FileEncoding(), IniFileProfile::Encoding::Utf8);
}

TEST_F(IniFileProfileTest, WritesTheFirstOfDuplicatesAndFillsBareKeys) {
  WriteBytes("[S]\r\nK=1\r\nB\r\n[S]\r\nK=2\r\n");
  IniFileProfile profile(path_);
  ASSERT_TRUE(profile.WriteString(u"S", u"k", u"3"));
  ASSERT_TRUE(profile.WriteString(u"S", u"b", u"4"));
  ASSERT_TRUE(profile.WriteString(u"S", u"C", u"5"));
  EXPECT_EQ(ReadBytes(), "[S]\r\nK=3\r\nB=4\r\nC=5\r\n[S]\r\nK=2\r\n");
}

TEST_F(IniFileProfileTest, KeepsTheEncodingWhenRewriting) {
  using E = IniFileProfile::Encoding;
  struct Case {
    const char* name;
    std::string file;
    Text value;
    E after;
    std::string prefix;
  };
  const Case cases[] = {
      {"UTF-16LE", Utf16Le(u"[S]\r\nA=1\r\n"), u"\u4E2D", E::Utf16Le, "\xFF\xFE"},
      {"UTF-16BE", std::string("\xFE\xFF\0[\0S\0]\0\n", 10), u"\u4E2D", E::Utf16Be, "\xFE\xFF"},
      {"UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nA=1\r\n", u"\u4E2D", E::Utf8Bom, "\xEF\xBB\xBF"},
      {"UTF-8", "[S]\r\nA=1\r\n", u"\u4E2D \U0001F600", E::Utf8, "[S]"},
      {"Latin-1", "[S]\r\nA=\xE9\r\n", u"\u00FC", E::Latin1, "[S]"},
      {"Latin-1 that cannot hold the text", "[S]\r\nA=\xE9\r\n", u"\u4E2D", E::Utf16Le, "\xFF\xFE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(c.file);
    {
      IniFileProfile profile(path_);
      ASSERT_TRUE(profile.WriteString(u"S", u"B", c.value));
      EXPECT_EQ(profile.FileEncoding(), c.after);
    }
    EXPECT_EQ(ReadBytes().substr(0, c.prefix.size()), c.prefix);
    IniFileProfile reread(path_);
    EXPECT_EQ(reread.FileEncoding(), c.after);
    EXPECT_EQ(reread.ReadString(u"S", u"B"), c.value);
  }
  WriteBytes("[S]\r\nA=\xE9\r\n");
  IniFileProfile latin(path_);
  ASSERT_TRUE(latin.WriteString(u"S", u"B", u"\u00FC"));
  EXPECT_EQ(ReadBytes(), "[S]\r\nA=\xE9\r\nB=\xFC\r\n");
}

TEST_F(IniFileProfileTest, LineBreaksInAValueCannotAddKeys) {
  IniFileProfile profile(path_);
  ASSERT_TRUE(profile.WriteString(u"S", u"A", u"x\r\n[S]\r\nB=1\nC=2"));
  IniFileProfile reread(path_);
  EXPECT_EQ(reread.ReadString(u"S", u"B"), std::nullopt);
  EXPECT_EQ(reread.ReadString(u"S", u"C"), std::nullopt);
  EXPECT_EQ(reread.ReadString(u"S", u"A"), u"x  [S]  B=1 C=2");
}

TEST_F(IniFileProfileTest, FailedWriteReturnsFalseAndChangesNothing) {
  // The target is a directory: the rename over it fails.
  fs::create_directory(path_);
  IniFileProfile profile(path_);
  EXPECT_EQ(profile.ReadString(u"S", u"K"), std::nullopt);
  EXPECT_FALSE(profile.WriteString(u"S", u"K", u"v"));
  EXPECT_EQ(profile.ReadString(u"S", u"K"), std::nullopt);
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_EQ(DirectoryEntries(), std::vector<std::string>{"Wayloom.ini"});

  // The folder does not exist: nothing is created.
  IniFileProfile nowhere(dir_ / "missing/Wayloom.ini");
  EXPECT_FALSE(nowhere.WriteString(u"S", u"K", u"v"));
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
    IniFileProfile reread(path_);
    EXPECT_EQ(reread.ReadString(u"s", u"k"), value);
  }
}

}  // namespace
}  // namespace wayloom
