#include "shell/dialogs/BasePointsDialog.h"
#include "shell/Dpi.h"

#include <uxtheme.h>

#include <algorithm>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kColumnHeaderStrings = 14100;  // + the column id
// The button column, top to bottom: the entry buttons, then the list buttons; OK and Cancel
// stand at its foot.
constexpr int kEntryButtons[] = {kBasePointSet, kBasePointMoveUp, kBasePointMoveDown};
constexpr int kListButtons[] = {kBasePointAdd, kBasePointDelete, kBasePointDeleteAll, kBasePointExportAll};
// Layout in dialog units, so the column follows the font.
constexpr int kMargin = 7, kButtonWidth = 60, kButtonHeight = 13, kButtonGap = 2, kGroupGap = 7;

struct BasePointsState {
  BasePointDialog& model;
  const BasePointListLook& look;
  std::array<int, 3> columns;
  int result = 2;
  bool refilling = false;  // the list is being refilled: its selection echoes are ignored
};

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, kBasePointListControl); }

// Each column as wide as its widest text or its header. A spare last column keeps the
// list view from stretching the real last one to the right edge.
void FitListColumns(HWND list) {
  LVCOLUMNW spare{};
  spare.mask = LVCF_WIDTH;
  ListView_InsertColumn(list, 3, &spare);
  for (int column = 0; column < 3; ++column) ListView_SetColumnWidth(list, column, LVSCW_AUTOSIZE_USEHEADER);
  ListView_DeleteColumn(list, 3);
  // Wine sizes the columns of an empty list below their headers.
  HWND header = ListView_GetHeader(list);
  for (int column = 0; column < 3; ++column) {
    wchar_t text[64] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    Header_GetItem(header, column, &item);
    const int needed = ListView_GetStringWidth(list, text) + 2 * GetSystemMetrics(SM_CXEDGE) + 12;
    if (ListView_GetColumnWidth(list, column) < needed) ListView_SetColumnWidth(list, column, needed);
  }
}

// The entries and their selection from the model into the list.
void Refill(HWND dialog, BasePointsState& state) {
  HWND list = ListOf(dialog);
  state.refilling = true;
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list);
  const BasePointList& entries = state.model.entries;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (int column = 0; column < 3; ++column) {
      std::wstring text = ToWide(BasePointCell(entries[i], state.columns[column]));
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = static_cast<int>(i);
      item.iSubItem = column;
      item.pszText = text.data();
      if (column == 0) {
        ListView_InsertItem(list, &item);
      } else {
        ListView_SetItem(list, &item);
      }
    }
    const UINT selected = entries[i].selected ? LVIS_SELECTED : 0;
    ListView_SetItemState(list, static_cast<int>(i), selected, LVIS_SELECTED);
  }
  const long long first = state.model.FirstSelected();
  if (first >= 0) ListView_SetItemState(list, static_cast<int>(first), LVIS_FOCUSED, LVIS_FOCUSED);
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  state.refilling = false;
}

// Every button by the model's rules. A button that goes grey while it has the focus hands
// the focus to the list, so the keyboard keeps working.
void UpdateButtons(HWND dialog, const BasePointsState& state) {
  HWND focus = GetFocus();
  auto update = [&](int control) {
    HWND button = GetDlgItem(dialog, control);
    const bool enabled = state.model.Enabled(control == IDOK ? kBasePointOk : control);
    if (!enabled && button == focus) SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(ListOf(dialog)), TRUE);
    EnableWindow(button, enabled);
  };
  for (int control : kEntryButtons) update(control);
  for (int control : kListButtons) update(control);
  update(IDOK);
}

void SetUpList(HWND dialog, BasePointsState& state) {
  HWND list = ListOf(dialog);
  const BasePointListLook& look = state.look;
  DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
  if (look.gridLines) extended |= LVS_EX_GRIDLINES;
  ListView_SetExtendedListViewStyleEx(list, extended, extended);
  // With the newer visuals the selection stays shown while a button has the focus.
  if (!look.gridLines) SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LVS_SHOWSELALWAYS);
  SetWindowTheme(list, L"Explorer", nullptr);
  if (look.font) SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(look.font), FALSE);
  ListView_SetTextColor(list, look.textColour);
  ListView_SetTextBkColor(list, GetSysColor(COLOR_WINDOW));
  ListView_SetBkColor(list, GetSysColor(COLOR_WINDOW));
  for (int column = 0; column < 3; ++column) {
    const Text header(LoadText(kColumnHeaderStrings + state.columns[column]));
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_SUBITEM;
    item.pszText = const_cast<wchar_t*>(WidePointer(header));
    item.iSubItem = column;
    ListView_InsertColumn(list, column, &item);
  }
}

