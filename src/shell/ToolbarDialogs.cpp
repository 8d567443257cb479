// The toolbar's two dialogs: the platform's customisation dialog with a spacing field
// added, and the colour chooser of the background with an Apply button added.
#include "shell/Toolbar.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "core/StringTable.h"
#include "shell/DialogSupport.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

// The customisation dialog's own buttons.
constexpr int kCloseButton = IDCANCEL;
constexpr int kResetButton = 202;
constexpr int kAvailableList = 201;
// The controls added to it.
constexpr int kSpacingLabel = 0x5000;
constexpr int kSpacingEdit = 0x5001;
constexpr int kSpacingSpin = 0x5002;
constexpr int kSpacingString = 14461;
constexpr int kSpacingEditWidth = 36;
constexpr int kAddedRowHeight = 30;
constexpr UINT_PTR kCustomiseSubclass = 2;

// The colour chooser's red, green and blue fields and its (unshown) Help button.
constexpr int kRedField = 706, kGreenField = 707, kBlueField = 708;
constexpr int kChooserHelpButton = 1038;
constexpr int kApplyButton = 0x5003;
constexpr int kApplyString = 14417;
constexpr TextView kOptionsSection = u"Options";
constexpr TextView kBackgroundKey = u"Toolbar Bkgnd";
constexpr int kCustomColourCount = 16;

RECT ChildRect(HWND dialog, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

HWND AddControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, RECT rect, int id) {
  HWND control = CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
  return control;
}

// Centred over the owner, kept inside the owner's work area.
void CentreOver(HWND window, HWND owner) {
  RECT outer{}, inner{};
  GetWindowRect(owner, &outer);
  GetWindowRect(window, &inner);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = inner.right - inner.left, height = inner.bottom - inner.top;
  const int left = std::clamp(outer.left + (outer.right - outer.left - width) / 2, area.left,
                              std::max(area.left, area.right - width));
  const int top = std::clamp(outer.top + (outer.bottom - outer.top - height) / 2, area.top,
                             std::max(area.top, area.bottom - height));
  SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

const wchar_t* Wide(TextView text) { return reinterpret_cast<const wchar_t*>(text.data()); }

Text CustomColourKey(int index) {
  return Text(kBackgroundKey) + u" " + AsciiToText(std::to_string(index));
}

}  // namespace

void Toolbar::ExtendCustomiseDialog(HWND dialog) {
  customiseDialog_ = dialog;
  if (!dialog) return;
  // A row below the dialog's controls: the label, the 36-pixel field and its up-down.
  RECT window{};
  GetWindowRect(dialog, &window);
  RECT client{};
  GetClientRect(dialog, &client);
  SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + kAddedRowHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const HWND list = GetDlgItem(dialog, kAvailableList);
  const int left = list ? ChildRect(dialog, list).left : 8;
  const int top = client.bottom + 4;
  const TextView label = LoadText(kSpacingString);
  HDC dc = GetDC(dialog);
  HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  SIZE labelSize{};
  GetTextExtentPoint32W(dc, Wide(label), static_cast<int>(label.size()), &labelSize);
  SelectObject(dc, oldFont);
  ReleaseDC(dialog, dc);
  AddControl(dialog, L"STATIC", Wide(label), SS_LEFT, {left, top + 4, left + labelSize.cx + 2, top + 22}, kSpacingLabel);
  const int editLeft = left + labelSize.cx + 8;
  HWND edit = AddControl(dialog, L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL,
                         {editLeft, top, editLeft + kSpacingEditWidth, top + 22}, kSpacingEdit);
  HWND spin = AddControl(dialog, UPDOWN_CLASSW, L"", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS,
                         {0, 0, 0, 0}, kSpacingSpin);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageW(spin, UDM_SETRANGE32, 0, 9);
  SendMessageW(spin, UDM_SETPOS32, 0, settings_->toolbarSpacing);
  SetWindowSubclass(dialog, CustomiseProc, kCustomiseSubclass, reinterpret_cast<DWORD_PTR>(this));
  CentreOver(dialog, parent_);
  UpdateCustomiseButtons();
}

void Toolbar::UpdateCustomiseButtons() const {
  if (!customiseDialog_) return;
  bool hasButton = false;
  const int count = static_cast<int>(SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0));
  for (int i = 0; i < count && !hasButton; ++i) {
    TBBUTTON button{};
    SendMessageW(toolbar_, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
    hasButton = !(button.fsStyle & BTNS_SEP);
  }
  EnableWindow(GetDlgItem(customiseDialog_, kCloseButton), hasButton);
  EnableWindow(GetDlgItem(customiseDialog_, kResetButton), HasToolbarLayout(*profile_));
}

