#include "shell/TableView.h"

#include <uxtheme.h>
#include <windowsx.h>

#include "core/StringTable.h"
#include "shell/Dpi.h"
#include "shell/ResourceIds.h"
#include "shell/Toolbar.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kColumnTitleStrings[kColumnCount] = {14100, 14101, 14102, 14103, 14104};
constexpr int kStatusImageWidth = 24;
constexpr int kLargeStatusImageWidth = 32;
constexpr COLORREF kBaseRowColour = RGB(0, 0, 255);
constexpr COLORREF kNoCoordinateColour = RGB(255, 0, 0);
constexpr wchar_t kPinnedGlyph = 171;  // Wingdings: a star in a circle
constexpr wchar_t kBaseGlyph = 197;    // Symbol: a circled cross

bool SelectionBitChanged(UINT oldState, UINT newState) { return ((oldState ^ newState) & LVIS_SELECTED) != 0; }

}  // namespace

bool TableView::Create(HWND parent, HINSTANCE instance, TableEvents events) {
  events_ = std::move(events);
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
  list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (!list_) return false;
  DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP | LVS_EX_DOUBLEBUFFER;
  // Older systems draw no row separation of their own.
  if (!modernVisuals_) extended |= LVS_EX_GRIDLINES;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
  SetWindowTheme(list_, L"Explorer", nullptr);
  instance_ = instance;
  ChooseStatusImages(0);
  InsertColumns();
  ResetColumns();
  SetWindowSubclass(list_, Procedure, 1, reinterpret_cast<DWORD_PTR>(this));
  return true;
}

void TableView::ChooseStatusImages(int fontHeight) {
  const bool large = fontHeight < -15;
  HIMAGELIST images = LoadImageStrip(instance_, large ? IDB_STATUS_LARGE : IDB_STATUS_SMALL,
                                     large ? kLargeStatusImageWidth : kStatusImageWidth);
  if (!images) return;
  SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  if (statusImages_) ImageList_Destroy(statusImages_);
  statusImages_ = images;
}

TableView::~TableView() {
  if (statusImages_) ImageList_Destroy(statusImages_);
}

void TableView::InsertColumns() {
  for (int column = 0; column < kColumnCount; ++column) {
    std::wstring title = ToWide(LoadText(kColumnTitleStrings[column]));
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_SUBITEM | LVCF_FMT | LVCF_WIDTH;
    item.pszText = title.data();
    item.iSubItem = column;
    item.fmt = LVCFMT_LEFT;
    SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
  }
}

