// The main window's menus, keys, ini file and dialogs, driven by real key presses.
#include "MainWindowFixture.h"

namespace wayloom {
namespace testing_window {
namespace {

class MainWindowWinTest : public MainWindowFixture {};

// The planning and itinerary menus grey by the rules for 0, 1, 2 and many rows, with and
// without a pinned base point.
TEST_F(MainWindowWinTest, MenusGreyByRowsSelectionAndPinnedBaseRow) {
  const std::string two = "12156500|2503300|A|4\r\n12146000|2501000|B|0\r\n";
  const std::string one = "12156500|2503300|A|4\r\n";
  WriteBytes(folder / L"one.itn", one);
  WriteBytes(folder / L"two.itn", two);
  WriteBytes(folder / L"four.itn", kFourStops);
  Start();
  const int kItinerary = 1, kPlanning = 2;
  struct Case {
    const wchar_t* file;
    std::initializer_list<std::size_t> selected;
    bool pinned;
    std::set<int> planningGreyed;  // the map is never greyed: its page file is always set
  } cases[] = {
      {nullptr, {}, false,
       {IDM_DESTINATION, IDM_VIA_POINT, IDM_TO_PASS, IDM_PASSED, IDM_PLAN, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REVERSE,
        IDM_SET_BASE_POINT, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING, IDM_EARTH}},
      {L"one.itn", {0}, false,
       {IDM_PLAN, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REVERSE, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING, IDM_EARTH}},
      {L"two.itn", {1}, false, {IDM_PLAN, IDM_MOVE_DOWN, IDM_EARTH}},
      {L"two.itn", {1}, true,
       {IDM_PLAN, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_REVERSE, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING, IDM_EARTH}},
      {L"four.itn", {0, 2}, false, {IDM_TO_PASS, IDM_PASSED, IDM_MOVE_UP, IDM_MOVE_DOWN, IDM_SET_BASE_POINT,
                                     IDM_EARTH}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file ? TextToUtf8(FromWide(c.file)) : "new");
    SendMessageW(window, WM_COMMAND, IDM_NEW, 0);
    if (c.file) {
      state->commandLinePath = FromWide((folder / c.file).wstring());
      SendMessageW(window, WM_COMMAND, IDM_OPEN_COMMAND_LINE, 0);
    }
    state->editor.doc.baseRowPinned = c.pinned;
    Select(c.selected);
    EXPECT_EQ(Greyed(kPlanning), c.planningGreyed);
    const std::set<int> itinerary = Greyed(kItinerary);
    EXPECT_EQ(itinerary.contains(IDM_DELETE), c.selected.size() == 0);
    EXPECT_EQ(itinerary.contains(IDM_SELECT_ALL), c.file == nullptr);
    EXPECT_TRUE(itinerary.contains(IDM_UNDO));  // nothing done yet
  }
}

// Open, edit in place, sort by a header click, move, reverse, undo everything, redo
// everything and save, all from the keyboard and the mouse; the file is written byte for byte.
TEST_F(MainWindowWinTest, EditSortMoveReverseUndoRedoAndSaveFromKeysAndClicks) {
  const auto path = folder / L"\x884C\x7A0B.itn";  // 行程.itn
  WriteBytes(path, kFourStops);
  Start(FromWide(path.wstring()));
  ASSERT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "Tainan"}));
  wchar_t title[64] = {};
  for (int i = 0; i < 20 && !title[0]; ++i) {  // the title is set by the status timer
    Pump();
    GetWindowTextW(window, title, 64);
  }
  EXPECT_STREQ(title, L"\x884C\x7A0B - Wayloom");

  SetFocus(state->table.Handle());
  Select({1});
  Key(VK_F2);
  ASSERT_TRUE(state->editor.cellEditor.open);
  Key(VK_DELETE, {VK_CONTROL});  // not a command while editing: the editor's own key
  Key('A', {VK_CONTROL});
  Type(L"Keelung|");  // '|' is refused by the name editor
  Key(VK_RETURN);
  EXPECT_FALSE(state->editor.cellEditor.open);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Keelung", "Taichung", "Tainan"}));

  ClickHeader(kNameColumn);  // the current column again: the direction flips to ascending
  EXPECT_EQ(Names(), (std::vector<std::string>{"Keelung", "Taichung", "Tainan", "台北"}));
  Select({1});
  Key('D', {VK_CONTROL});  // move down
  Key('N', {VK_MENU});     // reverse
  const std::vector<std::string> done = Names();
  EXPECT_EQ(done, (std::vector<std::string>{"台北", "Taichung", "Tainan", "Keelung"}));

