#include "shell/Toolbar.h"

#include <algorithm>
#include <set>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"
#include "shell/DialogSupport.h"
#include "shell/Dpi.h"
#include "shell/ResourceIds.h"

namespace wayloom {
namespace {

constexpr int kBandHeight = 5;          // the non-client band above the buttons
constexpr int kChevronWidth = 8;
constexpr int kIndent = 3;
constexpr int kTooltipStringOffset = 13000;
constexpr int kMainMenu = 500;
constexpr COLORREF kClassicEdge = 0x99A8AC;
constexpr COLORREF kModernEdge = 0xA0A0A0;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr UINT_PTR kToolbarSubclass = 1;
constexpr BYTE kStateBits = TBSTATE_CHECKED | TBSTATE_PRESSED | TBSTATE_ENABLED;

struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> bgra;  // top-down rows, straight alpha
};

// A 32-bit bitmap resource as pixels (LoadImage keeps the alpha of a DIB section).
Pixels LoadPixels(HINSTANCE instance, int id) {
  Pixels pixels;
  HANDLE bitmap = LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  DIBSECTION dib{};
  if (!bitmap) return pixels;
  if (GetObjectW(bitmap, sizeof dib, &dib) == sizeof dib && dib.dsBm.bmBitsPixel == 32 && dib.dsBm.bmBits) {
    pixels.width = dib.dsBm.bmWidth;
    pixels.height = dib.dsBm.bmHeight;
    pixels.bgra.resize(static_cast<std::size_t>(pixels.width) * pixels.height);
    const auto* bits = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    const bool bottomUp = dib.dsBmih.biHeight > 0;
    for (int y = 0; y < pixels.height; ++y)
      std::copy_n(bits + static_cast<std::size_t>(bottomUp ? pixels.height - 1 - y : y) * pixels.width,
                  pixels.width, pixels.bgra.begin() + static_cast<std::ptrdiff_t>(y) * pixels.width);
  }
  DeleteObject(bitmap);
  return pixels;
}

HBITMAP MakeBitmap(int width, int height, const std::uint32_t* topDown) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) std::copy_n(topDown, static_cast<std::size_t>(width) * height, static_cast<std::uint32_t*>(bits));
  return bitmap;
}

// An image list of the strip's square images, each pixel passed through change.
template <typename Change>
HIMAGELIST MakeImageList(const Pixels& strip, int imageWidth, Change change) {
  if (strip.bgra.empty()) return nullptr;
  std::vector<std::uint32_t> changed(strip.bgra);
  for (std::uint32_t& pixel : changed) pixel = change(pixel);
  HIMAGELIST list = ImageList_Create(imageWidth, strip.height, ILC_COLOR32, strip.width / imageWidth, 0);
  HBITMAP bitmap = MakeBitmap(strip.width, strip.height, changed.data());
  if (list && bitmap) ImageList_Add(list, bitmap, nullptr);
  if (bitmap) DeleteObject(bitmap);
  return list;
}

std::uint32_t Unchanged(std::uint32_t pixel) { return pixel; }

// Hovered buttons look 10 % brighter: each channel c becomes 255 from 232 on, else c x 1.1.
std::uint32_t Brighter(std::uint32_t pixel) {
  std::uint32_t out = pixel & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t c = (pixel >> shift) & 0xFF;
    out |= (c >= 232 ? 255 : c * 11 / 10) << shift;
  }
  return out;
}

// Greyed buttons: grey and half transparent (the control's own greying does not take alpha).
std::uint32_t Greyed(std::uint32_t pixel) {
  const std::uint32_t b = pixel & 0xFF, g = (pixel >> 8) & 0xFF, r = (pixel >> 16) & 0xFF;
  const std::uint32_t grey = 96 + (r * 30 + g * 59 + b * 11) / 100 * 5 / 8;
  return ((pixel >> 25) << 24) | (grey << 16) | (grey << 8) | grey;
}

COLORREF Darker(COLORREF colour, int red, int green, int blue) {
  const auto lower = [](int value, int by) { return std::max(0, value - by); };
  return RGB(lower(GetRValue(colour), red), lower(GetGValue(colour), green), lower(GetBValue(colour), blue));
}

void FillLine(HDC dc, int left, int right, int y, COLORREF colour) {
  const RECT line{left, y, right, y + 1};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
}

