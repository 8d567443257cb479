#include "shell/StatusBar.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kCountPartWidth = 240;
constexpr int kSparePartWidth = 120;
constexpr int kProgressWidth = 160;
constexpr int kProgressGap = 12;

int TextWidth(HWND window, const std::wstring& text) {
  HDC dc = GetDC(window);
  if (!dc) return 0;
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, oldFont);
  ReleaseDC(window, dc);
  return size.cx;
}

}  // namespace

bool StatusBar::Create(HWND parent, HINSTANCE instance, bool visible) {
  DWORD style = WS_CHILD | SBARS_SIZEGRIP | (visible ? WS_VISIBLE : 0);
  bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", style, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (!bar_) return false;
  progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, bar_, nullptr, instance, nullptr);
  return true;
}

int StatusBar::Height() const {
  if (!Visible()) return 0;
  RECT rect{};
  GetWindowRect(bar_, &rect);
  return rect.bottom - rect.top;
}

void StatusBar::Resize(int clientWidth) {
  if (!bar_) return;
  SendMessageW(bar_, WM_SIZE, 0, 0);
  int countEdge = clientWidth - kSparePartWidth;
  int edges[3] = {countEdge - kCountPartWidth, countEdge, -1};
  if (edges[0] < 0) edges[0] = 0;
  if (edges[1] < edges[0]) edges[1] = edges[0];
  SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBar::SetText(int part, TextView text) {
  if (!bar_) return;
  std::wstring wide = ToWide(text);
  SendMessageW(bar_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(wide.c_str()));
}

void StatusBar::ShowProgress(TextView text, int percent) {
  if (!bar_) return;
  SetText(0, text);
  if (!progress_) return;
  RECT part{};
  SendMessageW(bar_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
  int left = part.left + TextWidth(bar_, ToWide(text)) + kProgressGap;
  int width = part.right - left - 4;
  if (width > kProgressWidth) width = kProgressWidth;
  if (width <= 0) {
    ShowWindow(progress_, SW_HIDE);
    return;
  }
  SetWindowPos(progress_, nullptr, left, part.top + 2, width, part.bottom - part.top - 4,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(progress_, PBM_SETPOS, percent, 0);
  ShowWindow(progress_, SW_SHOWNA);
  UpdateWindow(bar_);
}

void StatusBar::HideProgress() {
  if (progress_) ShowWindow(progress_, SW_HIDE);
}

}  // namespace wayloom