  int undos = 0;
  for (; state->editor.States({}, false)[IDM_UNDO].enabled && undos < 10; ++undos) Key('Z', {VK_CONTROL});
  EXPECT_EQ(undos, 4);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "Tainan"}));
  for (int i = 0; i < undos; ++i) Key('Y', {VK_CONTROL});
  EXPECT_EQ(Names(), done);

  Key('S', {VK_CONTROL});
  EXPECT_FALSE(state->editor.doc.document.modified);
  EXPECT_EQ(ReadBytes(path),
            "\xEF\xBB\xBF"
            "12156500|2503300|\xE5\x8F\xB0\xE5\x8C\x97|2\r\n"
            "12067000|2414000|Taichung|0\r\n"
            "12020000|2299000|Tainan|2\r\n"
            "12146000|2501000|Keelung|0\r\n");
}

// What the window leaves in the ini file at exit is what the next start reads; a damaged
// file gives the defaults.
TEST_F(MainWindowWinTest, IniWrittenAtExitIsReadAtTheNextStartAndGarbageGivesDefaults) {
  Start();
  Key('S', {VK_CONTROL, VK_MENU});  // hide the status bar
  Key('M', {VK_CONTROL, VK_MENU});  // hide the menu bar
  EXPECT_FALSE(IsWindowVisible(state->statusBar.Handle()));
  EXPECT_EQ(GetMenu(window), nullptr);
  SetWindowPos(window, nullptr, 60, 70, 700, 400, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(window, WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(profile->ReadInt(u"Window", u"Left", 0), 60);
  EXPECT_EQ(profile->ReadInt(u"Window", u"Width", 0), 700);
  EXPECT_EQ(profile->ReadInt(u"Window", u"Show", 0), SW_SHOWNORMAL);
  EXPECT_EQ(profile->ReadInt(u"Options", u"Show Status Bar", 1), 0);
  EXPECT_EQ(profile->ReadInt(u"Options", u"Show Menu Bar", 1), 0);

  Start();
  EXPECT_FALSE(IsWindowVisible(state->statusBar.Handle()));
  EXPECT_EQ(GetMenu(window), nullptr);
  Key('M', {VK_CONTROL, VK_MENU});  // the keys still bring the menu back
  EXPECT_NE(GetMenu(window), nullptr);
  DestroyWindow(window);
  Pump();

  profile.reset();
  WriteBytes(folder / L"Wayloom.ini", std::string("\xFF\xFE[\0O\0p\0t\0\x00\xD8\xFF", 14));
  Start();
  EXPECT_TRUE(IsWindowVisible(state->statusBar.Handle()));
  EXPECT_NE(GetMenu(window), nullptr);
}

// Alt+E opens the planning dialog; a one-way trip of 8 stops on a line comes back in order
// along it as one undo step, and Cancel changes nothing.
TEST_F(MainWindowWinTest, PlanDialogPlansARoundTripAsOneUndoStep) {
  std::string rows;
  for (int stop : {0, 5, 2, 7, 1, 6, 3, 4})
    rows += "1210" + std::to_string(stop) + "000|2500000|S" + std::to_string(stop) + "|0\r\n";
  WriteBytes(folder / L"line.itn", rows);
  Start(FromWide((folder / L"line.itn").wstring()));
  SetFocus(state->table.Handle());
  AnswerDialog(L"\x81EA\x52D5\x898F\x5283\x884C\x7A0B", {}, IDCANCEL);  // 自動規劃行程
  Key('E', {VK_MENU});
  EXPECT_EQ(Names(), (std::vector<std::string>{"S0", "S5", "S2", "S7", "S1", "S6", "S3", "S4"}));
  AnswerDialog(L"\x81EA\x52D5\x898F\x5283\x884C\x7A0B", {5302, 5308}, IDOK);
  Key('E', {VK_MENU});
  EXPECT_EQ(Names(), (std::vector<std::string>{"S0", "S1", "S2", "S3", "S4", "S5", "S6", "S7"}));
  EXPECT_TRUE(state->editor.doc.settings.shortestRoute);
  EXPECT_EQ(modalsWhileOpen, 1);  // the window is busy for the companion while a dialog is open
  EXPECT_EQ(ModalDepth(*state), 0);
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"S0", "S5", "S2", "S7", "S1", "S6", "S3", "S4"}));
}

