#include "shell/MainMenus.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <string>

#include "core/CommandStates.h"
#include "core/StringTable.h"
#include "platform/win32/WideText.h"
#include "core/ToolbarLayout.h"
#include "shell/CommandTable.h"
#include "shell/MainWindow.h"
#include "shell/RecentFilesMenu.h"

namespace wayloom {
namespace {

constexpr int kToolbarPopup = 0, kHeaderPopup = 1, kListPopup = 2;  // in menu 10000
constexpr int kRecentLabelString = 13112;
constexpr int kPopupHelpBase = 13000;
constexpr int kSiblingClassString = 14291;

bool IsHeaderCommand(UINT id) { return id >= IDM_FIRST_HEADER && id <= IDM_LAST_HEADER; }

// The menu text up to its tab (the key part).
std::wstring MenuTextWithoutKey(HMENU menu, UINT id) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, id, text, 256, MF_BYCOMMAND);
  std::wstring shown(text);
  const std::size_t tab = shown.find(L'\t');
  return tab == std::wstring::npos ? shown : shown.substr(0, tab);
}

}  // namespace

CommandStateInputs WindowInputs(const MainWindowState& state) {
  CommandStateInputs inputs;
  inputs.menuBarShown = GetMenu(state.window) != nullptr;
  inputs.statusBarShown = state.statusBar.Visible();
  inputs.toolbarShown = state.toolbar.Visible();
  inputs.deviceServiceInstalled = state.deviceServiceInstalled;
  inputs.mapTempFileSet = !state.mapTempFile.empty();
  inputs.earthTempFileSet = !state.earthTempFile.empty();
  inputs.siblingWindowExists = FindWindowW(ToWide(LoadText(kSiblingClassString)).c_str(), nullptr) != nullptr;
  inputs.backgroundInUse = state.editor.doc.settings.font.useBackground;
  return inputs;
}

namespace {

void Apply(HMENU popup, UINT id, const CommandState& command) {
  EnableMenuItem(popup, id, MF_BYCOMMAND | (command.enabled ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(popup, id, MF_BYCOMMAND | (command.checked ? MF_CHECKED : MF_UNCHECKED));
}

void TrackPopup(MainWindowState& state, HMENU popup, POINT screen) {
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, state.window, nullptr);
}

}  // namespace

namespace {

void AttachImages(MainWindowState& state, HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      AttachImages(state, sub);
      continue;
    }
    const int image = ToolbarImageOf(static_cast<int>(GetMenuItemID(menu, i)));
    if (image < 0) continue;
    HBITMAP bitmap = state.toolbar.MenuBitmap(image);
    if (!bitmap) continue;
    state.menuImages.push_back(bitmap);
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    item.hbmpItem = bitmap;
    SetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item);
  }
}

}  // namespace

void AttachMenuImages(MainWindowState& state) {
  if (state.menu) AttachImages(state, state.menu);
  if (state.contextMenus) AttachImages(state, state.contextMenus);
}

