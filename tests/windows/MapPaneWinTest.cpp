// The map pane in the real main window: the map command where the browser control has no
// engine (the test prefix disables it), the splitter dragged and double-clicked with the real
// mouse, the close delay with the pane shown, and the keys the page keeps for itself.
// Built for 64 bits only: under qemu's 32-bit emulation the browser control brings the test
// program down.
#if defined(_WIN64)

#include "MainWindowFixture.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <set>
#include <tuple>

#include "core/StringTable.h"

namespace wayloom::testing_window {
namespace {

constexpr int kSplitter = 6;
constexpr int kLeastPane = 100;

class MapPaneWinTest : public MainWindowFixture {
 protected:
  void StartWithFile() {
    const std::filesystem::path file = folder / L"\x884C\x7A0B.itn";  // 行程.itn
    WriteBytes(file, kFourStops);
    Start(FromWide(file.wstring()));
    ASSERT_EQ(Names().size(), 4u);
  }
  RECT Client() const {
    RECT client{};
    GetClientRect(window, &client);
    return client;
  }
  // In the main window's client coordinates.
  RECT ChildRect(HWND child) const {
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }
  int TableWidth() const {
    const RECT table = ChildRect(state->table.Handle());
    return table.right - table.left;
  }
  int PaneLeft() const { return ChildRect(state->mapPane.Handle()).left; }
  // The middle of the splitter strip, on the screen.
  POINT SplitterOnScreen() const {
    const RECT pane = ChildRect(state->mapPane.Handle());
    POINT at{pane.left - kSplitter / 2, (pane.top + pane.bottom) / 2};
    ClientToScreen(window, &at);
    return at;
  }
  std::wstring StatusText() const {
    wchar_t text[256] = {};
    SendMessageW(state->statusBar.Handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
};

TEST_F(MapPaneWinTest, MapCommandWithoutBrowserEngineHidesThePaneAndSays14322) {
  StartWithFile();
  ASSERT_FALSE(state->mapTempFile.empty());
  answeredText.clear();
  AnswerDialog(L"Wayloom", {}, IDOK);
  Key(VK_F5);
  EXPECT_EQ(answeredText, ToWide(LoadText(14322)));
  EXPECT_FALSE(IsWindowVisible(state->mapPane.Handle()));
  EXPECT_FALSE(state->mapPane.Browser().Exists());
  EXPECT_FALSE(state->bridge.PageReady());
  EXPECT_EQ(TableWidth(), Client().right);
  EXPECT_EQ(Names().size(), 4u);
  // The window still takes commands: the map command fails the same way again.
  answeredText.clear();
  AnswerDialog(L"Wayloom", {}, IDOK);
  Key(VK_F5);
  EXPECT_EQ(answeredText, ToWide(LoadText(14322)));
}

// The page file: held by another program (nothing happens, the pane stays), impossible to
// create (14222 with its path), written (the browser without an engine: 14322, pane hidden).
TEST_F(MapPaneWinTest, PageFileLockedMissingFolderOrWrittenGiveTheirOwnOutcome) {
  StartWithFile();
  std::wstring shown;
  const auto runMap = [&] {
    shown = L"(none)";
    HandleDialogs({{L"Wayloom", [&shown](HWND box) {
                      wchar_t text[512] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 512);
                      shown = text;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                    }}});
    Key(VK_F5);
    pendingSteps.clear();  // a box that never opened is no longer awaited
  };

  const Text page = state->mapTempFile;
  HANDLE held = CreateFileW(WidePointer(page), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  runMap();
  CloseHandle(held);
  EXPECT_EQ(shown, L"(none)");
  EXPECT_TRUE(IsWindowVisible(state->mapPane.Handle()));
  EXPECT_EQ(std::filesystem::file_size(std::filesystem::path(ToWide(page))), 0u);

  state->mapTempFile = FromWide((folder / L"missing" / L"Wlm1.htm").wstring());
  runMap();
  EXPECT_EQ(shown, ToWide(FormatString(14222, state->mapTempFile)));
  EXPECT_TRUE(IsWindowVisible(state->mapPane.Handle()));

  state->mapTempFile = page;
  runMap();
  EXPECT_EQ(shown, ToWide(LoadText(14322)));
  EXPECT_FALSE(IsWindowVisible(state->mapPane.Handle()));
  EXPECT_GT(std::filesystem::file_size(std::filesystem::path(ToWide(page))), 0u);
}

// A new map language rebuilds a shown map (here: the command fails as without an engine);
// with the pane hidden the next map just uses it.
TEST_F(MapPaneWinTest, MapLanguageChangedInThePreferencesRunsTheMapOnlyWhileItShows) {
  for (const bool shown : {false, true}) {
    StartWithFile();
    if (shown) state->mapPane.Show();
    std::wstring answered = L"(none)";
    const int language = (state->editor.doc.settings.googleMapsLang + 1) % 9;  // the ini file keeps the last one
    HandleDialogs({{L"\x504F\x597D\x9078\x9805", [language](HWND dialog) {  // 偏好選項
                      SendDlgItemMessageW(dialog, 5472, CB_SETCURSEL, language, 0);
                      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
                    }},
                   {L"Wayloom", [&answered](HWND box) {
                      wchar_t text[512] = {};
                      GetDlgItemTextW(box, 0xFFFF, text, 512);
                      answered = text;
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                    }}});
    Key(VK_F12);
    Pump();
    pendingSteps.clear();
    EXPECT_EQ(state->editor.doc.settings.googleMapsLang, language);
    EXPECT_EQ(answered, shown ? ToWide(LoadText(14322)) : L"(none)") << shown;
    TearDown();
    window = nullptr;
    accelerators = nullptr;
  }
}

TEST_F(MapPaneWinTest, SplitterDragMovesTheTableEdgeWithinItsClampsAndHoverShowsTheHint) {
  StartWithFile();
  state->editor.doc.settings.window.iePane = 300;  // "IE Pane"
  state->mapPane.Show();
  Pump();
  const int width = Client().right;
  ASSERT_TRUE(IsWindowVisible(state->mapPane.Handle()));
  EXPECT_EQ(PaneLeft(), width - 300);
  EXPECT_EQ(TableWidth(), width - 300 - kSplitter);

  Sleep(600);  // the opened file's "備妥" is written first
  Pump();
  SetCursorPos(SplitterOnScreen().x, SplitterOnScreen().y);
  Mouse(MOUSEEVENTF_MOVE);
  Pump();
  EXPECT_EQ(StatusText(), ToWide(LoadText(13139)));
  EXPECT_EQ(GetCursor(), LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4005)));

