#include "shell/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cwchar>

#include "core/CommandIds.h"
#include "core/CommandStates.h"
#include "core/StringTable.h"
#include "core/WindowPlacement.h"
#include "editing/DocumentCommands.h"
#include "platform/win32/WideText.h"
#include "shell/CommandTable.h"
#include "shell/RecentFilesMenu.h"

namespace wayloom {
namespace {

constexpr UINT_PTR kRefreshTimer = 7;
constexpr UINT kRefreshMilliseconds = 500;
constexpr int kReadyString = 13100;
constexpr int kRowsString = 14202;

MainWindowState* StateOf(HWND window) {
  return reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool IsExistingFile(MainWindowState& state, TextView path) {
  return !path.empty() && state.files.Exists(path) && !state.files.IsDirectory(path);
}

void Layout(MainWindowState& state) {
  RECT client{};
  GetClientRect(state.window, &client);
  state.statusBar.Resize(client.right);
  int tableHeight = client.bottom - state.statusBar.Height();
  SetWindowPos(state.table.Handle(), nullptr, 0, 0, client.right, tableHeight < 0 ? 0 : tableHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

bool OnCreate(MainWindowState& state, HINSTANCE instance) {
  LoadSettings(state.profile, state.editor.doc.settings, state.modernVisuals);
  const Settings& settings = state.editor.doc.settings;
  if (!state.table.Create(state.window, instance)) return false;
  state.clipboard = std::make_unique<Win32ClipboardStore>(state.window);
  state.editor.context.clipboard = state.clipboard.get();
  if (!state.statusBar.Create(state.window, instance, settings.Get(Option::ShowStatusBar))) return false;
  state.statusBar.SetText(0, LoadText(kReadyString));
  state.menu = LoadMenuW(instance, MAKEINTRESOURCEW(kMainResourceId));
  if (settings.Get(Option::ShowMenuBar)) SetMenu(state.window, state.menu);
  SetTimer(state.window, kRefreshTimer, kRefreshMilliseconds, nullptr);
  if (settings.Get(Option::BackupFile)) state.ui.RestartAutoSaveTimer(settings.backupInterval);
  RebuildRecentFilesMenu(state.window, GetSubMenu(state.menu, 0), settings, state.recentItemsShown);
  DragAcceptFiles(state.window, TRUE);

  SendMessageW(state.window, WM_COMMAND, IDM_NEW, 0);
  // A path that names nothing opens nothing.
  if (IsExistingFile(state, state.commandLinePath)) {
    PostMessageW(state.window, WM_COMMAND, IDM_OPEN_COMMAND_LINE, 0);
  } else if (settings.Get(Option::OpenLast) && !settings.recentFiles.empty() &&
             IsExistingFile(state, settings.recentFiles.front())) {
    PostMessageW(state.window, WM_COMMAND, IDM_RECENT_FIRST, 0);
  }
  return true;
}

// The table and the recent list may have changed.
void AfterCommand(MainWindowState& state) {
  state.table.SyncFromTable();
  RebuildRecentFilesMenu(state.window, GetSubMenu(state.menu, 0), state.editor.doc.settings, state.recentItemsShown);
}

void OnCommand(MainWindowState& state, int command) {
  if (const CommandEntry* entry = FindCommand(command)) {
    entry->run(state);
  } else if (command >= IDM_RECENT_FIRST && command <= IDM_RECENT_LAST) {
    OpenRecent(state.editor.context, static_cast<std::size_t>(command - IDM_RECENT_FIRST));
  } else {
    return;
  }
  AfterCommand(state);
}

void OnDropFiles(MainWindowState& state, HDROP drop) {
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<Text> paths;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(FromWide(path));
  }
  DragFinish(drop);
  OpenDroppedFiles(state.editor.context, paths, false);
  AfterCommand(state);
}

void RefreshTitle(MainWindowState& state) {
  if (!state.editor.doc.titleDirty) return;
  state.editor.doc.titleDirty = false;
  std::wstring title = ToWide(WindowTitle(state.editor.doc.document));
  int length = GetWindowTextLengthW(state.window);
  std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(state.window, shown.data(), length + 1);
  shown.resize(static_cast<std::size_t>(length));
  if (shown != title) SetWindowTextW(state.window, title.c_str());
}

void RefreshRowCounts(MainWindowState& state) {
  const ItineraryTable& table = state.editor.doc.table;
  long long first = table.FirstSelected() + 1;
  long long selected = static_cast<long long>(table.SelectedCount());
  long long rows = static_cast<long long>(table.RowCount());
  if (first == state.shownFirst && selected == state.shownSelected && rows == state.shownRows) return;
  state.shownFirst = first;
  state.shownSelected = selected;
  state.shownRows = rows;
  std::wstring label = ToWide(LoadText(kRowsString));
  wchar_t text[128];
  std::swprintf(text, sizeof text / sizeof text[0], L"  %ls  %lld - %lld / %lld  ", label.c_str(), first, selected,
                rows);
  state.statusBar.SetText(1, FromWide(text));
}

void OnTimer(MainWindowState& state, UINT_PTR timer) {
  if (timer == kAutoSaveTimer) {
    AutoSave(state.editor.context);
    AfterCommand(state);
    return;
  }
  if (timer != kRefreshTimer) return;
  RefreshTitle(state);
  if (state.editor.doc.statusResetPending) {
    state.editor.doc.statusResetPending = false;
    state.statusBar.SetText(0, LoadText(kReadyString));
  }
  RefreshRowCounts(state);
}

// Greys the commands of a menu bar pop-up that cannot run now.
void OnInitMenuPopup(MainWindowState& state, HMENU popup) {
  const CommandStates states = state.editor.States(CommandStateInputs{}, true);
  const int count = GetMenuItemCount(popup);
  for (int i = 0; i < count; ++i) {
    const UINT id = GetMenuItemID(popup, i);
    if (id >= static_cast<UINT>(IDM_FIRST) && id <= static_cast<UINT>(IDM_LAST) && FindCommand(static_cast<int>(id)))
      EnableMenuItem(popup, id, MF_BYCOMMAND | (states[static_cast<int>(id)].enabled ? MF_ENABLED : MF_GRAYED));
  }
  if (popup == GetSubMenu(state.menu, 0)) GreyMissingRecentFiles(popup, state.editor.doc.settings, state.files);
}

void OnClose(MainWindowState& state) {
  if (state.editor.doc.document.modified && !ConfirmDiscard(state.editor.context)) return;
  DestroyWindow(state.window);
}

void OnDestroy(MainWindowState& state) {
  KillTimer(state.window, kRefreshTimer);
  KillTimer(state.window, kAutoSaveTimer);
  const Settings& settings = state.editor.doc.settings;
  bool backgroundExists = IsExistingFile(state, settings.font.background);
  SaveSettings(state.profile, settings, backgroundExists);

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(state.window, &placement)) {
    const RECT& normal = placement.rcNormalPosition;
    SaveWindowSettings(state.profile, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                       static_cast<int>(placement.showCmd), 0);
  }
  // A menu that was never attached is not destroyed with the window.
  if (state.menu && GetMenu(state.window) != state.menu) DestroyMenu(state.menu);
  state.menu = nullptr;
  PostQuitMessage(0);
}

void OnMinMaxInfo(MINMAXINFO& info) {
  info.ptMinTrackSize.x = kMinWindowWidth;
  info.ptMinTrackSize.y = kMinWindowHeight;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* state = static_cast<MainWindowState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    state->window = window;
    state->ui.SetOwner(window);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return DefWindowProcW(window, message, wParam, lParam);
  }
  MainWindowState* state = StateOf(window);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);

