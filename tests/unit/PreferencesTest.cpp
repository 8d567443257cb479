// Applying the preferences: toggled options go back and their commands are listed in the
// order the window must run them; the recent list follows its switch and length.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/CommandIds.h"
#include "editing/Preferences.h"

namespace wayloom {
namespace {

TEST(Preferences, TogglesArePutBackAndRunInOrderAndTheRecentListIsCut) {
  Settings before = DefaultSettings(true);
  before.recentFiles = {u"a.itn", u"b.itn", u"c.itn", u"d.itn", u"e.itn"};
  Settings after = before;
  after.Set(Option::ShowStatusBar, !before.Get(Option::ShowStatusBar));
  after.Set(Option::DmsFormat, !before.Get(Option::DmsFormat));
  after.Set(Option::ShowMenuBar, !before.Get(Option::ShowMenuBar));
  after.Set(Option::AutoColumn, false);
  after.Set(Option::FadeWindow, !before.Get(Option::FadeWindow));  // read where it is used
  after.fileCount = 3;
  after.googleMapsLang = 4;

  const PreferencesChange change = ApplyPreferences(before, after);
  EXPECT_EQ(change.commands, (std::vector<int>{IDM_SHOW_MENU_BAR, IDM_DMS_FORMAT, IDM_SHOW_STATUS_BAR}));
  for (Option o : {Option::ShowStatusBar, Option::DmsFormat, Option::ShowMenuBar}) EXPECT_EQ(after.Get(o), before.Get(o));
  EXPECT_NE(after.Get(Option::FadeWindow), before.Get(Option::FadeWindow));
  EXPECT_TRUE(change.recentListChanged);
  EXPECT_EQ(after.recentFiles.size(), 3u);
  EXPECT_TRUE(change.mapLanguageChanged);
  EXPECT_FALSE(change.backupChanged);

  Settings off = before;
  off.Set(Option::AutoColumn, false);
  Settings on = off;
  on.Set(Option::AutoColumn, true);
  on.Set(Option::RecentFile, false);
  on.backupInterval = 20;
  const PreferencesChange second = ApplyPreferences(off, on);
  EXPECT_EQ(second.commands, (std::vector<int>{IDM_FIT_COLUMNS}));
  EXPECT_TRUE(on.recentFiles.empty());
  EXPECT_TRUE(second.backupChanged);
  Settings same = before;
  EXPECT_TRUE(ApplyPreferences(before, same).commands.empty());
}

}  // namespace
}  // namespace wayloom
