#include "shell/dialogs/CheckResultsWindow.h"
#include "shell/Dpi.h"

#include <algorithm>
#include <array>

#include "core/WindowPlacement.h"
#include "platform/Profile.h"
#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kList = 5250, kDelete = 5251, kDeleteAll = 5252, kGoTo = 5253, kContinue = 5254;
constexpr int kFirstColumnTitle = 14100;
constexpr int kMinWidth = 320, kMinHeight = 240;
constexpr BYTE kAlpha = 243;  // the dialogs' own
constexpr char16_t kSection[] = u"Check ITN";
// Dialog units of the layout: margin, gap between buttons, button size.
constexpr int kMargin = 6, kGap = 3, kButtonWidth = 50, kButtonHeight = 14;
// Pixels around a column title (its padding and the sort arrow).
constexpr int kTitlePadding = 28;

Rect RectOf(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

RECT WorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return work;
}

}  // namespace

CheckResultsWindow::~CheckResultsWindow() {
  if (window_) DestroyWindow(window_);
}

INT_PTR CALLBACK CheckResultsWindow::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CheckResultsWindow*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->window_ = dialog;
    self->list_ = GetDlgItem(dialog, kList);
    self->OnInit();
    return FALSE;  // the focus is set when shown
  }
  auto* self = reinterpret_cast<CheckResultsWindow*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self && self->window_ == dialog ? self->OnMessage(message, wParam, lParam) : FALSE;
}

void CheckResultsWindow::OnInit() {
  if (frame_.smallImages && frame_.image >= 0) {
    frame_.icon = ImageList_GetIcon(frame_.smallImages, frame_.image, ILD_NORMAL);
    if (frame_.icon) SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frame_.icon));
  }
  // Rows look like the table's: its font, colours, grid lines and status images.
  if (HWND table = host_.table) {
    SendMessageW(list_, WM_SETFONT, SendMessageW(table, WM_GETFONT, 0, 0), FALSE);
    ListView_SetTextColor(list_, ListView_GetTextColor(table));
    ListView_SetTextBkColor(list_, ListView_GetTextBkColor(table));
    ListView_SetBkColor(list_, ListView_GetBkColor(table));
    ListView_SetImageList(list_, ListView_GetImageList(table, LVSIL_SMALL), LVSIL_SMALL);
  }
  const DWORD grid = host_.table ? ListView_GetExtendedListViewStyle(host_.table) & LVS_EX_GRIDLINES : 0;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_HEADERDRAGDROP | grid);
  for (int column = 0; column < kColumnCount; ++column) {
    const std::wstring title = ToWide(LoadText(kFirstColumnTitle + column));
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    item.fmt = column == kDistanceColumn ? LVCFMT_RIGHT : LVCFMT_LEFT;
    item.pszText = const_cast<wchar_t*>(title.c_str());
    item.iSubItem = column;
    SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&item));
  }

  // The stored placement, at least the minimum size, inside the work area; else centred.
  const RECT work = WorkArea();
  RECT owner{};
  GetWindowRect(frame_.owner ? frame_.owner : GetDesktopWindow(), &owner);
  Profile* profile = host_.context ? host_.context->profile : nullptr;
  auto stored = [&](const char16_t* key, int fallback) { return profile ? profile->ReadInt(kSection, key, fallback) : fallback; };
  const int minWidth = Scaled(frame_.owner, kMinWidth), minHeight = Scaled(frame_.owner, kMinHeight);
  const int width = std::clamp(stored(u"Width", minWidth), minWidth, std::max<int>(minWidth, work.right - work.left));
  const int height = std::clamp(stored(u"Height", minHeight), minHeight, std::max<int>(minHeight, work.bottom - work.top));
  const Point centred = CentredDialogPosition(RectOf(owner), width, height, RectOf(work));
  const int left = std::clamp<int>(stored(u"Left", centred.x), work.left, std::max<int>(work.left, work.right - width));
  const int top = std::clamp<int>(stored(u"Top", centred.y), work.top, std::max<int>(work.top, work.bottom - height));
  SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Layout();
}

