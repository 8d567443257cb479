// Every value the program keeps between runs, with its default, range and ini key.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Text.h"
#include "platform/Profile.h"

namespace wayloom {

// The 21 boolean options of the "Options" section, in their fixed order (the order of
// the preferences dialog's check boxes too).
enum class Option : int {
  ShowMenuBar, ShowToolbar, LargeToolbar, WrapToolbar, LngFirst, DmsFormat,
  CompassDirection, AutoColumn, RecentFile, FadeWindow, ShadeTable, ShowDistance,
  MetricUnit, ShowStatusBar, CheckName, AutoBP, OpenLast, BackupFile,
  GoogleMapsCookie, GoogleMapsName, GoogleMapsRoute,
};
constexpr int kOptionCount = 21;

struct OptionKey {
  const char16_t* key;
  bool defaultValue;
};
// Key and default of each option, indexed by Option.
extern const std::array<OptionKey, kOptionCount> kOptionKeys;

struct WindowSettings {
  // Missing keys stay unset; the placement rules supply their defaults.
  std::optional<int> left, top, width, height, show;
  std::optional<int> iePane;
};

struct FontSettings {
  std::optional<Text> name;  // absent: the table keeps its current font and colour 0
  int height = 0;
  int weight = 400;
  bool italic = false;
  std::uint32_t color = 0;
  Text background;          // picture path; written only when the file exists
  bool useBackground = false;
};

struct Settings {
  std::array<int, kOptionCount> options{};  // each 0 or 1
  int fileCount = 7;          // 1..9
  std::vector<Text> recentFiles;
  int backupInterval = 10;    // minutes, 1..99
  int googleMapsLang = 0;     // 0..8
  int adjacentDistance = 1;
  std::uint32_t toolbarBackground = 0;
  int toolbarSpacing = 0;     // 0..9
  WindowSettings window;
  FontSettings font;
  int lastNotify = 0;
  int baseListIndex = 0;      // "Base Points"/"Insert List" less one: the remembered base point
  bool shortestRoute = false; // "Plan"/"Shortest Route": the planning dialog's shortest-route choice

  bool Get(Option o) const { return options[static_cast<int>(o)] != 0; }
  void Set(Option o, bool on) { options[static_cast<int>(o)] = on ? 1 : 0; }
};

// Defaults of every key ("Toolbar Bkgnd" depends on the visual style).
Settings DefaultSettings(bool modernVisuals);

// Loading and saving as program start, main-window creation and destruction do it.
void LoadWindowSettings(Profile& profile, Settings& settings);
void LoadSettings(Profile& profile, Settings& settings, bool modernVisuals);
// Writes the options, the recent list and "File Count" (when "Recent File" is on),
// "Backup Interval" (when "Backup File" is on), "Adjacent Distance", the font keys
// ("Bkgnd" only when backgroundExists), "Google Maps Lang", "Toolbar Spacing" and the
// "Plan" section's "Shortest Route".
void SaveSettings(Profile& profile, const Settings& settings, bool backgroundExists);
// The "Window" section: "Left", "Top", "Width", "Height", "Show" and, when non-zero, "IE Pane".
void SaveWindowSettings(Profile& profile, int left, int top, int width, int height, int show, int iePane);
// The four "Profile" records written at every start.
void WriteProfileRecords(Profile& profile, TextView product, TextView version, TextView company);

extern const char16_t kWrittenBy[];  // "Wayloom developers"

}  // namespace wayloom
