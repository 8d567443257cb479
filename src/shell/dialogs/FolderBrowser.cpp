#include "shell/dialogs/FolderBrowser.h"

#include <shlobj.h>

#include "editing/DocumentCommands.h"
#include "platform/win32/WideText.h"
#include "shell/RecentFilesMenu.h"
#include "shell/Dpi.h"

namespace wayloom {
namespace {

// The browser's own children, the same on Windows and Wine.
constexpr int kTreeControl = 0x3741, kTitleControl = 0x3742, kStatusControl = 0x3743;
constexpr int kMargin = 8, kGap = 6;
constexpr int kOkString = 14610, kCancelString = 14611;

RECT ChildRect(HWND browser, int control) {
  RECT r{};
  GetWindowRect(GetDlgItem(browser, control), &r);
  MapWindowPoints(nullptr, browser, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void Place(HWND browser, int control, int x, int y, int width, int height) {
  SetWindowPos(GetDlgItem(browser, control), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The browser now open (there is one at most, it is modal) and its command.
struct OpenBrowser {
  HWND window = nullptr;
  int command = 0;
} openBrowser;

Text FolderOf(LPCITEMIDLIST item) {
  wchar_t path[MAX_PATH] = {};
  return item && SHGetPathFromIDListW(item, path) ? FromWide(path) : Text();
}

}  // namespace

void ReopenFolderBrowser(HWND owner, WPARAM event) {
  constexpr WPARAM kArrival = 0x8000, kRemoveComplete = 0x8004;  // DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE
  if ((event != kArrival && event != kRemoveComplete) || !openBrowser.window) return;
  PostMessageW(openBrowser.window, WM_COMMAND, IDCANCEL, 0);
  PostMessageW(owner, WM_COMMAND, openBrowser.command, 0);
}

std::optional<Text> FolderBrowser::Run() {
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = frame_.owner;
  info.pszDisplayName = displayName;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT | BIF_DONTGOBELOWDOMAIN;
  info.lpfn = Callback;
  info.lParam = reinterpret_cast<LPARAM>(this);
  LPITEMIDLIST chosen = SHBrowseForFolderW(&info);
  const Text folder = FolderOf(chosen);
  if (chosen) CoTaskMemFree(chosen);
  if (SUCCEEDED(com)) CoUninitialize();
  if (!chosen || !Accepts(folder)) return std::nullopt;
  return folder;
}

int FolderBrowser::ButtonWidth(HWND button) {
  constexpr int kBoxAndGap = 24;  // the check mark or radio circle and the space after it
  const std::wstring text = ToWide(DialogItemText(GetParent(button), GetDlgCtrlID(button)));
  HDC dc = GetDC(button);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(button, dc);
  return size.cx + kBoxAndGap;
}

HWND FolderBrowser::TreeOf(HWND browser) { return GetDlgItem(browser, kTreeControl); }

HWND FolderBrowser::CreateControl(HWND browser, HWND previous, const wchar_t* windowClass, int control, DWORD style,
                                  int textString) {
  const std::wstring text = textString ? ToWide(LoadText(textString)) : std::wstring();
  HWND child = CreateWindowExW(0, windowClass, text.c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, browser,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control)),
                               reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(browser, GWLP_HINSTANCE)), nullptr);
  SendMessageW(child, WM_SETFONT, SendMessageW(browser, WM_GETFONT, 0, 0), FALSE);
  SetWindowPos(child, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return child;
}

int CALLBACK FolderBrowser::Callback(HWND browser, UINT message, LPARAM lParam, LPARAM self) {
  auto& owner = *reinterpret_cast<FolderBrowser*>(self);
  if (message == BFFM_INITIALIZED) owner.Initialise(browser);
  if (message == BFFM_SELCHANGED) owner.SelectionChanged(browser, FolderOf(reinterpret_cast<LPCITEMIDLIST>(lParam)));
  return 0;
}

void FolderBrowser::Initialise(HWND browser) {
  SetWindowTextW(browser, ToWide(LoadText(captionString_)).c_str());
  // The system's buttons speak the system's language; ours speak the program's.
  SetDlgItemTextW(browser, IDOK, ToWide(LoadText(kOkString)).c_str());
  SetDlgItemTextW(browser, IDCANCEL, ToWide(LoadText(kCancelString)).c_str());
  SetWindowSubclass(browser, Subclass, 0, reinterpret_cast<DWORD_PTR>(this));
  openBrowser = {browser, frame_.command};
  Layout(browser);
  // Wine reports no selection change for the first selection and takes only the second
  // request, once the dialog runs: the status line and OK are set here, and the selection
  // is asked for twice after.
  SelectionChanged(browser, startFolder_);
  if (!startFolder_.empty()) {
    for (int request = 0; request < 2; ++request)
      PostMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(WidePointer(startFolder_)));
  }
  DecorateDialog(browser, frame_);
  PostMessageW(browser, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(TreeOf(browser)), TRUE);
}

// The status line on top, the tree under it, our controls under the tree, OK and Cancel
// in the bottom right corner.
void FolderBrowser::Layout(HWND browser) {
  ShowWindow(GetDlgItem(browser, kTitleControl), SW_HIDE);
  const int ownHeight = AddControls(browser);
  RECT window{};
  GetWindowRect(browser, &window);
  const SIZE wanted = WindowSize();
  const int width = wanted.cx ? Scaled(browser, wanted.cx) : window.right - window.left;
  const int height = wanted.cy ? Scaled(browser, wanted.cy) : window.bottom - window.top + ownHeight + kGap;
  SetWindowPos(browser, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  RECT client{};
  GetClientRect(browser, &client);
  const RECT ok = ChildRect(browser, IDOK);
  const int buttonWidth = ok.right - ok.left, buttonHeight = ok.bottom - ok.top;
  const int right = client.right - kMargin;
  const int buttonTop = client.bottom - kMargin - buttonHeight;
  const int ownTop = buttonTop - kGap - ownHeight;
  const RECT status = ChildRect(browser, kStatusControl);
  const int statusHeight = status.bottom > status.top ? status.bottom - status.top : buttonHeight;
  const int treeTop = kMargin + statusHeight + kGap / 2;
  Place(browser, kStatusControl, kMargin, kMargin, right - kMargin, statusHeight);
  Place(browser, kTreeControl, kMargin, treeTop, right - kMargin, ownTop - kGap - treeTop);
  PlaceControls(browser, kMargin, ownTop, right);
  Place(browser, IDCANCEL, right - buttonWidth, buttonTop, buttonWidth, buttonHeight);
  Place(browser, IDOK, right - 2 * buttonWidth - kGap, buttonTop, buttonWidth, buttonHeight);
  // A long path is cut in its middle rather than at its end.
  HWND statusLine = GetDlgItem(browser, kStatusControl);
  SetWindowLongPtrW(statusLine, GWL_STYLE, GetWindowLongPtrW(statusLine, GWL_STYLE) | SS_PATHELLIPSIS);
}

void FolderBrowser::SelectionChanged(HWND browser, TextView folder) {
  selected_ = Text(folder);
  const Text status = Text(LoadText(statusString_)) + u"  " + DisplayPath(folder, CurrentShellFolders());
  SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(WidePointer(status)));
  SendMessageW(browser, BFFM_ENABLEOK, 0, Accepts(folder));
}

LRESULT CALLBACK FolderBrowser::Subclass(HWND browser, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                         DWORD_PTR self) {
  auto& owner = *reinterpret_cast<FolderBrowser*>(self);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(browser, Subclass, id);
    openBrowser = {};
  }
  if (message == WM_COMMAND) {
    const int control = LOWORD(wParam);
    if (control == IDOK) {
      // Enter reaches OK even while it is greyed.
      if (!owner.Accepts(owner.selected_)) return 0;
      owner.OnOk(browser);
      UndecorateDialog(browser, owner.frame_);
    } else if (control == IDCANCEL) {
      UndecorateDialog(browser, owner.frame_);
    } else {
      owner.OnCommand(browser, control, HIWORD(wParam));
    }
  }
  const LRESULT result = DefSubclassProc(browser, message, wParam, lParam);
  // Wine enables OK again after every selection change, whatever the callback said, and
  // greys it without repainting it.
  if ((message == WM_NOTIFY && wParam == kTreeControl) || (message >= BFFM_SETSTATUSTEXTA && message <= BFFM_SETEXPANDED))
    owner.EnableOk(browser);
  return result;
}

void FolderBrowser::EnableOk(HWND browser) const {
  HWND ok = GetDlgItem(browser, IDOK);
  const bool accepted = Accepts(selected_);
  if ((IsWindowEnabled(ok) != FALSE) == accepted) return;
  EnableWindow(ok, accepted);
  InvalidateRect(ok, nullptr, TRUE);
}

}  // namespace wayloom