void CheckResultsWindow::Show(CheckResults& results, const DialogFrame& frame, const CheckWindowHost& host) {
  results_ = &results;
  host_ = host;
  if (!window_) {
    frame_ = frame;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(frame.owner, GWLP_HINSTANCE));
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(kCheckResultsDialogId), frame.owner, Procedure,
                            reinterpret_cast<LPARAM>(this)))
      return;
  }
  SetWindowTextW(window_, ToWide(LoadText(results.TitleId())).c_str());
  if (host_.context) {
    std::array<int, kColumnCount> order = ColumnDisplayOrder(host_.context->doc.settings.Get(Option::LngFirst));
    ListView_SetColumnOrderArray(list_, kColumnCount, order.data());
  }
  Refresh(results);
  FitColumns();
  if (!IsWindowVisible(window_)) {
    FadeWindowIn(window_, frame_.fade, kAlpha, SW_SHOW);
    ShowWindow(window_, SW_SHOW);
  }
  SetForegroundWindow(window_);
  SetActiveWindow(window_);
  SetFocus(list_);
  const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (focused >= 0) ListView_EnsureVisible(list_, focused, FALSE);
}

void CheckResultsWindow::Refresh(CheckResults& results) {
  results_ = &results;
  if (!window_) return;
  const std::vector<CheckResultItem>& items = results.Items();
  syncing_ = true;
  ListView_SetItemCountEx(list_, static_cast<int>(items.size()), LVSICF_NOSCROLL);
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const UINT state = (items[i].selected ? LVIS_SELECTED : 0) | (items[i].focused ? LVIS_FOCUSED : 0);
    if (state) ListView_SetItemState(list_, static_cast<int>(i), state, state);
  }
  syncing_ = false;
  InvalidateRect(list_, nullptr, FALSE);
  ShowSortMark();
  UpdateButtons();
}

void CheckResultsWindow::Hide() {
  if (!window_) return;
  FadeWindowOut(window_, frame_.fade);
  if (frame_.owner) SetActiveWindow(frame_.owner);
  WritePlacement();
  ShowWindow(window_, SW_HIDE);
}

void CheckResultsWindow::Close() {
  if (window_) DestroyWindow(window_);  // WM_DESTROY writes the placement
}

INT_PTR CheckResultsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return TRUE;
    case WM_CLOSE:
      OnCommand(IDCANCEL);
      return TRUE;
    case WM_NOTIFY:
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, OnNotify(*reinterpret_cast<const NMHDR*>(lParam)));
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && host_.activated) host_.activated();
      return FALSE;
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto& info = *reinterpret_cast<MINMAXINFO*>(lParam);
      info.ptMinTrackSize = POINT{Scaled(window_, kMinWidth), Scaled(window_, kMinHeight)};
      return TRUE;
    }
    case WM_DESTROY:
      WritePlacement();
      if (frame_.icon) DestroyIcon(frame_.icon);
      frame_.icon = nullptr;
      window_ = list_ = nullptr;
      return TRUE;
  }
  return FALSE;
}

void CheckResultsWindow::OnCommand(int control) {
  if (!results_ || !host_.context) return;
  CommandContext& context = *host_.context;
  switch (control) {
    case kDelete:
    case kDeleteAll:
      SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
      if (control == kDelete) {
        results_->DeleteSelected(context);
      } else {
        results_->DeleteAll(context);
      }
      if (!window_) return;
      SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
      FitColumns();
      Refresh(*results_);
      SetFocus(list_);
      return;
    case IDOK:  // Enter
    case kGoTo:
      if (!results_->CanGoTo()) return;
      if (frame_.owner) SetActiveWindow(frame_.owner);
      results_->GoTo(context);
      context.ui.TableChanged();
      return;
    case kContinue:
      results_->Continue(context);  // may end the run and destroy the window
      context.ui.TableChanged();
      return;
    case IDCANCEL:
      results_->Cancel(context);
      return;
  }
}

LRESULT CheckResultsWindow::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_ || !results_) return 0;
  switch (header.code) {
    case LVN_GETDISPINFOW:
      FillItem(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
      return 0;
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!syncing_ && (change.uChanged & LVIF_STATE) &&
          ((change.uNewState ^ change.uOldState) & (LVIS_SELECTED | LVIS_FOCUSED)))
        ReadSelection();
      return 0;
    }
    case LVN_ODSTATECHANGED:
      if (!syncing_) ReadSelection();
      return 0;
    case LVN_COLUMNCLICK:
      if (host_.context) {
        results_->ClickColumnTitle(host_.context->doc, reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
        Refresh(*results_);
      }
      return 0;
    case NM_DBLCLK:
      if (reinterpret_cast<const NMITEMACTIVATE&>(header).iItem >= 0) OnCommand(kGoTo);
      return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_DELETE && results_->CanDelete()) OnCommand(kDelete);
      return 0;
  }
  return 0;
}

