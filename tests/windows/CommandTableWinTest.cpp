// The window's command table is the one list: every menu item, key and toolbar button of
// the program names a command the window handles, and no key is given twice.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "core/CommandIds.h"
#include "core/ToolbarLayout.h"
#include "shell/CommandTable.h"

namespace wayloom {
namespace {

constexpr int kMainMenu = 500;
constexpr int kContextMenus = 10000;
// Commands listed but not handled yet.
const std::set<int> kNotYetHandled = {};

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
  std::vector<UINT> items;
  for (int id : {kMainMenu, kContextMenus}) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(menu, nullptr);
    CollectMenuItems(menu, items);
    DestroyMenu(menu);
  }
  // Every command of the main menu and every header command is on a menu.
  for (int id = IDM_FIRST; id <= IDM_LAST_HEADER; ++id) {
    if (id > IDM_LAST && id < IDM_FIRST_HEADER) continue;
    EXPECT_NE(std::count(items.begin(), items.end(), static_cast<UINT>(id)), 0) << "no menu item for " << id;
  }
  for (UINT id : items) EXPECT_NE(FindCommand(static_cast<int>(id)), nullptr) << "menu item " << id;

  HACCEL accelerators = CreateMainAccelerators();
  ASSERT_NE(accelerators, nullptr);
  std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(accelerators, nullptr, 0)));
  CopyAcceleratorTableW(accelerators, keys.data(), static_cast<int>(keys.size()));
  DestroyAcceleratorTable(accelerators);
  EXPECT_EQ(keys.size(), 56u);  // 55 command keys and Apps
  std::set<std::pair<BYTE, WORD>> distinctKeys;
  for (const ACCEL& key : keys) {
    EXPECT_NE(FindCommand(key.cmd), nullptr) << "key for " << key.cmd;
    EXPECT_TRUE(distinctKeys.insert({key.fVirt, key.key}).second) << "key given twice, for " << key.cmd;
  }

  for (int command : kToolbarCommands) EXPECT_NE(FindCommand(command), nullptr) << "button " << command;
  for (const CommandEntry& entry : MainCommands()) {
    EXPECT_EQ(entry.run == nullptr, kNotYetHandled.contains(entry.id)) << entry.id;
    EXPECT_TRUE((entry.id >= IDM_FIRST && entry.id <= IDM_LAST) || entry.id >= IDM_OPEN_COMMAND_LINE) << entry.id;
  }
}

}  // namespace
}  // namespace wayloom
