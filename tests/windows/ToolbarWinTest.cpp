// The toolbar built from the settings and the profile: its layout, its saved layout, the
// button states kept for removed buttons, its height and its images.
#include "shell/Toolbar.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <vector>

#include "WinTestSupport.h"
#include "platform/win32/Win32Profile.h"
#include "shell/CommandTable.h"
#include "shell/ResourceIds.h"

namespace wayloom {
namespace {

using testing::WinTempFolder;

Toolbar* notified = nullptr;  // the toolbar the test window passes its notifications to

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && notified)
    if (const auto result = notified->OnNotify(*reinterpret_cast<const NMHDR*>(lParam))) return *result;
  return DefWindowProcW(window, message, wParam, lParam);
}

class ToolbarWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = ParentProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"WayloomToolbarTest";
    RegisterClassW(&windowClass);
    parent = CreateWindowExW(0, L"WayloomToolbarTest", L"", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 300, nullptr, nullptr,
                             windowClass.hInstance, nullptr);
    ASSERT_NE(parent, nullptr);
    notified = &toolbar;
  }
  void TearDown() override {
    notified = nullptr;
    DestroyWindow(parent);
  }

  void Create(int width = 3000) {
    ASSERT_TRUE(toolbar.Create(parent, GetModuleHandleW(nullptr), settings, profile, true));
    SetWindowPos(toolbar.Handle(), nullptr, 0, 0, width, 100, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(toolbar.Handle(), TB_AUTOSIZE, 0, 0);
  }
  // Commands in toolbar order, 0 for a separator.
  std::vector<int> Buttons() const {
    std::vector<int> commands;
    const int count = static_cast<int>(SendMessageW(toolbar.Handle(), TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      TBBUTTON button{};
      SendMessageW(toolbar.Handle(), TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
      commands.push_back(button.fsStyle & BTNS_SEP ? 0 : button.idCommand);
    }
    return commands;
  }
  LRESULT Notify(UINT code) {
    NMHDR header{toolbar.Handle(), 0, code};
    return SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
  }
  std::optional<Text> SavedLayout() { return profile.ReadString(u"Options", u"Toolbar Button"); }

  WinTempFolder folder;
  Win32Profile profile{folder / L"Wayloom.ini"};
  Settings settings = DefaultSettings(true);
  HWND parent = nullptr;
  Toolbar toolbar;
};

// The made bitmaps load as 32-bit strips of the sizes their users cut them into.
TEST(ToolbarImages, BitmapsAreStripsOfTheExpectedSizes) {
  const struct { int id, width, height; } bitmaps[] = {
      {IDB_TOOLBAR_LARGE, 24 * 51, 24}, {IDB_TOOLBAR_SMALL, 16 * 51, 16}, {IDB_CHEVRON, 2 * 8, 24},
      {IDB_STATUS_LARGE, 4 * 32, 24}, {IDB_STATUS_SMALL, 4 * 24, 16},
  };
  for (const auto& expected : bitmaps) {
    HANDLE bitmap = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(expected.id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_NE(bitmap, nullptr) << expected.id;
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    EXPECT_EQ(std::vector({info.bmWidth, info.bmHeight, static_cast<LONG>(info.bmBitsPixel)}),
              std::vector<LONG>({expected.width, expected.height, 32})) << expected.id;
    DeleteObject(bitmap);
  }
  EXPECT_NE(LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_CHEVRON)), nullptr);
}

TEST_F(ToolbarWinTest, DefaultLayoutIsGroupedAndAChangedLayoutIsWrittenAndReadBack) {
  Create();
  std::vector<int> expected;
  for (int command = IDM_FIRST; command <= IDM_LAST; ++command) {
    if (ToolbarImageOf(command) >= 0) expected.push_back(command);
    for (int groupEnd : {1007, 1016, 1022, 1026, 1030, 1036, 1044, 1046, 1057})
      if (command == groupEnd) expected.push_back(0);
  }
  ASSERT_EQ(expected.size(), 60u);
  EXPECT_EQ(Buttons(), expected);

  // The tooltip and the customisation text of a button.
  HWND tooltips = reinterpret_cast<HWND>(SendMessageW(toolbar.Handle(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(tooltips, nullptr);
  NMTTDISPINFOW tip{};
  tip.hdr = {tooltips, IDM_SAVE, TTN_GETDISPINFOW};
  SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(tip.lpszText, L"儲存檔案");
  wchar_t text[64] = {};
  NMTOOLBARW info{};
  info.hdr = {toolbar.Handle(), 0, TBN_GETBUTTONINFOW};
  info.iItem = 50;
  info.pszText = text;
  info.cchText = 64;
  EXPECT_EQ(SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), TRUE);
  EXPECT_EQ(info.tbButton.idCommand, IDM_ABOUT);
  EXPECT_STREQ(text, L"關於 Wayloom");
  info.iItem = 51;
  EXPECT_EQ(SendMessageW(parent, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info)), FALSE);

  // The customisation dialog's change: button 1000 and the first separator removed.
  EXPECT_FALSE(SavedLayout());
  SendMessageW(toolbar.Handle(), TB_DELETEBUTTON, 8, 0);
  SendMessageW(toolbar.Handle(), TB_DELETEBUTTON, 0, 0);
  Notify(TBN_TOOLBARCHANGE);
  const std::optional<Text> saved = SavedLayout();
  ASSERT_TRUE(saved);
  EXPECT_EQ(saved->substr(0, 22), u"1 2 3 4 5 6 7 8 9 10 1");
  std::vector<int> changed = expected;
  changed.erase(changed.begin() + 8);
  changed.erase(changed.begin());
  Toolbar second;
  ASSERT_TRUE(second.Create(parent, GetModuleHandleW(nullptr), settings, profile, true));
  EXPECT_EQ(static_cast<int>(SendMessageW(second.Handle(), TB_BUTTONCOUNT, 0, 0)), 58);
  Create();
  EXPECT_EQ(Buttons(), changed);

  // Reset brings the default back and deletes the key.
  Notify(TBN_RESET);
  EXPECT_EQ(Buttons(), expected);
  EXPECT_FALSE(SavedLayout());
}

TEST_F(ToolbarWinTest, StatesOfButtonsNotOnTheToolbarAreKeptForThem) {
  profile.WriteString(u"Options", u"Toolbar Button", u"0 51 1 0 99");
  Create();
  ASSERT_EQ(Buttons(), std::vector<int>({IDM_NEW, 0, IDM_OPEN}));

  CommandStates states{};
  states[IDM_SAVE] = {false, true};
  states[IDM_OPEN] = {false, false};
  toolbar.ApplyStates(states);
  toolbar.Press(IDM_SAVE, true);
  toolbar.Press(IDM_NEW, true);
  EXPECT_EQ(toolbar.ButtonState(IDM_SAVE), TBSTATE_CHECKED | TBSTATE_PRESSED);
  EXPECT_EQ(toolbar.ButtonState(IDM_OPEN), 0);
  EXPECT_EQ(toolbar.ButtonState(IDM_NEW), TBSTATE_ENABLED | TBSTATE_PRESSED);
  EXPECT_EQ(toolbar.ButtonState(IDM_EXIT), 0);  // no button

  // A removed button keeps its state; a button put back shows the stored one.
  toolbar.Press(IDM_NEW, false);
  states[IDM_NEW] = {false, false};
  toolbar.ApplyStates(states);
  SendMessageW(toolbar.Handle(), TB_DELETEBUTTON, 0, 0);
  EXPECT_EQ(toolbar.ButtonState(IDM_NEW), 0);
  Notify(TBN_RESET);
  ASSERT_EQ(Buttons().size(), 60u);
  EXPECT_EQ(toolbar.ButtonState(IDM_SAVE), TBSTATE_CHECKED | TBSTATE_PRESSED);
  EXPECT_EQ(toolbar.ButtonState(IDM_NEW), 0);
  EXPECT_EQ(toolbar.ButtonState(IDM_UNDO), TBSTATE_ENABLED);

  // Recreating the toolbar (large or small images) keeps the states too.
  toolbar.ToggleLarge();
  EXPECT_EQ(toolbar.ButtonState(IDM_SAVE), TBSTATE_CHECKED | TBSTATE_PRESSED);
}

int ImageSize(HWND toolbar, UINT message) {
  int width = 0, height = 0;
  ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, message, 0, 0)), &width, &height);
  return width == height ? width : -1;
}

