#include "shell/DialogSupport.h"

#include "core/WindowPlacement.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr BYTE kFadeStep = 16;
constexpr DWORD kFadeMilliseconds = 20;
constexpr BYTE kDialogAlpha = 243;

Rect RectOf(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }

// The hook is a child of the file dialog; the frame comes with WM_INITDIALOG.
UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<const OPENFILENAMEW*>(lParam)->lCustData);
    return TRUE;
  }
  auto* frame = reinterpret_cast<DialogFrame*>(GetWindowLongPtrW(hook, DWLP_USER));
  if (!frame) return 0;
  HWND dialog = GetParent(hook);
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE) {
    if (frame->smallImages && frame->image >= 0 && !frame->icon) {
      frame->icon = ImageList_GetIcon(frame->smallImages, frame->image, ILD_NORMAL);
      if (frame->icon) SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frame->icon));
    }
    CentreDialog(dialog);
    FadeWindowIn(dialog, frame->fade, kDialogAlpha, SW_SHOW);
  } else if (message == WM_DESTROY) {
    FadeWindowOut(dialog, frame->fade);
    if (frame->icon) DestroyIcon(frame->icon);
    frame->icon = nullptr;
  }
  return 0;
}

}  // namespace

void CentreDialog(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  RECT ownerRect{}, own{}, work{};
  GetWindowRect(owner ? owner : GetDesktopWindow(), &ownerRect);
  GetWindowRect(window, &own);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Point at = CentredDialogPosition(RectOf(ownerRect), own.right - own.left, own.bottom - own.top, RectOf(work));
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER);
}

void FadeWindowIn(HWND window, bool fade, BYTE alpha, int showCommand) {
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (!fade) {
    if (style & WS_EX_LAYERED) SetWindowLongPtrW(window, GWL_EXSTYLE, style & ~WS_EX_LAYERED);
    return;
  }
  SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  for (int level = 0; level < alpha;) {
    level = level + kFadeStep > alpha ? alpha : level + kFadeStep;
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(level), LWA_ALPHA);
    Sleep(kFadeMilliseconds);
  }
}

void FadeWindowOut(HWND window, bool fade) {
  if (!fade || !(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED)) return;
  UpdateWindow(window);
  for (int level = kDialogAlpha; level > 0;) {
    level = level > kFadeStep ? level - kFadeStep : 0;
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(level), LWA_ALPHA);
    Sleep(kFadeMilliseconds);
  }
}

void OpenDialogFrame(HWND dialog, DialogFrame& frame) {
  SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&frame));
  DecorateDialog(dialog, frame);
}

void DecorateDialog(HWND dialog, DialogFrame& frame) {
  if (frame.smallImages && frame.image >= 0) {
    frame.icon = ImageList_GetIcon(frame.smallImages, frame.image, ILD_NORMAL);
    if (frame.icon) SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(frame.icon));
  }
  // A question asked in the middle of a read has no command of its own: the program's icon.
  if (!frame.icon && frame.owner)
    SendMessageW(dialog, WM_SETICON, ICON_SMALL, static_cast<LPARAM>(GetClassLongPtrW(frame.owner, GCLP_HICONSM)));
  CentreDialog(dialog);
  FadeWindowIn(dialog, frame.fade, kDialogAlpha, SW_SHOW);
}

void FrameFileDialog(OPENFILENAMEW& dialog, DialogFrame& frame) {
  dialog.Flags |= OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING | OFN_HIDEREADONLY;
  dialog.lpfnHook = FileDialogHook;
  dialog.lCustData = reinterpret_cast<LPARAM>(&frame);
}

DialogFrame* FrameOf(HWND dialog) { return reinterpret_cast<DialogFrame*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

namespace {
int openModals = 0;  // only the user-interface thread opens dialogs
}  // namespace

int OpenModalCount() { return openModals; }
ModalScope::ModalScope() { ++openModals; }
ModalScope::~ModalScope() { --openModals; }

bool RunFramedDialog(HINSTANCE instance, int id, DialogFrame& frame, void* data, DLGPROC procedure) {
  frame.data = data;
  ModalScope modal;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(id), frame.owner, procedure, reinterpret_cast<LPARAM>(&frame)) ==
         IDOK;
}

Text DialogItemText(HWND dialog, int control) {
  HWND item = GetDlgItem(dialog, control);
  const int length = GetWindowTextLengthW(item);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

bool IsTicked(HWND dialog, int control) { return IsDlgButtonChecked(dialog, control) == BST_CHECKED; }

void CloseDialogFrame(HWND dialog, INT_PTR result) {
  if (DialogFrame* frame = FrameOf(dialog)) UndecorateDialog(dialog, *frame);
  EndDialog(dialog, result);
}

void UndecorateDialog(HWND dialog, DialogFrame& frame) {
  FadeWindowOut(dialog, frame.fade);
  if (frame.icon) DestroyIcon(frame.icon);
  frame.icon = nullptr;
}

}  // namespace wayloom
