#include "shell/StatusBar.h"

#include <commctrl.h>

#include "core/StatusTexts.h"
#include "platform/win32/WideText.h"
#include "shell/Dpi.h"

namespace wayloom {
namespace {

constexpr int kProgressWidth = 160;
constexpr int kProgressGap = 12;

int MeasureText(HWND window, const std::wstring& text) {
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
  clientWidth_ = clientWidth;
  SendMessageW(bar_, WM_SIZE, 0, 0);
  int edges[3] = {clientWidth - partWidths_[1] - partWidths_[2], clientWidth - partWidths_[2], -1};
  if (edges[0] < 0) edges[0] = 0;
  if (edges[1] < edges[0]) edges[1] = edges[0];
  SendMessageW(bar_, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

void StatusBar::SetText(int part, TextView text) {
  if (!bar_) return;
  std::wstring wide = ToWide(part == 0 ? ShortenedStatusText(text) : Text(text));
  if (part == 1 || part == 2) {
    // The gap between parts, as the bar itself keeps it, on each side of the text.
    int borders[3] = {};
    SendMessageW(bar_, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    const int width = MeasureText(bar_, wide) + 5 * (borders[2] > 0 ? borders[2] : 2);
    if (width != partWidths_[part]) {
      partWidths_[part] = width;
      Resize(clientWidth_);
    }
  }
  SendMessageW(bar_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(wide.c_str()));
}

int StatusBar::TextWidth(TextView text) const { return bar_ ? MeasureText(bar_, ToWide(text)) : 0; }

void StatusBar::SetSimple(bool simple, TextView text) {
  if (!bar_) return;
  simple_ = simple;
  SendMessageW(bar_, SB_SIMPLE, simple ? TRUE : FALSE, 0);
  if (simple) {
    std::wstring wide = ToWide(ShortenedStatusText(text));
    SendMessageW(bar_, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
  }
}

void StatusBar::ShowProgress(TextView text, int percent) {
  if (!bar_) return;
  SetText(0, text);
  if (!progress_) return;
  RECT part{};
  SendMessageW(bar_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
  int left = part.left + MeasureText(bar_, ToWide(text)) + Scaled(bar_, kProgressGap);
  int width = part.right - left - Scaled(bar_, 4);
  if (width > Scaled(bar_, kProgressWidth)) width = Scaled(bar_, kProgressWidth);
  if (width <= 0) {
    ShowWindow(progress_, SW_HIDE);
    return;
  }
  SetWindowPos(progress_, nullptr, left, part.top + Scaled(bar_, 2), width, part.bottom - part.top - Scaled(bar_, 4),
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(progress_, PBM_SETPOS, percent, 0);
  ShowWindow(progress_, SW_SHOWNA);
  UpdateWindow(bar_);
}

void StatusBar::HideProgress() {
  if (progress_) ShowWindow(progress_, SW_HIDE);
  if (marquee_) DestroyWindow(marquee_);
  marquee_ = nullptr;
}

void StatusBar::ShowMarquee(TextView text) {
  constexpr int kMarqueeId = 17006;
  constexpr UINT kMarqueeStepMilliseconds = 20;
  if (!bar_) return;
  SetText(0, text);
  if (!marquee_) {
    marquee_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_MARQUEE, 0, 0, 0, 0, bar_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMarqueeId)), nullptr, nullptr);
    if (!marquee_) return;
    SendMessageW(marquee_, PBM_SETMARQUEE, TRUE, kMarqueeStepMilliseconds);
  }
  RECT part{};
  SendMessageW(bar_, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&part));
  RECT bar{};
  GetClientRect(bar_, &bar);
  const int left = part.left + MeasureText(bar_, ToWide(ShortenedStatusText(text))) + Scaled(bar_, kProgressGap);
  const int right = part.right - Scaled(bar_, 8);
  SetWindowPos(marquee_, nullptr, left, Scaled(bar_, 4), right > left ? right - left : 0, bar.bottom - Scaled(bar_, 6),
               SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateWindow(bar_);
}

}  // namespace wayloom
