// The real main window, driven in process: real key presses and clicks through the message
// queue and the window's own accelerators, then the table, the menus and the files on disk
// are read back. Test files derive their suite from MainWindowFixture.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "SendKeys.h"
#include "WinTestSupport.h"
#include "platform/win32/Win32Profile.h"
#include "shell/CommandTable.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace testing_window {

using wayloom::testing::ReadBytes;
using wayloom::testing::WinTempFolder;
using wayloom::testing::WriteBytes;

const std::string kFourStops =
    "\xEF\xBB\xBF"
    "12156500|2503300|\xE5\x8F\xB0\xE5\x8C\x97|4\r\n"  // 台北
    "12146000|2501000|Banqiao|0\r\n"
    "12067000|2414000|Taichung|0\r\n"
    "12020000|2299000|Tainan|2\r\n";

class MainWindowFixture : public ::testing::Test {
 protected:
  void Start(const Text& path = Text()) {
    static const bool registered = RegisterMainWindowClass(GetModuleHandleW(nullptr));
    ASSERT_TRUE(registered);
    profile = std::make_unique<Win32Profile>(folder / L"Wayloom.ini");
    state = std::make_unique<MainWindowState>(*profile, true, path);
    state->editor.doc.settings = DefaultSettings(true);
    window = CreateMainWindow(GetModuleHandleW(nullptr), *state, 40, 40, 760, 480);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    accelerators = CreateMainAccelerators();
    Pump();
  }
  void TearDown() override {
    if (window && IsWindow(window)) {
      state->editor.doc.document.modified = false;
      DestroyWindow(window);
    }
    Pump();
    if (accelerators) DestroyAcceleratorTable(accelerators);
  }

  // Runs the window's messages as the program's loop does, until the queue stays empty
  // (the 500 ms timer keeps it busy at most 3 s).
  void Pump(int quietRounds = 3) {
    const DWORD deadline = GetTickCount() + 3000;
    for (int quiet = 0; quiet < quietRounds && GetTickCount() < deadline;) {
      MSG message;
      if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        quiet = 0;
        if (message.message == WM_QUIT) continue;
        if (state && TranslateMainWindowMessage(*state, accelerators, message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      } else {
        ++quiet;
        Sleep(30);
      }
    }
  }

  void Key(WORD key, std::initializer_list<WORD> modifiers = {}) {
    testing::PressKey(key, modifiers);
    Pump();
  }

  void Type(const std::wstring& text) {
    for (wchar_t c : text) {
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_KEYBOARD;
      input[0].ki.wScan = input[1].ki.wScan = c;
      input[0].ki.dwFlags = KEYEVENTF_UNICODE;
      input[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
      SendInput(2, input, sizeof(INPUT));
    }
    Pump();
  }

  void ClickHeader(int column) {
    HWND header = ListView_GetHeader(state->table.Handle());
    RECT item{};
    Header_GetItemRect(header, column, &item);
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(header, &at);
    SetCursorPos(at.x, at.y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    Pump();
  }

  // The middle of a row's name cell, on the screen.
  static POINT RowOnScreen(HWND list, int row) {
    RECT cell{};
    cell.left = LVIR_LABEL;
    SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&cell));
    POINT at{(cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2};
    ClientToScreen(list, &at);
    return at;
  }
  static void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
  }
  // A button pressed at from, the pointer moved to to in steps with the window's messages
  // run between them, then beforeRelease, then the button released.
  void DragMouse(POINT from, POINT to, bool rightButton, const std::function<void()>& beforeRelease = {}) {
    constexpr int kSteps = 10;
    SetCursorPos(from.x, from.y);
    Mouse(rightButton ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    for (int step = 1; step <= kSteps; ++step) {
      SetCursorPos(from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps);
      Mouse(MOUSEEVENTF_MOVE);
      Pump(1);
    }
    if (beforeRelease) beforeRelease();
    Mouse(rightButton ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    Pump();
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    const ItineraryTable& table = state->editor.doc.table;
    for (std::size_t row = 0; row < table.RowCount(); ++row) names.push_back(TextToUtf8(table.Cell(row, kNameColumn)));
    return names;
  }

  // The greyed commands of a menu bar pop-up, after the window updated it for opening.
  std::set<int> Greyed(int popupPosition) {
    HMENU popup = GetSubMenu(GetMenu(window), popupPosition);
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), popupPosition);
    std::set<int> greyed;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      const UINT id = GetMenuItemID(popup, i);
      if (id >= IDM_FIRST && id <= IDM_LAST && (GetMenuState(popup, id, MF_BYCOMMAND) & MF_GRAYED))
        greyed.insert(static_cast<int>(id));
    }
    return greyed;
  }

