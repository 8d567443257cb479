// A row drag inside the table: from the control's begin-drag to the button's release or Esc.
// It holds the mouse capture, shows the drop position as an inverted insertion mark and the
// effect as the cursor, scrolls while the pointer is beside the table inside the main
// window, and hands the drop to the portable rules (planning/RowDrag).
#pragma once

#include <windows.h>

#include <functional>

#include "core/DocumentState.h"
#include "planning/RowDrag.h"

namespace wayloom {

class TableDrag {
 public:
  using Drop = std::function<void(std::size_t drop, DragEffect effect)>;
  TableDrag(const DocumentState& doc, Drop drop) : doc_(doc), drop_(std::move(drop)) {}

  bool Active() const { return list_ != nullptr; }
  // Begin-drag on the selection, with the left or the right button.
  void Begin(HWND list, HINSTANCE instance, bool rightButton);
  // The table's messages while the drag is active; true when the drag took the message.
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Track();
  void End(bool dropped);
  void ToggleMark();
  void ScrollBeside(POINT client);
  int RowHeight() const;

  const DocumentState& doc_;
  Drop drop_;
  HWND list_ = nullptr;
  HINSTANCE instance_ = nullptr;
  bool rightButton_ = false;
  std::size_t dropPosition_ = 0;
  bool markShown_ = false;
  std::size_t markPosition_ = 0;
  DragEffect effect_ = DragEffect::None;
};

}  // namespace wayloom