// TBN_INITCUSTOMIZE's NMTBCUSTOMIZEDLG, which the MinGW headers lack.
struct CustomiseDialogNotification {
  NMHDR header;
  HWND dialog;
};

const wchar_t* TooltipText(int command) {
  return reinterpret_cast<const wchar_t*>(LoadText(command + kTooltipStringOffset).data());
}

}  // namespace

HIMAGELIST LoadImageStrip(HINSTANCE instance, int bitmapId, int imageWidth) {
  return MakeImageList(LoadPixels(instance, bitmapId), imageWidth, Unchanged);
}

Toolbar::Toolbar() { store_.fill(TBSTATE_ENABLED); }

Toolbar::~Toolbar() { Destroy(); }

void Toolbar::Destroy() {
  if (toolbar_) DestroyWindow(toolbar_);
  toolbar_ = nullptr;
  for (HIMAGELIST* list : {&images_, &hotImages_, &disabledImages_, &smallImages_, &chevron_}) {
    if (*list) ImageList_Destroy(*list);
    *list = nullptr;
  }
}

bool Toolbar::Create(HWND parent, HINSTANCE instance, Settings& settings, Profile& profile, bool modernVisuals) {
  // Keep the states of the buttons now on the toolbar for the new one.
  if (toolbar_)
    for (int command : kToolbarCommands) SaveState(command);
  Destroy();
  parent_ = parent;
  instance_ = instance;
  settings_ = &settings;
  profile_ = &profile;
  modern_ = modernVisuals;

  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | TBSTYLE_CUSTOMERASE |
                CCS_ADJUSTABLE | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN;
  if (settings.Get(Option::WrapToolbar)) style |= TBSTYLE_WRAPABLE;
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, style, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
  if (!toolbar_) return false;
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_HIDECLIPPEDBUTTONS | TBSTYLE_EX_DOUBLEBUFFER);

  // The largest strip not above the chosen size at the window's DPI.
  const int wanted = Scaled(toolbar_, settings.Get(Option::LargeToolbar) ? 24 : 16);
  const int size = wanted >= 32 ? 32 : wanted >= 24 ? 24 : 16;
  const Pixels strip = LoadPixels(instance, size == 32 ? IDB_TOOLBAR_HUGE : size == 24 ? IDB_TOOLBAR_LARGE : IDB_TOOLBAR_SMALL);
  const Pixels small = size != 16 ? LoadPixels(instance, IDB_TOOLBAR_SMALL) : strip;
  images_ = MakeImageList(strip, size, Unchanged);
  hotImages_ = MakeImageList(strip, size, Brighter);
  disabledImages_ = MakeImageList(strip, size, Greyed);
  smallImages_ = MakeImageList(small, 16, Unchanged);
  smallPixels_ = small.bgra;
  chevron_ = MakeImageList(LoadPixels(instance, IDB_CHEVRON), kChevronWidth, Unchanged);
  if (!images_ || !smallImages_) return false;
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
  SendMessageW(toolbar_, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hotImages_));
  SendMessageW(toolbar_, TB_SETDISABLEDIMAGELIST, 0, reinterpret_cast<LPARAM>(disabledImages_));
  SendMessageW(toolbar_, TB_SETINDENT, Scaled(toolbar_, kIndent), 0);
  ApplySpacing();
  SetWindowSubclass(toolbar_, ToolbarProc, kToolbarSubclass, reinterpret_cast<DWORD_PTR>(this));
  SetWindowPos(toolbar_, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
  AddButtons(ReadToolbarLayout(profile));
  if (settings.Get(Option::ShowToolbar)) ShowWindow(toolbar_, SW_SHOWNA);
  return true;
}

