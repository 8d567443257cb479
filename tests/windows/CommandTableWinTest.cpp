// The window's command table is the one list: every menu item, key and toolbar button of
// the program names a command the window handles, and no key or button is given twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "core/CommandIds.h"
#include "shell/CommandTable.h"

namespace wayloom {
namespace {

constexpr int kMainMenu = 500;

void CollectMenuItems(HMENU menu, std::vector<UINT>& ids) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      CollectMenuItems(sub, ids);
      continue;
    }
    const UINT id = GetMenuItemID(menu, i);
    if (id != 0 && id != static_cast<UINT>(-1)) ids.push_back(id);  // separators have 0
  }
}

TEST(CommandTableWinTest, EveryMenuItemKeyAndButtonNamesAListedCommand) {
  HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainMenu));
  ASSERT_NE(menu, nullptr);
  std::vector<UINT> items;
  CollectMenuItems(menu, items);
  DestroyMenu(menu);
  ASSERT_FALSE(items.empty());
  for (UINT id : items) EXPECT_NE(FindCommand(static_cast<int>(id)), nullptr) << "menu item " << id;

  HACCEL accelerators = CreateMainAccelerators();
  ASSERT_NE(accelerators, nullptr);
  std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(accelerators, nullptr, 0)));
  CopyAcceleratorTableW(accelerators, keys.data(), static_cast<int>(keys.size()));
  DestroyAcceleratorTable(accelerators);
  std::set<std::pair<BYTE, WORD>> distinctKeys;
  for (const ACCEL& key : keys) {
    EXPECT_NE(FindCommand(key.cmd), nullptr) << "key for " << key.cmd;
    EXPECT_TRUE(distinctKeys.insert({key.fVirt, key.key}).second) << "key given twice, for " << key.cmd;
  }

  std::set<int> images;
  for (const CommandEntry& entry : MainCommands()) {
    EXPECT_NE(entry.run, nullptr) << entry.id;
    EXPECT_TRUE((entry.id >= IDM_FIRST && entry.id <= IDM_LAST) || entry.id >= IDM_OPEN_COMMAND_LINE) << entry.id;
    if (entry.toolbarImage < 0) continue;
    EXPECT_LT(entry.toolbarImage, 51) << entry.id;
    EXPECT_TRUE(images.insert(entry.toolbarImage).second) << "image given twice, for " << entry.id;
  }
}

}  // namespace
}  // namespace wayloom
