// The base-points dialog and the duplicate-name question, driven by their keys inside the
// real main window; the ini file and the table are read back.
#include "MainWindowFixture.h"

namespace wayloom {
namespace testing_window {
namespace {

using testing::PressAltKey;
using testing::PressKey;

const wchar_t kBasePointsCaption[] = L"\x6211\x7684\x57FA\x6E96\x9EDE";      // 我的基準點
const wchar_t kDuplicateCaption[] = L"\x884C\x7A0B\x540D\x7A31\x76F8\x540C";  // 行程名稱相同

class BasePointsWinTest : public MainWindowFixture {
 protected:
  // The "Base Points" section as the file holds it, one "key=value" a line.
  std::string BasePointSection() const {
    std::vector<wchar_t> buffer(8192, L'\0');
    const DWORD length = GetPrivateProfileSectionW(L"Base Points", buffer.data(), static_cast<DWORD>(buffer.size()),
                                                   (folder / L"Wayloom.ini").c_str());
    std::wstring lines(buffer.data(), length);
    for (wchar_t& c : lines)
      if (c == L'\0') c = L'\n';
    return TextToUtf8(FromWide(lines));
  }
};

// Ctrl+M on a loaded table: Cancel after adding and deleting leaves the ini file as it was;
// then two table rows are added, one moved up and deleted and the dialog shrunk below its
// minimum, and OK writes the list, the remembered entry and the size.
TEST_F(BasePointsWinTest, AddMoveDeleteThenOkWritesTheListAndCancelWritesNothingNew) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  profile->WriteString(u"Base Points", u"BP List 1", u"Home>121>25");
  profile->WriteInt(u"Base Points", u"Width", 420);
  profile->WriteInt(u"Base Points", u"Height", 380);
  const std::string iniBefore = ReadBytes(folder / L"Wayloom.ini");
  const std::vector<std::string> names = Names();
  SetFocus(state->table.Handle());
  Select({0, 2});  // 台北 and Taichung

  HandleDialogs({{kBasePointsCaption, [](HWND) {
                    PressAltKey('A');  // add both: three entries
                    PressAltKey('L');  // delete all
                    PressKey(VK_ESCAPE);
                  }}});
  Key('M', {VK_CONTROL});
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(ReadBytes(folder / L"Wayloom.ini"), iniBefore);
  EXPECT_EQ(Names(), names);

  SetForegroundWindow(window);  // the next keys to the table again, as at the start
  SetFocus(state->table.Handle());
  static RECT opened{};
  HandleDialogs({{kBasePointsCaption, [](HWND dialog) {
                    GetWindowRect(dialog, &opened);
                    okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
                    PressAltKey('A');  // [Home, 台北, Taichung], 台北 selected
                    PressAltKey('U');  // [台北, Home, Taichung]: the remembered Home goes along
                    PressAltKey('D');  // [Home, Taichung]: still Home, Insert List 1
                    SetWindowPos(dialog, nullptr, 0, 0, 200, 500, SWP_NOMOVE | SWP_NOZORDER);
                    for (int i = 0; i < 3; ++i) PressKey(VK_TAB);  // delete all, export all, OK
                    PressKey(VK_RETURN);
                  }}});
  Key('M', {VK_CONTROL});
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_FALSE(okEnabled);  // nothing changed yet
  EXPECT_EQ(opened.right - opened.left, 420);
  EXPECT_EQ(opened.bottom - opened.top, 380);
  EXPECT_EQ(BasePointSection(),
            "BP List 1=Home>121.00000>25.00000\nWidth=360\nHeight=500\n"
            "BP List 2=Taichung>120.67000>24.14000\nInsert List=1\n");
  EXPECT_EQ(Names(), names);
  EXPECT_EQ(state->editor.doc.settings.baseListIndex, 0);
}

// Pasting rows whose names exist asks for each until an answer for all; each answer's
// mnemonic leads to its table, and dropped rows are reported.
TEST_F(BasePointsWinTest, DuplicateQuestionAnsweredEachWay) {
  WriteBytes(folder / L"four.itn", kFourStops);
  Start(FromWide((folder / L"four.itn").wstring()));
  state->editor.doc.settings.Set(Option::CheckName, true);
  SetFocus(state->table.Handle());
  Select({0, 3});  // 台北 and Tainan
  Key('C', {VK_CONTROL});
  auto answer = [](WORD key) { return DialogStep{kDuplicateCaption, [key](HWND) { PressAltKey(key); }}; };
  const DialogStep droppedMessage{L"Wayloom", [](HWND) { PressKey(VK_RETURN); }};
  struct Case {
    const char* what;
    std::vector<DialogStep> steps;
    std::vector<std::string> names;
  } cases[] = {
      {"drop, drop", {answer('E'), answer('E'), droppedMessage}, {"台北", "Banqiao", "Taichung", "Tainan"}},
      {"keep, drop", {answer('R'), answer('E'), droppedMessage}, {"台北", "台北", "Banqiao", "Taichung", "Tainan"}},
      {"keep all", {answer('N')}, {"台北", "Tainan", "台北", "Banqiao", "Taichung", "Tainan"}},
      {"drop all", {answer('A'), droppedMessage}, {"台北", "Banqiao", "Taichung", "Tainan"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    state->editor.doc.document.modified = false;
    state->commandLinePath = FromWide((folder / L"four.itn").wstring());
    SendMessageW(window, WM_COMMAND, IDM_OPEN_COMMAND_LINE, 0);
    Select({0});
    HandleDialogs(c.steps);
    Key('V', {VK_CONTROL});
    Pump();
    EXPECT_EQ(StepsLeft(), 0u);
    EXPECT_EQ(Names(), c.names);
  }
}

}  // namespace
}  // namespace testing_window
}  // namespace wayloom
