#include "editing/Preferences.h"

#include "core/CommandIds.h"

namespace wayloom {
namespace {

struct ToggledOption {
  Option option;
  int command;
};
// Applied first, in this order.
constexpr ToggledOption kFirstToggles[] = {
    {Option::ShowMenuBar, IDM_SHOW_MENU_BAR}, {Option::ShowToolbar, IDM_SHOW_TOOLBAR},
    {Option::LargeToolbar, IDM_LARGE_TOOLBAR}, {Option::WrapToolbar, IDM_WRAP_TOOLBAR},
    {Option::LngFirst, IDM_LNG_FIRST},         {Option::DmsFormat, IDM_DMS_FORMAT},
    {Option::CompassDirection, IDM_COMPASS_LETTERS},
};
// Applied after the recent list and the shading.
constexpr ToggledOption kLaterToggles[] = {
    {Option::ShowDistance, IDM_SHOW_DISTANCE},
    {Option::MetricUnit, IDM_METRIC},
    {Option::ShowStatusBar, IDM_SHOW_STATUS_BAR},
};

void PutBackAndList(const Settings& before, Settings& after, const ToggledOption& toggle, PreferencesChange& change) {
  if (before.Get(toggle.option) == after.Get(toggle.option)) return;
  after.Set(toggle.option, before.Get(toggle.option));
  change.commands.push_back(toggle.command);
}

}  // namespace

PreferencesChange ApplyPreferences(const Settings& before, Settings& after) {
  PreferencesChange change;
  for (const ToggledOption& toggle : kFirstToggles) PutBackAndList(before, after, toggle, change);
  if (after.Get(Option::AutoColumn) && !before.Get(Option::AutoColumn)) change.commands.push_back(IDM_FIT_COLUMNS);
  change.recentListChanged =
      after.Get(Option::RecentFile) != before.Get(Option::RecentFile) || after.fileCount != before.fileCount;
  if (change.recentListChanged) FitRecentFiles(after);
  change.shadingChanged = after.Get(Option::ShadeTable) != before.Get(Option::ShadeTable);
  for (const ToggledOption& toggle : kLaterToggles) PutBackAndList(before, after, toggle, change);
  change.backupChanged =
      after.Get(Option::BackupFile) != before.Get(Option::BackupFile) || after.backupInterval != before.backupInterval;
  change.mapLanguageChanged = after.googleMapsLang != before.googleMapsLang;
  return change;
}

void FitRecentFiles(Settings& settings) {
  if (!settings.Get(Option::RecentFile)) {
    settings.recentFiles.clear();
  } else if (settings.recentFiles.size() > static_cast<std::size_t>(settings.fileCount)) {
    settings.recentFiles.resize(static_cast<std::size_t>(settings.fileCount));
  }
}

}  // namespace wayloom
