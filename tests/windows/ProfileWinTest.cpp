// The portable ini reader and writer against the real Windows profile functions: files
// one of them writes, the other reads back the same strings and numbers.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "platform/posix/IniFileProfile.h"
#include "platform/win32/Win32Profile.h"

namespace wayloom {
namespace {

namespace fs = std::filesystem;

std::string Utf16(TextView text, bool bigEndian = false) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
  return out;
}

struct Query {
  Text section, key;
};

class ProfileWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::path(temp) / (std::wstring(L"wayloom \x6E2C\x8A66 ") + fs::path(info->name()).wstring());
    std::error_code ec;
    fs::remove_all(dir_, ec);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path NewFile() {
    return dir_ / (L"\x8A2D\x5B9A " + std::to_wstring(++files_) + L".ini");
  }
  static void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  static std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Both readers give the same string and the same number for every query.
  static void ExpectSameReading(const fs::path& path, const std::vector<Query>& queries) {
    IniFileProfile portable(path);
    Win32Profile windows(path);
    for (const Query& q : queries) {
      SCOPED_TRACE(TextToUtf8(q.section) + " / " + TextToUtf8(q.key));
      EXPECT_EQ(portable.ReadString(q.section, q.key), windows.ReadString(q.section, q.key));
      EXPECT_EQ(portable.ReadInt(q.section, q.key, -77), windows.ReadInt(q.section, q.key, -77));
    }
  }

  fs::path dir_;
  int files_ = 0;
};

struct Entry {
  const char16_t* section;
  const char16_t* key;
  const char16_t* value;
};

const Entry kEntries[] = {
    {u"Options", u"Show Menu Bar", u"1"},
    {u"Options", u"Recent List 1", u"C:\\\u884C\u7A0B\\\u53F0\u5317 \u5E02.itn"},
    {u"Font", u"Name", u"\u65B0\u7D30\u660E\u9AD4"},
    {u"Font", u"Height", u"-16"},
    {u"Font", u"Color", u"0xFF00"},
    {u"Window", u"Left", u"-2147483648"},
    {u"Options", u"Empty", u""},
    {u"Options", u"Quoted", u"\"  spaced  \""},
    {u"Options", u"Single", u"'x'"},
    {u"Options", u"Unmatched", u"\"x'"},
    {u"Options", u"Inner", u"a \"b\" c"},
    {u"\u4E2D\u6587 \u5340\u6BB5", u"\u9375 \u540D\u7A31", u"\u503C"},
    {u"Options", u"Upper Hex", u"0X1F"},
    {u"Options", u"Binary", u"0b101"},
    {u"Options", u"Octal", u"0o17"},
    {u"Options", u"Wrap", u"4294967297"},
    {u"Options", u"Junk", u"12abc"},
    {u"Options", u"Sign", u"-"},
    {u"Options", u"Emoji", u"\U0001F600"},
    {u"Options", u"Equals", u"a=b"},
    {u"Options", u"Padded", u"  7  "},
};

std::vector<Query> QueriesFor(const Entry* entries, std::size_t count) {
  std::vector<Query> queries;
  for (std::size_t i = 0; i < count; ++i) {
    queries.push_back({entries[i].section, entries[i].key});
    Text lower = entries[i].key, padded = u" " + Text(entries[i].key) + u"\t";
    for (char16_t& c : lower)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    queries.push_back({entries[i].section, lower});
    queries.push_back({u"  " + Text(entries[i].section), padded});
  }
  queries.push_back({u"Options", u"Missing"});
  queries.push_back({u"Missing", u"Show Menu Bar"});
  queries.push_back({u"OPTIONS", u"SHOW MENU BAR"});
  return queries;
}

TEST_F(ProfileWinTest, WindowsReadsWhatThePortableWriterWrote) {
  const fs::path path = NewFile();
  {
    IniFileProfile portable(path);
    for (const Entry& e : kEntries) ASSERT_TRUE(portable.WriteString(e.section, e.key, e.value));
    // A second round updates the keys in place.
    ASSERT_TRUE(portable.WriteString(u"font", u"HEIGHT", u"-21"));
    ASSERT_TRUE(portable.WriteString(u"Options", u"Show Menu Bar", u"0"));
  }
  EXPECT_EQ(ReadBytes(path).substr(0, 2), "\xFF\xFE");
  Win32Profile windows(path);
  EXPECT_EQ(windows.ReadString(u"Font", u"Height"), u"-21");
  EXPECT_EQ(windows.ReadInt(u"Options", u"Show Menu Bar", 1), 0);
  EXPECT_EQ(windows.ReadString(u"Options", u"Recent List 1"), kEntries[1].value);
  ExpectSameReading(path, QueriesFor(kEntries, std::size(kEntries)));
}

TEST_F(ProfileWinTest, PortableReaderReadsWhatWindowsWrote) {
  const fs::path path = NewFile();
  {
    Win32Profile windows(path);
    for (const Entry& e : kEntries) ASSERT_TRUE(windows.WriteString(e.section, e.key, e.value));
  }
  // The file was created as UTF-16, so the Chinese text survived.
  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  IniFileProfile portable(path);
  EXPECT_EQ(portable.FileEncoding(), IniFileProfile::Encoding::Utf16Le);
  EXPECT_EQ(portable.ReadString(u"Font", u"Name"), kEntries[2].value);
  EXPECT_EQ(portable.ReadString(kEntries[11].section, kEntries[11].key), kEntries[11].value);
  ExpectSameReading(path, QueriesFor(kEntries, std::size(kEntries)));
}

