#include "shell/TableDrag.h"

#include <commctrl.h>

#include <algorithm>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"
#include "shell/CompanionLink.h"
#include "shell/Dpi.h"
#include "shell/ResourceIds.h"

namespace wayloom {
namespace {

constexpr UINT_PTR kScrollTimer = 12;  // the table's own timer while the pointer is beside it
constexpr UINT kScrollMilliseconds = 100;
constexpr int kSideScrollPixels = 16;

// The keys as they are now, not as the queue has seen them so far.
bool KeyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

}  // namespace

void TableDrag::Begin(HWND list, HINSTANCE instance, bool rightButton) {
  if (list_ || doc_.table.SelectedCount() == 0) return;
  list_ = list;
  instance_ = instance;
  rightButton_ = rightButton;
  markShown_ = false;
  target_ = nullptr;
  SetCapture(list_);
  SetFocus(list_);
  Track();
}

int TableDrag::RowHeight() const {
  RECT row{};
  row.left = LVIR_BOUNDS;
  if (SendMessageW(list_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row)) && row.bottom > row.top)
    return row.bottom - row.top;
  return Scaled(list_, 16);
}

DragEffect TableDrag::EffectInside(POINT pointer, bool copy) {
  RECT client{};
  GetClientRect(list_, &client);
  LVHITTESTINFO hit{};
  hit.pt = pointer;
  hit.pt.y = std::min(pointer.y + RowHeight() / 2, client.bottom - 1);
  const long long row = SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  dropPosition_ = DropPosition(doc_, (hit.flags & LVHT_NOWHERE) ? -1 : row);
  return remote_ ? DragEffect::Copy : InsideDragEffect(doc_, dropPosition_, copy);
}

DragEffect TableDrag::EffectOutside(POINT screen) {
  HWND top = GetAncestor(WindowFromPoint(screen), GA_ROOT);
  if (top == GetAncestor(list_, GA_ROOT) || !IsExchangeWindow(top)) top = nullptr;
  if (top != target_) LeaveTarget();
  target_ = top;
  if (!target_ || !AskDropTarget(target_)) return DragEffect::None;
  return rightButton_ || KeyDown(VK_SHIFT) ? DragEffect::MoveAway : DragEffect::Copy;
}

void TableDrag::LeaveTarget() {
  if (target_) TellDragLeft(target_);
  target_ = nullptr;
}

// The drop position and the effect at the pointer, shown by the mark and the cursor.
void TableDrag::Track() {
  POINT screen{};
  GetCursorPos(&screen);
  POINT pointer = screen;
  ScreenToClient(list_, &pointer);
  RECT client{};
  GetClientRect(list_, &client);
  const bool inside = PtInRect(&client, pointer) != FALSE;
  const std::size_t shownAt = markPosition_;
  DragEffect effect = DragEffect::None;
  if (inside) {
    LeaveTarget();
    effect = EffectInside(pointer, rightButton_ || KeyDown(VK_CONTROL));
  } else {
    effect = EffectOutside(screen);
  }
  const bool markWanted = inside && effect != DragEffect::None;
  if (markShown_ && (!markWanted || dropPosition_ != shownAt)) ToggleMark();
  if (!markShown_ && markWanted) ToggleMark();
  effect_ = effect;
  static constexpr int kCursors[] = {IDC_DRAG_NONE, IDC_DRAG_MOVE, IDC_DRAG_COPY, IDC_DRAG_AWAY};
  HCURSOR cursor = LoadCursorW(instance_, MAKEINTRESOURCEW(kCursors[static_cast<int>(effect)]));
  SetCursor(cursor ? cursor : LoadCursorW(nullptr, effect == DragEffect::None ? IDC_NO : IDC_ARROW));

  const bool beside = !inside && GetAncestor(WindowFromPoint(screen), GA_ROOT) == GetAncestor(list_, GA_ROOT);
  if (beside) {
    SetTimer(list_, kScrollTimer, kScrollMilliseconds, nullptr);
  } else {
    KillTimer(list_, kScrollTimer);
  }
}

