#include "shell/dialogs/ClearFieldsDialog.h"

namespace wayloom {
namespace {

constexpr int kLeading = 5100, kTrailing = 5101, kLongitude = 5102, kLatitude = 5103;

bool Ticked(HWND dialog, int box) { return IsDlgButtonChecked(dialog, box) == BST_CHECKED; }

ClearFieldsChoice Choice(HWND dialog) {
  return {Ticked(dialog, kLeading), Ticked(dialog, kTrailing), Ticked(dialog, kLongitude), Ticked(dialog, kLatitude)};
}

void UpdateOk(HWND dialog) {
  const ClearFieldsChoice choice = Choice(dialog);
  EnableWindow(GetDlgItem(dialog, IDOK),
               choice.leadingNumber || choice.trailingNumber || choice.longitude || choice.latitude);
}

INT_PTR CALLBACK ClearFieldsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    UpdateOk(dialog);
    OpenDialogFrame(dialog, *reinterpret_cast<DialogFrame*>(lParam));
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kLeading:
    case kTrailing:
    case kLongitude:
    case kLatitude:
      UpdateOk(dialog);
      return TRUE;
    case IDOK:
      *static_cast<ClearFieldsChoice*>(frame->data) = Choice(dialog);
      CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<ClearFieldsChoice> RunClearFieldsDialog(HINSTANCE instance, DialogFrame& frame) {
  ClearFieldsChoice choice;
  frame.data = &choice;
  if (DialogBoxParamW(instance, MAKEINTRESOURCEW(kClearFieldsDialogId), frame.owner, ClearFieldsProcedure,
                      reinterpret_cast<LPARAM>(&frame)) != IDOK)
    return std::nullopt;
  return choice;
}

}  // namespace wayloom
