#include "core/Settings.h"

#include <algorithm>
#include <string>

namespace wayloom {

const std::array<OptionKey, kOptionCount> kOptionKeys = {{
    {u"Show Menu Bar", true},
    {u"Show Toolbar", true},
    {u"Large Toolbar", true},
    {u"Wrap Toolbar", true},
    {u"Lng First", false},
    {u"DMS Format", false},
    {u"Compass Direction", false},
    {u"Auto Column", true},
    {u"Recent File", true},
    {u"Fade Window", false},
    {u"Shade Table", false},
    {u"Show Distance", true},
    {u"Metric Unit", true},
    {u"Show Status Bar", true},
    {u"Check Name", false},
    {u"Auto BP", true},
    {u"Open Last", false},
    {u"Backup File", true},
    {u"Google Maps Cookie", true},
    {u"Google Maps Name", true},
    {u"Google Maps Route", true},
}};

const char16_t kWrittenBy[] = u"Wayloom developers";

namespace {

constexpr TextView kProfileSection = u"Profile";
constexpr TextView kOptionsSection = u"Options";
constexpr TextView kWindowSection = u"Window";
constexpr TextView kFontSection = u"Font";
constexpr TextView kPlanSection = u"Plan";
constexpr TextView kShortestRouteKey = u"Shortest Route";

constexpr int kDefaultFileCount = 7;
constexpr int kMaxFileCount = 9;
constexpr int kDefaultBackupInterval = 10;
constexpr std::size_t kMaxPathUnits = 259;
constexpr std::size_t kMaxFontNameUnits = 31;
constexpr std::uint32_t kModernToolbarBackground = 0xFFF8E0;
constexpr std::uint32_t kClassicToolbarBackground = 0xEEF2F2;

bool ReadBool(Profile& profile, TextView section, TextView key, bool defaultValue) {
  return profile.ReadInt(section, key, defaultValue ? 1 : 0) != 0;
}

void WriteBool(Profile& profile, TextView section, TextView key, bool value) {
  profile.WriteString(section, key, value ? u"1" : u"0");
}

// A value outside [low, high] reads as the fallback.
int ReadInRange(Profile& profile, TextView section, TextView key, int defaultValue, int low,
                int high, int fallback) {
  const int value = profile.ReadInt(section, key, defaultValue);
  return value < low || value > high ? fallback : value;
}

int ReadClamped(Profile& profile, TextView section, TextView key, int defaultValue, int low,
                int high) {
  return std::clamp(profile.ReadInt(section, key, defaultValue), low, high);
}

// Keys stored as a single digit.
void WriteDigit(Profile& profile, TextView section, TextView key, int value) {
  profile.WriteInt(section, key, std::clamp(value, 0, 9));
}

Text RecentKey(int index) { return AsciiToText("Recent List " + std::to_string(index)); }

std::optional<int> ReadOptionalInt(Profile& profile, TextView key) {
  const std::optional<Text> value = profile.ReadString(kWindowSection, key);
  if (!value || value->empty()) return std::nullopt;
  return ParseProfileInt(*value, 0);
}

}  // namespace

Settings DefaultSettings(bool modernVisuals) {
  Settings settings;
  for (int i = 0; i < kOptionCount; ++i) settings.options[i] = kOptionKeys[i].defaultValue ? 1 : 0;
  settings.toolbarBackground = modernVisuals ? kModernToolbarBackground : kClassicToolbarBackground;
  return settings;
}

void LoadWindowSettings(Profile& profile, Settings& settings) {
  WindowSettings& window = settings.window;
  window.left = ReadOptionalInt(profile, u"Left");
  window.top = ReadOptionalInt(profile, u"Top");
  window.width = ReadOptionalInt(profile, u"Width");
  window.height = ReadOptionalInt(profile, u"Height");
  window.show = ReadOptionalInt(profile, u"Show");
  window.iePane = ReadOptionalInt(profile, u"IE Pane");
}

void LoadSettings(Profile& profile, Settings& settings, bool modernVisuals) {
  const Settings defaults = DefaultSettings(modernVisuals);

  settings.lastNotify = profile.ReadInt(kProfileSection, u"Last Notify", defaults.lastNotify);

  for (int i = 0; i < kOptionCount; ++i)
    settings.options[i] = ReadBool(profile, kOptionsSection, kOptionKeys[i].key, kOptionKeys[i].defaultValue) ? 1 : 0;

  settings.fileCount = ReadInRange(profile, kOptionsSection, u"File Count", kDefaultFileCount, 1,
                                   kMaxFileCount, kDefaultFileCount);
  settings.recentFiles.clear();
  if (settings.Get(Option::RecentFile)) {
    for (int i = 1; i <= settings.fileCount; ++i) {
      std::optional<Text> path = profile.ReadString(kOptionsSection, RecentKey(i));
      if (!path || path->empty()) break;
      CutToUnits(*path, kMaxPathUnits);
      settings.recentFiles.push_back(std::move(*path));
    }
  }

  settings.backupInterval = ReadInRange(profile, kOptionsSection, u"Backup Interval",
                                        kDefaultBackupInterval, 1, 99, kDefaultBackupInterval);
  settings.googleMapsLang = ReadClamped(profile, kOptionsSection, u"Google Maps Lang", 0, 0, 8);
  settings.adjacentDistance = ReadClamped(profile, kOptionsSection, u"Adjacent Distance", defaults.adjacentDistance, 0, 9);
  settings.toolbarBackground = static_cast<std::uint32_t>(profile.ReadInt(
      kOptionsSection, u"Toolbar Bkgnd", static_cast<int>(defaults.toolbarBackground)));
  settings.toolbarSpacing = ReadClamped(profile, kOptionsSection, u"Toolbar Spacing", 0, 0, 9);
  settings.baseListIndex = ReadClamped(profile, u"Base Points", u"Insert List", 1, 1, 100) - 1;
  settings.shortestRoute = ReadBool(profile, kPlanSection, kShortestRouteKey, false);

  FontSettings& font = settings.font;
  font.name = profile.ReadString(kFontSection, u"Name");
  if (font.name && font.name->empty()) font.name.reset();
  if (font.name) CutToUnits(*font.name, kMaxFontNameUnits);
  font.height = profile.ReadInt(kFontSection, u"Height", defaults.font.height);
  font.weight = profile.ReadInt(kFontSection, u"Weight", defaults.font.weight);
  font.italic = ReadBool(profile, kFontSection, u"Italic", defaults.font.italic);
  // The colour belongs to a chosen font: without a stored name it is black.
  font.color = font.name ? static_cast<std::uint32_t>(profile.ReadInt(kFontSection, u"Color", static_cast<int>(defaults.font.color))) : 0;
  font.background = profile.ReadText(kFontSection, u"Bkgnd", u"");
  font.useBackground = ReadBool(profile, kFontSection, u"Use Bkgnd", defaults.font.useBackground);
}

void SaveSettings(Profile& profile, const Settings& settings, bool backgroundExists) {
  for (int i = 0; i < kOptionCount; ++i)
    WriteBool(profile, kOptionsSection, kOptionKeys[i].key, settings.options[i] != 0);
  WriteDigit(profile, kOptionsSection, u"Adjacent Distance", settings.adjacentDistance);

  if (settings.Get(Option::RecentFile)) {
    const int fileCount = settings.fileCount >= 1 && settings.fileCount <= kMaxFileCount
                              ? settings.fileCount : kDefaultFileCount;
    WriteDigit(profile, kOptionsSection, u"File Count", fileCount);
    const int count = static_cast<int>(std::min<std::size_t>(settings.recentFiles.size(), kMaxFileCount));
    for (int i = 1; i <= count; ++i) {
      Text path = settings.recentFiles[i - 1];
      CutToUnits(path, kMaxPathUnits);
      profile.WriteString(kOptionsSection, RecentKey(i), path);
    }
    // An entry left from a longer list would come back at the next start: the list is read
    // up to the first empty entry, so emptying the one after the last is enough.
    if (count < kMaxFileCount) {
      const Text next = RecentKey(count + 1);
      const std::optional<Text> stale = profile.ReadString(kOptionsSection, next);
      if (stale && !stale->empty()) profile.WriteString(kOptionsSection, next, u"");
    }
  }
  if (settings.Get(Option::BackupFile)) {
    const int interval = settings.backupInterval >= 1 && settings.backupInterval <= 99
                             ? settings.backupInterval : kDefaultBackupInterval;
    profile.WriteInt(kOptionsSection, u"Backup Interval", interval);
  }

  const FontSettings& font = settings.font;
  if (font.name) {
    Text name = *font.name;
    CutToUnits(name, kMaxFontNameUnits);
    profile.WriteString(kFontSection, u"Name", name);
  }
  profile.WriteInt(kFontSection, u"Height", font.height);
  profile.WriteInt(kFontSection, u"Weight", font.weight);
  profile.WriteInt(kFontSection, u"Color", font.color);
  WriteBool(profile, kFontSection, u"Italic", font.italic);
  WriteBool(profile, kFontSection, u"Use Bkgnd", font.useBackground);
  if (backgroundExists) profile.WriteString(kFontSection, u"Bkgnd", font.background);

  profile.WriteInt(kOptionsSection, u"Google Maps Lang", std::clamp(settings.googleMapsLang, 0, 8));
  WriteDigit(profile, kOptionsSection, u"Toolbar Spacing", settings.toolbarSpacing);
  WriteBool(profile, kPlanSection, kShortestRouteKey, settings.shortestRoute);
}

void SaveWindowSettings(Profile& profile, int left, int top, int width, int height, int show, int iePane) {
  profile.WriteInt(kWindowSection, u"Left", left);
  profile.WriteInt(kWindowSection, u"Top", top);
  profile.WriteInt(kWindowSection, u"Width", width);
  profile.WriteInt(kWindowSection, u"Height", height);
  WriteDigit(profile, kWindowSection, u"Show", show);
  if (iePane != 0) profile.WriteInt(kWindowSection, u"IE Pane", iePane);
}

void WriteProfileRecords(Profile& profile, TextView product, TextView version, TextView company) {
  profile.WriteString(kProfileSection, u"Product", product);
  profile.WriteString(kProfileSection, u"Version", version);
  profile.WriteString(kProfileSection, u"Company", company);
  profile.WriteString(kProfileSection, u"Written by", kWrittenBy);
}

}  // namespace wayloom