  switch (message) {
    case WM_CREATE:
      return OnCreate(*state, reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance) ? 0 : -1;
    case WM_COMMAND:
      OnCommand(*state, LOWORD(wParam));
      return 0;
    case WM_DROPFILES:
      OnDropFiles(*state, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(*state, reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_NOTIFY:
      return state->table.OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(*state, wParam);
      return 0;
    case WM_SIZE:
      Layout(*state);
      return 0;
    case WM_GETMINMAXINFO:
      OnMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_SETFOCUS:
      if (state->table.Handle()) SetFocus(state->table.Handle());
      return 0;
    case WM_CLOSE:
      OnClose(*state);
      return 0;
    case WM_DESTROY:
      OnDestroy(*state);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
  std::wstring className = ToWide(LoadText(kWindowClassString));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kMainResourceId));
  windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kMainResourceId), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = className.c_str();
  return RegisterClassExW(&windowClass) != 0;
}

HWND CreateMainWindow(HINSTANCE instance, MainWindowState& state, int x, int y, int width, int height) {
  std::wstring className = ToWide(LoadText(kWindowClassString));
  return CreateWindowExW(WS_EX_APPWINDOW, className.c_str(), L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width,
                         height, nullptr, nullptr, instance, &state);
}

}  // namespace wayloom