  struct Case {
    int toX;       // where the pointer is released, in client coordinates
    int paneLeft;  // the pane's left edge then: x + 3 within [100, width - 100]
  };
  const Case cases[] = {{300, 303}, {10, kLeastPane}, {width - 5, width - kLeastPane}, {400, 403}};
  for (const Case& c : cases) {
    POINT to{c.toX, Client().bottom / 2};
    ClientToScreen(window, &to);
    DragMouse(SplitterOnScreen(), to, false);
    EXPECT_EQ(PaneLeft(), c.paneLeft) << "released at " << c.toX;
    EXPECT_EQ(TableWidth(), c.paneLeft - kSplitter) << "released at " << c.toX;
  }
  // The pointer off the strip: the hover watch ends and the normal text comes back.
  POINT away{50, Client().bottom / 2};
  ClientToScreen(window, &away);
  SetCursorPos(away.x, away.y);
  Mouse(MOUSEEVENTF_MOVE);
  Sleep(600);
  Pump();
  Sleep(600);
  Pump();
  EXPECT_EQ(StatusText(), ToWide(LoadText(13100)));
}

TEST_F(MapPaneWinTest, DoubleClickOnTheSplitterClosesThePane) {
  StartWithFile();
  state->mapPane.Show();
  Pump();
  ASSERT_LT(TableWidth(), Client().right);
  const POINT at = SplitterOnScreen();
  SetCursorPos(at.x, at.y);
  for (int i = 0; i < 2; ++i) {
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
  }
  Pump();
  EXPECT_FALSE(IsWindowVisible(state->mapPane.Handle()));
  EXPECT_EQ(TableWidth(), Client().right);
}

TEST_F(MapPaneWinTest, ClosingWithThePaneShownWaitsTwoSecondsAndKeepsThePaneWidth) {
  StartWithFile();
  state->editor.doc.settings.window.iePane = 280;
  state->mapPane.Show();
  Pump();
  const Text page = state->mapTempFile;
  WriteBytes(std::filesystem::path(ToWide(page)), "<html></html>");
  PostMessageW(window, WM_CLOSE, 0, 0);
  Pump();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_FALSE(IsWindowVisible(state->mapPane.Handle()));
  const DWORD deadline = GetTickCount() + 5000;
  while (IsWindow(window) && GetTickCount() < deadline) Pump(1);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(profile->ReadInt(u"Window", u"IE Pane", 0), 280);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(ToWide(page))));
}

