// The main window's menus: greying and marks when a pop-up opens, menu help in the status
// bar, the three context menus and the items added to the system menu.
#pragma once

#include <windows.h>

#include "core/CommandStates.h"

namespace wayloom {

struct MainWindowState;

// What only the window knows for the command states: its bars, the companion, the map.
CommandStateInputs WindowInputs(const MainWindowState& state);
// Every menu item whose command has a toolbar button shows the button's image.
void AttachMenuImages(MainWindowState& state);

// 1048, 1049 and 1056 at the top of the system menu, so hidden bars can be brought back.
void AddSystemMenuItems(HWND window, HMENU mainMenu);
// Enabled, greyed and checked items of a pop-up that is opening.
void UpdatePopupStates(MainWindowState& state, HMENU popup);
// WM_MENUSELECT: the item's help text, or the recent file's path, in the status bar.
void ShowMenuHelp(MainWindowState& state, UINT item, UINT flags, HMENU menu);
// The List View pop-up at a screen point.
void OpenTableMenu(MainWindowState& state, POINT screen);
// The Header pop-up for a column (-1: none hit) at a screen point.
void OpenHeaderMenu(MainWindowState& state, int column, POINT screen);
// The Toolbar pop-up at a screen point.
void OpenToolbarMenu(MainWindowState& state, POINT screen);
// Command 1215 (the Apps key): the context menu of the window under the cursor.
void OpenContextMenuForKey(MainWindowState& state);

}  // namespace wayloom
