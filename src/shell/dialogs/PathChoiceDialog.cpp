#include "shell/dialogs/PathChoiceDialog.h"

#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kCaptionString = 14600;
constexpr int kRouteString = 14607;
constexpr int kTrackString = 14608;
constexpr int kEntriesUnitString = 14609;
constexpr int kOkString = 14610;
constexpr int kCancelString = 14611;

struct PathChoiceState {
  TextView question;
  PathSummary summary;
  PathChoice choice;
};

void SetText(HWND dialog, int control, TextView text) {
  const Text copy(text);
  SetDlgItemTextW(dialog, control, WidePointer(copy));
}

void EnableEntries(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_PATH_TRACK_ENTRIES), IsDlgButtonChecked(dialog, IDC_PATH_TRACK) == BST_CHECKED);
}

void Initialise(HWND dialog, const PathChoiceState& state) {
  const Text caption(LoadText(kCaptionString));
  SetWindowTextW(dialog, WidePointer(caption));
  SetText(dialog, IDC_PATH_QUESTION, state.question);
  SetText(dialog, IDC_PATH_ROUTE, LoadText(kRouteString));
  SetText(dialog, IDC_PATH_TRACK, LoadText(kTrackString));
  SetText(dialog, IDC_PATH_ENTRIES_UNIT, LoadText(kEntriesUnitString));
  SetText(dialog, IDOK, LoadText(kOkString));
  SetText(dialog, IDCANCEL, LoadText(kCancelString));
  SetDlgItemInt(dialog, IDC_PATH_TRACK_ENTRIES, static_cast<UINT>(state.choice.trackEntries), FALSE);
  const bool routes = state.summary.routePoints > 0, tracks = state.summary.trackPoints > 0;
  EnableWindow(GetDlgItem(dialog, IDC_PATH_ROUTE), routes);
  EnableWindow(GetDlgItem(dialog, IDC_PATH_TRACK), tracks);
  CheckRadioButton(dialog, IDC_PATH_ROUTE, IDC_PATH_TRACK, routes ? IDC_PATH_ROUTE : IDC_PATH_TRACK);
  EnableEntries(dialog);
}

// Copies the controls into the choice; an empty or zero count keeps the default (the
// reduction itself never keeps fewer than both ends).
void ReadChoice(HWND dialog, PathChoice& choice) {
  const bool track = IsDlgButtonChecked(dialog, IDC_PATH_TRACK) == BST_CHECKED;
  choice.answer = track ? PathAnswer::Track : PathAnswer::RoutePoints;
  BOOL translated = FALSE;
  const UINT entries = GetDlgItemInt(dialog, IDC_PATH_TRACK_ENTRIES, &translated, FALSE);
  if (translated && entries > 0) choice.trackEntries = entries;
}

INT_PTR CALLBACK PathChoiceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<PathChoiceState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      Initialise(dialog, *reinterpret_cast<PathChoiceState*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_PATH_ROUTE:
        case IDC_PATH_TRACK: EnableEntries(dialog); return TRUE;
        case IDOK: ReadChoice(dialog, state->choice); EndDialog(dialog, IDOK); return TRUE;
        case IDCANCEL: state->choice.answer = PathAnswer::Cancel; EndDialog(dialog, IDCANCEL); return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

PathChoice ShowPathChoiceDialog(HWND owner, TextView question, const PathSummary& summary) {
  PathChoiceState state{question, summary, PathChoice()};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PATH_CHOICE), owner,
                                         PathChoiceProc, reinterpret_cast<LPARAM>(&state));
  if (result != IDOK) return PathChoice();
  return state.choice;
}

}  // namespace wayloom
