#include "shell/dialogs/CheckOptionsDialog.h"

#include <string>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kSimilarNames = 5200, kNearDistance = 5201, kDistanceEdit = 5202;
constexpr int kLargeUnit = 5203, kSmallUnit = 5204, kBlankCoordinates = 5205;
constexpr int kFirstUnitString = 14700;  // "km", "m", "mi", "ft"

struct CheckDialogState {
  CheckOptions* options;
  std::size_t rows;
  bool metric;
};

void Enable(HWND dialog, int control, bool on) { EnableWindow(GetDlgItem(dialog, control), on); }
void Tick(HWND dialog, int control, bool on) { CheckDlgButton(dialog, control, on ? BST_CHECKED : BST_UNCHECKED); }

// The three boxes and the unit as the dialog shows them.
CheckOptions Shown(HWND dialog, const CheckDialogState& state) {
  CheckOptions shown = *state.options;
  shown.similarNames = IsTicked(dialog, kSimilarNames);
  shown.nearDistance = IsTicked(dialog, kNearDistance);
  shown.blankCoordinates = IsTicked(dialog, kBlankCoordinates);
  shown.distanceUnit = CheckUnitForRadio(IsTicked(dialog, kLargeUnit), state.metric);
  return shown;
}

void ApplyEnableRules(HWND dialog, const CheckDialogState& state) {
  const CheckDialogControls on = CheckDialogEnabling(Shown(dialog, state), state.rows);
  Enable(dialog, kSimilarNames, on.pairChecks);
  Enable(dialog, kNearDistance, on.pairChecks);
  for (int control : {kDistanceEdit, kLargeUnit, kSmallUnit}) Enable(dialog, control, on.distance);
  Enable(dialog, IDOK, on.ok);
}

void Initialise(HWND dialog, const CheckDialogState& state) {
  const CheckOptions& options = *state.options;
  const bool pairs = CheckDialogEnabling(options, state.rows).pairChecks;
  Tick(dialog, kSimilarNames, pairs && options.similarNames);
  Tick(dialog, kNearDistance, pairs && options.nearDistance);
  Tick(dialog, kBlankCoordinates, options.blankCoordinates);
  SendDlgItemMessageW(dialog, kDistanceEdit, EM_LIMITTEXT, kMaxCheckDistanceDigits, 0);
  SetDlgItemTextW(dialog, kDistanceEdit, std::to_wstring(options.distanceValue).c_str());
  const int firstUnit = kFirstUnitString + (state.metric ? 0 : 2);
  SetDlgItemTextW(dialog, kLargeUnit, ToWide(LoadText(firstUnit)).c_str());
  SetDlgItemTextW(dialog, kSmallUnit, ToWide(LoadText(firstUnit + 1)).c_str());
  CheckRadioButton(dialog, kLargeUnit, kSmallUnit, IsLargeCheckUnit(options.distanceUnit) ? kLargeUnit : kSmallUnit);
  ApplyEnableRules(dialog, state);
}

// OK: the options change only when the distance reads; otherwise the message, and the
// dialog stays open with the text selected.
bool Accept(HWND dialog, const CheckDialogState& state) {
  CheckOptions chosen = Shown(dialog, state);
  if (const int message = AcceptCheckOptions(chosen, DialogItemText(dialog, kDistanceEdit))) {
    const std::wstring text = ToWide(LoadText(message));
    const std::wstring caption = ToWide(LoadText(kProductNameString));
    MessageBoxW(dialog, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    SendDlgItemMessageW(dialog, kDistanceEdit, EM_SETSEL, 0, -1);
    SetFocus(GetDlgItem(dialog, kDistanceEdit));
    return false;
  }
  *state.options = chosen;
  return true;
}

INT_PTR CALLBACK CheckOptionsProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<CheckDialogState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame || message != WM_COMMAND) return FALSE;
  const auto& state = *static_cast<CheckDialogState*>(frame->data);
  switch (LOWORD(wParam)) {
    case kSimilarNames:
    case kNearDistance:
    case kBlankCoordinates:
      ApplyEnableRules(dialog, state);
      return TRUE;
    case IDOK:
      if (Accept(dialog, state)) CloseDialogFrame(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseDialogFrame(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

bool RunCheckOptionsDialog(HINSTANCE instance, DialogFrame& frame, CheckOptions& options, std::size_t rowCount,
                           bool metric) {
  CheckDialogState state{&options, rowCount, metric};
  return RunFramedDialog(instance, kCheckOptionsDialogId, frame, &state, CheckOptionsProcedure);
}

}  // namespace wayloom
