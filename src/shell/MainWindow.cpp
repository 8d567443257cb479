#include "shell/MainWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <tuple>
#include <utility>

#include "core/CommandStates.h"
#include "core/StatusTexts.h"
#include "core/StringTable.h"
#include "core/WindowPlacement.h"
#include "editing/CellEdit.h"
#include "editing/DocumentCommands.h"
#include "editing/Preferences.h"
#include "planning/SortTable.h"
#include "platform/win32/WideText.h"
#include "shell/CommandTable.h"
#include "shell/CompanionLink.h"
#include "shell/Dpi.h"
#include "shell/MainMenus.h"
#include "shell/RecentFilesMenu.h"
#include "shell/TableLook.h"
#include "shell/VersionNotice.h"
#include "shell/dialogs/AboutDialog.h"
#include "shell/dialogs/FolderBrowser.h"
#include "shell/dialogs/PreferencesDialog.h"

namespace wayloom {
namespace {

constexpr UINT_PTR kStatusTimer = 7;
constexpr UINT kStatusMilliseconds = 500;
constexpr UINT kDpiChangedMessage = 0x02E0;  // WM_DPICHANGED, missing from older headers
constexpr int kReadyString = 13100;
constexpr int kRowsString = 14202;
constexpr int kDeviceServiceKeyString = 14278;
constexpr UINT kSelectionPauseMilliseconds = 750;
constexpr UINT kCloseDelayMilliseconds = 2000;  // the page's time to unload

MainWindowState* StateOf(HWND window) {
  return reinterpret_cast<MainWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool IsExistingFile(MainWindowState& state, TextView path) {
  return !path.empty() && state.files.Exists(path) && !state.files.IsDirectory(path);
}

bool RegistryKeyExists(int keyString) {
  HKEY key = nullptr;
  const std::wstring name = ToWide(LoadText(keyString));
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

TableEvents TableEventsOf(MainWindowState& state) {
  TableEvents events;
  events.commitEditor = [&state] { return state.cellEditor.Commit(); };
  events.enter = [&state] { PostMessageW(state.window, WM_COMMAND, IDM_ADD, 0); };
  events.dropRows = [&state](std::size_t drop, DragEffect effect) {
    DropSelectedRows(state.editor.context, drop, effect);
    AfterCommand(state);
  };
  state.table.Drag().SetDropAway([&state](HWND target, DragEffect effect) { DropRowsOnWindow(state, target, effect); });
  events.scrolled = [&state] { state.cellEditor.Reposition(); };
  events.headerMenu = [&state](int column, POINT screen) { OpenHeaderMenu(state, column, screen); };
  // The map follows at once for a click, after a pause for keyboard travel.
  events.selectionChanged = [&state] {
    state.editor.doc.selectPending = true;
    state.selectHoldOff = true;
    SetTimer(state.window, kSelectionTimer, (GetKeyState(VK_LBUTTON) & 0x8000) ? 0 : kSelectionPauseMilliseconds,
             nullptr);
  };
  return events;
}

// Toolbar clicks first refresh the states and commit the editor; hovering shows help.
ToolbarEvents ToolbarEventsOf(MainWindowState& state) {
  ToolbarEvents events;
  events.beforeClick = [&state] {
    state.toolbar.ApplyStates(state.editor.States(WindowInputs(state), false));
    return state.cellEditor.Commit();
  };
  events.showHelp = [&state](int command) {
    if (state.cellEditor.Visible()) return;
    if (command) {
      state.statusBar.SetText(0, LoadText(command));
    } else {
      state.editor.doc.statusResetPending = true;
    }
  };
  return events;
}

bool OnCreate(MainWindowState& state, HINSTANCE instance) {
  state.oleReady = SUCCEEDED(OleInitialize(nullptr));
  LoadSettings(state.profile, state.editor.doc.settings, state.modernVisuals);
  state.ui.SetSettings(&state.editor.doc.settings);
  const Settings& settings = state.editor.doc.settings;
  if (!state.table.Create(state.window, instance, TableEventsOf(state))) return false;
  if (!state.cellEditor.Create(state.table.Handle(), instance)) return false;
  if (!state.mapPane.Create(state.window, instance)) return false;
  state.editor.doc.map = &state.bridge;
  state.ui.SetCellEditor(&state.cellEditor);
  state.ui.SetCommandContext(&state.editor.context);
  state.clipboard = std::make_unique<Win32ClipboardStore>(state.window);
  state.editor.context.clipboard = state.clipboard.get();
  if (!state.statusBar.Create(state.window, instance, settings.Get(Option::ShowStatusBar))) return false;
  state.statusBar.SetText(0, LoadText(kReadyString));
  state.toolbar.events = ToolbarEventsOf(state);
  if (!state.toolbar.Create(state.window, instance, state.editor.doc.settings, state.profile, state.modernVisuals))
    return false;

  state.menu = LoadMenuW(instance, MAKEINTRESOURCEW(kMainResourceId));
  state.contextMenus = LoadMenuW(instance, MAKEINTRESOURCEW(kContextMenusId));
  if (!state.menu || !state.contextMenus) return false;
  AttachMenuImages(state);
  ApplyStoredTableLook(state);
  RebuildRecentFilesMenu(state.window, GetSubMenu(state.menu, 0), settings, state.recentItemsShown);
  AddSystemMenuItems(state.window, state.menu);
  if (settings.Get(Option::ShowMenuBar)) SetMenu(state.window, state.menu);

  state.deviceServiceInstalled = RegistryKeyExists(kDeviceServiceKeyString);
  ChooseMapTempFiles(state);
  SetTimer(state.window, kStatusTimer, kStatusMilliseconds, nullptr);
  if (settings.Get(Option::BackupFile)) state.ui.RestartAutoSaveTimer(settings.backupInterval);
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

void OnCommand(MainWindowState& state, int command, LPARAM parameter) {
  state.commandParameter = parameter;
  if (const CommandEntry* entry = FindCommand(command)) {
    if (!entry->run) return;
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
  if (!state.cellEditor.Commit()) return;
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

void RefreshStatusParts(MainWindowState& state) {
  if (!state.statusBar.Visible()) return;
  DocumentState& doc = state.editor.doc;
  if (doc.statusResetPending && !state.cellEditor.Visible()) {
    doc.statusResetPending = false;
    state.statusBar.SetText(0, LoadText(kReadyString));
  }
  const ItineraryTable& table = doc.table;
  const long long current =
      state.editor.cellEditor.open ? static_cast<long long>(state.editor.cellEditor.row) + 1 : table.FirstSelected() + 1;
  const long long selected = static_cast<long long>(table.SelectedCount());
  const long long rows = static_cast<long long>(table.RowCount());
  if (current != state.shownCurrent || selected != state.shownSelected || rows != state.shownRows) {
    state.shownCurrent = current;
    state.shownSelected = selected;
    state.shownRows = rows;
    state.statusBar.SetText(1, RowCounterText(LoadText(kRowsString), current, selected, rows));
  }
  SYSTEMTIME now{};
  GetLocalTime(&now);
  // The separator blinks (a space in the first half of each second) only where a space is
  // as wide as the colon, so the text does not jump.
  const bool blinks = state.statusBar.TextWidth(u" ") == state.statusBar.TextWidth(u":");
  const wchar_t separator = blinks && now.wMilliseconds < 500 ? L' ' : L':';
  const int minute = now.wHour * 60 + now.wMinute;
  if (minute != state.shownMinute || separator != state.shownSeparator) {
    state.shownMinute = minute;
    state.shownSeparator = separator;
    state.statusBar.SetText(2, ClockText(now.wHour, now.wMinute, static_cast<char16_t>(separator)));
  }
}

// The page's pending message; the table is refreshed when the message changed it.
void PollMap(MainWindowState& state) {
  if (!state.mapPane.PaneVisible()) return;
  const DocumentState& doc = state.editor.doc;
  const auto shape = [&doc] {
    return std::tuple(doc.table.RowCount(), doc.table.SelectedCount(), doc.table.FirstSelected(),
                      doc.journal.current, doc.document.modified);
  };
  const auto before = shape();
  state.bridge.Poll();
  if (shape() != before || doc.titleDirty) AfterCommand(state);
}

void OnTimer(MainWindowState& state, UINT_PTR timer) {
  if (timer == kCloseDelayTimer) {
    KillTimer(state.window, kCloseDelayTimer);
    DestroyWindow(state.window);
    return;
  }
  if (timer == kSplitterHoverTimer && !state.mapPane.OnHoverTick()) return;
  RefreshTitle(state);
  if (timer == kAutoSaveTimer) {
    AutoSave(state.editor.context);
    AfterCommand(state);
  }
  PollMap(state);
  DocumentState& doc = state.editor.doc;
  if (timer == kSelectionTimer) {
    KillTimer(state.window, kSelectionTimer);
    state.selectHoldOff = false;
  }
  if (doc.selectPending && !state.selectHoldOff) {
    if (doc.table.SelectedCount() > 0) MapSelectEntry(doc);
    doc.selectPending = false;
  }
  if (timer != kStatusTimer || state.statusBar.Simple() || state.statusRefreshSuspended) return;
  if (state.toolbar.Visible()) state.toolbar.ApplyStates(state.editor.States(WindowInputs(state), false));
  RefreshStatusParts(state);
}

// A notification of the table: double-click, right-click, column click; the rest is the
// table view's.
LRESULT OnNotify(MainWindowState& state, const NMHDR& header) {
  if (header.hwndFrom == state.toolbar.Handle() && header.code == NM_RCLICK) {
    POINT cursor{};
    GetCursorPos(&cursor);
    if (!state.toolbar.OnRightClick(cursor, state.window)) OpenToolbarMenu(state, cursor);
    return TRUE;
  }
  if (auto result = state.toolbar.OnNotify(header)) return *result;
  if (header.hwndFrom != state.table.Handle()) return 0;
  switch (header.code) {
    case NM_DBLCLK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      LVHITTESTINFO hit{};
      hit.pt = activate.ptAction;
      SendMessageW(state.table.Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.iItem < 0) return 0;
      DoubleClickCell(state.editor.context, state.editor.cellEditor, static_cast<std::size_t>(hit.iItem),
                      hit.iSubItem, hit.iSubItem == 0 && (hit.flags & LVHT_ONITEMICON));
      AfterCommand(state);
      return 0;
    }
    case NM_CLICK:
      if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem < 0) {
        state.editor.doc.table.ClearSelection();
        state.table.SyncFromTable();
      }
      return 0;
    case NM_RCLICK: {
      const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
      if (activate.iItem < 0) {
        state.editor.doc.table.ClearSelection();
        state.table.SyncFromTable();
      }
      POINT at = activate.ptAction;
      ClientToScreen(state.table.Handle(), &at);
      OpenTableMenu(state, at);
      return 0;
    }
    case LVN_COLUMNCLICK:
      HeaderClick(state.editor.context, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      AfterCommand(state);
      return 0;
    default:
      return state.table.OnNotify(header);
  }
}

// The strip between the toolbar and the table: a line under the toolbar and white below it.
void OnPaint(MainWindowState& state) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(state.window, &paint);
  RECT client{};
  GetClientRect(state.window, &client);
  RECT table{};
  GetWindowRect(state.table.Handle(), &table);
  MapWindowPoints(nullptr, state.window, reinterpret_cast<POINT*>(&table), 2);
  const int lineY =
      state.toolbar.Visible() ? state.toolbar.LayoutHeight() - (state.modernVisuals ? Scaled(state.window, 2) : 0) : 0;
  RECT below{0, lineY, client.right, table.top};
  FillRect(dc, &below, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (state.toolbar.Visible()) {
    HBRUSH line = CreateSolidBrush(state.modernVisuals ? RGB(0xB6, 0xBC, 0xCC) : RGB(0xAC, 0xA8, 0x99));
    RECT edge{0, lineY, client.right, lineY + 1};
    FillRect(dc, &edge, line);
    DeleteObject(line);
  }
  state.mapPane.PaintSplitter(dc);
  EndPaint(state.window, &paint);
}

bool OnClose(MainWindowState& state) {
  if (!state.cellEditor.Commit()) return false;
  if (state.editor.doc.document.modified && !ConfirmDiscard(state.editor.context)) return false;
  if (state.mapPane.PaneVisible()) {
    // The page gets time to unload before the window goes.
    ShowWindow(state.window, SW_HIDE);
    state.mapPane.ClosePane();
    SetTimer(state.window, kCloseDelayTimer, kCloseDelayMilliseconds, nullptr);
    return true;
  }
  DestroyWindow(state.window);
  return true;
}

void OnDestroy(MainWindowState& state) {
  KillTimer(state.window, kStatusTimer);
  KillTimer(state.window, kAutoSaveTimer);
  for (UINT_PTR timer : {kSplitterHoverTimer, kSelectionTimer, kCloseDelayTimer}) KillTimer(state.window, timer);
  Settings& settings = state.editor.doc.settings;
  settings.Set(Option::ShowMenuBar, GetMenu(state.window) != nullptr);
  settings.Set(Option::ShowStatusBar, state.statusBar.Visible());
  settings.Set(Option::ShowToolbar, state.toolbar.Visible());
  bool backgroundExists = IsExistingFile(state, settings.font.background);
  SaveSettings(state.profile, settings, backgroundExists);

  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(state.window, &placement)) {
    const RECT& normal = placement.rcNormalPosition;
    RECT pane{};
    GetWindowRect(state.mapPane.Handle(), &pane);
    SaveWindowSettings(state.profile, normal.left, normal.top, normal.right - normal.left, normal.bottom - normal.top,
                       static_cast<int>(placement.showCmd), pane.right - pane.left);
  }
  RemoveVersionNotice(state.window);
  // A menu that was never attached is not destroyed with the window.
  if (state.menu && GetMenu(state.window) != state.menu) DestroyMenu(state.menu);
  if (state.contextMenus) DestroyMenu(state.contextMenus);
  for (HBITMAP image : state.menuImages) DeleteObject(image);
  if (state.tableFont) DeleteObject(state.tableFont);
  state.tableFont = nullptr;
  state.menuImages.clear();
  state.menu = state.contextMenus = nullptr;
  DeleteMapTempFiles(state);
  state.editor.doc.map = nullptr;
  state.mapPane.ReleaseBrowser();
  if (state.oleReady) OleUninitialize();
  state.oleReady = false;
  PostQuitMessage(0);
}

void OnMinMaxInfo(HWND window, MINMAXINFO& info) {
  info.ptMinTrackSize.x = Scaled(window, kMinWindowWidth);
  info.ptMinTrackSize.y = Scaled(window, kMinWindowHeight);
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
  if (auto splitter = state->mapPane.OnMainWindowMessage(message, wParam, lParam)) return *splitter;

  switch (message) {
    case WM_CREATE:
      return OnCreate(*state, reinterpret_cast<CREATESTRUCTW*>(lParam)->hInstance) ? 0 : -1;
    case WM_COMMAND:
      OnCommand(*state, LOWORD(wParam), lParam);
      return 0;
    case WM_SYSCOMMAND:
      // The items added to the system menu come back as commands.
      if ((wParam & 0xFFFF) <= 0xEFFF) {
        PostMessageW(window, WM_COMMAND, wParam & 0xFFFF, 0);
        return 0;
      }
      break;
    case WM_DEVICECHANGE:
      ReopenFolderBrowser(window, wParam);
      return TRUE;
    case WM_DROPFILES:
      OnDropFiles(*state, reinterpret_cast<HDROP>(wParam));
      return 0;
    case WM_INITMENU:
      // An open cell is committed first; a refused text leaves the menu as it was.
      state->cellEditor.Commit();
      return 0;
    case WM_INITMENUPOPUP:
      UpdatePopupStates(*state, reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_MENUSELECT:
      ShowMenuHelp(*state, LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HMENU>(lParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*state, *reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(*state, wParam);
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) {
        Relayout(*state);
        RefreshStatusParts(*state);
      }
      return 0;
    case WM_PAINT:
      OnPaint(*state);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case kDpiChangedMessage: {
      // Moved to a screen of another DPI: the system's suggested rectangle, then the layout.
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      Relayout(*state);
      RefreshStatusParts(*state);
      return 0;
    }
    case WM_GETMINMAXINFO:
      OnMinMaxInfo(window, *reinterpret_cast<MINMAXINFO*>(lParam));
      return 0;
    case WM_SETFOCUS:
      if (state->cellEditor.Visible()) {
        SetFocus(state->cellEditor.Handle());
      } else if (state->table.Handle()) {
        SetFocus(state->table.Handle());
      }
      return 0;
    case WM_CLOSE:
      OnClose(*state);
      return 0;
    case WM_DESTROY:
      OnDestroy(*state);
      return 0;
    case kExchangeMessage:
    case kDragMessage:
      return OnExchangeMessage(*state, message, wParam, lParam);
    case kVersionReplyMessage:
      ShowVersionNotice(window, state->profile, wParam, lParam);
      return 0;
    case kNotifyIconMessage:
      if (OnNotifyIcon(window, lParam)) PostMessageW(window, WM_COMMAND, IDM_LINK_HOME_PAGE, 0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void AfterCommand(MainWindowState& state) {
  state.table.SyncFromTable();
  state.cellEditor.Reposition();
  RebuildRecentFilesMenu(state.window, GetSubMenu(state.menu, 0), state.editor.doc.settings, state.recentItemsShown);
}

bool TranslateMainWindowMessage(MainWindowState& state, HACCEL accelerators, MSG& message) {
  if (!message.hwnd) return false;
  if (HWND checks = state.ui.CheckResultsHandle(); checks && IsDialogMessageW(checks, &message)) return true;
  if (message.message == WM_MOUSEWHEEL && state.table.Handle()) {
    // Over the map the wheel zooms the page; anywhere else it scrolls the table.
    POINT cursor{};
    GetCursorPos(&cursor);
    HWND under = WindowFromPoint(cursor);
    const bool overMap = state.mapPane.PaneVisible() && under && IsChild(state.mapPane.Handle(), under);
    message.hwnd = overMap ? under : state.table.Handle();
  }
  if (state.mapPane.TranslatePageKeys(message)) return true;
  return accelerators && !state.cellEditor.Visible() && TranslateAcceleratorW(state.window, accelerators, &message);
}

void Relayout(MainWindowState& state) {
  if (IsIconic(state.window)) return;
  RECT client{};
  GetClientRect(state.window, &client);
  const int top = state.modernVisuals ? -Scaled(state.window, 2) : 0;
  int toolbarHeight = 0;
  if (state.toolbar.Visible()) {
    // The toolbar's width first: its wrapped rows decide its height.
    SetWindowPos(state.toolbar.Handle(), nullptr, 0, top, client.right, 1, SWP_NOZORDER | SWP_NOACTIVATE);
    toolbarHeight = state.toolbar.LayoutHeight();
    SetWindowPos(state.toolbar.Handle(), nullptr, 0, top, client.right, toolbarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  state.statusBar.Resize(client.right);
  const int y = top + toolbarHeight + Scaled(state.window, 2);
  const int tableHeight = std::max(0, static_cast<int>(client.bottom) - state.statusBar.Height() - y);
  const int tableWidth = state.mapPane.PaneVisible() ? state.mapPane.Place(client.right, y, tableHeight) : client.right;
  SetWindowPos(state.table.Handle(), nullptr, 0, y, tableWidth, tableHeight, SWP_NOZORDER | SWP_NOACTIVATE);
  state.cellEditor.Reposition();
  InvalidateRect(state.window, nullptr, TRUE);
}

void ToggleMenuBar(MainWindowState& state) {
  const bool show = GetMenu(state.window) == nullptr;
  SetMenu(state.window, show ? state.menu : nullptr);
  state.editor.doc.settings.Set(Option::ShowMenuBar, show);
}

void ToggleToolbar(MainWindowState& state) {
  state.toolbar.Show(!state.toolbar.Visible());
  Relayout(state);
}

void ToolbarCommand(MainWindowState& state, int command) {
  if (!state.toolbar.Visible()) return;
  state.toolbar.Press(command, true);
  switch (command) {
    case IDM_LARGE_TOOLBAR: state.toolbar.ToggleLarge(); break;
    case IDM_WRAP_TOOLBAR: state.toolbar.ToggleWrap(); break;
    case IDM_TOOLBAR_BACKGROUND: state.toolbar.ChooseBackground(state.window); break;
    case IDM_CUSTOMISE_TOOLBAR: state.toolbar.Customise(); break;
  }
  state.toolbar.Press(command, false);
  Relayout(state);
}

void ToggleStatusBar(MainWindowState& state) {
  const bool show = !state.statusBar.Visible();
  ShowWindow(state.statusBar.Handle(), show ? SW_SHOW : SW_HIDE);
  state.editor.doc.settings.Set(Option::ShowStatusBar, show);
  Relayout(state);
  state.shownCurrent = -1;
  state.shownMinute = -1;
  RefreshStatusParts(state);
}

void OpenWebLink(MainWindowState& state, int command) {
  constexpr int kLinkStringOffset = 13148;
  constexpr int kNoMailProgram = 14249;
  state.ui.PressToolbarButton(command, true);
  const std::wstring address = ToWide(LoadText(command + kLinkStringOffset));
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteW(state.window, nullptr, address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32 && command == IDM_LINK_MAIL)
    state.ui.ShowMessage(kNoMailProgram, FormatArg(), MessageIcon::Information, MessageButtons::Ok, false);
  state.ui.PressToolbarButton(command, false);
}

void ShowAboutBox(MainWindowState& state) {
  DialogFrame frame = state.ui.FrameFor(IDM_ABOUT);
  state.ui.PressToolbarButton(IDM_ABOUT, true);
  RunAboutDialog(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(state.window, GWLP_HINSTANCE)), frame);
  state.ui.PressToolbarButton(IDM_ABOUT, false);
}

void ShowPreferences(MainWindowState& state) {
  Settings& settings = state.editor.doc.settings;
  const Settings before = settings;
  DialogFrame frame = state.ui.FrameFor(IDM_PREFERENCES);
  state.ui.PressToolbarButton(IDM_PREFERENCES, true);
  const bool ok = RunPreferencesDialog(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(state.window, GWLP_HINSTANCE)),
                                       frame, settings, state.modernVisuals);
  state.ui.PressToolbarButton(IDM_PREFERENCES, false);
  if (!ok) return;
  // The toggles run as the user's own commands, after this one (the recent menu follows
  // the list when this command ends).
  const PreferencesChange change = ApplyPreferences(before, settings);
  for (int command : change.commands) PostMessageW(state.window, WM_COMMAND, command, 0);
  if (change.shadingChanged) InvalidateRect(state.table.Handle(), nullptr, TRUE);
  if (change.backupChanged) {
    if (settings.Get(Option::BackupFile)) {
      state.ui.RestartAutoSaveTimer(settings.backupInterval);
    } else {
      KillTimer(state.window, kAutoSaveTimer);
    }
  }
  // The page is rebuilt in a new language; other map options are pushed to it.
  if (change.mapLanguageChanged && state.mapPane.PaneVisible()) {
    PostMessageW(state.window, WM_COMMAND, IDM_MAP, 0);
    return;
  }
  constexpr std::pair<Option, int> kPageOptions[] = {
      {Option::GoogleMapsCookie, 12}, {Option::GoogleMapsName, 14}, {Option::GoogleMapsRoute, 16}};
  for (const auto& [option, base] : kPageOptions)
    if (settings.Get(option) != before.Get(option)) MapSetOption(state.editor.doc, base + (settings.Get(option) ? 0 : 1));
}

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
  return RegisterClassExW(&windowClass) != 0 && MapPaneWindow::RegisterWindowClass(instance);
}

HWND CreateMainWindow(HINSTANCE instance, MainWindowState& state, int x, int y, int width, int height) {
  std::wstring className = ToWide(LoadText(kWindowClassString));
  return CreateWindowExW(WS_EX_APPWINDOW, className.c_str(), L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, width,
                         height, nullptr, nullptr, instance, &state);
}

}  // namespace wayloom
