#include "shell/dialogs/MergeFieldsDialog.h"

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kPrefixList = 5050, kPrefixEdit = 5051, kSuffixList = 5052, kSuffixEdit = 5053;
constexpr int kTextLimit = 255, kSequenceLimit = 9;
// The lists' entries in order: the prefix offers text, sequence, name; the suffix name,
// text, sequence.
constexpr MergeField kPrefixFields[] = {MergeField::Text, MergeField::Sequence, MergeField::Name};
constexpr MergeField kSuffixFields[] = {MergeField::Name, MergeField::Text, MergeField::Sequence};
constexpr int kFirstFieldNameString = 14650;  // 文字, 序號, 名稱 in MergeField order

MergeField FieldOf(HWND dialog, int list) {
  const LRESULT index = SendDlgItemMessageW(dialog, list, CB_GETCURSEL, 0, 0);
  const MergeField* fields = list == kPrefixList ? kPrefixFields : kSuffixFields;
  return fields[index >= 0 && index < 3 ? index : 0];
}

MergeFieldsChoice Choice(HWND dialog) {
  MergeFieldsChoice choice;
  choice.prefix = FieldOf(dialog, kPrefixList);
  choice.suffix = FieldOf(dialog, kSuffixList);
  // The one enabled edit holds the text or the first number.
  choice.text = DialogItemText(dialog, choice.prefix != MergeField::Name ? kPrefixEdit : kSuffixEdit);
  return choice;
}

void UpdateOk(HWND dialog) { EnableWindow(GetDlgItem(dialog, IDOK), MergeFieldsAcceptable(Choice(dialog))); }

// A list's choice sets up its edit: "@" for text, "01" digits only for a sequence, nothing
// (disabled) for the name.
void FieldChosen(HWND dialog, int list, int edit) {
  const MergeField field = FieldOf(dialog, list);
  HWND control = GetDlgItem(dialog, edit);
  LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
  SetWindowLongPtrW(control, GWL_STYLE, field == MergeField::Sequence ? (style | ES_NUMBER) : (style & ~ES_NUMBER));
  SendMessageW(control, EM_SETLIMITTEXT, field == MergeField::Sequence ? kSequenceLimit : kTextLimit, 0);
  SetWindowTextW(control, field == MergeField::Text ? L"@" : field == MergeField::Sequence ? L"01" : L"");
  EnableWindow(control, field != MergeField::Name);
  UpdateOk(dialog);
}

void Initialise(HWND dialog) {
  for (int list : {kPrefixList, kSuffixList}) {
    const MergeField* fields = list == kPrefixList ? kPrefixFields : kSuffixFields;
    for (int i = 0; i < 3; ++i) {
      const std::wstring name = ToWide(LoadText(kFirstFieldNameString + static_cast<int>(fields[i])));
      SendDlgItemMessageW(dialog, list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendDlgItemMessageW(dialog, list, CB_SETCURSEL, 0, 0);
  }
  FieldChosen(dialog, kPrefixList, kPrefixEdit);
  FieldChosen(dialog, kSuffixList, kSuffixEdit);
  SetWindowTextW(GetDlgItem(dialog, kSuffixEdit), L"");
}

INT_PTR CALLBACK MergeFieldsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    Initialise(dialog);
    OpenDialogFrame(dialog, *reinterpret_cast<DialogFrame*>(lParam));
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  switch (LOWORD(wParam)) {
    case kPrefixList:
    case kSuffixList:
      if (HIWORD(wParam) == CBN_SELCHANGE)
        FieldChosen(dialog, LOWORD(wParam), LOWORD(wParam) == kPrefixList ? kPrefixEdit : kSuffixEdit);
      return TRUE;
    case kPrefixEdit:
    case kSuffixEdit:
      if (HIWORD(wParam) == EN_CHANGE) UpdateOk(dialog);
      return TRUE;
    case IDOK:
      *static_cast<MergeFieldsChoice*>(frame->data) = Choice(dialog);
      CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<MergeFieldsChoice> RunMergeFieldsDialog(HINSTANCE instance, DialogFrame& frame) {
  MergeFieldsChoice choice;
  if (!RunFramedDialog(instance, kMergeFieldsDialogId, frame, &choice, MergeFieldsProcedure)) return std::nullopt;
  return choice;
}

}  // namespace wayloom