void TableView::ResetColumns() {
  if (!list_) return;
  bool distanceShown = doc_.settings.Get(Option::ShowDistance);
  for (int column = 0; column < kColumnCount; ++column) {
    ColumnLayout layout = DefaultColumnLayout(column, distanceShown, modernVisuals_);
    LVCOLUMNW item{};
    item.mask = LVCF_FMT | LVCF_WIDTH;
    item.fmt = layout.rightAligned ? LVCFMT_RIGHT : LVCFMT_LEFT;
    item.cx = layout.width;
    SendMessageW(list_, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
  }
  ApplyColumnOrder();
}

void TableView::ApplyColumnOrder() {
  if (!list_) return;
  std::array<int, kColumnCount> order = ColumnDisplayOrder(doc_.settings.Get(Option::LngFirst));
  SendMessageW(list_, LVM_SETCOLUMNORDERARRAY, kColumnCount, reinterpret_cast<LPARAM>(order.data()));
  InvalidateRect(list_, nullptr, TRUE);
}

void TableView::FitColumn(int column, bool explicitFit) {
  if (!list_ || column < 0 || column >= kColumnCount) return;
  if (!explicitFit && !doc_.settings.Get(Option::AutoColumn)) return;
  if (column == kDistanceColumn && !doc_.settings.Get(Option::ShowDistance)) {
    SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, 0);
    return;
  }
  // Sizing the last column by index stretches it to the right edge: a spare sixth column,
  // there only while the Distance column is sized, keeps it to its contents.
  const bool spare = column == kColumnCount - 1;
  if (spare) {
    LVCOLUMNW item{};
    item.mask = LVCF_WIDTH;
    item.cx = 0;
    SendMessageW(list_, LVM_INSERTCOLUMNW, kColumnCount, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(list_, LVM_SETCOLUMNWIDTH, column, LVSCW_AUTOSIZE_USEHEADER);
  if (spare) SendMessageW(list_, LVM_DELETECOLUMN, kColumnCount, 0);
}

void TableView::FitColumns(bool explicitFit) {
  for (int column = 0; column < kColumnCount; ++column) FitColumn(column, explicitFit);
}

void TableView::ShowSortArrow(int column, bool ascending) {
  HWND header = list_ ? ListView_GetHeader(list_) : nullptr;
  if (!header) return;
  for (int i = 0; i < kColumnCount; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, i, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (i == column) item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, i, &item);
  }
}

int TableView::HeaderColumnAt(POINT screen) const {
  HWND header = ListView_GetHeader(list_);
  if (!header) return -1;
  HDHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(header, &hit.pt);
  const int item = static_cast<int>(SendMessageW(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & (HHT_ONHEADER | HHT_ONDIVIDER | HHT_ONDIVOPEN)) ? item : -1;
}

LRESULT TableView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (drag_.OnMessage(message, wParam, lParam)) return 0;
  switch (message) {
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        if (events_.enter) events_.enter();
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        doc_.table.ClearSelection();
        SyncFromTable();
        return 0;
      }
      if (!modernVisuals_ && (wParam == VK_LEFT || wParam == VK_RIGHT)) {
        quietSelection_ = true;
        LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
        quietSelection_ = false;
        return result;
      }
      break;
    case WM_LBUTTONUP:
      marqueeActive_ = false;
      break;
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DefSubclassProc(list_, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (events_.commitEditor && !events_.commitEditor()) return 0;
      break;
    case WM_MBUTTONDOWN:
      // A middle-button click selects like a plain left click, but never starts a marquee
      // or a row drag (the control's own drag tracking is not entered).
      if (wParam & (MK_SHIFT | MK_CONTROL)) break;
      if (events_.commitEditor && !events_.commitEditor()) return 0;
      SetFocus(list_);
      quietSelection_ = true;
      SelectOnlyRowAt(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      quietSelection_ = false;
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL: {
      LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
      if (events_.scrolled) events_.scrolled();
      return result;
    }
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.hwndFrom != ListView_GetHeader(list_)) break;
      if (header.code == NM_RCLICK) {
        POINT cursor{};
        GetCursorPos(&cursor);
        if (events_.headerMenu) events_.headerMenu(HeaderColumnAt(cursor), cursor);
        return TRUE;
      }
      if (header.code == HDN_DIVIDERDBLCLICKW) {
        FitColumn(reinterpret_cast<const NMHEADERW&>(header).iItem, true);
        return 0;
      }
      if (header.code == HDN_ENDTRACKW || header.code == HDN_ITEMCHANGEDW) {
        LRESULT result = DefSubclassProc(list_, message, wParam, lParam);
        if (events_.scrolled) events_.scrolled();
        return result;
      }
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(list_, Procedure, 1);
      break;
  }
  return DefSubclassProc(list_, message, wParam, lParam);
}

LRESULT CALLBACK TableView::Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR self) {
  return reinterpret_cast<TableView*>(self)->OnMessage(message, wParam, lParam);
}

void TableView::SelectOnlyRowAt(POINT client) {
  LVHITTESTINFO hit{};
  hit.pt = client;
  const int row = static_cast<int>(SendMessageW(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  ItineraryTable& table = doc_.table;
  table.ClearSelection();
  if (row >= 0 && static_cast<std::size_t>(row) < table.RowCount()) {
    table.SetSelected(static_cast<std::size_t>(row), true);
    table.SetFocused(static_cast<std::size_t>(row));
    SendMessageW(list_, LVM_SETSELECTIONMARK, 0, row);
  }
  SyncFromTable();
}

void TableView::SyncFromTable() {
  if (!list_) return;
  const ItineraryTable& table = doc_.table;
  SendMessageW(list_, LVM_SETITEMCOUNT, table.RowCount(), LVSICF_NOSCROLL);

  pushingSelection_ = true;
  LVITEMW state{};
  state.stateMask = LVIS_SELECTED;
  state.state = 0;
  SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (table.SelectedCount() > 0) {
    state.state = LVIS_SELECTED;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      if (table.Row(row).selected) SendMessageW(list_, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
    }
  }
  long long focused = table.FocusedRow();
  if (focused >= 0) {
    state.stateMask = LVIS_FOCUSED;
    state.state = LVIS_FOCUSED;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&state));
  }
  pushingSelection_ = false;
  InvalidateRect(list_, nullptr, FALSE);
}

