#include "shell/dialogs/ClearFieldsDialog.h"

namespace wayloom {
namespace {

constexpr int kLeading = 5100, kTrailing = 5101, kLongitude = 5102, kLatitude = 5103;

ClearFieldsChoice Choice(HWND dialog) {
  return {IsTicked(dialog, kLeading), IsTicked(dialog, kTrailing), IsTicked(dialog, kLongitude),
          IsTicked(dialog, kLatitude)};
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
  if (!RunFramedDialog(instance, kClearFieldsDialogId, frame, &choice, ClearFieldsProcedure)) return std::nullopt;
  return choice;
}

}  // namespace wayloom
