#include "shell/dialogs/OverwriteDialog.h"

#include "platform/Ui.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kFileNameText = 5010, kQuestionIcon = 5011;

INT_PTR CALLBACK OverwriteProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    SetDlgItemTextW(dialog, kFileNameText, WidePointer(*static_cast<const Text*>(frame->data)));
    SendDlgItemMessageW(dialog, kQuestionIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)),
                        0);
    OpenDialogFrame(dialog, *frame);
    return TRUE;  // the focus on the default button
  }
  if (message != WM_COMMAND || !FrameOf(dialog)) return FALSE;
  switch (const int button = LOWORD(wParam)) {
    case kOverwriteYes:
    case kOverwriteAll:
    case kOverwriteNo:
    case kOverwriteNone:
    case kOverwriteCancel:
      CloseDialogFrame(dialog, button);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int RunOverwriteDialog(HINSTANCE instance, DialogFrame& frame, TextView fileName) {
  Text name(fileName);
  frame.data = &name;
  const INT_PTR answer = DialogBoxParamW(instance, MAKEINTRESOURCEW(kOverwriteDialogId), frame.owner,
                                         OverwriteProcedure, reinterpret_cast<LPARAM>(&frame));
  return answer > 0 ? static_cast<int>(answer) : kOverwriteCancel;
}

}  // namespace wayloom
