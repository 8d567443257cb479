// A row drag from the table: from the control's begin-drag to the button's release or Esc.
// It holds the mouse capture, shows the drop position as an inverted insertion mark and the
// effect as the cursor, scrolls while the pointer is beside the table inside the main
// window, asks another window of this program or of the companion editor under the pointer
// whether it takes the rows, and hands the drop to the portable rules (planning/RowDrag) or
// to that window. The same mark shows where another program's drag would drop its rows.
#pragma once

#include <windows.h>

#include <functional>

#include "core/DocumentState.h"
#include "planning/RowDrag.h"

namespace wayloom {

class TableDrag {
 public:
  using Drop = std::function<void(std::size_t drop, DragEffect effect)>;
  using DropAway = std::function<void(HWND target, DragEffect effect)>;
  TableDrag(const DocumentState& doc, Drop drop) : doc_(doc), drop_(std::move(drop)) {}
  void SetDropAway(DropAway dropAway) { dropAway_ = std::move(dropAway); }

  bool Active() const { return list_ != nullptr && !remote_; }
  // Begin-drag on the selection, with the left or the right button.
  void Begin(HWND list, HINSTANCE instance, bool rightButton);
  // The table's messages while the drag is active; true when the drag took the message.
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Another program's drag over this table (always a copy): the mark at the pointer; false
  // when no drop is possible there. EndRemote erases the mark; the drop position stays
  // readable until the next drag.
  bool TrackRemote(HWND list);
  void EndRemote();
  bool Remote() const { return remote_; }
  std::size_t DropPositionNow() const { return dropPosition_; }

 private:
  void Track();
  // The drop position and effect inside the table at pointer (client coordinates).
  DragEffect EffectInside(POINT pointer, bool copy);
  // Another window of this program or the companion under the pointer, asked whether it
  // takes the rows; the window left gets the leave message.
  DragEffect EffectOutside(POINT screen);
  void LeaveTarget();
  void End(bool dropped);
  void ToggleMark();
  void ScrollBeside(POINT client);
  int RowHeight() const;

  const DocumentState& doc_;
  Drop drop_;
  DropAway dropAway_;
  HWND target_ = nullptr;  // the other window under the pointer that takes the rows
  bool remote_ = false;
  HWND list_ = nullptr;
  HINSTANCE instance_ = nullptr;
  bool rightButton_ = false;
  std::size_t dropPosition_ = 0;
  bool markShown_ = false;
  std::size_t markPosition_ = 0;
  DragEffect effect_ = DragEffect::None;
};

}  // namespace wayloom
