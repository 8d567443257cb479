// The exchange with the companion editor, played by a window of its class in this test:
// sending rows (ready, busy, incompatible), receiving rows sent to the window, and another
// program's drag over the table and its drop.
#include "MainWindowFixture.h"
#include "shell/CompanionLink.h"

namespace wayloom {
namespace testing_window {
namespace {

const std::string kThreeStops =
    "\xEF\xBB\xBF"
    "12156500|2503300|\xE5\x8F\xB0\xE5\x8C\x97|4\r\n"  // 台北
    "12146000|2501000|Banqiao|0\r\n"
    "12067000|2414000|Taichung|0\r\n";

// The companion: answers "may I send" with its reply and reads the block it is told to read.
struct FakeCompanion {
  static inline LRESULT reply = kExchangeReady;
  static inline std::vector<std::u16string> received;

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kExchangeMessage && wParam == 1) return reply;
    if (message == kExchangeMessage && wParam == 0) {
      HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, L"Wayloom");
      const auto* units = mapping ? static_cast<const char16_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
      for (const char16_t* at = units; at && *at; at += std::char_traits<char16_t>::length(at) + 1)
        received.emplace_back(at);
      if (units) UnmapViewOfFile(units);
      if (mapping) CloseHandle(mapping);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  FakeCompanion() {
    static const bool registered = [] {
      WNDCLASSW windowClass{};
      windowClass.lpfnWndProc = Procedure;
      windowClass.hInstance = GetModuleHandleW(nullptr);
      windowClass.lpszClassName = L"PinloomApp";
      return RegisterClassW(&windowClass) != 0;
    }();
    EXPECT_TRUE(registered);
    window = CreateWindowW(L"PinloomApp", L"Pinloom", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
    received.clear();
  }
  ~FakeCompanion() { DestroyWindow(window); }
  HWND window;
};

// A block the companion would write, kept open while the window reads it.
struct CompanionBlock {
  explicit CompanionBlock(const std::u16string& units) {
    mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"Pinloom");
    void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
    memcpy(view, units.data(), units.size() * sizeof(char16_t));
    UnmapViewOfFile(view);
  }
  ~CompanionBlock() { CloseHandle(mapping); }
  HANDLE mapping;
};

class CompanionWinTest : public MainWindowFixture {};

TEST_F(CompanionWinTest, SendingAsksFirstAndTellsWhenTheCompanionIsBusyOrIncompatible) {
  FakeCompanion companion;
  WriteBytes(folder / L"three.itn", kThreeStops);
  Start(FromWide((folder / L"three.itn").wstring()));
  Select({0, 2});
  Key('X', {VK_MENU});
  EXPECT_EQ(FakeCompanion::received,
            (std::vector<std::u16string>{u"台北", u"121.56500", u"25.03300", u"Taichung", u"120.67000", u"24.14000"}));
  const struct {
    LRESULT reply;
    const wchar_t* message;
  } refusals[] = {{kExchangeBusy, L"Pinloom \x6B63\x5728\x5FD9\x788C\x4E2D"}, {5, L"\x8CC7\x6599\x4E0D\x76F8\x5BB9"}};
  for (const auto& refusal : refusals) {
    FakeCompanion::reply = refusal.reply;
    FakeCompanion::received.clear();
    AnswerDialog(L"Wayloom", {}, IDOK);
    Key('X', {VK_MENU});
    EXPECT_TRUE(FakeCompanion::received.empty());
    EXPECT_EQ(answeredText.rfind(refusal.message, 0), 0u) << TextToUtf8(FromWide(answeredText));
  }
  FakeCompanion::reply = kExchangeReady;
}

TEST_F(CompanionWinTest, RowsSentOrDroppedByTheCompanionArriveAsOneUndoStep) {
  FakeCompanion companion;
  WriteBytes(folder / L"three.itn", kThreeStops);
  Start(FromWide((folder / L"three.itn").wstring()));
  Select({1});
  {
    CompanionBlock block(std::u16string(u"P1\0" u"121.5\0" u"25.1\0" u"P2\0\0\0\0", 20));
    EXPECT_EQ(SendMessageW(window, kExchangeMessage, 1, 0), kExchangeReady);
    SendMessageW(window, kExchangeMessage, 0, 0);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "P1", "P2", "Banqiao", "Taichung"}));
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung"}));

  // A drag over the last row's lower half drops at the end; the sibling layout's two extra
  // strings are stepped over.
  RECT last{};
  last.left = LVIR_BOUNDS;
  SendMessageW(state->table.Handle(), LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&last));
  POINT over{(last.left + last.right) / 2, last.bottom - 2};
  ClientToScreen(state->table.Handle(), &over);
  SetCursorPos(over.x, over.y);
  EXPECT_EQ(SendMessageW(window, kDragMessage, 0, 0), kExchangeReady);
  {
    CompanionBlock block(std::u16string(u"D1\0" u"121.5\0" u"25.1\0" u"x\0" u"y\0\0", 23));
    SendMessageW(window, kDragMessage, 1, 1);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung", "D1"}));
  EXPECT_EQ(state->editor.doc.table.Row(3).status, kStatusDestination);
}

// Rows dragged onto another window of the program: copied there at the drop position,
// or moved away with the right button (the source rows deleted). (Shift cannot be held
// here: Wine takes the modifier keys from the X server's pointer events.)
TEST_F(CompanionWinTest, RowsDraggedOntoAnotherWindowOfTheProgramAreCopiedOrMovedAway) {
  WriteBytes(folder / L"three.itn", kThreeStops);
  Start(FromWide((folder / L"three.itn").wstring()));
  Win32Profile otherProfile(folder / L"Other.ini");
  MainWindowState other(otherProfile, true, Text());
  other.editor.doc.settings = DefaultSettings(true);
  HWND otherWindow = CreateMainWindow(GetModuleHandleW(nullptr), other, 520, 300, 480, 420);
  ASSERT_NE(otherWindow, nullptr);
  ShowWindow(otherWindow, SW_SHOWNOACTIVATE);
  Pump();

  auto dragTo = [&](POINT to, bool rightButton) { DragMouse(RowOnScreen(state->table.Handle(), 1), to, rightButton); };
  RECT otherTable{};
  GetWindowRect(other.table.Handle(), &otherTable);
  const POINT intoOther{(otherTable.left + otherTable.right) / 2, otherTable.top + 40};

  Select({1});
  SetForegroundWindow(window);
  dragTo(intoOther, false);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Banqiao", "Taichung"}));
  ASSERT_EQ(other.editor.doc.table.RowCount(), 1u);
  EXPECT_EQ(TextToUtf8(other.editor.doc.table.Cell(0, kNameColumn)), "Banqiao");
  EXPECT_EQ(TextToUtf8(other.editor.doc.table.Cell(0, kLongitudeColumn)), "121.46000");

  Select({1});
  SetForegroundWindow(window);
  dragTo(intoOther, true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "Taichung"}));
  EXPECT_EQ(other.editor.doc.table.RowCount(), 2u);

  other.editor.doc.document.modified = false;
  DestroyWindow(otherWindow);
  Pump();
}

}  // namespace
}  // namespace testing_window
}  // namespace wayloom
