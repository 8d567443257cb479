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
  EnableWindow(GetDlgItem(dialog, IDC_PATH_TRACK_ENTRIES), IsTicked(dialog, IDC_PATH_TRACK));
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
  choice.answer = IsTicked(dialog, IDC_PATH_TRACK) ? PathAnswer::Track : PathAnswer::RoutePoints;
  BOOL translated = FALSE;
  const UINT entries = GetDlgItemInt(dialog, IDC_PATH_TRACK_ENTRIES, &translated, FALSE);
  if (translated && entries > 0) choice.trackEntries = entries;
}

INT_PTR CALLBACK PathChoiceProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<PathChoiceState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  auto& state = *static_cast<PathChoiceState*>(frame->data);
  switch (LOWORD(wParam)) {
    case IDC_PATH_ROUTE:
    case IDC_PATH_TRACK:
      EnableEntries(dialog);
      return TRUE;
    case IDOK:
      ReadChoice(dialog, state.choice);
      CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

PathChoice RunPathChoiceDialog(HINSTANCE instance, DialogFrame& frame, TextView question, const PathSummary& summary) {
  PathChoiceState state{question, summary, PathChoice()};
  if (!RunFramedDialog(instance, IDD_PATH_CHOICE, frame, &state, PathChoiceProcedure)) return PathChoice();
  return state.choice;
}

}  // namespace wayloom