// A line 2 pixels high at the top of the row at the drop position (the bottom of the last
// row at the end), with ticks at both ends; drawn by inverting, so drawing it again erases it.
void TableDrag::ToggleMark() {
  const std::size_t rows = doc_.table.RowCount();
  const std::size_t position = markShown_ ? markPosition_ : dropPosition_;
  RECT row{};
  row.left = LVIR_BOUNDS;
  const std::size_t anchor = position < rows ? position : rows - 1;
  if (rows == 0) {
    GetClientRect(list_, &row);
    row.bottom = row.top + Scaled(list_, 4);
  } else if (!SendMessageW(list_, LVM_GETITEMRECT, anchor, reinterpret_cast<LPARAM>(&row))) {
    return;
  }
  const int y = position < rows ? row.top : row.bottom;
  const int line = Scaled(list_, 2);
  const int tick = std::max<int>(0, (row.bottom - row.top - line) / 2);
  HDC dc = GetDC(list_);
  PatBlt(dc, row.left, y - line / 2, row.right - row.left, line, DSTINVERT);
  PatBlt(dc, row.left, y - line / 2 - tick, line, tick, DSTINVERT);
  PatBlt(dc, row.left, y - line / 2 + line, line, tick, DSTINVERT);
  PatBlt(dc, row.right - line, y - line / 2 - tick, line, tick, DSTINVERT);
  PatBlt(dc, row.right - line, y - line / 2 + line, line, tick, DSTINVERT);
  ReleaseDC(list_, dc);
  markShown_ = !markShown_;
  markPosition_ = position;
}

void TableDrag::ScrollBeside(POINT client) {
  RECT area{};
  GetClientRect(list_, &area);
  int dx = 0, dy = 0;
  if (client.y < area.top) dy = -RowHeight();
  if (client.y >= area.bottom) dy = RowHeight();
  if (client.x < area.left) dx = -Scaled(list_, kSideScrollPixels);
  if (client.x >= area.right) dx = Scaled(list_, kSideScrollPixels);
  if (dx == 0 && dy == 0) return;
  if (markShown_) ToggleMark();
  SendMessageW(list_, LVM_SCROLL, dx, dy);
  UpdateWindow(list_);
  Track();
}

void TableDrag::End(bool dropped) {
  HWND list = list_;
  if (markShown_) ToggleMark();
  KillTimer(list, kScrollTimer);
  HWND target = target_;
  if (!dropped) LeaveTarget();
  target_ = nullptr;
  list_ = nullptr;  // before the capture goes: WM_CAPTURECHANGED must not end it twice
  if (GetCapture() == list) ReleaseCapture();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
  if (!dropped || effect_ == DragEffect::None) return;
  if (target) {
    if (dropAway_) dropAway_(target, effect_);
  } else if (drop_) {
    drop_(dropPosition_, effect_);
  }
}

bool TableDrag::TrackRemote(HWND list) {
  if (list_ && !remote_) return false;  // a drag of our own is running
  list_ = list;
  remote_ = true;
  POINT pointer{};
  GetCursorPos(&pointer);
  ScreenToClient(list_, &pointer);
  RECT client{};
  GetClientRect(list_, &client);
  const bool inside = PtInRect(&client, pointer) != FALSE;
  const std::size_t shownAt = markPosition_;
  if (inside) EffectInside(pointer, true);
  if (markShown_ && (!inside || dropPosition_ != shownAt)) ToggleMark();
  if (!markShown_ && inside) ToggleMark();
  return inside;
}

void TableDrag::EndRemote() {
  if (!remote_) return;
  if (markShown_) ToggleMark();
  remote_ = false;
  list_ = nullptr;
}

bool TableDrag::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Active()) return false;
  switch (message) {
    case WM_MOUSEMOVE:
      Track();
      return true;
    case WM_SETCURSOR:
      return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      Track();
      End(true);
      return true;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return true;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
        effect_ = DragEffect::None;
        End(false);
      } else if (wParam == VK_CONTROL || wParam == VK_SHIFT) {
        Track();  // the effect changes with the keys at once
      }
      return true;
    case WM_TIMER:
      if (wParam != kScrollTimer) return false;
      {
        POINT pointer{};
        GetCursorPos(&pointer);
        ScreenToClient(list_, &pointer);
        ScrollBeside(pointer);
      }
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != list_) End(false);
      return true;
    default:
      return false;
  }
}

}  // namespace wayloom