// The list fills the left; the buttons stand in a column on the right, OK and Cancel at
// its foot.
void Layout(HWND dialog) {
  RECT units{kMargin, kButtonGap, kButtonWidth, kButtonHeight};
  MapDialogRect(dialog, &units);
  RECT groupGap{0, kGroupGap, 0, 0};
  MapDialogRect(dialog, &groupGap);
  const int margin = units.left, gap = units.top, width = units.right, height = units.bottom;
  RECT client{};
  GetClientRect(dialog, &client);
  const int x = client.right - margin - width;
  HDWP moves = BeginDeferWindowPos(10);
  auto place = [&](int control, int y) {
    moves = DeferWindowPos(moves, GetDlgItem(dialog, control), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  };
  int y = margin;
  for (int control : kEntryButtons) place(control, y), y += height + gap;
  y += groupGap.top - gap;
  for (int control : kListButtons) place(control, y), y += height + gap;
  place(IDCANCEL, client.bottom - margin - height);
  place(IDOK, client.bottom - margin - 2 * height - gap);
  moves = DeferWindowPos(moves, ListOf(dialog), nullptr, margin, margin, std::max(0, x - 2 * margin),
                         std::max(0, static_cast<int>(client.bottom) - 2 * margin), SWP_NOZORDER | SWP_NOACTIVATE);
  EndDeferWindowPos(moves);
  // The buttons move over ground the dialog painted before: paint it all again.
  RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// The size kept in the model (at least the minimum, at most the work area).
void ApplyStoredSize(HWND dialog, const BasePointDialog& model) {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int minimum = Scaled(dialog, kBasePointDialogMinimumSize);
  const int width = std::clamp(model.width, minimum, std::max(minimum, static_cast<int>(work.right - work.left)));
  const int height = std::clamp(model.height, minimum, std::max(minimum, static_cast<int>(work.bottom - work.top)));
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Initialise(HWND dialog, BasePointsState& state) {
  SetUpList(dialog, state);
  Refill(dialog, state);
  FitListColumns(ListOf(dialog));
  if (state.model.openRow >= 0) ListView_EnsureVisible(ListOf(dialog), static_cast<int>(state.model.openRow), FALSE);
  UpdateButtons(dialog, state);
  ApplyStoredSize(dialog, state.model);
  Layout(dialog);
}

// The list's selection into the model, after the user changed it.
void ReadSelection(HWND dialog, BasePointsState& state) {
  HWND list = ListOf(dialog);
  BasePointList& entries = state.model.entries;
  for (std::size_t i = 0; i < entries.size(); ++i)
    entries[i].selected = ListView_GetItemState(list, static_cast<int>(i), LVIS_SELECTED) != 0;
  UpdateButtons(dialog, state);
}

void Press(HWND dialog, BasePointsState& state, int control) {
  const BasePointStep step = state.model.Press(control);
  if (step.closes) {
    state.result = step.result;
    CloseDialogFrame(dialog, step.result == 1 ? IDOK : IDCANCEL);
    return;
  }
  if (control == kBasePointAdd || control == kBasePointDelete || control == kBasePointDeleteAll) {
    Refill(dialog, state);
    FitListColumns(ListOf(dialog));
  } else if (control != kBasePointExportAll) {
    Refill(dialog, state);
  }
  if (step.showRow >= 0) ListView_EnsureVisible(ListOf(dialog), static_cast<int>(step.showRow), FALSE);
  UpdateButtons(dialog, state);
}

// The list's rows as the table draws its name and coordinate cells: the list's own colours,
// without the focus rectangle.
LRESULT OnListCustomDraw(NMLVCUSTOMDRAW& draw) {
  if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) draw.nmcd.uItemState &= ~CDIS_FOCUS;
  return CDRF_DODEFAULT;
}

INT_PTR OnNotify(HWND dialog, BasePointsState& state, const NMHDR& header) {
  if (header.idFrom != kBasePointListControl) return FALSE;
  switch (header.code) {
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!state.refilling && (change.uChanged & LVIF_STATE)) ReadSelection(dialog, state);
      return TRUE;
    }
    case NM_DBLCLK:
      if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) Press(dialog, state, kBasePointSet);
      return TRUE;
    case NM_CUSTOMDRAW:
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT,
                        OnListCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header))));
      return TRUE;
  }
  return FALSE;
}

INT_PTR CALLBACK BasePointsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<BasePointsState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    SetFocus(ListOf(dialog));
    return FALSE;  // the focus is on the list
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame) return FALSE;
  auto& state = *static_cast<BasePointsState*>(frame->data);
  switch (message) {
    case WM_GETMINMAXINFO: {
      auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
      limits.ptMinTrackSize = {Scaled(dialog, kBasePointDialogMinimumSize), Scaled(dialog, kBasePointDialogMinimumSize)};
      return TRUE;
    }
    case WM_SIZE: {
      Layout(dialog);
      RECT window{};
      GetWindowRect(dialog, &window);
      state.model.width = window.right - window.left;
      state.model.height = window.bottom - window.top;
      return TRUE;
    }
    case WM_NOTIFY:
      return OnNotify(dialog, state, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: {
      const int control = LOWORD(wParam);
      if (control == IDOK) {
        Press(dialog, state, kBasePointOk);
      } else if (control == IDCANCEL) {
        Press(dialog, state, kBasePointCancel);
      } else if (control >= kBasePointSet && control <= kBasePointExportAll) {
        Press(dialog, state, control);
      } else {
        return FALSE;
      }
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

int RunBasePointsDialog(HINSTANCE instance, DialogFrame& frame, BasePointDialog& model, const BasePointListLook& look) {
  BasePointsState state{model, look, BasePointListColumns(look.lngFirst)};
  RunFramedDialog(instance, kBasePointsDialogId, frame, &state, BasePointsProcedure);
  return state.result;
}

}  // namespace wayloom