void Toolbar::AddButtons(const ToolbarLayout& layout) {
  std::vector<TBBUTTON> buttons;
  for (int entry : layout) {
    TBBUTTON button{};
    if (entry == kToolbarSeparator) {
      button.fsStyle = BTNS_SEP;
    } else {
      button.iBitmap = entry;
      button.idCommand = kToolbarCommands[static_cast<std::size_t>(entry)];
      button.fsState = store_[static_cast<std::size_t>(entry)];
      button.fsStyle = BTNS_BUTTON;
    }
    buttons.push_back(button);
  }
  SendMessageW(toolbar_, TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

ToolbarLayout Toolbar::CurrentLayout() const {
  ToolbarLayout layout;
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    TBBUTTON button{};
    SendMessageW(toolbar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    layout.push_back(button.fsStyle & BTNS_SEP ? kToolbarSeparator : ToolbarImageOf(button.idCommand));
  }
  return layout;
}

bool Toolbar::Visible() const { return toolbar_ && (GetWindowLongPtrW(toolbar_, GWL_STYLE) & WS_VISIBLE); }

void Toolbar::Show(bool visible) {
  if (settings_) settings_->Set(Option::ShowToolbar, visible);
  if (toolbar_) ShowWindow(toolbar_, visible ? SW_SHOWNA : SW_HIDE);
}

int Toolbar::LayoutHeight() const {
  if (!Visible()) return 0;
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  if (count == 0) return HIWORD(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
  RECT last{};
  SendMessageW(toolbar_, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
  return last.bottom + Scaled(toolbar_, 8);
}

void Toolbar::SaveState(int command) {
  const int image = ToolbarImageOf(command);
  const LRESULT state = toolbar_ ? SendMessageW(toolbar_, TB_GETSTATE, command, 0) : -1;
  if (image >= 0 && state != -1) store_[static_cast<std::size_t>(image)] = static_cast<BYTE>(state & kStateBits);
}

int Toolbar::ButtonState(int command) const {
  const int image = ToolbarImageOf(command);
  if (image < 0) return 0;
  const LRESULT state = toolbar_ ? SendMessageW(toolbar_, TB_GETSTATE, command, 0) : -1;
  return state == -1 ? store_[static_cast<std::size_t>(image)] : static_cast<int>(state & kStateBits);
}

void Toolbar::ApplyStates(const CommandStates& states) {
  for (std::size_t image = 0; image < kToolbarCommands.size(); ++image) {
    const int command = kToolbarCommands[image];
    const BYTE wanted = (states[command].enabled ? TBSTATE_ENABLED : 0) | (states[command].checked ? TBSTATE_CHECKED : 0);
    const LRESULT state = toolbar_ ? SendMessageW(toolbar_, TB_GETSTATE, command, 0) : -1;
    if (state == -1) {
      store_[image] = static_cast<BYTE>((store_[image] & TBSTATE_PRESSED) | wanted);
      continue;
    }
    const LRESULT changed = (state & ~(TBSTATE_ENABLED | TBSTATE_CHECKED)) | wanted;
    if (changed != state) SendMessageW(toolbar_, TB_SETSTATE, command, changed);
  }
}

void Toolbar::Press(int command, bool pressed) {
  const int image = ToolbarImageOf(command);
  if (image < 0) return;
  const LRESULT state = toolbar_ ? SendMessageW(toolbar_, TB_GETSTATE, command, 0) : -1;
  if (state == -1) {
    BYTE& stored = store_[static_cast<std::size_t>(image)];
    stored = static_cast<BYTE>(pressed ? stored | TBSTATE_PRESSED : stored & ~TBSTATE_PRESSED);
    return;
  }
  SendMessageW(toolbar_, TB_SETSTATE, command, pressed ? state | TBSTATE_PRESSED : state & ~TBSTATE_PRESSED);
  UpdateWindow(toolbar_);
}

void Toolbar::ApplySpacing() {
  TBMETRICS metrics{};
  metrics.cbSize = sizeof metrics;
  metrics.dwMask = TBMF_BUTTONSPACING;
  metrics.cxButtonSpacing = settings_->toolbarSpacing;
  metrics.cyButtonSpacing = 0;
  SendMessageW(toolbar_, TB_SETMETRICS, 0, reinterpret_cast<LPARAM>(&metrics));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  InvalidateRect(toolbar_, nullptr, TRUE);
}

void Toolbar::ApplyBackground(COLORREF colour) {
  settings_->toolbarBackground = colour;
  RedrawWindow(toolbar_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void Toolbar::ToggleLarge() {
  settings_->Set(Option::LargeToolbar, !settings_->Get(Option::LargeToolbar));
  Create(parent_, instance_, *settings_, *profile_, modern_);
}

void Toolbar::ToggleWrap() {
  const bool wrap = !settings_->Get(Option::WrapToolbar);
  settings_->Set(Option::WrapToolbar, wrap);
  const LONG_PTR style = GetWindowLongPtrW(toolbar_, GWL_STYLE);
  SetWindowLongPtrW(toolbar_, GWL_STYLE, wrap ? style | TBSTYLE_WRAPABLE : style & ~static_cast<LONG_PTR>(TBSTYLE_WRAPABLE));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  InvalidateRect(toolbar_, nullptr, TRUE);
}

void Toolbar::LayoutChanged() {
  WriteToolbarLayout(*profile_, CurrentLayout());
  PostMessageW(parent_, WM_COMMAND, IDM_RELAYOUT, 1);
  UpdateCustomiseButtons();
}

void Toolbar::ResetLayout() {
  for (int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0)); count > 0; --count) {
    TBBUTTON button{};
    SendMessageW(toolbar_, TB_GETBUTTON, count - 1, reinterpret_cast<LPARAM>(&button));
    if (!(button.fsStyle & BTNS_SEP)) SaveState(button.idCommand);
    SendMessageW(toolbar_, TB_DELETEBUTTON, count - 1, 0);
  }
  AddButtons(DefaultToolbarLayout());
  DeleteToolbarLayout(*profile_);
  PostMessageW(parent_, WM_COMMAND, IDM_RELAYOUT, 1);
  UpdateCustomiseButtons();
}

bool Toolbar::Overflowing() const {
  if (!toolbar_ || settings_->Get(Option::WrapToolbar)) return false;
  RECT client{};
  GetClientRect(toolbar_, &client);
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  RECT last{};
  return count > 0 && SendMessageW(toolbar_, TB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last)) &&
         last.right > client.right;
}

int Toolbar::FirstRowTop() const {
  RECT first{};
  SendMessageW(toolbar_, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  return first.top;
}

// Each row of buttons: an edge line, a white line, then the background colour darkening
// towards the row's bottom.
void Toolbar::PaintBackground(HDC dc) const {
  RECT client{};
  GetClientRect(toolbar_, &client);
  const COLORREF background = settings_->toolbarBackground;
  SetBkColor(dc, background);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &client, nullptr, 0, nullptr);
  std::set<std::pair<int, int>> rows;  // top and bottom
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    if (SendMessageW(toolbar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) rows.insert({item.top, item.bottom});
  }
  const int buttonHeight = HIWORD(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
  if (rows.empty()) rows.insert({0, buttonHeight});
  const int gradientStart = modern_ ? buttonHeight / 2 + 4 : 5;
  int previousTop = -1;
  for (const auto& [top, bottom] : rows) {
    if (top == previousTop) continue;  // a separator may end lower than the buttons of its row
    previousTop = top;
    for (int line = 0; top + line < bottom; ++line) {
      COLORREF colour = background;
      if (line == 0) {
        colour = modern_ ? kModernEdge : kClassicEdge;
      } else if (line == 1) {
        colour = kWhite;
      } else if (line >= gradientStart) {
        const int steps = line - gradientStart;
        const int oddLines = (line + 1) / 2 - (gradientStart + 1) / 2;  // odd lines after the start
        colour = modern_ ? Darker(background, 24 + steps, 8 + oddLines, 16 + steps)
                         : Darker(background, steps, oddLines, steps);
      }
      FillLine(dc, client.left, client.right, top + line, colour);
    }
  }
}

void Toolbar::PaintBand() const {
  HDC dc = GetWindowDC(toolbar_);
  RECT window{};
  GetWindowRect(toolbar_, &window);
  const int width = window.right - window.left;
  const RECT band{0, 0, width, Scaled(toolbar_, kBandHeight)};
  SetBkColor(dc, settings_->toolbarBackground);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &band, nullptr, 0, nullptr);
  if (!modern_) {
    FillLine(dc, 0, width, 0, kClassicEdge);
    FillLine(dc, 0, width, 1, kWhite);
  }
  ReleaseDC(toolbar_, dc);
}

LRESULT Toolbar::OnCustomDraw(NMTBCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREERASE:
      return CDRF_SKIPDEFAULT;  // the pre-paint below paints the whole background
    case CDDS_PREPAINT:
      PaintBackground(draw.nmcd.hdc);
      return CDRF_NOTIFYPOSTPAINT;
    case CDDS_POSTPAINT:
      if (Overflowing() && chevron_) {
        RECT client{};
        GetClientRect(toolbar_, &client);
        const int buttonHeight = HIWORD(SendMessageW(toolbar_, TB_GETBUTTONSIZE, 0, 0));
        const int image = settings_->Get(Option::LargeToolbar) ? 0 : 1;
        ImageList_Draw(chevron_, image, draw.nmcd.hdc, client.right - kChevronWidth,
                       FirstRowTop() + (buttonHeight - 24) / 2, ILD_NORMAL);
      }
      return CDRF_DODEFAULT;
    default:
      return CDRF_DODEFAULT;
  }
}

bool Toolbar::OnButtonInfo(NMTOOLBARW& info) const {
  if (info.iItem < 0 || info.iItem >= kToolbarImageCount) return false;
  const int command = kToolbarCommands[static_cast<std::size_t>(info.iItem)];
  info.tbButton = {};
  info.tbButton.iBitmap = info.iItem;
  info.tbButton.idCommand = command;
  info.tbButton.fsState = store_[static_cast<std::size_t>(info.iItem)];
  info.tbButton.fsStyle = BTNS_BUTTON;
  if (info.pszText && info.cchText > 0) lstrcpynW(info.pszText, TooltipText(command), info.cchText);
  return true;
}

// The notifications that ask for something are answered in their own structure, hence the casts.
std::optional<LRESULT> Toolbar::OnNotify(const NMHDR& header) {
  if (!toolbar_) return std::nullopt;
  const HWND tooltips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0));
  if (header.hwndFrom == tooltips && tooltips) {
    if (header.code == TTN_GETDISPINFOW) {
      auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
      info.hinst = nullptr;
      info.lpszText = const_cast<wchar_t*>(TooltipText(static_cast<int>(header.idFrom)));
      if (events.showHelp) events.showHelp(static_cast<int>(header.idFrom));
      return 0;
    }
    if (header.code == TTN_POP && events.showHelp) events.showHelp(0);
    return header.code == TTN_POP ? std::optional<LRESULT>(0) : std::nullopt;
  }
  if (header.hwndFrom != toolbar_) return std::nullopt;
  auto& toolbarInfo = const_cast<NMTOOLBARW&>(reinterpret_cast<const NMTOOLBARW&>(header));
  switch (header.code) {
    case NM_CUSTOMDRAW:
      return OnCustomDraw(const_cast<NMTBCUSTOMDRAW&>(reinterpret_cast<const NMTBCUSTOMDRAW&>(header)));
    case TBN_GETINFOTIPW: {
      auto& tip = const_cast<NMTBGETINFOTIPW&>(reinterpret_cast<const NMTBGETINFOTIPW&>(header));
      if (tip.pszText && tip.cchTextMax > 0) lstrcpynW(tip.pszText, TooltipText(tip.iItem), tip.cchTextMax);
      return 0;
    }
    case TBN_HOTITEMCHANGE: {
      const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
      if (!(hot.dwFlags & HICF_LEAVING) && events.showHelp) events.showHelp(hot.idNew);
      return 0;
    }
    case TBN_QUERYINSERT:
    case TBN_QUERYDELETE:
      return TRUE;
    case TBN_GETBUTTONINFOW:
      return OnButtonInfo(toolbarInfo) ? TRUE : FALSE;
    case TBN_INITCUSTOMIZE:
      ExtendCustomiseDialog(reinterpret_cast<const CustomiseDialogNotification&>(header).dialog);
      return TBNRF_HIDEHELP;
    case TBN_DELETINGBUTTON:
      SaveState(toolbarInfo.iItem);  // the command of the button going
      return 0;
    case TBN_TOOLBARCHANGE:
      LayoutChanged();
      return 0;
    case TBN_RESET:
      ResetLayout();
      return 0;
    case TBN_ENDADJUST:
      customiseDialog_ = nullptr;
      return 0;
    default:
      return std::nullopt;
  }
}