  void Select(std::initializer_list<std::size_t> rows) {
    ItineraryTable& table = state->editor.doc.table;
    table.ClearSelection();
    for (std::size_t row : rows) table.SetSelected(row, true);
    if (rows.size() > 0) table.SetFocused(*rows.begin());
    state->table.SyncFromTable();
  }

  // The next dialog with this caption that opens (inside a command's modal loop) is
  // answered with button after its edits get the texts given and the given check boxes
  // and radios are clicked. Whether OK was enabled then is kept in okEnabled.
  static void AnswerDialog(const wchar_t* caption, std::vector<int> clicks, int button,
                           std::vector<std::pair<int, std::wstring>> texts = {}) {
    pendingCaption = caption;
    pendingClicks = std::move(clicks);
    pendingTexts = std::move(texts);
    pendingButton = button;
    SetTimer(nullptr, 0, 100, AnswerPendingDialog);
  }
  static void CALLBACK AnswerPendingDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = OwnDialog(pendingCaption);
    if (!dialog) return;
    KillTimer(nullptr, timer);
    for (const auto& [control, text] : pendingTexts) SetDlgItemTextW(dialog, control, text.c_str());
    for (int control : pendingClicks) SendDlgItemMessageW(dialog, control, BM_CLICK, 0, 0);
    okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, 0xFFFF, text, 512);  // a message box's text
    answeredText = text;
    modalsWhileOpen = OpenModalCount();
    PostMessageW(dialog, WM_COMMAND, pendingButton, 0);
  }
  // A dialog of this test's thread: other programs on the same Wine server (tests run
  // side by side) may show dialogs with the same caption.
  static HWND OwnDialog(const wchar_t* caption) {
    struct Search {
      const wchar_t* caption;
      HWND found;
    } search{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchDialog<Search>, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  // A stdcall function for the 32-bit build, where a lambda does not convert.
  template <typename Search>
  static BOOL CALLBACK MatchDialog(HWND window, LPARAM data) {
    auto& wanted = *reinterpret_cast<Search*>(data);
    wchar_t className[16] = {}, text[256] = {};
    GetClassNameW(window, className, 16);
    GetWindowTextW(window, text, 256);
    if (std::wstring(className) != L"#32770" || std::wstring(text) != wanted.caption) return TRUE;
    wanted.found = window;
    return FALSE;
  }
  // The dialogs that open next, in order, each handled by its action from inside its modal
  // loop (keys pressed there reach the dialog once the action returns). stepsLeft tells
  // how many never opened.
  struct DialogStep {
    const wchar_t* caption;
    std::function<void(HWND)> action;
  };
  static void HandleDialogs(std::vector<DialogStep> steps) {
    pendingSteps.assign(steps.begin(), steps.end());
    lastStepDialog = nullptr;
    SetTimer(nullptr, 0, 100, HandleNextDialog);
  }
  static void CALLBACK HandleNextDialog(HWND, UINT, UINT_PTR timer, DWORD) {
    if (pendingSteps.empty()) {
      KillTimer(nullptr, timer);
      return;
    }
    HWND dialog = OwnDialog(pendingSteps.front().caption);
    if (!dialog || dialog == lastStepDialog) return;  // not open yet, or still closing
    lastStepDialog = dialog;
    const DialogStep step = pendingSteps.front();
    pendingSteps.pop_front();
    step.action(dialog);
  }
  static std::size_t StepsLeft() { return pendingSteps.size(); }
  static inline std::deque<DialogStep> pendingSteps;
  static inline HWND lastStepDialog = nullptr;

  static inline const wchar_t* pendingCaption = nullptr;
  static inline std::vector<int> pendingClicks;
  static inline std::vector<std::pair<int, std::wstring>> pendingTexts;
  static inline int pendingButton = IDOK;
  static inline bool okEnabled = false;
  static inline int modalsWhileOpen = -1;
  static inline std::wstring answeredText;

  WinTempFolder folder;
  std::unique_ptr<Win32Profile> profile;
  std::unique_ptr<MainWindowState> state;
  HWND window = nullptr;
  HACCEL accelerators = nullptr;
};

}  // namespace testing_window
}  // namespace wayloom
