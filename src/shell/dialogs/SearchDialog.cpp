#include "shell/dialogs/SearchDialog.h"

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kFindEdit = 5150, kReplaceEdit = 5151, kMatchCase = 5152, kNamesOnly = 5153, kAllMatches = 5154;
constexpr int kTextLimit = 255;

struct SearchState {
  SearchOptions options;
  bool replacing;
};

void UpdateOk(HWND dialog) { EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, kFindEdit)) > 0); }

void Initialise(HWND dialog, const SearchState& state) {
  const SearchOptions& options = state.options;
  for (int edit : {kFindEdit, kReplaceEdit}) SendDlgItemMessageW(dialog, edit, EM_SETLIMITTEXT, kTextLimit, 0);
  SetDlgItemTextW(dialog, kFindEdit, ToWide(options.findText).c_str());
  if (state.replacing) SetDlgItemTextW(dialog, kReplaceEdit, ToWide(options.replaceText).c_str());
  CheckDlgButton(dialog, kMatchCase, options.matchCase ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kNamesOnly, options.namesOnly ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kAllMatches, options.allMatches ? BST_CHECKED : BST_UNCHECKED);
  UpdateOk(dialog);
  SetFocus(GetDlgItem(dialog, kFindEdit));
  SendDlgItemMessageW(dialog, kFindEdit, EM_SETSEL, 0, -1);
}

INT_PTR CALLBACK SearchProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<SearchState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    return FALSE;  // the focus is on the find text
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  auto& state = *static_cast<SearchState*>(frame->data);
  switch (LOWORD(wParam)) {
    case kFindEdit:
      if (HIWORD(wParam) == EN_CHANGE) UpdateOk(dialog);
      return TRUE;
    case IDOK:
      state.options.findText = DialogItemText(dialog, kFindEdit);
      if (state.replacing) state.options.replaceText = DialogItemText(dialog, kReplaceEdit);
      state.options.matchCase = IsTicked(dialog, kMatchCase);
      state.options.namesOnly = IsTicked(dialog, kNamesOnly);
      state.options.allMatches = IsTicked(dialog, kAllMatches);
      CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<SearchOptions> RunSearchDialog(HINSTANCE instance, DialogFrame& frame, const SearchOptions& shown,
                                             bool replacing) {
  SearchState state{shown, replacing};
  if (!RunFramedDialog(instance, replacing ? kReplaceDialogId : kFindDialogId, frame, &state, SearchProcedure))
    return std::nullopt;
  return state.options;
}

}  // namespace wayloom
