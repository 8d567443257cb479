// The two folder browsers and the overwrite question, driven through the real window's keys:
// the shell's browser is answered from a timer inside its modal loop, as a user would.
// Built for 64 bits only: the 32-bit tests run under qemu's user-mode emulation here, where
// the shell's folder browser and its threads brought the test program down.
#if defined(_WIN64)

#include <shlobj.h>

#include <deque>

#include "MainWindowFixture.h"
#include "formats/FileTransfer.h"

namespace wayloom::testing_window {
namespace {

// A modal window to answer, once it shows: a browser gets its folder selected first (Wine
// takes a selection on the second request, so it is sent twice), then the clicks, the list
// position and the button.
struct Answer {
  std::wstring caption;
  std::wstring folder{};
  std::vector<int> clicks{};
  int listPosition = -1;  // of the conversion browser's target list
  int button = IDOK;
  bool driveArrives = false;  // instead of a button: a drive arrives while the browser is open
};

class FolderBrowsersWinTest : public MainWindowFixture {
 protected:
  static void AnswerInTurn(std::deque<Answer> list) {
    answers = std::move(list);
    okStates.clear();
    answered.clear();
    SetTimer(nullptr, 0, 150, AnswerNext);
  }
  static void CALLBACK AnswerNext(HWND, UINT, UINT_PTR timer, DWORD) {
    if (answers.empty()) return (void)KillTimer(nullptr, timer);
    Answer& answer = answers.front();
    HWND window = OwnDialog(answer.caption.c_str());
    if (!window || !IsWindowVisible(window) || window == cancelledWindow) return;
    if (!answer.folder.empty()) {
      for (int i = 0; i < 2; ++i) SendMessageW(window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(answer.folder.c_str()));
      answer.folder.clear();
      return;  // the next tick answers, once the selection has settled
    }
    if (answer.driveArrives) {
      SendMessageW(GetWindow(window, GW_OWNER), WM_DEVICECHANGE, 0x8000, 0);
      cancelledWindow = window;  // it closes now; the next answer is for the one reopened
      answers.pop_front();
      return;
    }
    for (int control : answer.clicks) SendDlgItemMessageW(window, control, BM_CLICK, 0, 0);
    if (answer.listPosition >= 0) SendDlgItemMessageW(window, 5004, CB_SETCURSEL, answer.listPosition, 0);
    okStates.push_back(IsWindowEnabled(GetDlgItem(window, IDOK)) != FALSE);
    answered.push_back(window);
    PostMessageW(window, WM_COMMAND, answer.button, 0);
    answers.pop_front();
  }
  void TearDown() override {
    answers.clear();
    okStates.clear();
    MainWindowFixture::TearDown();
  }
  static inline std::deque<Answer> answers;
  static inline std::vector<bool> okStates;
  static inline std::vector<HWND> answered;  // the windows answered with a button
  static inline HWND cancelledWindow = nullptr;
};

const std::wstring kConversionCaption = L"\x8F49\x63DB\x7684\x8CC7\x6599\x593E";  // 轉換的資料夾
const std::wstring kOverwriteCaption = L"\x6A94\x6848\x540D\x7A31\x76F8\x540C";   // 檔案名稱相同
const std::wstring kFavouritesCaption = L"\x958B\x555F\x6211\x7684\x6700\x611B";  // 開啟我的最愛
const std::wstring kMessageCaption = L"Wayloom";

// Alt+B converts the two itineraries of a folder to GPX, byte for byte as the GPX writer
// writes them; the next run opens at the same folder with the same target, and "no to
// all" at the first overwrite question keeps both old files without asking again.
TEST_F(FolderBrowsersWinTest, ConvertsAFolderToGpxAndKeepsExistingFilesOnNoToAll) {
  const std::wstring names[] = {L"\x53F0\x5317", L"\x9AD8\x96C4"};  // 台北, 高雄
  WriteBytes(folder / (names[0] + L".itn"), kFourStops);
  WriteBytes(folder / (names[1] + L".itn"), "\xEF\xBB\xBF" "12030000|2262000|\xE9\xAB\x98\xE9\x9B\x84|2\r\n");
  WriteBytes(folder / L"notes.doc", "x");
  Start();
  AnswerInTurn({{kConversionCaption, ToWide(folder.PathOf(L"")), {5001}, 1},
                {kMessageCaption}});
  Key('B', {VK_MENU});
  ASSERT_TRUE(answers.empty());
  EXPECT_EQ(okStates, (std::vector<bool>{true, true}));
  EXPECT_EQ(folder.FileCount(), 5u);

  testing::AnsweringUi quiet;
  Win32FileStore files;
  FileAccess access{quiet, files, state->codec.get(), nullptr};
  for (const std::wstring& name : names) {
    DocumentState reference;
    reference.settings = state->editor.doc.settings;
    ASSERT_EQ(ReadDocumentFile(access, reference, TransferMode::Open, folder.PathOf(name + L".itn"), 1), 0);
    ASSERT_EQ(WriteDocumentFile(access, reference, TransferMode::Save, folder.PathOf(name + L".ref"), 3), 0);
    EXPECT_EQ(ReadBytes(folder / (name + L".gpx")), ReadBytes(folder / (name + L".ref")));
  }
  const std::string taipei = ReadBytes(folder / (names[0] + L".gpx"));
  EXPECT_NE(taipei.find("<wpt lat=\"25.03300\" lon=\"121.56500\">"), std::string::npos);
  EXPECT_NE(taipei.find("\xE5\x8F\xB0\xE5\x8C\x97"), std::string::npos);
  EXPECT_EQ(state->editor.doc.table.RowCount(), 0u);  // the user's document is not touched

  for (const std::wstring& name : names) WriteBytes(folder / (name + L".gpx"), "old");
  AnswerInTurn({{kConversionCaption}, {kOverwriteCaption, L"", {}, -1, 5003}, {kMessageCaption}});
  SendMessageW(window, WM_COMMAND, IDM_CONVERT, 0);  // the toolbar's and the menu's way
  ASSERT_TRUE(answers.empty());
  for (const std::wstring& name : names) EXPECT_EQ(ReadBytes(folder / (name + L".gpx")), "old");
  EXPECT_FALSE(state->conversion.toItn);
  EXPECT_EQ(state->conversion.target, 1);

  // Cancel in the browser converts nothing and keeps the choice.
  AnswerInTurn({{kConversionCaption, L"", {5000}, -1, IDCANCEL}});
  SendMessageW(window, WM_COMMAND, IDM_CONVERT, 0);
  EXPECT_FALSE(state->conversion.toItn);
}

// A favourite record and a home record (category 4), as the device stores them.
std::string FavouritesFile() {
  auto record = [](char category, std::int32_t lon, std::int32_t lat, const std::string& name) {
    std::string bytes{4, 0, category, 0, 0, 0, 8, 0};
    for (std::int32_t value : {lon, lat})
      for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>(static_cast<std::uint32_t>(value) >> shift);
    return bytes + std::string{8, 0} + std::string(8, 'z') + "\x1B\x1B" + static_cast<char>(name.size() + 27) + name;
  };
  return record(3, 12156500, 2503300, "Taipei 101") + record(4, 12030000, 2262000, "Base") + std::string(30, '\0');
}

// Alt+R: OK stays greyed for a folder without the favourites file; a drive arriving reopens
// the browser; with the file and the box ticked, the favourites and the home place open as
// an untitled table; the box is remembered.
TEST_F(FolderBrowsersWinTest, OpensTheDeviceFavouritesOfTheChosenFolder) {
  std::filesystem::create_directories(folder / L"device");
  WriteBytes(folder / L"device" / L"MapSettings.cfg", FavouritesFile());
  WriteBytes(folder / L"trip.itn", kFourStops);
  Start(folder.PathOf(L"trip.itn"));
  AnswerInTurn({{kFavouritesCaption, ToWide(folder.PathOf(L"")), {}, -1, IDOK},
                {kFavouritesCaption, L"", {}, -1, 0, true},
                {kFavouritesCaption, L"", {}, -1, IDCANCEL}});
  Key('R', {VK_MENU});  // OK refused while greyed, a drive arrives, then Cancel
  ASSERT_TRUE(answers.empty());
  EXPECT_EQ(okStates, (std::vector<bool>{false, false}));
  EXPECT_NE(answered.at(0), answered.at(1));  // the browser was opened again
  EXPECT_EQ(Names().size(), 4u);

  AnswerInTurn({{kFavouritesCaption, (folder / L"device").wstring(), {5010}, -1, IDOK}});
  SendMessageW(window, WM_COMMAND, IDM_OPEN_FAVOURITES, 0);
  Pump();
  ASSERT_TRUE(answers.empty());
  EXPECT_EQ(okStates, (std::vector<bool>{true}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"Taipei 101@\xE6\x88\x91\xE7\x9A\x84\xE6\x9C\x80\xE6\x84\x9B",
                                               "Base@\xE6\x88\x91\xE7\x9A\x84\xE5\xAE\xB6"}));  // 我的最愛, 我的家
  EXPECT_EQ(TextToUtf8(state->editor.doc.document.title), "Favorites");
  EXPECT_TRUE(state->editor.doc.document.path.empty());
  EXPECT_TRUE(state->favourites.includeHomeAndRecent);
  EXPECT_EQ(state->favourites.lastFolder, folder.PathOf(L"device"));
}

}  // namespace
}  // namespace wayloom::testing_window

#endif  // _WIN64
