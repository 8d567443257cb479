// The table: a virtual (owner-data) list view that shows the rows of the document's
// ItineraryTable. The rows own selection and focus; the control mirrors them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/DocumentState.h"

namespace wayloom {

class TableView {
 public:
  TableView(DocumentState& doc, bool modernVisuals) : doc_(doc), modernVisuals_(modernVisuals) {}

  bool Create(HWND parent, HINSTANCE instance);
  HWND Handle() const { return list_; }

  // Widths, alignment and display order of a new document.
  void ResetColumns();
  // Row count, selection and focus from the table to the control.
  void SyncFromTable();
  void EnsureRowVisible(long long row);
  void SuspendRedraw(bool suspend);

  // Notifications of the control (WM_NOTIFY); returns the message result.
  LRESULT OnNotify(const NMHDR& header);

 private:
  void FillCell(NMLVDISPINFOW& info) const;
  void OnItemChanged(const NMLISTVIEW& change);
  void OnRangeStateChanged(const NMLVODSTATECHANGE& change);
  void InsertColumns();

  DocumentState& doc_;
  bool modernVisuals_;
  HWND list_ = nullptr;
  // Set while the control is being told the rows' selection, so its echoes are ignored.
  bool pushingSelection_ = false;
};

}  // namespace wayloom