// A digit 0-9 applies at once; anything else puts the value in use back; an empty field
// gets it back when it loses the focus.
void Toolbar::OnSpacingEdited(bool focusLost) {
  if (restoringSpacing_ || !customiseDialog_) return;
  HWND edit = GetDlgItem(customiseDialog_, kSpacingEdit);
  wchar_t text[8] = {};
  GetWindowTextW(edit, text, 8);
  const bool empty = text[0] == 0;
  if (empty && !focusLost) return;
  if (!empty && text[1] == 0 && text[0] >= L'0' && text[0] <= L'9') {
    if (settings_->toolbarSpacing != text[0] - L'0') {
      settings_->toolbarSpacing = text[0] - L'0';
      ApplySpacing();
      PostMessageW(parent_, WM_COMMAND, IDM_RELAYOUT, 1);
    }
    return;
  }
  restoringSpacing_ = true;
  const wchar_t digit[2] = {static_cast<wchar_t>(L'0' + settings_->toolbarSpacing), 0};
  SetWindowTextW(edit, digit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  restoringSpacing_ = false;
}

LRESULT CALLBACK Toolbar::CustomiseProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data) {
  auto* self = reinterpret_cast<Toolbar*>(data);
  if (message == WM_COMMAND && LOWORD(wParam) == kSpacingEdit &&
      (HIWORD(wParam) == EN_CHANGE || HIWORD(wParam) == EN_KILLFOCUS)) {
    self->OnSpacingEdited(HIWORD(wParam) == EN_KILLFOCUS);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(dialog, CustomiseProc, kCustomiseSubclass);
    self->customiseDialog_ = nullptr;
  }
  return DefSubclassProc(dialog, message, wParam, lParam);
}

UINT_PTR CALLBACK Toolbar::ColourHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<Toolbar*>(reinterpret_cast<CHOOSECOLORW*>(lParam)->lCustData);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    // The chooser's own "(&A)" button gives its key up to the added one.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[128] = {};
      GetWindowTextW(child, text, 128);
      std::wstring label(text);
      if (const std::size_t at = label.find(L"(&A)"); at != std::wstring::npos) {
        SetWindowTextW(child, label.erase(at, 4).c_str());
      } else if (const std::size_t amp = label.find(L"&A"); amp != std::wstring::npos) {
        SetWindowTextW(child, label.erase(amp, 1).c_str());
      }
    }
    // Right of Cancel, in place of the chooser's Help button (hidden: there is no help).
    RECT place = ChildRect(dialog, GetDlgItem(dialog, IDCANCEL));
    OffsetRect(&place, place.right - place.left + 6, 0);
    if (HWND help = GetDlgItem(dialog, kChooserHelpButton)) ShowWindow(help, SW_HIDE);
    AddControl(dialog, L"BUTTON", Wide(LoadText(kApplyString)), WS_TABSTOP | BS_PUSHBUTTON, place, kApplyButton);
    CentreOver(dialog, GetParent(dialog) ? GetParent(dialog) : self->parent_);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kApplyButton && HIWORD(wParam) == BN_CLICKED) {
    auto* self = reinterpret_cast<Toolbar*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    const auto field = [&](int id) { return static_cast<BYTE>(std::min(255u, GetDlgItemInt(dialog, id, nullptr, FALSE))); };
    if (self) self->ApplyBackground(RGB(field(kRedField), field(kGreenField), field(kBlueField)));
    return TRUE;
  }
  return FALSE;
}

void Toolbar::ChooseBackground(HWND owner) {
  if (!toolbar_) return;
  const COLORREF opened = settings_->toolbarBackground;
  const COLORREF fallback = DefaultSettings(modern_).toolbarBackground;
  COLORREF custom[kCustomColourCount];
  for (int i = 0; i < kCustomColourCount; ++i)
    custom[i] = static_cast<COLORREF>(profile_->ReadInt(kOptionsSection, CustomColourKey(i), static_cast<int>(fallback)));
  CHOOSECOLORW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = owner;
  chooser.rgbResult = opened;
  chooser.lpCustColors = custom;
  chooser.Flags = CC_FULLOPEN | CC_RGBINIT | CC_ENABLEHOOK;
  chooser.lCustData = reinterpret_cast<LPARAM>(this);
  chooser.lpfnHook = ColourHook;
  ModalScope modal;
  if (!ChooseColorW(&chooser)) return;  // a colour applied with the added button stays in use
  const bool differsFromInUse = chooser.rgbResult != settings_->toolbarBackground;
  if (differsFromInUse) ApplyBackground(chooser.rgbResult);
  // Also when the added button already put it in use: OK keeps the choice.
  if (differsFromInUse || chooser.rgbResult != opened)
    profile_->WriteInt(kOptionsSection, kBackgroundKey, chooser.rgbResult);
  for (int i = 0; i < kCustomColourCount; ++i) profile_->WriteInt(kOptionsSection, CustomColourKey(i), custom[i]);
}

}  // namespace wayloom