void TableView::EnsureRowVisible(long long row) {
  if (!list_ || row < 0 || static_cast<std::size_t>(row) >= doc_.table.RowCount()) return;
  SendMessageW(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void TableView::SuspendRedraw(bool suspend) {
  if (!list_) return;
  SendMessageW(list_, WM_SETREDRAW, suspend ? FALSE : TRUE, 0);
  if (!suspend) InvalidateRect(list_, nullptr, TRUE);
}

LRESULT TableView::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      FillCell(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
      return 0;
    case LVN_ITEMCHANGED:
      OnItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
      return 0;
    case NM_CUSTOMDRAW:
      return OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
    case LVN_BEGINDRAG:
    case LVN_BEGINRDRAG:
      drag_.Begin(list_, instance_, header.code == LVN_BEGINRDRAG);
      return 0;
    case LVN_ODSTATECHANGED:
      OnRangeStateChanged(reinterpret_cast<const NMLVODSTATECHANGE&>(header));
      return 0;
    case LVN_MARQUEEBEGIN:
      // The mouse is captured by the control until the button comes up.
      marqueeActive_ = true;
      return 0;
    default:
      return 0;
  }
}

void TableView::FillCell(NMLVDISPINFOW& info) const {
  LVITEMW& item = info.item;
  if ((item.mask & LVIF_IMAGE) && item.iItem >= 0 && static_cast<std::size_t>(item.iItem) < doc_.table.RowCount())
    item.iImage = static_cast<int>(doc_.table.Row(item.iItem).status);
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  // The control may ask for rows a running read has not given it yet.
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= doc_.table.RowCount()) return;
  if (item.iSubItem < 0 || item.iSubItem >= kColumnCount) return;
  const CellValue cell = doc_.table.Cell(item.iItem, item.iSubItem);
  std::size_t units = cell.size() < static_cast<std::size_t>(item.cchTextMax) ? cell.size() : item.cchTextMax - 1;
  for (std::size_t i = 0; i < units; ++i) item.pszText[i] = static_cast<wchar_t>(cell[i]);
  item.pszText[units] = L'\0';
}