HBITMAP Toolbar::MenuBitmap(int image) const {
  // Blended onto the menu colour here: not every system blends a menu bitmap's alpha.
  constexpr int kSize = 16;
  if (image < 0 || image >= kToolbarImageCount ||
      smallPixels_.size() < static_cast<std::size_t>(kToolbarImageCount) * kSize * kSize)
    return nullptr;
  const COLORREF menu = GetSysColor(COLOR_MENU);
  const std::uint32_t under[3] = {GetBValue(menu), GetGValue(menu), GetRValue(menu)};
  std::uint32_t cut[kSize * kSize];
  const int stripWidth = kSize * kToolbarImageCount;
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) {
      const std::uint32_t pixel = smallPixels_[static_cast<std::size_t>(y) * stripWidth + image * kSize + x];
      const std::uint32_t alpha = pixel >> 24;
      std::uint32_t out = 0xFF000000u;
      for (int channel = 0; channel < 3; ++channel) {
        const std::uint32_t c = (pixel >> (8 * channel)) & 0xFF;
        out |= ((c * alpha + under[channel] * (255 - alpha)) / 255) << (8 * channel);
      }
      cut[y * kSize + x] = out;
    }
  return MakeBitmap(kSize, kSize, cut);
}

bool Toolbar::OnRightClick(POINT screen, HWND owner) {
  if (!Overflowing()) return false;
  POINT point = screen;
  ScreenToClient(toolbar_, &point);
  RECT client{};
  GetClientRect(toolbar_, &client);
  if (point.x < client.right - kChevronWidth || point.x >= client.right) return false;

  HMENU mainMenu = LoadMenuW(instance_, MAKEINTRESOURCEW(kMainMenu));
  HMENU popup = CreatePopupMenu();
  std::vector<HBITMAP> bitmaps;
  bool separatorPending = false;
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    RECT item{};
    TBBUTTON button{};
    SendMessageW(toolbar_, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item));
    SendMessageW(toolbar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    if (item.right <= client.right) continue;
    if (button.fsStyle & BTNS_SEP) {
      separatorPending = GetMenuItemCount(popup) > 0;
      continue;
    }
    if (separatorPending) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    separatorPending = false;
    // The menu's text without its key; the tooltip text for a command the menu lacks.
    wchar_t text[256] = {};
    if (!mainMenu || !GetMenuStringW(mainMenu, button.idCommand, text, 256, MF_BYCOMMAND))
      lstrcpynW(text, TooltipText(button.idCommand), 256);
    if (wchar_t* tab = wcschr(text, L'\t')) *tab = 0;
    AppendMenuW(popup, MF_STRING | (button.fsState & TBSTATE_ENABLED ? 0 : MF_GRAYED), button.idCommand, text);
    if (HBITMAP bitmap = MenuBitmap(button.iBitmap)) {
      bitmaps.push_back(bitmap);
      MENUITEMINFOW info{};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      info.hbmpItem = bitmap;
      SetMenuItemInfoW(popup, button.idCommand, FALSE, &info);
    }
  }
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, owner, nullptr);
  DestroyMenu(popup);
  if (mainMenu) DestroyMenu(mainMenu);
  for (HBITMAP bitmap : bitmaps) DeleteObject(bitmap);
  return true;
}

void Toolbar::Customise() {
  if (!toolbar_) return;
  ModalScope modal;
  SendMessageW(toolbar_, TB_CUSTOMIZE, 0, 0);
}

LRESULT CALLBACK Toolbar::ToolbarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data) {
  auto* self = reinterpret_cast<Toolbar*>(data);
  switch (message) {
    case WM_NCCALCSIZE: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      RECT* client = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<RECT*>(lParam);
      client->top = std::min(client->top + Scaled(window, kBandHeight), client->bottom);
      return result;
    }
    case WM_NCPAINT: {
      const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
      self->PaintBand();
      return result;
    }
    case WM_SETCURSOR: {
      POINT point{};
      GetCursorPos(&point);
      ScreenToClient(window, &point);
      RECT client{};
      GetClientRect(window, &client);
      if (LOWORD(lParam) == HTCLIENT && point.x >= client.right - kChevronWidth && self->Overflowing()) {
        SetCursor(LoadCursorW(self->instance_, MAKEINTRESOURCEW(IDC_CHEVRON)));
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (self->events.beforeClick && !self->events.beforeClick()) return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, ToolbarProc, kToolbarSubclass);
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace wayloom