std::vector<std::uint32_t> FirstImagePixels(HIMAGELIST list) {
  IMAGEINFO info{};
  if (!ImageList_GetImageInfo(list, 0, &info)) return {};
  const int width = info.rcImage.right - info.rcImage.left, height = info.rcImage.bottom - info.rcImage.top;
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> all(static_cast<std::size_t>(width) * height);
  HDC dc = GetDC(nullptr);
  // The image list's bitmap may hold several images side by side; the first one starts at 0.
  BITMAP bitmap{};
  GetObjectW(info.hbmImage, sizeof bitmap, &bitmap);
  std::vector<std::uint32_t> whole(static_cast<std::size_t>(bitmap.bmWidth) * bitmap.bmHeight);
  format.bmiHeader.biWidth = bitmap.bmWidth;
  format.bmiHeader.biHeight = -bitmap.bmHeight;
  GetDIBits(dc, info.hbmImage, 0, bitmap.bmHeight, whole.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      all[static_cast<std::size_t>(y) * width + x] =
          whole[static_cast<std::size_t>(y + info.rcImage.top) * bitmap.bmWidth + x + info.rcImage.left];
  return all;
}

TEST_F(ToolbarWinTest, HeightFollowsVisibilityRowsAndImageSize) {
  settings.Set(Option::ShowToolbar, false);
  Create();
  EXPECT_FALSE(toolbar.Visible());
  EXPECT_EQ(toolbar.LayoutHeight(), 0);

  toolbar.Show(true);
  EXPECT_TRUE(settings.Get(Option::ShowToolbar));
  const int buttonHeight = HIWORD(SendMessageW(toolbar.Handle(), TB_GETBUTTONSIZE, 0, 0));
  EXPECT_GE(buttonHeight, 24);
  const int oneRow = toolbar.LayoutHeight();
  RECT first{};
  SendMessageW(toolbar.Handle(), TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
  EXPECT_EQ(oneRow, first.bottom + 8);
  EXPECT_EQ(ImageSize(toolbar.Handle(), TB_GETIMAGELIST), 24);
  EXPECT_EQ(ImageSize(toolbar.Handle(), TB_GETHOTIMAGELIST), 24);
  EXPECT_EQ(ImageList_GetImageCount(toolbar.SmallImages()), kToolbarImageCount);

  // Hovered images: each channel 10 % brighter (255 from 232 on), alpha kept.
  const auto normal = FirstImagePixels(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar.Handle(), TB_GETIMAGELIST, 0, 0)));
  const auto hot = FirstImagePixels(reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar.Handle(), TB_GETHOTIMAGELIST, 0, 0)));
  ASSERT_EQ(normal.size(), 24u * 24u);
  ASSERT_EQ(hot.size(), normal.size());
  int opaque = 0, clear = 0;
  for (std::size_t i = 0; i < normal.size(); ++i) {
    const std::uint32_t alpha = normal[i] >> 24;
    opaque += alpha == 255;
    clear += alpha == 0;
    for (int shift = 0; shift < 32; shift += 8) {
      const std::uint32_t c = (normal[i] >> shift) & 0xFF;
      const std::uint32_t expected = shift == 24 ? c : c >= 232 ? 255 : c * 11 / 10;
      ASSERT_EQ((hot[i] >> shift) & 0xFF, expected) << "pixel " << i << " channel " << shift;
    }
  }
  EXPECT_GT(opaque, 50);  // the image is drawn with its alpha: solid inside, clear around
  EXPECT_GT(clear, 50);

  // Wrapping on a narrow toolbar: more rows, taller.
  SetWindowPos(toolbar.Handle(), nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(toolbar.Handle(), TB_AUTOSIZE, 0, 0);
  EXPECT_GT(toolbar.LayoutHeight(), 3 * buttonHeight);
  toolbar.ToggleWrap();
  EXPECT_FALSE(settings.Get(Option::WrapToolbar));
  EXPECT_EQ(toolbar.LayoutHeight(), oneRow);

  toolbar.ToggleLarge();  // recreated with 16-pixel images, not wrapping
  SetWindowPos(toolbar.Handle(), nullptr, 0, 0, 300, 100, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(toolbar.Handle(), TB_AUTOSIZE, 0, 0);
  EXPECT_FALSE(settings.Get(Option::LargeToolbar));
  EXPECT_EQ(ImageSize(toolbar.Handle(), TB_GETIMAGELIST), 16);
  const int smallHeight = HIWORD(SendMessageW(toolbar.Handle(), TB_GETBUTTONSIZE, 0, 0));
  EXPECT_LT(smallHeight, buttonHeight);
  EXPECT_LT(toolbar.LayoutHeight(), oneRow);

  // Without buttons the height is the button height.
  profile.WriteString(u"Options", u"Toolbar Button", u"");
  Create();
  EXPECT_EQ(toolbar.LayoutHeight(), smallHeight);
  toolbar.Show(false);
  EXPECT_EQ(toolbar.LayoutHeight(), 0);
}

}  // namespace
}  // namespace wayloom
