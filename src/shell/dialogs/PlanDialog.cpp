#include "shell/dialogs/PlanDialog.h"

namespace wayloom {
namespace {

constexpr int kRoundTrip = 5300, kRoundTripLabel = 5301, kOneWay = 5302, kOneWayLabel = 5303;
constexpr int kFixedLast = 5304, kFixedLastLabel = 5305, kRoad = 5306, kStraightLine = 5307, kShortest = 5308;
constexpr std::size_t kMaxRoadRows = 10;

struct PlanDialogState {
  PlanOptions* options;
  std::size_t rows;
};

void Enable(HWND dialog, int control, bool on) { EnableWindow(GetDlgItem(dialog, control), on); }

// The labels and the fixed-last box follow the trip chosen.
void ApplyEnableRules(HWND dialog) {
  const bool round = IsTicked(dialog, kRoundTrip);
  Enable(dialog, kRoundTripLabel, round);
  Enable(dialog, kOneWayLabel, !round);
  Enable(dialog, kFixedLast, !round);
  Enable(dialog, kFixedLastLabel, !round && IsTicked(dialog, kFixedLast));
}

void Initialise(HWND dialog, const PlanDialogState& state) {
  const PlanOptions& options = *state.options;
  CheckRadioButton(dialog, kRoundTrip, kOneWay, options.roundTrip ? kRoundTrip : kOneWay);
  CheckDlgButton(dialog, kFixedLast, options.fixedLast ? BST_CHECKED : BST_UNCHECKED);
  if (state.rows > kMaxRoadRows) {
    state.options->roadDistance = false;
    Enable(dialog, kRoad, false);
  }
  CheckRadioButton(dialog, kRoad, kStraightLine, state.options->roadDistance ? kRoad : kStraightLine);
  CheckDlgButton(dialog, kShortest, options.shortestRoute ? BST_CHECKED : BST_UNCHECKED);
  ApplyEnableRules(dialog);
}

INT_PTR CALLBACK PlanProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* frame = reinterpret_cast<DialogFrame*>(lParam);
    Initialise(dialog, *static_cast<PlanDialogState*>(frame->data));
    OpenDialogFrame(dialog, *frame);
    return TRUE;
  }
  DialogFrame* frame = FrameOf(dialog);
  if (!frame) return FALSE;
  auto* state = static_cast<PlanDialogState*>(frame->data);
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kRoundTrip:
        case kOneWay:
          CheckRadioButton(dialog, kRoundTrip, kOneWay, LOWORD(wParam));
          ApplyEnableRules(dialog);
          return TRUE;
        case kFixedLast:
          ApplyEnableRules(dialog);
          return TRUE;
        case IDOK: {
          PlanOptions& options = *state->options;
          options.roundTrip = IsTicked(dialog, kRoundTrip);
          options.fixedLast = IsTicked(dialog, kFixedLast);
          options.roadDistance = IsTicked(dialog, kRoad);
          options.shortestRoute = IsTicked(dialog, kShortest);
          CloseDialogFrame(dialog, IDOK);
          return TRUE;
        }
        case IDCANCEL:
          CloseDialogFrame(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool RunPlanDialog(HINSTANCE instance, DialogFrame& frame, PlanOptions& options, std::size_t rowCount) {
  PlanDialogState state{&options, rowCount};
  return RunFramedDialog(instance, kPlanDialogId, frame, &state, PlanProcedure);
}

}  // namespace wayloom
