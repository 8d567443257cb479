// The preferences (command 1057): what the dialog changed is applied through the same
// commands a user would run, so each change does all its work. Options that have a toggle
// command are put back and the command is listed instead.
#pragma once

#include <vector>

#include "core/Settings.h"

namespace wayloom {

struct PreferencesChange {
  std::vector<int> commands;   // to post, in order
  bool recentListChanged = false;
  bool shadingChanged = false;
  bool backupChanged = false;  // restart or stop the automatic save
  bool mapLanguageChanged = false;
};

// after holds the dialog's values; the toggled options in it go back to before's.
PreferencesChange ApplyPreferences(const Settings& before, Settings& after);
// The recent list as "Recent File" and "File Count" want it: cut to the count, or empty.
void FitRecentFiles(Settings& settings);

}  // namespace wayloom
