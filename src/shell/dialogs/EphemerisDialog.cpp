#include "shell/dialogs/EphemerisDialog.h"

#include <dbt.h>

#include <vector>

#include "core/StringTable.h"
#include "device/EphemerisUpdate.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32DeviceFiles.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace {

constexpr int kStatus = 5400, kChipGroup = 5401, kGlobalLocate = 5402, kSirf = 5403;
constexpr int kSaveToLabel = 5404, kDriveList = 5405, kFolderShown = 5406, kSave = 5407, kRetry = 4;
constexpr UINT_PTR kStepTimer = 1;
constexpr UINT kStepMilliseconds = 500;
constexpr int kWorkingString = 13136;
constexpr int kReadyString = 13100;
constexpr int kCloseString = 14275;

struct EphemerisDialogState {
  MainWindowState& window;
  EphemerisServices& services;
  EphemerisState update;
  std::vector<Text> drives;  // the drive list's entries
};

void Enable(HWND dialog, int control, bool on) { EnableWindow(GetDlgItem(dialog, control), on); }

void ShowMarqueeBar(EphemerisDialogState& state, bool shown) {
  if (HWND marquee = state.window.statusBar.Marquee()) ShowWindow(marquee, shown ? SW_SHOWNA : SW_HIDE);
}

void ShowFolderOf(HWND dialog, const EphemerisDialogState& state, std::size_t drive) {
  const Text folder = drive < state.drives.size() ? EphemerisFolder(state.drives[drive]) : Text();
  SetDlgItemTextW(dialog, kFolderShown, WidePointer(folder));
}

void FillDriveList(HWND dialog, EphemerisDialogState& state) {
  HWND list = GetDlgItem(dialog, kDriveList);
  const bool dropped = SendMessageW(list, CB_GETDROPPEDSTATE, 0, 0) != 0;
  if (dropped) SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  state.drives.clear();
  wchar_t buffer[512] = {};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(buffer) - 1), buffer);
  for (const wchar_t* drive = buffer; length < std::size(buffer) && *drive; drive += wcslen(drive) + 1) {
    state.drives.push_back(FromWide(drive));
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
  }
  SendMessageW(list, CB_SETCURSEL, 0, 0);
  ShowFolderOf(dialog, state, 0);
  if (dropped) SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
}

constexpr int kAllControls[] = {kChipGroup, kGlobalLocate, kSirf, kSaveToLabel, kDriveList, kFolderShown, kSave,
                                kRetry,     IDCANCEL};

void EnterBusy(HWND dialog, EphemerisDialogState& state) {
  SetTimer(dialog, kStepTimer, kStepMilliseconds, nullptr);
  ShowMarqueeBar(state, true);
  for (int control : kAllControls) Enable(dialog, control, false);
  // With every control disabled the dialog keeps the focus itself, so that Esc arrives as a
  // key press that the download's polls see (without a focus it would be a system key).
  SetFocus(dialog);
}

void EnterIdle(HWND dialog, EphemerisDialogState& state) {
  KillTimer(dialog, kStepTimer);
  ShowMarqueeBar(state, false);
  for (int control : {kChipGroup, kGlobalLocate, kSirf, kRetry, static_cast<int>(IDCANCEL)})
    Enable(dialog, control, true);
  const bool drives = !state.drives.empty();
  for (int control = kSaveToLabel; control <= kSave; ++control) Enable(dialog, control, drives);
  SetFocus(dialog);
}

void Finish(HWND dialog, EphemerisDialogState& state) {
  KillTimer(dialog, kStepTimer);
  ShowMarqueeBar(state, false);
  state.window.statusBar.SetText(0, LoadText(kReadyString));
  HWND close = GetDlgItem(dialog, IDCANCEL);
  SetWindowTextW(close, WidePointer(Text(LoadText(kCloseString))));
  EnableWindow(close, TRUE);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(close), TRUE);
}

void Close(HWND dialog, EphemerisDialogState& state) {
  KillTimer(dialog, kStepTimer);
  DeleteFileW(WidePointer(state.update.cabPath));
  CloseDialogFrame(dialog, IDCANCEL);
}

