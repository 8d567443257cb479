// The status bar below the table: part 0 messages and the file progress bar, part 1 the
// row counter, part 2 the clock. Parts 1 and 2 are as wide as their texts.
#pragma once

#include <windows.h>

#include "core/Text.h"

namespace wayloom {

class StatusBar {
 public:
  bool Create(HWND parent, HINSTANCE instance, bool visible);
  HWND Handle() const { return bar_; }
  bool Visible() const { return bar_ && IsWindowVisible(bar_); }
  // Height the bar takes from the client area: 0 while hidden.
  int Height() const;
  // Follows the parent's new size (call on WM_SIZE).
  void Resize(int clientWidth);
  // Part 0's text is shortened first (see ShortenedStatusText); parts 1 and 2 take the
  // width of their text and the bar is split again when that width changes.
  void SetText(int part, TextView text);
  // Menu help: one part across the bar while a menu is open.
  void SetSimple(bool simple, TextView text = TextView());
  bool Simple() const { return simple_; }
  // Pixels of text in the bar's font.
  int TextWidth(TextView text) const;
  // The bar right after part 0's text.
  void ShowProgress(TextView text, int percent);
  void HideProgress();
  // A busy bar that runs without a percentage, after part 0's text.
  void ShowMarquee(TextView text);
  HWND Marquee() const { return marquee_; }

 private:
  HWND bar_ = nullptr;
  HWND progress_ = nullptr;
  HWND marquee_ = nullptr;  // control 17006, while a marquee runs
  int partWidths_[3] = {0, 0, 0};  // [1] and [2] used
  int clientWidth_ = 0;
  bool simple_ = false;
};

}  // namespace wayloom
