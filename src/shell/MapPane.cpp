#include "shell/MapPane.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "map/AddressLookup.h"
#include "map/EarthExport.h"
#include "map/MapPage.h"
#include "platform/win32/WideText.h"
#include "shell/CommandTable.h"
#include "shell/Dpi.h"
#include "shell/MainWindow.h"
#include "shell/ResourceIds.h"
#include "shell/TableLook.h"

namespace wayloom {
namespace {

constexpr wchar_t kPaneClass[] = L"IEPane";
constexpr int kSplitterWidth = 6;
constexpr int kMinPaneWidth = 100;  // also the least room left for the table
constexpr UINT kHoverMilliseconds = 250;
constexpr COLORREF kPaneEdge = RGB(113, 111, 100);
constexpr COLORREF kSplitterEdge = RGB(127, 157, 185);
constexpr COLORREF kSplitterHot = RGB(240, 240, 96);
constexpr COLORREF kSplitterCold = RGB(196, 218, 250);

constexpr int kShowingMapString = 13138;
constexpr int kCloseHintString = 13139;
constexpr int kDiskErrorString = 14222;
constexpr int kEarthKeyString = 14279;
constexpr int kEarthFileString = 14280;
constexpr int kEarthWindowString = 14281;
constexpr int kMapUnavailableString = 14322;
constexpr int kBlankPageString = 14324;
constexpr int kMapTypeScriptString = 14327;

void FillColour(HDC dc, const RECT& area, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &area, brush);
  DeleteObject(brush);
}

std::wstring TempFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
  return length > 0 && length <= MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The folder of the program (and of its ini file and "MarkerImage" folder).
Text ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return Text();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return FromWide(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

MapPageFont TableFontForPage(const MainWindowState& state) {
  const LOGFONTW font = CurrentLogFont(state);
  const COLORREF colour = CurrentTextColour(state);
  MapPageFont page;
  page.face = FromWide(font.lfFaceName);
  page.height = font.lfHeight;
  page.weight = font.lfWeight;
  page.italic = font.lfItalic != 0;
  page.red = GetRValue(colour);
  page.green = GetGValue(colour);
  page.blue = GetBValue(colour);
  return page;
}

enum class PageWrite { Written, Locked, Failed };

// Created or truncated, not shared, written at once.
PageWrite WritePageFile(const Text& path, const std::string& page) {
  HANDLE file = CreateFileW(WidePointer(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_SHARING_VIOLATION ? PageWrite::Locked : PageWrite::Failed;
  DWORD written = 0;
  const bool ok = WriteFile(file, page.data(), static_cast<DWORD>(page.size()), &written, nullptr) &&
                  written == page.size();
  return CloseHandle(file) && ok ? PageWrite::Written : PageWrite::Failed;
}

}  // namespace

MapPaneWindow::~MapPaneWindow() {
  site_.ReleaseBrowser();
  if (pageKeys_) DestroyAcceleratorTable(pageKeys_);
}

bool MapPaneWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kPaneClass;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool MapPaneWindow::Create(HWND parent, HINSTANCE instance) {
  pane_ = CreateWindowExW(0, kPaneClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr, instance, this);
  if (!pane_) return false;
  pageKeys_ = CreateMapAccelerators();
  site_.Attach(pane_, parent, pageKeys_,
               [this](TextView text) { state_.bridge.StatusTextChanged(text, dragging_); });
  return true;
}

LRESULT CALLBACK MapPaneWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MapPaneWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    return DefWindowProcW(window, message, wParam, lParam);
  }
  auto* self = reinterpret_cast<MapPaneWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE: {
      RECT client{};
      GetClientRect(window, &client);
      self->site_.Place(client);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The edge lines on the left and top; the rest shows only while no page covers it.
void MapPaneWindow::Paint() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(pane_, &paint);
  RECT client{};
  GetClientRect(pane_, &client);
  FillColour(dc, {0, 0, 1, client.bottom}, kPaneEdge);
  FillColour(dc, {0, 0, client.right, 1}, kPaneEdge);
  RECT inside{1, 1, client.right, client.bottom};
  FillRect(dc, &inside, GetSysColorBrush(COLOR_WINDOW));
  EndPaint(pane_, &paint);
}

void MapPaneWindow::Show() {
  if (!placed_) {
    // The first time: "IE Pane" wide, by default half the client width.
    RECT client{};
    GetClientRect(state_.window, &client);
    const int width = state_.editor.doc.settings.window.iePane.value_or(client.right / 2);
    SetWindowPos(pane_, nullptr, client.right - width, 0, width, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    placed_ = true;
  }
  ShowWindow(pane_, SW_SHOW);
  Relayout(state_);
}

int MapPaneWindow::Place(int clientWidth, int y, int height) {
  RECT pane{};
  GetWindowRect(pane_, &pane);
  MapWindowPoints(nullptr, state_.window, reinterpret_cast<POINT*>(&pane), 2);
  const int least = Scaled(state_.window, kMinPaneWidth);
  int width = clientWidth - pane.left;
  width = width <= least ? least : std::min(width, clientWidth - least);
  SetWindowPos(pane_, nullptr, clientWidth - width, y - 1, width, height + 1, SWP_NOZORDER | SWP_NOACTIVATE);
  return std::max(0, clientWidth - width - Scaled(state_.window, kSplitterWidth));
}

RECT MapPaneWindow::SplitterRect() const {
  if (!PaneVisible()) return RECT{};
  RECT pane{};
  GetWindowRect(pane_, &pane);
  MapWindowPoints(nullptr, state_.window, reinterpret_cast<POINT*>(&pane), 2);
  return RECT{pane.left - Scaled(state_.window, kSplitterWidth), pane.top, pane.left, pane.bottom};
}

void MapPaneWindow::PaintSplitter(HDC dc) const {
  const RECT strip = SplitterRect();
  if (IsRectEmpty(&strip)) return;
  FillColour(dc, {strip.left, strip.top, strip.left + 1, strip.bottom}, kSplitterEdge);
  FillColour(dc, {strip.right - 1, strip.top, strip.right, strip.bottom}, kSplitterEdge);
  FillColour(dc, {strip.left + 1, strip.top, strip.right - 1, strip.bottom},
             hovering_ || dragging_ ? kSplitterHot : kSplitterCold);
}

bool MapPaneWindow::OverSplitter(POINT client) const {
  const RECT strip = SplitterRect();
  return PtInRect(&strip, client) != FALSE;
}

bool MapPaneWindow::CursorOverSplitter() const {
  POINT cursor{};
  GetCursorPos(&cursor);
  if (WindowFromPoint(cursor) != state_.window) return false;
  ScreenToClient(state_.window, &cursor);
  return OverSplitter(cursor);
}

void MapPaneWindow::Hover(bool on) {
  if (hovering_ == on) return;
  hovering_ = on;
  const RECT strip = SplitterRect();
  InvalidateRect(state_.window, &strip, FALSE);
  if (!on) return;
  if (!state_.cellEditor.Visible()) state_.statusBar.SetText(0, LoadText(kCloseHintString));
  SetTimer(state_.window, kSplitterHoverTimer, kHoverMilliseconds, nullptr);
}

bool MapPaneWindow::OnHoverTick() {
  if (dragging_ || CursorOverSplitter()) return false;
  KillTimer(state_.window, kSplitterHoverTimer);
  Hover(false);
  state_.editor.doc.statusResetPending = true;
  return true;
}

void MapPaneWindow::MoveLeftEdge(int x) {
  RECT client{};
  GetClientRect(state_.window, &client);
  const int least = Scaled(state_.window, kMinPaneWidth);
  const int left = std::max(least, std::min(x, static_cast<int>(client.right) - least));
  RECT pane{};
  GetWindowRect(pane_, &pane);
  MapWindowPoints(nullptr, state_.window, reinterpret_cast<POINT*>(&pane), 2);
  if (left == pane.left) return;
  SetWindowPos(pane_, nullptr, left, pane.top, client.right - left, pane.bottom - pane.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  Relayout(state_);
  UpdateWindow(state_.window);
}

std::optional<LRESULT> MapPaneWindow::OnMainWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  switch (message) {
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) != state_.window || LOWORD(lParam) != HTCLIENT) return std::nullopt;
      if (!dragging_ && !CursorOverSplitter()) return std::nullopt;
      SetCursor(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_SPLITTER)));
      return TRUE;
    case WM_MOUSEMOVE:
      if (dragging_) {
        // The pointer holds the strip at its middle.
        MoveLeftEdge(at.x + Scaled(state_.window, kSplitterWidth / 2));
        return 0;
      }
      if (!OverSplitter(at)) return std::nullopt;
      Hover(true);
      return 0;
    case WM_LBUTTONDOWN:
      if (!OverSplitter(at)) return std::nullopt;
      Hover(true);
      dragging_ = true;
      SetCapture(state_.window);
      return 0;
    case WM_LBUTTONUP:
      if (!dragging_) return std::nullopt;
      dragging_ = false;
      ReleaseCapture();
      SetTimer(state_.window, kSplitterHoverTimer, kHoverMilliseconds, nullptr);
      return 0;
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != state_.window) {
        dragging_ = false;
        const RECT strip = SplitterRect();
        InvalidateRect(state_.window, &strip, FALSE);
      }
      return std::nullopt;
    case WM_LBUTTONDBLCLK:
      if (!OverSplitter(at)) return std::nullopt;
      ClosePane();
      return 0;
  }
  return std::nullopt;
}

