// The in-place editor: a bordered single-line edit control, child of the table's list
// view, laid over the cell being edited. It filters what is typed and turns Enter, Esc,
// Tab and the loss of focus into the cell-editing commands; the commands decide the rest.
#pragma once

#include <windows.h>

#include <functional>

#include "editing/Editor.h"

namespace wayloom {

class InPlaceEditor {
 public:
  // afterEdit runs after every commit, cancel or tab, so the window can show the table again.
  InPlaceEditor(Editor& editor, std::function<void()> afterEdit)
      : editor_(editor), afterEdit_(std::move(afterEdit)) {}

  bool Create(HWND list, HINSTANCE instance);
  HWND Handle() const { return edit_; }
  bool Visible() const { return edit_ && IsWindowVisible(edit_); }

  void Show(const CellEditorRequest& request);
  void Hide();
  // Over its cell again after scrolling, resizing or a column width change.
  void Reposition();
  // Enter: true when the cell took the text (or nothing was open); a refused text keeps
  // the editor open, and callers then drop the click or command that asked for it.
  bool Commit();
  // Esc: the cell keeps its text.
  void Cancel();
  void SetFont(HFONT font);

 private:
  static LRESULT CALLBACK Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  Text Typed() const;

  Editor& editor_;
  std::function<void()> afterEdit_;
  HWND list_ = nullptr;
  HWND edit_ = nullptr;
  bool committing_ = false;  // a commit's message box takes the focus: no second commit
};

}  // namespace wayloom
