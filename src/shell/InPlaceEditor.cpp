#include "shell/InPlaceEditor.h"

#include <commctrl.h>

#include "core/StringTable.h"
#include "editing/CellEdit.h"
#include "platform/win32/WideText.h"
#include "shell/Dpi.h"

namespace wayloom {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kFirstHintString = 13103;  // name, longitude, latitude
constexpr int kTabHintString = 13106;

}  // namespace

bool InPlaceEditor::Create(HWND list, HINSTANCE instance) {
  list_ = list;
  edit_ = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0, list, nullptr, instance,
                          nullptr);
  if (!edit_) return false;
  SetWindowSubclass(edit_, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  SendMessageW(edit_, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), FALSE);
  return true;
}

void InPlaceEditor::SetFont(HFONT font) {
  if (edit_) SendMessageW(edit_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void InPlaceEditor::Show(const CellEditorRequest& request) {
  if (!edit_) return;
  SendMessageW(edit_, EM_SETLIMITTEXT, request.limit, 0);
  SetWindowTextW(edit_, ToWide(request.text).c_str());
  SendMessageW(list_, LVM_ENSUREVISIBLE, request.row, FALSE);
  Reposition();
  ShowWindow(edit_, SW_SHOW);
  SetFocus(edit_);
  SendMessageW(edit_, EM_SETSEL, 0, -1);
  Text hint(LoadText(kFirstHintString + (request.column >= 0 && request.column <= 2 ? request.column : 0)));
  hint += u' ';
  hint += LoadText(kTabHintString);
  editor_.ui.ShowStatusText(hint);
}

void InPlaceEditor::Hide() {
  if (!Visible()) return;
  const bool hadFocus = GetFocus() == edit_;
  ShowWindow(edit_, SW_HIDE);
  if (hadFocus) SetFocus(list_);
}

void InPlaceEditor::Reposition() {
  if (!edit_ || !editor_.cellEditor.open) return;
  RECT cell{};
  cell.top = editor_.cellEditor.column;
  cell.left = LVIR_LABEL;
  if (!SendMessageW(list_, LVM_GETSUBITEMRECT, editor_.cellEditor.row, reinterpret_cast<LPARAM>(&cell))) return;
  RECT client{};
  GetClientRect(list_, &client);
  if (cell.right > client.right) cell.right = client.right;
  if (cell.left < 0) cell.left = 0;
  const int height = cell.bottom - cell.top + Scaled(edit_, 4);
  SetWindowPos(edit_, HWND_TOP, cell.left, cell.top - Scaled(edit_, 2), cell.right - cell.left, height, SWP_NOACTIVATE);
}

Text InPlaceEditor::Typed() const {
  const int length = GetWindowTextLengthW(edit_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(edit_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

bool InPlaceEditor::Commit() {
  if (!editor_.cellEditor.open || committing_) return editor_.cellEditor.commitOk || !editor_.cellEditor.open;
  committing_ = true;
  const bool ok = CommitCellEdit(editor_.context, editor_.cellEditor, Typed());
  committing_ = false;
  afterEdit_();
  return ok;
}

void InPlaceEditor::Cancel() {
  CancelCellEdit(editor_.context, editor_.cellEditor);
  afterEdit_();
}

LRESULT InPlaceEditor::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS | DefSubclassProc(edit_, message, wParam, lParam);
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        Commit();
        return 0;
      }
      if (wParam == VK_ESCAPE) {
        Cancel();
        return 0;
      }
      if (wParam == VK_TAB) {
        committing_ = true;
        TabCellEdit(editor_.context, editor_.cellEditor, Typed(), GetKeyState(VK_SHIFT) < 0);
        committing_ = false;
        afterEdit_();
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r' || wParam == 27 || wParam == L'\t') return 0;  // handled as keys, no beep
      editor_.cellEditor.commitOk = true;
      if (!AcceptsEditorCharacter(editor_.cellEditor.column, static_cast<char16_t>(wParam))) {
        MessageBeep(MB_OK);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      // Clicking elsewhere commits, unless the commit's own message box took the focus.
      if (!committing_ && !editor_.cellEditor.messageShowing && editor_.cellEditor.open) {
        LRESULT result = DefSubclassProc(edit_, message, wParam, lParam);
        Commit();
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit_, Procedure, kSubclassId);
      break;
  }
  return DefSubclassProc(edit_, message, wParam, lParam);
}

LRESULT CALLBACK InPlaceEditor::Procedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR self) {
  auto* editor = reinterpret_cast<InPlaceEditor*>(self);
  if (!editor->edit_) return DefSubclassProc(edit, message, wParam, lParam);
  return editor->Handle(message, wParam, lParam);
}

}  // namespace wayloom
