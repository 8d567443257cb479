// The table: a virtual (owner-data) list view that shows the rows of the document's
// ItineraryTable. The rows own selection and focus; the control mirrors them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "core/DocumentState.h"
#include "shell/TableDrag.h"

namespace wayloom {

// What the table's own window procedure hands to the main window.
struct TableEvents {
  std::function<bool()> commitEditor;  // before a click; false (refused) swallows the click
  std::function<void()> enter;         // Enter: add an entry
  std::function<void()> scrolled;      // the editor follows its cell
  std::function<void(int column, POINT screen)> headerMenu;  // right-click on a column title (-1: none)
  std::function<void(std::size_t drop, DragEffect effect)> dropRows;  // a row drag ended inside the table
  std::function<void()> selectionChanged;  // by the user (mouse or keys), not by the program
};

class TableView {
 public:
  TableView(DocumentState& doc, bool modernVisuals)
      : doc_(doc), modernVisuals_(modernVisuals), drag_(doc, [this](std::size_t drop, DragEffect effect) {
          if (events_.dropRows) events_.dropRows(drop, effect);
        }) {}

  bool Create(HWND parent, HINSTANCE instance, TableEvents events);
  ~TableView();
  HWND Handle() const { return list_; }
  TableDrag& Drag() { return drag_; }

  // Widths, alignment and display order of a new document.
  void ResetColumns();
  // Row count, selection and focus from the table to the control.
  void SyncFromTable();
  void EnsureRowVisible(long long row);
  void SuspendRedraw(bool suspend);
  // Column widths to their contents: one column or (FitColumns) all five. A fit that is not
  // explicit happens only with "Auto Column"; the Distance column is 0 wide while hidden.
  void FitColumn(int column, bool explicitFit);
  void FitColumns(bool explicitFit);
  void ApplyColumnOrder();
  // The status images for a font height: the large set for fonts taller than 15 pixels.
  void ChooseStatusImages(int fontHeight);
  // The header's sort arrow on column (-1: none).
  void ShowSortArrow(int column, bool ascending);

  // Notifications of the control (WM_NOTIFY); returns the message result.
  LRESULT OnNotify(const NMHDR& header);

 private:
  void FillCell(NMLVDISPINFOW& info) const;
  LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
  void DrawBaseGlyph(const NMLVCUSTOMDRAW& draw) const;
  void OnItemChanged(const NMLISTVIEW& change);
  void OnRangeStateChanged(const NMLVODSTATECHANGE& change);
  void InsertColumns();
  static LRESULT CALLBACK Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  int HeaderColumnAt(POINT screen) const;

  DocumentState& doc_;
  bool modernVisuals_;
  HWND list_ = nullptr;
  HIMAGELIST statusImages_ = nullptr;  // by EntryStatus
  HINSTANCE instance_ = nullptr;
  void SelectOnlyRowAt(POINT client);

  TableEvents events_;
  TableDrag drag_;
  // Set while the control is being told the rows' selection, so its echoes are ignored.
  bool pushingSelection_ = false;
  // Selection changes the map is not told of: those of a middle-button click, of the
  // classic look's Left and Right keys, and those made while a marquee is drawn.
  bool quietSelection_ = false;
  bool marqueeActive_ = false;
  void NotifySelection();
};

}  // namespace wayloom