void AddSystemMenuItems(HWND window, HMENU mainMenu) {
  HMENU system = GetSystemMenu(window, FALSE);
  if (!system || !mainMenu) return;
  int position = 0;
  for (UINT id : {IDM_SHOW_MENU_BAR, IDM_SHOW_TOOLBAR, IDM_SHOW_STATUS_BAR}) {
    const std::wstring text = MenuTextWithoutKey(mainMenu, id);
    InsertMenuW(system, position++, MF_BYPOSITION | MF_STRING, id, text.c_str());
  }
  InsertMenuW(system, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void UpdatePopupStates(MainWindowState& state, HMENU popup) {
  const CommandStates commands = state.editor.States(WindowInputs(state), true);
  const HeaderMenuStates header = HeaderMenuCommandStates(state.editor.doc, state.headerColumn);
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(popup, i);
    if (id >= IDM_FIRST && id <= IDM_LAST) {
      Apply(popup, id, commands[static_cast<int>(id)]);
    } else if (IsHeaderCommand(id)) {
      Apply(popup, id, header[static_cast<int>(id)]);
    }
  }
  // The distance mode is a pair of radio items.
  if (GetMenuState(popup, IDM_ADJACENT_DISTANCE, MF_BYCOMMAND) != static_cast<UINT>(-1)) {
    const bool adjacent = state.editor.doc.settings.adjacentDistance != 0;
    CheckMenuRadioItem(popup, IDM_ADJACENT_DISTANCE, IDM_BASE_DISTANCE,
                       adjacent ? IDM_ADJACENT_DISTANCE : IDM_BASE_DISTANCE, MF_BYCOMMAND);
  }
  if (state.menu && popup == GetSubMenu(state.menu, 0))
    GreyMissingRecentFiles(popup, state.editor.doc.settings, state.files);
  // The same marks in the system menu.
  if (HMENU system = GetSystemMenu(state.window, FALSE); system == popup) {
    for (UINT id : {IDM_SHOW_MENU_BAR, IDM_SHOW_TOOLBAR, IDM_SHOW_STATUS_BAR})
      CheckMenuItem(system, id, MF_BYCOMMAND | (commands[static_cast<int>(id)].checked ? MF_CHECKED : MF_UNCHECKED));
  }
}

void ShowMenuHelp(MainWindowState& state, UINT item, UINT flags, HMENU menu) {
  if (flags == 0xFFFF && !menu) {  // the menu closed
    state.statusBar.SetSimple(false);
    return;
  }
  Text text;
  if (item >= IDM_RECENT_FIRST && item <= IDM_RECENT_LAST && !(flags & MF_POPUP)) {
    const auto& recent = state.editor.doc.settings.recentFiles;
    const std::size_t index = item - IDM_RECENT_FIRST;
    std::wstring label = ToWide(LoadText(kRecentLabelString)) + L" ";
    std::wstring path = index < recent.size() ? ToWide(recent[index]) : std::wstring();
    RECT bar{};
    GetClientRect(state.statusBar.Handle(), &bar);
    HDC dc = GetDC(state.statusBar.Handle());
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(state.statusBar.Handle(), WM_GETFONT, 0, 0)));
    SIZE labelSize{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &labelSize);
    path.resize(std::max<std::size_t>(path.size(), MAX_PATH) + 1, L'\0');
    PathCompactPathW(dc, path.data(), static_cast<UINT>(std::max<LONG>(bar.right - labelSize.cx - 8, 0)));
    path.resize(wcslen(path.c_str()));
    SelectObject(dc, old);
    ReleaseDC(state.statusBar.Handle(), dc);
    text = FromWide(label + path);
  } else if (flags & MF_POPUP) {
    // A pop-up of the menu bar: its position tells its help text.
    if (menu == state.menu && item < 5) text = LoadText(kPopupHelpBase + static_cast<int>(item));
  } else if (!(flags & MF_SEPARATOR)) {
    text = LoadText(static_cast<int>(item));
  }
  state.statusBar.SetSimple(true, text);
}

void OpenTableMenu(MainWindowState& state, POINT screen) {
  TrackPopup(state, GetSubMenu(state.contextMenus, kListPopup), screen);
}

void OpenHeaderMenu(MainWindowState& state, int column, POINT screen) {
  state.headerColumn = column;
  // The header's sort commands work on the column clicked.
  if (column >= 0) state.editor.doc.currentColumn = column;
  TrackPopup(state, GetSubMenu(state.contextMenus, kHeaderPopup), screen);
}

void OpenToolbarMenu(MainWindowState& state, POINT screen) {
  TrackPopup(state, GetSubMenu(state.contextMenus, kToolbarPopup), screen);
}

void OpenContextMenuForKey(MainWindowState& state) {
  POINT cursor{};
  GetCursorPos(&cursor);
  HWND under = WindowFromPoint(cursor);
  HWND list = state.table.Handle();
  if (under == list) {
    LVHITTESTINFO hit{};
    hit.pt = cursor;
    ScreenToClient(list, &hit.pt);
    const int row = static_cast<int>(SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    ItineraryTable& table = state.editor.doc.table;
    if (row >= 0 && static_cast<std::size_t>(row) < table.RowCount() && !table.Row(row).selected) {
      table.ClearSelection();
      table.SetSelected(row, true);
      table.SetFocused(row);
      state.table.SyncFromTable();
    }
    OpenTableMenu(state, cursor);
  } else if (under && under == state.toolbar.Handle()) {
    if (!state.toolbar.OnRightClick(cursor, state.window)) OpenToolbarMenu(state, cursor);
  } else if (under && under == ListView_GetHeader(list)) {
    HDHITTESTINFO hit{};
    hit.pt = cursor;
    ScreenToClient(under, &hit.pt);
    const int item = static_cast<int>(SendMessageW(under, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    OpenHeaderMenu(state, (hit.flags & HHT_ONHEADER) ? item : -1, cursor);
  } else if (GetFocus() == list) {
    // From the keyboard with the mouse elsewhere: the table's menu at its focused row.
    RECT row{LVIR_BOUNDS, 0, 0, 0};
    const long long focused = state.editor.doc.table.FocusedRow();
    POINT at{8, 8};
    if (focused >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&row)))
      at = {row.left + 8, row.bottom};
    ClientToScreen(list, &at);
    OpenTableMenu(state, at);
  }
}

}  // namespace wayloom
