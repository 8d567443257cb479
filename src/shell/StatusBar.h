// The status bar below the table: part 0 messages and the file progress bar, part 1 the
// row counts, part 2 spare.
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
  void SetText(int part, TextView text);
  // The bar right after part 0's text.
  void ShowProgress(TextView text, int percent);
  void HideProgress();

 private:
  HWND bar_ = nullptr;
  HWND progress_ = nullptr;
};

}  // namespace wayloom