bool MapPaneWindow::TranslatePageKeys(MSG& message) {
  if (!PaneVisible() || !IsChild(pane_, message.hwnd)) return false;
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST) return false;
  return site_.TranslateKeys(message);
}

void MapPaneWindow::ClosePane() {
  HWND focus = GetFocus();
  if (focus && (focus == pane_ || IsChild(pane_, focus))) SetFocus(state_.window);
  site_.Navigate(LoadText(kBlankPageString), false);
  dragging_ = false;
  hovering_ = false;
  ShowWindow(pane_, SW_HIDE);
  Relayout(state_);
  RestoreStatusText();
}

void MapPaneWindow::RestoreStatusText() { state_.editor.doc.statusResetPending = true; }

void MapPaneWindow::ShowHint(TextView text) { state_.statusBar.SetText(0, text); }

void MapPaneWindow::ReleaseBrowser() {
  state_.bridge.PageNavigated(nullptr);
  site_.ReleaseBrowser();
}

void ShowMap(MainWindowState& state) {
  if (state.mapTempFile.empty()) return;
  ModalScope busy;
  EditorUi& ui = state.ui;
  ui.PressToolbarButton(IDM_MAP, true);
  ui.SetWaitCursor(true);
  ui.ShowStatusText(LoadText(kShowingMapString));
  MapPaneWindow& pane = state.mapPane;
  bool failed = !pane.Browser().Create();
  if (!failed) {
    if (!pane.PaneVisible()) pane.Show();
    const Text folder = ProgramFolder();
    const Text script = folder + u"\\" + Text(LoadText(kMapTypeScriptString));
    MapPageInputs inputs{state.editor.doc, TableFontForPage(state), folder,
                         state.files.Exists(script) && !state.files.IsDirectory(script) ? script : Text(),
                         ReadMapServices(&state.profile)};
    const PageWrite written = WritePageFile(state.mapTempFile, BuildMapPage(inputs));
    if (written == PageWrite::Failed) {
      ui.ShowMessage(kDiskErrorString, FormatArg(state.mapTempFile), MessageIcon::Warning, MessageButtons::Ok, false);
    } else if (written == PageWrite::Written) {
      state.bridge.PageNavigated(nullptr);
      failed = !pane.Browser().Navigate(u"file:///" + state.mapTempFile, true);
      if (!failed) state.bridge.PageNavigated(&pane.Browser().Script());
    }
    // A page file held by another program: the pane keeps the page it had.
  }
  if (failed) {
    ShowWindow(pane.Handle(), SW_HIDE);
    Relayout(state);
    pane.ReleaseBrowser();
    ui.ShowMessage(kMapUnavailableString, FormatArg(), MessageIcon::Information, MessageButtons::Ok, false);
  }
  ui.PressToolbarButton(IDM_MAP, false);
  ui.SetWaitCursor(false);
}

