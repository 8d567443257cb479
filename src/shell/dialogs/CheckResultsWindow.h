// The modeless check-results window (6007): the entries of one group of the itinerary
// checks, in a list that follows the table, with Delete, Delete all, Go to, Continue and
// Cancel down its right edge. Its placement is kept in the ini section "Check ITN".
#pragma once

#include <functional>

#include "editing/ItineraryChecks.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kCheckResultsDialogId = 6007;

// What the window needs of the main window.
struct CheckWindowHost {
  CommandContext* context = nullptr;  // the buttons' commands; profile: the placement
  HWND table = nullptr;               // the list takes its font, colours and status images
  std::function<void()> activated;    // an open cell editor gives way
};

class CheckResultsWindow {
 public:
  CheckResultsWindow() = default;
  CheckResultsWindow(const CheckResultsWindow&) = delete;
  CheckResultsWindow& operator=(const CheckResultsWindow&) = delete;
  ~CheckResultsWindow();

  HWND Handle() const { return window_; }
  // Creates the window on first use; then the group's title and columns, shown, active,
  // the list focused. frame gives owner, icon and fading.
  void Show(CheckResults& results, const DialogFrame& frame, const CheckWindowHost& host);
  // The items changed: the list's count, selection and buttons again.
  void Refresh(CheckResults& results);
  // Continue: faded out, the placement written, hidden, the owner activated.
  void Hide();
  // The run ended: the placement written and the window destroyed.
  void Close();

 private:
  static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int control);
  LRESULT OnNotify(const NMHDR& header);
  void FillItem(LVITEMW& item) const;
  void ReadSelection();
  void ShowSortMark();
  void FitColumns();
  void Layout();
  void UpdateButtons();
  void WritePlacement() const;
  HWND Item(int control) const { return GetDlgItem(window_, control); }

  HWND window_ = nullptr;
  HWND list_ = nullptr;
  CheckResults* results_ = nullptr;
  DialogFrame frame_;
  CheckWindowHost host_;
  bool syncing_ = false;  // the list's selection is being set from the items
};

}  // namespace wayloom