TEST_F(ProfileWinTest, TakingTurnsOnOneFile) {
  const fs::path path = NewFile();
  Win32Profile windows(path);
  IniFileProfile portable(path);
  for (int round = 0; round < 4; ++round) {
    const Text value = AsciiToText(std::to_string(round)) + u" \u4E2D";
    if (round % 2) {
      ASSERT_TRUE(windows.WriteString(u"Options", u"Turn", value));
      ASSERT_TRUE(windows.WriteString(u"Window", AsciiToText("Key " + std::to_string(round)), value));
    } else {
      ASSERT_TRUE(portable.WriteString(u"Options", u"Turn", value));
      ASSERT_TRUE(portable.WriteString(u"Window", AsciiToText("Key " + std::to_string(round)), value));
    }
    EXPECT_EQ(windows.ReadString(u"Options", u"Turn"), value);
    EXPECT_EQ(portable.ReadString(u"Options", u"Turn"), value);
  }
  std::vector<Query> queries = {{u"Options", u"Turn"}};
  for (int round = 0; round < 4; ++round) queries.push_back({u"Window", AsciiToText("Key " + std::to_string(round))});
  ExpectSameReading(path, queries);
}

TEST_F(ProfileWinTest, HandWrittenFilesReadTheSame) {
  const std::string files[] = {
      "[S]\r\nK=1\r\nk=2\r\nL=3\r\n",
      "  [ s ]  \r\n \t K \t=  a b  \t\r\nKey one = 0x10 \r\n",
      "[S]\r\nK=\" 5 \"\r\nL='x'\r\nM=\"x'\r\nKey One=\"\r\n",
      "[S]\r\nK=\"\"\r\nL=\r\nM=  \r\nKey One=''\r\n",
      "[S]\r\n;K=1\r\nL\r\nL=5\r\n[T]\r\nK=2\r\n[s]\r\nM=3\r\n",
      "[S] trailing\nK=1\n[T\nL=2\n",
      "[S]\rK=1\rL=2",
      "[S]\r\nK=1\x1a\r\n\x1aL=2\r\n",
      "K=1\r\n[S]\r\n[T]\r\nK=2\r\n",
      "[S]\r\nK=-2147483648\r\nL=0xFFFFFFFF\r\nM=0X1F\r\nKey One=0b102\r\n",
      "[S]\r\nK=- 5\r\nL=+7\r\nM=--5\r\nKey One=12abc\r\n",
      "[S]\r\nK=\t-0x10\r\nL=0xg\r\nM=0x\r\nKey One=019\r\n",
      "\xEF\xBB\xBF[S]\r\nK=\xE4\xB8\xAD\r\nKey One=-0x10\r\n",
      Utf16(u"[S]\r\nK=\u53F0\u5317\r\n[T]\r\nKey One=\u00A0" u"5\r\nL=\u3000" u"6\r\n"),
      Utf16(u"[\u5340]\r\n[S]\r\nK=\u53F0\u5317\r\nL=0x7fffffff\r\n", true),
      Utf16(Text(u"[S]\r\nK=x\0y\r\nL=\"a\0b\"\r\n", 21)),
  };
  std::vector<Query> queries;
  for (const char16_t* section : {u"S", u"s", u" S ", u"T", u"Missing"})
    for (const char16_t* key : {u"K", u"k", u"L", u"M", u"Key One", u"key  one", u"Missing"})
      queries.push_back({section, key});
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes);
    const fs::path path = NewFile();
    WriteBytes(path, bytes);
    ExpectSameReading(path, queries);
  }
}

TEST_F(ProfileWinTest, SettingsCrossBetweenTheBuilds) {
  Settings settings = DefaultSettings(true);
  for (int i = 0; i < kOptionCount; ++i) settings.options[i] = i % 2;
  settings.Set(Option::RecentFile, true);
  settings.Set(Option::BackupFile, true);
  settings.recentFiles = {u"C:\\\u884C\u7A0B\\\u4E00.itn", u"D:\\two words.itn"};
  settings.fileCount = 5;
  settings.backupInterval = 42;
  settings.googleMapsLang = 2;
  settings.font.name = u"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4";
  settings.font.height = -19;
  settings.font.color = 0x00FFFFFF;
  settings.font.background = u"C:\\\u5716.bmp";

  for (const bool windowsWrites : {true, false}) {
    SCOPED_TRACE(windowsWrites ? "Windows writes" : "portable writes");
    const fs::path path = NewFile();
    Win32Profile windows(path);
    IniFileProfile portable(path);
    Profile& writer = windowsWrites ? static_cast<Profile&>(windows) : portable;
    Profile& reader = windowsWrites ? static_cast<Profile&>(portable) : windows;
    WriteProfileRecords(writer, u"Wayloom", u"1.0", u"Wayloom");
    SaveSettings(writer, settings, true);
    SaveWindowSettings(writer, -8, 4, 1200, 800, 3, 260);

    Settings loaded;
    LoadSettings(reader, loaded, true);
    LoadWindowSettings(reader, loaded);
    EXPECT_EQ(loaded.options, settings.options);
    EXPECT_EQ(loaded.recentFiles, settings.recentFiles);
    EXPECT_EQ(loaded.fileCount, 5);
    EXPECT_EQ(loaded.backupInterval, 42);
    EXPECT_EQ(loaded.googleMapsLang, 2);
    EXPECT_EQ(loaded.font.name, settings.font.name);
    EXPECT_EQ(loaded.font.height, -19);
    EXPECT_EQ(loaded.font.color, 0x00FFFFFFu);
    EXPECT_EQ(loaded.font.background, settings.font.background);
    EXPECT_EQ(loaded.window.left, -8);
    EXPECT_EQ(loaded.window.show, 3);
    EXPECT_EQ(loaded.window.iePane, 260);
    EXPECT_EQ(reader.ReadString(u"Profile", u"Written by"), u"Wayloom developers");
  }
}

}  // namespace
}  // namespace wayloom
