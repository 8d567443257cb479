// The itinerary checks from the keyboard: the options dialog with its enabling and its bad
// distance, the modeless results window with its keys, its delete and the undo of it.
#include "MainWindowFixture.h"

namespace wayloom {
namespace testing_window {
namespace {

constexpr wchar_t kOptionsCaption[] = L"\x6AA2\x67E5\x884C\x7A0B";  // 檢查行程
constexpr int kSimilar = 5200, kNear = 5201, kDistance = 5202, kLarge = 5203, kSmall = 5204, kBlank = 5205;

// What the options dialog showed when it opened, and after a bad distance.
struct OptionsSeen {
  std::wstring distance, largeUnit, smallUnit;
  bool similarEnabled = false, nearEnabled = false, editEnabled = false, okEnabled = true;
  bool editEnabledByNear = false, largeTicked = false;
  bool badDistanceMessage = false, stayedOpenOnEdit = false;
  DWORD selection = 0;
};
OptionsSeen seen;

std::wstring ItemText(HWND dialog, int control) {
  wchar_t text[64] = {};
  GetDlgItemTextW(dialog, control, text, 64);
  return text;
}

class CheckDialogsWinTest : public MainWindowFixture {
 protected:
  // Reads the dialog, ticks the near-distance check, types a bad distance (answering the
  // message), then 20 m and OK.
  static void CALLBACK InspectOptions(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = OwnDialog(kOptionsCaption);
    if (!dialog) return;
    KillTimer(nullptr, timer);
    auto enabled = [dialog](int control) { return IsWindowEnabled(GetDlgItem(dialog, control)) != FALSE; };
    seen.distance = ItemText(dialog, kDistance);
    seen.largeUnit = ItemText(dialog, kLarge);
    seen.smallUnit = ItemText(dialog, kSmall);
    seen.largeTicked = IsDlgButtonChecked(dialog, kLarge) == BST_CHECKED;
    seen.similarEnabled = enabled(kSimilar);
    seen.nearEnabled = enabled(kNear);
    seen.editEnabled = enabled(kDistance);
    seen.okEnabled = enabled(IDOK);
    SendDlgItemMessageW(dialog, kNear, BM_CLICK, 0, 0);
    seen.editEnabledByNear = enabled(kDistance) && enabled(IDOK);
    SetDlgItemTextW(dialog, kDistance, L"1x2");
    AnswerDialog(L"Wayloom", {}, IDOK);
    okEnabled = false;
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    seen.badDistanceMessage = okEnabled;  // set when the message box was answered
    seen.stayedOpenOnEdit = IsWindow(dialog) && GetFocus() == GetDlgItem(dialog, kDistance);
    seen.selection = static_cast<DWORD>(SendDlgItemMessageW(dialog, kDistance, EM_GETSEL, 0, 0));
    SetDlgItemTextW(dialog, kDistance, L" 20 ");
    SendDlgItemMessageW(dialog, kSmall, BM_CLICK, 0, 0);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  }

  std::vector<std::wstring> ListedNames() {
    HWND list = GetDlgItem(state->ui.CheckResultsHandle(), 5250);
    std::vector<std::wstring> names;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
      wchar_t name[64] = {};
      ListView_GetItemText(list, i, kNameColumn, name, 64);
      names.push_back(name);
    }
    return names;
  }
};

// Ctrl+G on a table with two entries a few metres apart: the dialog starts with nothing
// ticked, refuses "1x2" and takes 20 m; the results window lists the pair; Down, Alt+D
// deletes the near entry in one undo step; Esc closes the window and keeps its place.
TEST_F(CheckDialogsWinTest, NearPairFoundDeletedFromResultsAndUndone) {
  const std::string rows =
      "\xEF\xBB\xBF"
      "12156500|2503300|\xE5\x8F\xB0\xE5\x8C\x97|4\r\n"                    // 台北
      "12002000|2299000|Tainan|0\r\n"
      "12156504|2503302|\xE5\x8F\xB0\xE5\x8C\x97\xE8\xBB\x8A\xE7\xAB\x99|2\r\n";  // 台北車站, 4 m away
  WriteBytes(folder / L"near.itn", rows);
  Start(FromWide((folder / L"near.itn").wstring()));
  SetFocus(state->table.Handle());
  SetTimer(nullptr, 0, 100, InspectOptions);
  Key('G', {VK_CONTROL});

  EXPECT_EQ(seen.distance, L"0");
  EXPECT_EQ(seen.largeUnit, L"km");
  EXPECT_EQ(seen.smallUnit, L"m");
  EXPECT_TRUE(seen.largeTicked);
  EXPECT_TRUE(seen.similarEnabled && seen.nearEnabled);
  EXPECT_FALSE(seen.editEnabled);
  EXPECT_FALSE(seen.okEnabled);  // nothing ticked yet
  EXPECT_TRUE(seen.editEnabledByNear);
  EXPECT_TRUE(seen.badDistanceMessage);
  EXPECT_TRUE(seen.stayedOpenOnEdit);
  EXPECT_EQ(seen.selection, MAKELONG(0, 3));
  const CheckOptions& options = state->editor.checks.options;
  EXPECT_EQ(options.threshold, 20);
  EXPECT_EQ(options.distanceUnit, DistanceUnit::Metre);

  HWND results = state->ui.CheckResultsHandle();
  ASSERT_NE(results, nullptr);
  EXPECT_TRUE(IsWindowVisible(results));
  EXPECT_EQ(GetForegroundWindow(), results);
  wchar_t title[32] = {};
  GetWindowTextW(results, title, 32);
  EXPECT_STREQ(title, L"\x76F8\x8FD1\x7684\x884C\x7A0B\x8DDD\x96E2");  // 相近的行程距離
  EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"\x53F0\x5317", L"\x53F0\x5317\x8ECA\x7AD9"}));

  Key(VK_DOWN);  // the table follows the list
  EXPECT_TRUE(state->editor.doc.table.Row(2).selected);
  Key('D', {VK_MENU});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Tainan"}));
  EXPECT_EQ(ListedNames(), (std::vector<std::wstring>{L"\x53F0\x5317"}));
  SendMessageW(window, WM_COMMAND, IDM_UNDO, 0);
  Pump();
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Tainan", "台北車站"}));
  EXPECT_FALSE(state->editor.States({}, false)[IDM_UNDO].enabled);  // one step

  SetForegroundWindow(results);
  SetFocus(GetDlgItem(results, 5250));
  Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(results));
  EXPECT_FALSE(state->editor.checks.Running());
  EXPECT_GE(profile->ReadInt(u"Check ITN", u"Width", 0), 320);

  // Cancel changes nothing.
  AnswerDialog(kOptionsCaption, {kSimilar, kBlank, kLarge}, IDCANCEL, {{kDistance, L"7"}});
  Key('G', {VK_CONTROL});
  EXPECT_FALSE(options.similarNames || options.blankCoordinates);
  EXPECT_EQ(options.distanceValue, 20u);
  EXPECT_EQ(state->ui.CheckResultsHandle(), nullptr);
}

}  // namespace
}  // namespace testing_window
}  // namespace wayloom