void ShowInEarth(MainWindowState& state) {
  if (state.earthTempFile.empty()) return;
  state.ui.PressToolbarButton(IDM_EARTH, true);
  if (WriteEarthFile(state.editor.context, state.earthTempFile)) {
    wchar_t url[256] = {};
    DWORD length = 256;
    if (SUCCEEDED(UrlCreateFromPathW(WidePointer(state.earthTempFile), url, &length, 0))) {
      ShellExecuteW(state.window, nullptr, url, nullptr, nullptr, SW_SHOWNORMAL);
      if (HWND earth = FindWindowW(nullptr, ToWide(LoadText(kEarthWindowString)).c_str())) SetForegroundWindow(earth);
    }
  }
  state.editor.doc.statusResetPending = true;
  state.ui.PressToolbarButton(IDM_EARTH, false);
}

void LookUpAddressesFramed(MainWindowState& state) {
  DocumentState& doc = state.editor.doc;
  state.ui.PressToolbarButton(IDM_LOOK_UP_ADDRESS, true);
  state.ui.SetWaitCursor(true);
  state.statusRefreshSuspended = true;
  LookUpAddresses(state.editor.context, state.clock);
  MapSyncAll(doc);
  state.ui.PressToolbarButton(IDM_LOOK_UP_ADDRESS, false);
  state.ui.SetWaitCursor(false);
  doc.selectPending = true;
  doc.titleDirty = true;
  state.statusRefreshSuspended = false;
}

void ChooseMapTempFiles(MainWindowState& state) {
  const std::wstring folder = TempFolder();
  wchar_t unique[MAX_PATH] = {};
  if (!folder.empty() && GetTempFileNameW(folder.c_str(), L"Wlm", 0, unique)) {
    DeleteFileW(unique);
    std::wstring page(unique);
    const std::size_t dot = page.rfind(L'.');
    if (dot != std::wstring::npos && page.find_first_of(L"\\/", dot) == std::wstring::npos) page.resize(dot);
    state.mapTempFile = FromWide(page + L".htm");
  }
  // Google Earth is installed when its AppID key has a value.
  LONG size = 0;
  const std::wstring key = ToWide(LoadText(kEarthKeyString));
  if (!folder.empty() && RegQueryValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, &size) == ERROR_SUCCESS)
    state.earthTempFile = FromWide(folder) + Text(LoadText(kEarthFileString));
}

void DeleteMapTempFiles(MainWindowState& state) {
  if (!state.earthTempFile.empty()) DeleteFileW(WidePointer(state.earthTempFile));
  if (!state.mapTempFile.empty()) DeleteFileW(WidePointer(state.mapTempFile));
}

}  // namespace wayloom