// The Order and Distance cells take their colours from the row: the base row blue while
// distances are shown, a row without a coordinate red. The base row's Distance cell shows
// a glyph instead of a number.
LRESULT TableView::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
  const DWORD stage = draw.nmcd.dwDrawStage;
  if (stage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (stage == CDDS_ITEMPREPAINT) {
    draw.nmcd.uItemState &= ~CDIS_FOCUS;
    return CDRF_NOTIFYSUBITEMDRAW;
  }
  const std::size_t row = draw.nmcd.dwItemSpec;
  if (row >= doc_.table.RowCount()) return CDRF_DODEFAULT;
  const bool distances = doc_.settings.Get(Option::ShowDistance);
  const bool baseRow = distances && static_cast<long long>(row) == doc_.baseRow;
  if (stage == (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
    if (draw.iSubItem != kOrderColumn && draw.iSubItem != kDistanceColumn) {
      draw.clrText = ListView_GetTextColor(list_);
      return CDRF_DODEFAULT;
    }
    if (baseRow) {
      draw.clrText = kBaseRowColour;
    } else if (!doc_.table.Row(row).HasBothCoordinates()) {
      draw.clrText = kNoCoordinateColour;
    } else {
      draw.clrText = ListView_GetTextColor(list_);
    }
    return baseRow && draw.iSubItem == kDistanceColumn ? CDRF_NOTIFYPOSTPAINT : CDRF_DODEFAULT;
  }
  if (stage == (CDDS_ITEMPOSTPAINT | CDDS_SUBITEM) && baseRow && draw.iSubItem == kDistanceColumn) DrawBaseGlyph(draw);
  return CDRF_DODEFAULT;
}

void TableView::DrawBaseGlyph(const NMLVCUSTOMDRAW& draw) const {
  RECT cell{};
  cell.top = kDistanceColumn;
  cell.left = LVIR_BOUNDS;
  if (!SendMessageW(list_, LVM_GETSUBITEMRECT, draw.nmcd.dwItemSpec, reinterpret_cast<LPARAM>(&cell))) return;
  HDC dc = draw.nmcd.hdc;
  HFONT tableFont = reinterpret_cast<HFONT>(SendMessageW(list_, WM_GETFONT, 0, 0));
  LOGFONTW font{};
  GetObjectW(tableFont ? static_cast<HGDIOBJ>(tableFont) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
  const bool pinned = doc_.baseRowPinned && draw.nmcd.dwItemSpec == 0;
  // The glyph ends where the units of the other rows end.
  HGDIOBJ old = SelectObject(dc, tableFont);
  SIZE unit{};
  GetTextExtentPoint32W(dc, L"km", 2, &unit);
  if (pinned) font.lfHeight = font.lfHeight * 6 / 5;
  font.lfCharSet = SYMBOL_CHARSET;
  wcscpy_s(font.lfFaceName, pinned ? L"Wingdings" : L"Symbol");
  HFONT glyphFont = CreateFontIndirectW(&font);
  SelectObject(dc, glyphFont);
  // Without the symbol font (some systems lack it) the same signs in Unicode, in the
  // table's own font.
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(dc, LF_FACESIZE, face);
  const bool symbolFont = _wcsicmp(face, font.lfFaceName) == 0;
  if (!symbolFont) {
    DeleteObject(glyphFont);
    GetObjectW(tableFont ? static_cast<HGDIOBJ>(tableFont) : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    if (pinned) font.lfHeight = font.lfHeight * 6 / 5;
    glyphFont = CreateFontIndirectW(&font);
    SelectObject(dc, glyphFont);
  }
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kBaseRowColour);
  cell.right -= Scaled(list_, modernVisuals_ ? 8 : 6) + unit.cx;
  const wchar_t glyph = symbolFont ? (pinned ? kPinnedGlyph : kBaseGlyph) : (pinned ? L'\u272A' : L'\u2295');
  DrawTextW(dc, &glyph, 1, &cell, DT_RIGHT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SetBkMode(dc, oldMode);
  SelectObject(dc, old);
  DeleteObject(glyphFont);
}

void TableView::OnItemChanged(const NMLISTVIEW& change) {
  if (pushingSelection_ || !(change.uChanged & LVIF_STATE)) return;
  ItineraryTable& table = doc_.table;
  if (change.iItem < 0) {
    // -1 stands for every row.
    if (!SelectionBitChanged(change.uOldState, change.uNewState)) return;
    bool selected = (change.uNewState & LVIS_SELECTED) != 0;
    for (std::size_t row = 0; row < table.RowCount(); ++row) table.SetSelected(row, selected);
    NotifySelection();
    return;
  }
  std::size_t row = static_cast<std::size_t>(change.iItem);
  if (row >= table.RowCount()) return;
  if (SelectionBitChanged(change.uOldState, change.uNewState)) {
    table.SetSelected(row, (change.uNewState & LVIS_SELECTED) != 0);
    NotifySelection();
  }
  if ((change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED)) table.SetFocused(row);
}

void TableView::OnRangeStateChanged(const NMLVODSTATECHANGE& change) {
  if (pushingSelection_ || !SelectionBitChanged(change.uOldState, change.uNewState)) return;
  ItineraryTable& table = doc_.table;
  if (change.iFrom < 0 || change.iTo < change.iFrom) return;
  bool selected = (change.uNewState & LVIS_SELECTED) != 0;
  std::size_t last = static_cast<std::size_t>(change.iTo);
  for (std::size_t row = change.iFrom; row <= last && row < table.RowCount(); ++row) table.SetSelected(row, selected);
  NotifySelection();
}

void TableView::NotifySelection() {
  // A marquee ends with the button; should the control's own capture have kept the
  // button-up from this procedure, the button's state still tells.
  if (marqueeActive_ && !(GetKeyState(VK_LBUTTON) & 0x8000)) marqueeActive_ = false;
  if (quietSelection_ || marqueeActive_ || !events_.selectionChanged) return;
  events_.selectionChanged();
}

}  // namespace wayloom
