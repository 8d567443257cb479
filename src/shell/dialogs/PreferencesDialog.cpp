#include "shell/dialogs/PreferencesDialog.h"

#include <commctrl.h>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kFileCountEdit = 5459, kFileCountSpin = 5460, kIntervalEdit = 5470, kIntervalSpin = 5471;
constexpr int kLanguageList = 5472, kFirstLanguageString = 14340, kLanguageCount = 9;
constexpr int kBadFileCount = 14247, kBadInterval = 14248;

// The check box of each option, in the options' order.
constexpr int kOptionBoxes[kOptionCount] = {5450, 5451, 5452, 5453, 5454, 5455, 5456, 5457, 5458, 5461, 5462,
                                            5463, 5464, 5465, 5466, 5467, 5468, 5469, 5473, 5474, 5475};

int BoxOf(Option option) { return kOptionBoxes[static_cast<int>(option)]; }

struct PreferencesState {
  Settings* settings;
  bool modern;
};

bool Ticked(HWND dialog, Option option) { return IsTicked(dialog, BoxOf(option)); }

void Enable(HWND dialog, std::initializer_list<int> controls, bool on) {
  for (int control : controls) EnableWindow(GetDlgItem(dialog, control), on);
}

// Controls that mean something only while their switch is on.
void ApplyDependants(HWND dialog, bool modern) {
  const bool toolbar = Ticked(dialog, Option::ShowToolbar);
  Enable(dialog, {BoxOf(Option::LargeToolbar), BoxOf(Option::WrapToolbar)}, toolbar);
  Enable(dialog, {BoxOf(Option::AutoBP)}, Ticked(dialog, Option::ShowDistance));
  Enable(dialog, {kFileCountEdit, kFileCountSpin, BoxOf(Option::OpenLast)}, Ticked(dialog, Option::RecentFile));
  Enable(dialog, {kIntervalEdit, kIntervalSpin}, Ticked(dialog, Option::BackupFile));
  if (modern) Enable(dialog, {BoxOf(Option::ShadeTable)}, false);  // the theme draws the rows
}

void Initialise(HWND dialog, const PreferencesState& state) {
  const Settings& settings = *state.settings;
  for (int i = 0; i < kOptionCount; ++i)
    CheckDlgButton(dialog, kOptionBoxes[i], settings.options[i] ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(dialog, kFileCountEdit, EM_SETLIMITTEXT, 1, 0);
  SendDlgItemMessageW(dialog, kFileCountSpin, UDM_SETRANGE32, 1, 9);
  SendDlgItemMessageW(dialog, kFileCountSpin, UDM_SETPOS32, 0, settings.fileCount);
  SendDlgItemMessageW(dialog, kIntervalEdit, EM_SETLIMITTEXT, 2, 0);
  SendDlgItemMessageW(dialog, kIntervalSpin, UDM_SETRANGE32, 1, 99);
  SendDlgItemMessageW(dialog, kIntervalSpin, UDM_SETPOS32, 0, settings.backupInterval);
  for (int i = 0; i < kLanguageCount; ++i) {
    const std::wstring name = ToWide(LoadText(kFirstLanguageString + i));
    SendDlgItemMessageW(dialog, kLanguageList, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  SendDlgItemMessageW(dialog, kLanguageList, CB_SETCURSEL, settings.googleMapsLang, 0);
  ApplyDependants(dialog, state.modern);
}

// A number in range from an edit, or nothing (then the message and the edit selected).
bool ReadNumber(HWND dialog, int edit, int low, int high, int message, int& value) {
  BOOL valid = FALSE;
  const UINT number = GetDlgItemInt(dialog, edit, &valid, FALSE);
  if (valid && static_cast<int>(number) >= low && static_cast<int>(number) <= high) {
    value = static_cast<int>(number);
    return true;
  }
  const std::wstring text = ToWide(LoadText(message));
  const std::wstring caption = ToWide(LoadText(kProductNameString));
  MessageBoxW(dialog, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  SendDlgItemMessageW(dialog, edit, EM_SETSEL, 0, -1);
  SetFocus(GetDlgItem(dialog, edit));
  return false;
}

bool Accept(HWND dialog, Settings& settings) {
  int fileCount = settings.fileCount, interval = settings.backupInterval;
  if (Ticked(dialog, Option::RecentFile) && !ReadNumber(dialog, kFileCountEdit, 1, 9, kBadFileCount, fileCount))
    return false;
  if (Ticked(dialog, Option::BackupFile) && !ReadNumber(dialog, kIntervalEdit, 1, 99, kBadInterval, interval))
    return false;
  for (int i = 0; i < kOptionCount; ++i) settings.options[i] = IsTicked(dialog, kOptionBoxes[i]);
  settings.fileCount = fileCount;
  settings.backupInterval = interval;
  const LRESULT language = SendDlgItemMessageW(dialog, kLanguageList, CB_GETCURSEL, 0, 0);
  if (language >= 0) settings.googleMapsLang = static_cast<int>(language);
  return true;
}

INT_PTR CALLBACK PreferencesProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<PreferencesState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  auto& state = *static_cast<PreferencesState*>(frame->data);
  const int control = LOWORD(wParam);
  if (control == BoxOf(Option::ShowToolbar) || control == BoxOf(Option::RecentFile) ||
      control == BoxOf(Option::ShowDistance) || control == BoxOf(Option::BackupFile)) {
    ApplyDependants(dialog, state.modern);
    return TRUE;
  }
  if (control == IDOK) {
    if (Accept(dialog, *state.settings)) CloseDialogFrame(dialog, IDOK);
    return TRUE;
  }
  if (control == IDCANCEL) {
    CloseDialogFrame(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

}  // namespace

bool RunPreferencesDialog(HINSTANCE instance, DialogFrame& frame, Settings& settings, bool modernVisuals) {
  PreferencesState state{&settings, modernVisuals};
  return RunFramedDialog(instance, kPreferencesDialogId, frame, &state, PreferencesProcedure);
}

}  // namespace wayloom
