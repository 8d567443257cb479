#include "shell/dialogs/DuplicateNameDialog.h"

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kQuestionLabel = 5000, kNameLabel = 5001, kQuestionIcon = 5005;
constexpr int kQuestionString = 14750;

struct DuplicateNameState {
  TextView name;
  int answer = kKeepAll;
};

INT_PTR CALLBACK DuplicateNameProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    const Text question(LoadText(kQuestionString));
    SetDlgItemTextW(dialog, kQuestionLabel, WidePointer(question));
    SendDlgItemMessageW(dialog, kQuestionIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
    SetDlgItemTextW(dialog, kNameLabel, ToWide(static_cast<DuplicateNameState*>(frame->data)->name).c_str());
    OpenDialogFrame(dialog, *frame);
    return TRUE;  // the focus on the default button, keep
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  const int button = LOWORD(wParam);
  if (button != kKeep && button != kDrop && button != kDropAll && button != kKeepAll) return FALSE;
  static_cast<DuplicateNameState*>(frame->data)->answer = button;
  CloseDialogFrame(dialog, button);
  return TRUE;
}

}  // namespace

int RunDuplicateNameDialog(HINSTANCE instance, DialogFrame& frame, TextView name) {
  DuplicateNameState state{name};
  RunFramedDialog(instance, kDuplicateNameDialogId, frame, &state, DuplicateNameProcedure);
  return state.answer;
}

}  // namespace wayloom
