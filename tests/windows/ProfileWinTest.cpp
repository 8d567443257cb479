// The portable ini reader and writer against the real Windows profile functions: the
// reading cases the unit tests run read the same through both, and what one of them
// writes the other reads back.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "core/Settings.h"
#include "platform/posix/IniFileProfile.h"
#include "platform/win32/Win32Profile.h"

namespace wayloom {
namespace {

namespace fs = std::filesystem;

struct Query {
  Text section, key;
};

// Both readers give the same string and the same number for every query.
void ExpectSameReading(const fs::path& path, const std::vector<Query>& queries) {
  IniFileProfile portable(path);
  Win32Profile windows(path);
  for (const Query& q : queries) {
    SCOPED_TRACE(TextToUtf8(q.section) + " / " + TextToUtf8(q.key));
    EXPECT_EQ(portable.ReadString(q.section, q.key), windows.ReadString(q.section, q.key));
    EXPECT_EQ(portable.ReadInt(q.section, q.key, -77), windows.ReadInt(q.section, q.key, -77));
  }
}

// Windows reads a file without a byte-order mark in its ANSI code page, which the portable
// reader does not guess: such files with bytes beyond ASCII are left out, and so is a
// UTF-16 file cut in the middle of a character, whose last byte Windows keeps.
bool WindowsReadsItAsUnicode(const std::string& file) {
  if (file.size() % 2 && file.rfind("\xFF\xFE", 0) == 0) return false;
  for (const char* mark : {"\xFF\xFE", "\xFE\xFF", "\xEF\xBB\xBF"})
    if (file.rfind(mark, 0) == 0) return true;
  return std::none_of(file.begin(), file.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

TEST(ProfileWinTest, TheSharedCasesReadTheSame) {
  testing::WinTempFolder dir;
  int files = 0;
  // A new file each time: Windows may keep a file it has read and miss a quick rewrite.
  const auto next = [&] { return dir / (L"\x8A2D\x5B9A " + std::to_wstring(++files) + L".ini"); };
  for (const testing::IniReadCase& c : testing::kIniReadCases) {
    if (!WindowsReadsItAsUnicode(c.file)) continue;
    SCOPED_TRACE(c.name);
    const fs::path path = next();
    testing::WriteBytes(path, c.file);
    EXPECT_EQ(Win32Profile(path).ReadString(c.section, c.key), c.expected);
    ExpectSameReading(path, {{c.section, c.key}, {u" s", u"k "}, {u"S", u"L"}});
  }
  for (const testing::IntCase& c : testing::kProfileIntCases) {
    SCOPED_TRACE(TextToUtf8(c.text));
    const fs::path path = next();
    testing::WriteBytes(path, testing::Utf16Bytes(u"[S]\r\nK=" + Text(c.text) + u"\r\n"));
    ExpectSameReading(path, {{u"S", u"K"}});
  }
}

const std::array<const char16_t*, 3> kEntries[] = {
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
    {u"Options", u"Wrap", u"4294967297"},
    {u"Options", u"Junk", u"12abc"},
    {u"Options", u"Emoji", u"\U0001F600"},
    {u"Options", u"Equals", u"a=b"},
    {u"Options", u"Padded", u"  7  "},
};

TEST(ProfileWinTest, EachReadsWhatTheOtherWrote) {
  testing::WinTempFolder dir;
  const Settings settings = testing::ChangedSettings();
  for (const bool windowsWrites : {true, false}) {
    SCOPED_TRACE(windowsWrites ? "Windows writes" : "portable writes");
    const fs::path path = dir / (windowsWrites ? L"\x8A2D\x5B9A 1.ini" : L"\x8A2D\x5B9A 2.ini");
    Win32Profile windows(path);
    IniFileProfile portable(path);
    Profile& writer = windowsWrites ? static_cast<Profile&>(windows) : portable;
    Profile& other = windowsWrites ? static_cast<Profile&>(portable) : windows;
    for (const auto& [section, key, value] : kEntries) ASSERT_TRUE(writer.WriteString(section, key, value));
    // Taking turns: the other one updates a key in place and adds one, then the writer again.
    ASSERT_TRUE(other.WriteString(u"font", u"HEIGHT", u"-21"));
    ASSERT_TRUE(other.WriteString(u"Window", u"Added", u"\u4E2D"));
    ASSERT_TRUE(writer.WriteString(u"Options", u"Show Menu Bar", u"0"));
    EXPECT_EQ(testing::ReadBytes(path).substr(0, 2), "\xFF\xFE");  // created as UTF-16: Chinese text survives
    EXPECT_EQ(writer.ReadString(u"Font", u"Height"), u"-21");
    EXPECT_EQ(writer.ReadString(u"Window", u"Added"), u"\u4E2D");
    EXPECT_EQ(other.ReadInt(u"Options", u"Show Menu Bar", 1), 0);
    EXPECT_EQ(other.ReadString(kEntries[11][0], kEntries[11][1]), kEntries[11][2]);
    std::vector<Query> queries = {{u"Options", u"Missing"}, {u"Missing", u"Show Menu Bar"}, {u"OPTIONS", u"SHOW MENU BAR"}};
    for (const auto& [section, key, value] : kEntries) {
      Text lower = key;
      std::transform(lower.begin(), lower.end(), lower.begin(), [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + 32 : c; });
      queries.insert(queries.end(), {{section, key}, {section, lower}, {u"  " + Text(section), u" " + Text(key) + u"\t"}});
    }
    ExpectSameReading(path, queries);

    // The settings written by one build start the other one the same.
    WriteProfileRecords(writer, u"Wayloom", u"1.0", u"Wayloom");
    SaveSettings(writer, settings, true);
    SaveWindowSettings(writer, -8, 4, 1200, 800, 3, 260);
    Settings loaded;
    LoadSettings(other, loaded, true);
    LoadWindowSettings(other, loaded);
    testing::ExpectSameSettings(loaded, settings);
    EXPECT_EQ(std::vector({loaded.window.left, loaded.window.show, loaded.window.iePane}),
              std::vector<std::optional<int>>({-8, 3, 260}));
    EXPECT_EQ(other.ReadString(u"Profile", u"Written by"), u"Wayloom developers");
  }
}

}  // namespace
}  // namespace wayloom