// Ctrl+H replaces every match in one undo step; Ctrl+W puts a text before every name;
// Ctrl+L clears the ticked fields and has OK only while a box is ticked.
TEST_F(MainWindowWinTest, ReplaceMergeAndClearFieldsDialogs) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  SetFocus(state->table.Handle());
  AnswerDialog(L"\x53D6\x4EE3\x884C\x7A0B", {5153, 5154}, IDOK, {{5150, L"Tai"}, {5151, L"Tay"}});  // 取代行程
  Key('H', {VK_CONTROL});
  EXPECT_TRUE(okEnabled);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taychung", "Taynan"}));
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "Tainan"}));

  Select({});  // no selection: every row
  AnswerDialog(L"\x5408\x4F75\x6B04\x4F4D\x8CC7\x6599", {}, IDOK, {{5051, L"1-"}});  // 合併欄位資料
  Key('W', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"1-台北", "1-Banqiao", "1-Taichung", "1-Tainan"}));
  Key('Z', {VK_CONTROL});

  AnswerDialog(L"\x6E05\x9664\x6B04\x4F4D\x8CC7\x6599", {}, IDCANCEL);  // 清除欄位資料
  Key('L', {VK_CONTROL});
  EXPECT_FALSE(okEnabled);
  AnswerDialog(L"\x6E05\x9664\x6B04\x4F4D\x8CC7\x6599", {5103}, IDOK);
  Key('L', {VK_CONTROL});
  EXPECT_TRUE(okEnabled);
  for (std::size_t row = 0; row < 4; ++row) EXPECT_TRUE(state->editor.doc.table.Cell(row, kLatitudeColumn).empty());
  EXPECT_FALSE(state->editor.doc.table.Cell(0, kLongitudeColumn).empty());
}

// F12: the preferences go through the commands they belong to (the status bar hides, the
// coordinates turn to degrees-minutes-seconds).
TEST_F(MainWindowWinTest, PreferencesApplyThroughTheirCommands) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  SetFocus(state->table.Handle());
  AnswerDialog(L"\x504F\x597D\x9078\x9805", {5455, 5465}, IDOK);  // 偏好選項
  Key(VK_F12);
  Pump();
  EXPECT_FALSE(IsWindowVisible(state->statusBar.Handle()));
  EXPECT_TRUE(state->editor.doc.settings.Get(Option::DmsFormat));
  EXPECT_EQ(TextToUtf8(state->editor.doc.table.Cell(0, kLongitudeColumn)), "121\u00B0 33' 54.00\"");
}

// A middle-button click selects only the row under it, like a left click, and never
// leaves the control tracking a drag.
TEST_F(MainWindowWinTest, MiddleClickSelectsTheRowUnderIt) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  Select({0, 1});
  const POINT at = RowOnScreen(state->table.Handle(), 2);
  SetCursorPos(at.x, at.y);
  Mouse(MOUSEEVENTF_MIDDLEDOWN);
  Mouse(MOUSEEVENTF_MIDDLEUP);
  Pump();
  const ItineraryTable& table = state->editor.doc.table;
  EXPECT_EQ(table.SelectedCount(), 1u);
  EXPECT_TRUE(table.Row(2).selected);
  EXPECT_EQ(table.FocusedRow(), 2);
  EXPECT_EQ(GetCapture(), nullptr);
}

// Rows dragged with the mouse: the first two rows dropped below the last move there as
// one undo step; Esc during a drag drops nothing.
TEST_F(MainWindowWinTest, RowDragMovesTheSelectionAndEscCancels) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  Select({0, 1});
  HWND list = state->table.Handle();
  auto drag = [&](bool cancel) {
    const POINT from = RowOnScreen(list, 1), last = RowOnScreen(list, 3);
    const POINT belowLast{last.x, last.y + (last.y - RowOnScreen(list, 2).y)};
    DragMouse(from, belowLast, false, [&] {
      if (cancel) Key(VK_ESCAPE);
    });
  };
  drag(true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "Tainan"}));
  Select({0, 1});
  drag(false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Taichung", "Tainan", "台北", "Banqiao"}));
  EXPECT_EQ(GetCapture(), nullptr);
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "Tainan"}));
}

}  // namespace
}  // namespace testing_window
}  // namespace wayloom