class DialogView : public EphemerisView {
 public:
  DialogView(HWND dialog, EphemerisDialogState& state) : dialog_(dialog), state_(state) {}
  void ShowStatus(TextView text) override {
    SetDlgItemTextW(dialog_, kStatus, ToWide(text).c_str());
    UpdateWindow(GetDlgItem(dialog_, kStatus));
  }
  bool PollStop() override {
    // The marquee moves on its own timer, which the poll does not dispatch otherwise.
    MSG message;
    if (HWND marquee = state_.window.statusBar.Marquee())
      while (PeekMessageW(&message, marquee, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&message);
    return state_.window.ui.PollStop(true);
  }
  void ShowDetected(ChipKind kind, std::size_t drive) override {
    CheckRadioButton(dialog_, kGlobalLocate, kSirf, kind == ChipKind::GlobalLocate ? kGlobalLocate : kSirf);
    SendDlgItemMessageW(dialog_, kDriveList, CB_SETCURSEL, drive, 0);
    SetDlgItemTextW(dialog_, kFolderShown, WidePointer(state_.update.folder));
  }

 private:
  HWND dialog_;
  EphemerisDialogState& state_;
};

void RunStep(HWND dialog, EphemerisDialogState& state) {
  DialogView view(dialog, state);
  const EphemerisTick tick = RunEphemerisStep(state.update, state.services, view, state.drives);
  switch (tick.outcome) {
    case EphemerisOutcome::Working:
      break;
    case EphemerisOutcome::Failed:
      SetDlgItemTextW(dialog, kStatus, WidePointer(tick.message));
      EnterIdle(dialog, state);
      break;
    case EphemerisOutcome::Done:
      Finish(dialog, state);
      break;
    case EphemerisOutcome::Stopped:
      Close(dialog, state);
      break;
  }
}

void OnCommand(HWND dialog, EphemerisDialogState& state, int control, int code) {
  switch (control) {
    case kGlobalLocate:
    case kSirf:
      if (code == BN_CLICKED) CheckRadioButton(dialog, kGlobalLocate, kSirf, control);
      break;
    case kDriveList:
      if (code == CBN_SELCHANGE) {
        const LRESULT chosen = SendDlgItemMessageW(dialog, kDriveList, CB_GETCURSEL, 0, 0);
        if (chosen >= 0) ShowFolderOf(dialog, state, static_cast<std::size_t>(chosen));
      }
      break;
    case kSave:
      ChooseEphemerisTarget(state.update, DialogItemText(dialog, kFolderShown),
                            IsTicked(dialog, kGlobalLocate) ? ChipKind::GlobalLocate : ChipKind::SirfStarIII);
      EnterBusy(dialog, state);
      break;
    case kRetry:
      if (!EphemerisStepFailed(state.update)) break;
      RetryEphemerisStep(state.update);
      EnterBusy(dialog, state);
      break;
    case IDCANCEL:
      // While busy Cancel is disabled, and so are Esc and the close box.
      if (IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) Close(dialog, state);
      break;
  }
}

INT_PTR CALLBACK EphemerisProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    auto& state = *static_cast<EphemerisDialogState*>(frame->data);
    CheckDlgButton(dialog, kGlobalLocate, BST_CHECKED);
    FillDriveList(dialog, state);
    EnterBusy(dialog, state);
    OpenDialogFrame(dialog, *frame);
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame) return FALSE;
  auto& state = *static_cast<EphemerisDialogState*>(frame->data);
  switch (message) {
    case WM_TIMER:
      if (wParam == kStepTimer) RunStep(dialog, state);
      return TRUE;
    case WM_COMMAND:
      OnCommand(dialog, state, LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DEVICECHANGE:
      // Plugging the device in while an error shows retries the failed step.
      if (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE) {
        FillDriveList(dialog, state);
        HWND retry = GetDlgItem(dialog, kRetry);
        if (IsWindowEnabled(retry)) SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kRetry, BN_CLICKED), reinterpret_cast<LPARAM>(retry));
      }
      SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
  }
  return FALSE;
}

Text TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
  return length > 0 && length <= MAX_PATH ? FromWide(buffer) : Text();
}

}  // namespace

void UpdateEphemeris(MainWindowState& state) {
  Win32DeviceFiles files;
  EphemerisServices services{files, state.http, state.clock, Text(LoadText(kProductNameString)),
                             EphemerisHost(&state.profile)};
  EphemerisDialogState dialogState{state, services, StartEphemerisUpdate(TempFolder()), {}};
  DialogFrame frame = state.ui.FrameFor(IDM_UPDATE_EPHEMERIS);
  state.ui.PressToolbarButton(IDM_UPDATE_EPHEMERIS, true);
  state.ui.ShowMarquee(LoadText(kWorkingString));
  RunFramedDialog(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(state.window, GWLP_HINSTANCE)), kEphemerisDialogId,
                  frame, &dialogState, EphemerisProcedure);
  state.ui.EndProgress();  // the marquee goes, the status text is reset
  state.ui.PressToolbarButton(IDM_UPDATE_EPHEMERIS, false);
}

}  // namespace wayloom