void CheckResultsWindow::FillItem(LVITEMW& item) const {
  const std::vector<CheckResultItem>& items = results_->Items();
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= items.size()) return;
  const CheckResultItem& entry = items[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_IMAGE) && host_.context) {
    const ItineraryTable& table = host_.context->doc.table;
    const long long row = table.FindRowById(entry.rowId);
    item.iImage = row >= 0 ? static_cast<int>(table.Row(static_cast<std::size_t>(row)).status) : I_IMAGENONE;
  }
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  const TextView cell = entry.Cell(item.iSubItem);
  const std::size_t units = std::min<std::size_t>(cell.size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  for (std::size_t i = 0; i < units; ++i) item.pszText[i] = static_cast<wchar_t>(cell[i]);
  item.pszText[units] = L'\0';
}

// The list's selection and focus into the items; with one item selected the table follows.
void CheckResultsWindow::ReadSelection() {
  if (!host_.context) return;
  const std::size_t count = results_->Items().size();
  for (std::size_t i = 0; i < count; ++i) results_->SetItemSelected(i, false);
  for (int i = ListView_GetNextItem(list_, -1, LVNI_SELECTED); i >= 0; i = ListView_GetNextItem(list_, i, LVNI_SELECTED))
    results_->SetItemSelected(static_cast<std::size_t>(i), true);
  const int focused = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (focused >= 0) results_->SetItemFocused(static_cast<std::size_t>(focused));
  results_->SelectionChanged(*host_.context);
  host_.context->ui.TableChanged();
  UpdateButtons();
}

void CheckResultsWindow::ShowSortMark() {
  HWND header = ListView_GetHeader(list_);
  for (int column = 0; column < kColumnCount; ++column) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    Header_GetItem(header, column, &item);
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (results_->SortMarkShown() && column == results_->SortColumn())
      item.fmt |= results_->SortAscending() ? HDF_SORTUP : HDF_SORTDOWN;
    Header_SetItem(header, column, &item);
  }
}

// Shown columns fit their texts and titles; a spare last column keeps the last shown one
// from stretching to the list's edge.
void CheckResultsWindow::FitColumns() {
  LVCOLUMNW spare{};
  spare.mask = LVCF_WIDTH;
  SendMessageW(list_, LVM_INSERTCOLUMNW, kColumnCount, reinterpret_cast<LPARAM>(&spare));
  for (int column = 0; column < kColumnCount; ++column) {
    if (!results_->ColumnShown(column)) {
      ListView_SetColumnWidth(list_, column, 0);
      continue;
    }
    // Some list controls measure the title too tightly and clip it.
    ListView_SetColumnWidth(list_, column, LVSCW_AUTOSIZE_USEHEADER);
    const std::wstring title = ToWide(LoadText(kFirstColumnTitle + column));
    const int titleWidth = ListView_GetStringWidth(list_, title.c_str()) + kTitlePadding;
    if (ListView_GetColumnWidth(list_, column) < titleWidth) ListView_SetColumnWidth(list_, column, titleWidth);
  }
  ListView_DeleteColumn(list_, kColumnCount);
}

void CheckResultsWindow::Layout() {
  RECT client{}, unit{0, 0, kButtonWidth, kButtonHeight}, spacing{kMargin, kGap, 0, 0};
  GetClientRect(window_, &client);
  MapDialogRect(window_, &unit);
  MapDialogRect(window_, &spacing);
  const int margin = spacing.left, gap = spacing.top, width = unit.right, height = unit.bottom;
  const int x = client.right - margin - width;
  int y = margin;
  for (int control : {kDelete, kDeleteAll, kGoTo, kContinue, IDCANCEL}) {
    SetWindowPos(Item(control), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    y += height + gap;
  }
  SetWindowPos(list_, nullptr, margin, margin, std::max(0, x - 2 * margin), std::max(0, static_cast<int>(client.bottom) - 2 * margin),
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void CheckResultsWindow::UpdateButtons() {
  EnableWindow(Item(kDelete), results_->CanDelete());
  EnableWindow(Item(kDeleteAll), results_->CanDeleteAll());
  EnableWindow(Item(kGoTo), results_->CanGoTo());
}

void CheckResultsWindow::WritePlacement() const {
  Profile* profile = host_.context ? host_.context->profile : nullptr;
  if (!profile || !window_ || IsIconic(window_)) return;
  RECT r{};
  GetWindowRect(window_, &r);
  profile->WriteInt(kSection, u"Left", r.left);
  profile->WriteInt(kSection, u"Top", r.top);
  profile->WriteInt(kSection, u"Width", r.right - r.left);
  profile->WriteInt(kSection, u"Height", r.bottom - r.top);
}

}  // namespace wayloom
