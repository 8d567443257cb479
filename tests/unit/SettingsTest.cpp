#include "core/Settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "ProfileCases.h"
#include "TestSupport.h"
#include "core/WindowPlacement.h"
#include "platform/posix/IniFileProfile.h"

namespace wayloom {
namespace {

using namespace testing;

Settings Load(Profile& profile, bool modern = true) {
  Settings settings;
  LoadSettings(profile, settings, modern);
  LoadWindowSettings(profile, settings);
  return settings;
}

TEST(SettingsProfileInt, ReadsAsGetPrivateProfileIntAndMissingOrEmptyGivesTheDefault) {
  for (const auto& c : kProfileIntCases) EXPECT_EQ(ParseProfileInt(c.text, -5), c.expected) << TextToUtf8(c.text);
  MemoryProfile profile;
  profile.Set("S", "Empty", u"");
  profile.Set("S", "Junk", u"x");
  EXPECT_EQ(std::vector({profile.ReadInt(u"S", u"Missing", 9), profile.ReadInt(u"S", u"Empty", 9),
                         profile.ReadInt(u"S", u"Junk", 9)}), std::vector({9, 9, 0}));
  EXPECT_EQ(std::vector({profile.ReadText(u"S", u"Missing", u"d"), profile.ReadText(u"S", u"Empty", u"d")}),
            std::vector<Text>({u"d", u""}));
}

TEST(SettingsTest, EmptyProfileGivesEveryDefault) {
  for (const bool modern : {true, false}) {
    MemoryProfile profile;
    const Settings settings = Load(profile, modern);
    ExpectSameSettings(settings, DefaultSettings(modern));
    EXPECT_FALSE(settings.window.left || settings.window.top || settings.window.width ||
                 settings.window.height || settings.window.show || settings.window.iePane);
  }
}

TEST(SettingsTest, OutOfRangeValuesReadAsTheRulesSay) {
  // Each value as stored, then as read.
  const struct { const char* key; int Settings::*field; std::vector<std::pair<const char16_t*, int>> values; } cases[] = {
      {"File Count", &Settings::fileCount, {{u"0", 7}, {u"12", 7}, {u"-1", 7}, {u"1", 1}, {u"9", 9}, {u"", 7}}},
      {"Backup Interval", &Settings::backupInterval, {{u"0", 10}, {u"100", 10}, {u"99", 99}, {u"1", 1}}},
      {"Google Maps Lang", &Settings::googleMapsLang, {{u"-3", 0}, {u"12", 8}, {u"5", 5}}},
      {"Toolbar Spacing", &Settings::toolbarSpacing, {{u"15", 9}, {u"-2", 0}, {u"0x3", 3}}},
      {"Adjacent Distance", &Settings::adjacentDistance, {{u"3", 3}, {u"", 1}, {u"-1", 0}, {u"12", 9}}},
  };
  for (const auto& c : cases)
    for (const auto& [stored, expected] : c.values) {
      SCOPED_TRACE(std::string(c.key) + "=" + TextToUtf8(stored));
      MemoryProfile profile;
      profile.Set("Options", c.key, stored);
      const Settings settings = Load(profile);
      EXPECT_EQ(settings.*c.field, expected);
      // What is written back reads the same at the next start.
      SaveSettings(profile, settings, false);
      EXPECT_EQ(Load(profile).*c.field, expected);
    }
}

TEST(SettingsTest, BooleansAreNonZeroAndWrittenAsOneDigit) {
  const struct { const char16_t* stored; bool expected; } cases[] = {
      {u"5", true}, {u"-1", true}, {u"0x10", true}, {u"0", false}, {u"abc", false}, {u"", true}, {u"  1  ", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(c.stored));
    MemoryProfile profile;
    profile.Set("Options", "Show Menu Bar", c.stored);  // defaults to on
    profile.Set("Font", "Italic", c.stored);            // defaults to off
    profile.Set("Plan", "Shortest Route", c.stored);    // likewise
    const Settings settings = Load(profile);
    SaveSettings(profile, settings, false);
    const bool off = c.stored[0] != 0 && c.expected;  // an empty value gives the default, off
    EXPECT_EQ(std::vector({settings.Get(Option::ShowMenuBar), settings.font.italic, settings.shortestRoute}),
              std::vector({c.expected, off, off}));
    EXPECT_EQ(std::vector({profile.ReadString(u"Options", u"Show Menu Bar"), profile.ReadString(u"Font", u"Italic"),
                           profile.ReadString(u"Plan", u"Shortest Route")}),
              (std::vector<std::optional<Text>>{c.expected ? u"1" : u"0", off ? u"1" : u"0", off ? u"1" : u"0"}));
  }
}

TEST(SettingsTest, RecentListFollowsRecentFileAndFileCount) {
  const Text longPath = u"C:\\" + Text(300, u'\u8DEF');
  // stored: Recent List 1.. (an empty text is a key written empty)
  const struct { const char* name; const char16_t *recentFile, *fileCount; std::vector<Text> stored, expected; } cases[] = {
      {"read up to a gap", u"1", u"9", {u"a.itn", u"b.itn"}, {u"a.itn", u"b.itn"}},
      {"stopped by File Count", u"1", u"2", {u"a", u"b", u"c"}, {u"a", u"b"}},
      {"bad File Count reads 7", u"1", u"12", {u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8"},
       {u"1", u"2", u"3", u"4", u"5", u"6", u"7"}},
      {"empty entry stops", u"1", u"9", {u"a", u"", u"c"}, {u"a"}},
      {"Chinese path", u"1", u"9", {u"D:\\\u884C\u7A0B\\\u53F0\u5317.itn"}, {u"D:\\\u884C\u7A0B\\\u53F0\u5317.itn"}},
      {"long path cut", u"1", u"9", {longPath}, {longPath.substr(0, 259)}},
      {"Recent File off", u"0", u"9", {u"a", u"b"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryProfile profile;
    profile.Set("Options", "Recent File", c.recentFile);
    profile.Set("Options", "File Count", c.fileCount);
    for (std::size_t i = 0; i < c.stored.size(); ++i)
      profile.Set("Options", ("Recent List " + std::to_string(i + 1)).c_str(), c.stored[i]);
    const Settings settings = Load(profile);
    EXPECT_EQ(settings.recentFiles, c.expected);
  }
}

TEST(SettingsTest, SaveWritesInItsFixedOrder) {
  Settings settings = DefaultSettings(true);
  settings.recentFiles = {u"a.itn", u"b.itn"};
  settings.font.name = u"\u65B0\u7D30\u660E\u9AD4";
  settings.font.height = -16;
  settings.font.color = 0x00FF8000;
  settings.font.background = u"C:\\bg.bmp";
  settings.googleMapsLang = 3;
  settings.toolbarSpacing = 2;
  MemoryProfile profile;
  WriteProfileRecords(profile, u"Wayloom", u"1.0.0", u"\u6E2C\u8A66");
  SaveSettings(profile, settings, true);
  SaveWindowSettings(profile, -4, 10, 1024, 768, 1, 0);  // no IE Pane key while it is 0

  std::vector<std::string> expected = {"Profile/Product=Wayloom", "Profile/Version=1.0.0",
                                       "Profile/Company=\xE6\xB8\xAC\xE8\xA9\xA6", "Profile/Written by=Wayloom developers"};
  for (const OptionKey& option : kOptionKeys)
    expected.push_back("Options/" + TextToUtf8(option.key) + "=" + (option.defaultValue ? "1" : "0"));
  expected.insert(expected.end(), {
      "Options/Adjacent Distance=1", "Options/File Count=7", "Options/Recent List 1=a.itn",
      "Options/Recent List 2=b.itn", "Options/Backup Interval=10",
      "Font/Name=\xE6\x96\xB0\xE7\xB4\xB0\xE6\x98\x8E\xE9\xAB\x94", "Font/Height=-16", "Font/Weight=400",
      "Font/Color=16744448", "Font/Italic=0", "Font/Use Bkgnd=0", "Font/Bkgnd=C:\\bg.bmp",
      "Options/Google Maps Lang=3", "Options/Toolbar Spacing=2", "Plan/Shortest Route=0", "Window/Left=-4", "Window/Top=10",
      "Window/Width=1024", "Window/Height=768", "Window/Show=1",
  });
  EXPECT_EQ(profile.writes, expected);
  profile.Set("Profile", "Last Notify", u"20240131");
  EXPECT_EQ(Load(profile).lastNotify, 20240131);
}

TEST(SettingsTest, SaveLeavesOutSwitchedOffKeysAndOldEntriesAndKeepsOneDigitKeysOneDigit) {
  Settings settings = DefaultSettings(false);
  settings.Set(Option::RecentFile, false);
  settings.Set(Option::BackupFile, false);
  settings.recentFiles = {u"a.itn"};
  MemoryProfile off;
  SaveSettings(off, settings, false);
  for (const std::string& write : off.writes)
    for (const char* left : {"Recent List", "File Count", "Backup Interval", "Font/Bkgnd", "Font/Name", "Toolbar Bkgnd"})
      EXPECT_EQ(write.find(left), std::string::npos) << write;
  EXPECT_EQ(off.writes.size(), 21u + 1 + 5 + 2 + 1);

  MemoryProfile profile;
  settings = DefaultSettings(true);
  settings.recentFiles = {u"a", u"b", u"c", u"d"};
  SaveSettings(profile, settings, false);
  settings.recentFiles = {u"d", u"a"};
  settings.fileCount = 15;
  settings.toolbarSpacing = 12;
  settings.adjacentDistance = -4;
  settings.backupInterval = 500;
  settings.googleMapsLang = 20;
  SaveSettings(profile, settings, false);
  SaveWindowSettings(profile, 0, 0, 800, 600, 10, 250);
  EXPECT_EQ(Load(profile).recentFiles, (std::vector<Text>{u"d", u"a"}));
  std::vector<std::optional<Text>> written;
  for (const char16_t* key : {u"File Count", u"Toolbar Spacing", u"Adjacent Distance", u"Backup Interval", u"Google Maps Lang"})
    written.push_back(profile.ReadString(u"Options", key));
  written.push_back(profile.ReadString(u"Window", u"Show"));
  written.push_back(profile.ReadString(u"Window", u"IE Pane"));
  EXPECT_EQ(written, (std::vector<std::optional<Text>>{u"7", u"9", u"0", u"10", u"8", u"9", u"250"}));
}

TEST(SettingsTest, FontNameAndTheColourThatBelongsToIt) {
  // The colour is read with Color=255 stored.
  const struct { std::optional<Text> stored, expected; std::uint32_t color; } cases[] = {
      {std::nullopt, std::nullopt, 0},
      {u"", std::nullopt, 0},
      {u"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4", u"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4", 255},
      {Text(40, u'x'), Text(31, u'x'), 255},
  };
  for (const auto& c : cases) {
    MemoryProfile profile;
    if (c.stored) profile.Set("Font", "Name", *c.stored);
    profile.Set("Font", "Color", u"255");
    const Settings settings = Load(profile);
    EXPECT_EQ(std::pair(settings.font.name, settings.font.color), std::pair(c.expected, c.color));
  }
}

TEST(SettingsTest, WindowKeysReadAsStored) {
  MemoryProfile profile;
  profile.Set("Window", "Left", u"-8");
  profile.Set("Window", "Top", u"");
  profile.Set("Window", "Width", u"abc");
  profile.Set("Window", "Show", u"3");
  const WindowSettings w = Load(profile).window;
  EXPECT_EQ(std::vector({w.left, w.top, w.width, w.height, w.show, w.iePane}),
            std::vector<std::optional<int>>({-8, std::nullopt, 0, std::nullopt, 3, std::nullopt}));
}

TEST(SettingsFile, RoundTripThroughTheIniFile) {
  TempFolder dir;
  const Settings settings = ChangedSettings();
  {
    IniFileProfile profile(dir / "Wayloom.ini");
    SaveSettings(profile, settings, true);
    SaveWindowSettings(profile, -8, 20, 1280, 900, 3, 300);
  }
  IniFileProfile profile(dir / "Wayloom.ini");
  const Settings loaded = Load(profile);
  ExpectSameSettings(loaded, settings);  // "Toolbar Bkgnd" is not written: it stays the default
  const WindowSettings& w = loaded.window;
  EXPECT_EQ(std::vector({w.left, w.top, w.width, w.height, w.show, w.iePane}),
            std::vector<std::optional<int>>({-8, 20, 1280, 900, 3, 300}));
}

TEST(SettingsFile, GarbledFileGivesDefaultsForWhatItLacks) {
  TempFolder dir;
  const std::filesystem::path path = dir / "Wayloom.ini";
  static constexpr char kJunk[] = "\x00\x01\x02\xFF\x80garbage\x00\x00[Options\nShow Toolbar 0\n===\n[[[\n";
  const std::string files[] = {
      std::string(kJunk, sizeof kJunk - 1),
      "[Options]\nLarge Toolbar=0\n[Font\nHeight=-12\n[Window] junk\nLeft=3",
      "\xFF\xFE\x00",
      "\xEF\xBB\xBF",
      "[Options]\r\nFile Count=0x\r\nBackup Interval=\xE4\xB8\xAD\r\nGoogle Maps Lang=-99999999999\r\n",
  };
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes.size());
    WriteBytes(path, bytes);
    IniFileProfile profile(path);
    const Settings settings = Load(profile, false);
    if (bytes == files[1]) {  // its well-formed keys are still found; "[Font" is not a section header
      EXPECT_EQ(std::vector<std::optional<int>>({settings.Get(Option::LargeToolbar), settings.font.height,
                                                 settings.window.left}), std::vector<std::optional<int>>({0, 0, 3}));
    }
    EXPECT_EQ(std::vector<long long>({settings.Get(Option::ShowToolbar), settings.fileCount, settings.backupInterval,
                                      settings.font.weight, settings.toolbarBackground}),
              std::vector<long long>({1, 7, 10, 400, 0xEEF2F2}));
    EXPECT_TRUE(settings.googleMapsLang >= 0 && settings.googleMapsLang <= 8) << settings.googleMapsLang;
    SaveSettings(profile, settings, false);
    EXPECT_EQ(Load(profile, false).options, settings.options);
  }
}

TEST(PlacementTest, ClampsTheStoredRectangleIntoTheWorkArea) {
  const Rect screen{0, 0, 1920, 1040};
  const struct { const char* name; WindowSettings stored; Rect work; int startShow; Placement expected; } cases[] = {
      {"no ini file", {}, screen, 1, {480, 260, 960, 520, 1}},
      {"started maximised", {}, screen, 3, {480, 260, 960, 520, 3}},
      {"started minimised", {}, screen, 7, {480, 260, 960, 520, 1}},
      {"stored rectangle", {100, 50, 800, 600, 1, {}}, screen, 1, {100, 50, 800, 600, 1}},
      {"left far right", {5000, {}, {}, {}, {}, {}}, screen, 1, {1440, 260, 480, 520, 1}},
      {"left of the work area", {-300, -20, {}, {}, {}, {}}, screen, 1, {0, 0, 960, 520, 1}},
      {"on the edge", {0, 0, {}, {}, {}, {}}, screen, 1, {0, 0, 960, 520, 1}},
      {"narrow", {{}, {}, 100, 100, {}, {}}, screen, 1, {480, 260, 480, 320, 1}},
      {"exactly the minimum", {{}, {}, 480, 320, {}, {}}, screen, 1, {480, 260, 480, 320, 1}},
      {"wider than what is left", {1000, 900, 3000, 3000, {}, {}}, screen, 1, {1000, 720, 920, 320, 1}},
      {"show minimised", {{}, {}, {}, {}, 2, {}}, screen, 3, {480, 260, 960, 520, 1}},
      {"show maximised", {{}, {}, {}, {}, 3, {}}, screen, 1, {480, 260, 960, 520, 3}},
      {"huge values", {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, {}}, screen, 1, {1440, 720, 480, 320, 1}},
      {"tiny values", {INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, {}}, screen, 1, {0, 0, 480, 320, 1}},
      {"taskbar on the left", {}, {60, 0, 1920, 1080}, 1, {525, 270, 930, 540, 1}},
      {"monitor left of the main one", {}, {-1280, 0, 0, 1024}, 1, {-960, 256, 640, 512, 1}},
      {"odd sizes truncate", {}, {0, 0, 1001, 703}, 1, {250, 175, 500, 351, 1}},
      {"work area below the minimum", {}, {0, 0, 400, 300}, 1, {-80, -20, 480, 320, 1}},
      {"huge work area", {}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 1,
       {-1073741825, -1073741825, INT_MAX, INT_MAX, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Placement p = PlaceMainWindow(c.stored, c.work, c.startShow), e = c.expected;
    EXPECT_EQ(std::vector({p.x, p.y, p.width, p.height, p.show}), std::vector({e.x, e.y, e.width, e.height, e.show}));
  }
}

TEST(CentredDialogPosition, CentresOverTheOwnerInsideTheWorkArea) {
  const Rect work{0, 0, 1920, 1040};
  struct Case {
    const char* name;
    Rect owner;
    int width, height;
    Point expected;
  } cases[] = {
      {"centred", {400, 200, 1400, 900}, 400, 300, {700, 400}},
      {"owner near the right edge", {1700, 100, 1920, 400}, 400, 300, {1513, 100}},
      {"owner above the work area", {100, -800, 500, -100}, 200, 100, {200, 7}},
      {"taller than the work area", {0, 0, 1920, 1040}, 300, 2000, {810, 7}},
      {"no owner: the desktop", {0, 0, 1920, 1080}, 500, 400, {710, 340}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Point at = CentredDialogPosition(c.owner, c.width, c.height, work);
    EXPECT_EQ(std::vector({at.x, at.y}), std::vector({c.expected.x, c.expected.y}));
  }
}

}  // namespace
}  // namespace wayloom