// A page stand-in: answers GetGoogleMaps from a queue and records every PutGoogleMaps.
class RecordingPage : public ScriptHost {
 public:
  std::optional<Text> Call(TextView name, const std::vector<ScriptArg>& args) override {
    if (name != u"GetGoogleMaps") {
      puts.push_back(args);
      return Text(u"0");
    }
    if (messages.empty()) return Text();
    Text next = messages.front();
    messages.pop_front();
    return next;
  }
  // The marker numbers the page was told to open, in order.
  std::vector<int> Selections() const {
    std::vector<int> markers;
    for (const auto& args : puts)
      if (args.size() == 2 && std::get<int>(args[0]) == 1) markers.push_back(std::get<int>(args[1]));
    return markers;
  }
  std::deque<Text> messages;
  std::vector<std::vector<ScriptArg>> puts;
};

// The timers drive the bridge: the page is polled, a click is pushed at once, keyboard
// travel after a pause, a middle click not at all, and a row added on the map shows in the table.
TEST_F(MapPaneWinTest, TimersPollThePageAndPushTheSelectionAtOnceForClicksLaterForKeys) {
  StartWithFile();
  state->mapPane.Show();
  RecordingPage page;
  page.messages = {u"Wayloom"};
  state->bridge.PageNavigated(&page);
  Sleep(600);
  Pump();
  EXPECT_TRUE(state->bridge.PageReady());
  EXPECT_EQ(page.Selections(), std::vector<int>{1});  // the file opened with its first row selected

  page.puts.clear();
  HWND list = state->table.Handle();
  const POINT third = RowOnScreen(list, 2);
  SetCursorPos(third.x, third.y);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_LEFTUP);
  Pump();
  EXPECT_EQ(page.Selections(), std::vector<int>{3});

  page.puts.clear();
  Key(VK_DOWN);
  EXPECT_TRUE(page.Selections().empty());
  Sleep(900);
  Pump();
  EXPECT_EQ(page.Selections(), std::vector<int>{4});

  // A middle-button click selects the row but tells the map nothing.
  page.puts.clear();
  const POINT second = RowOnScreen(list, 1);
  SetCursorPos(second.x, second.y);
  Mouse(MOUSEEVENTF_MIDDLEDOWN);
  Mouse(MOUSEEVENTF_MIDDLEUP);
  Sleep(900);
  Pump();
  EXPECT_EQ(state->editor.doc.table.FirstSelected(), 1);
  EXPECT_TRUE(page.Selections().empty());

  page.messages.push_back(u"<\t0\tKeelung\t121.74000\t25.13000");
  Sleep(600);
  Pump();
  EXPECT_EQ(Names().back(), "Keelung");
  EXPECT_EQ(ListView_GetItemCount(list), 5);
  state->bridge.PageNavigated(nullptr);
}

// Table 2000 is table 500 less exactly the keys that edit text inside the page.
TEST(MapKeysWinTest, PageKeysAreTheMainKeysLessTheTextEditingKeys) {
  const auto keysOf = [](HACCEL table) {
    std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
    CopyAcceleratorTableW(table, keys.data(), static_cast<int>(keys.size()));
    DestroyAcceleratorTable(table);
    std::set<std::tuple<BYTE, WORD, WORD>> set;
    for (const ACCEL& key : keys) set.insert({static_cast<BYTE>(key.fVirt & ~FNOINVERT), key.key, key.cmd});
    return set;
  };
  const auto main = keysOf(CreateMainAccelerators());
  const auto page = keysOf(CreateMapAccelerators());
  EXPECT_EQ(page.size(), main.size() - 8);
  std::set<std::pair<BYTE, WORD>> missing;
  for (const auto& key : main)
    if (!page.contains(key)) missing.insert({std::get<0>(key), std::get<1>(key)});
  for (const auto& key : page) EXPECT_TRUE(main.contains(key)) << "extra key for " << std::get<2>(key);
  const std::set<std::pair<BYTE, WORD>> textKeys = {
      {FVIRTKEY | FCONTROL, 'C'}, {FVIRTKEY | FCONTROL, 'V'},      {FVIRTKEY | FCONTROL, 'X'},
      {FVIRTKEY | FCONTROL, VK_INSERT}, {FVIRTKEY | FSHIFT, VK_INSERT}, {FVIRTKEY, VK_DELETE},
      {FVIRTKEY | FSHIFT, VK_DELETE},   {FVIRTKEY, VK_APPS}};
  EXPECT_EQ(missing, textKeys);
}

}  // namespace
}  // namespace wayloom::testing_window

#endif  // _WIN64
