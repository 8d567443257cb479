#include "shell/RecentFilesMenu.h"

#include <shlwapi.h>

#include <string>

#include "core/CommandIds.h"
#include "editing/DocumentCommands.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

constexpr int kMenuTextWidth = 300;  // pixels of the menu font

Text Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? FromWide(std::wstring(value, length)) : Text();
}


// The position of the first recent item: after the separator that follows export.
int FirstRecentPosition(HMENU fileMenu) {
  const int count = GetMenuItemCount(fileMenu);
  for (int i = 0; i < count; ++i)
    if (GetMenuItemID(fileMenu, i) == IDM_EXPORT) return i + 2;
  return count;
}

// "&1 " and the display path, the path shortened with an ellipsis to the menu's width.
std::wstring ShortenedText(HDC dc, TextView menuText) {
  const std::size_t prefix = 3;  // "&1 "
  std::wstring path = ToWide(menuText.substr(prefix));
  path.resize(std::max<std::size_t>(path.size(), MAX_PATH) + 1, L'\0');
  PathCompactPathW(dc, path.data(), kMenuTextWidth);
  path.resize(wcslen(path.c_str()));
  return ToWide(menuText.substr(0, prefix)) + path;
}

}  // namespace

ShellFolders CurrentShellFolders() {
  ShellFolders folders{Environment(L"USERPROFILE"), Environment(L"ALLUSERSPROFILE"), Environment(L"SystemDrive"), 6};
  folders.majorVersion = LOBYTE(LOWORD(GetVersion()));
  return folders;
}

void RebuildRecentFilesMenu(HWND window, HMENU fileMenu, const Settings& settings, int& shown) {
  if (!fileMenu) return;
  const int first = FirstRecentPosition(fileMenu);
  // Remove the old items and their separator.
  if (shown > 0) {
    for (int i = 0; i <= shown; ++i) DeleteMenu(fileMenu, first, MF_BYPOSITION);
    shown = 0;
  }
  const auto& list = settings.recentFiles;
  if (list.empty() || !settings.Get(Option::RecentFile)) return;

  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC dc = GetDC(window);
  HGDIOBJ oldFont = SelectObject(dc, font);
  const ShellFolders folders = CurrentShellFolders();
  const std::size_t count = std::min<std::size_t>(list.size(), 9);
  for (std::size_t j = 0; j < count; ++j) {
    const std::wstring text = ShortenedText(dc, RecentMenuText(j, list[j], folders));
    InsertMenuW(fileMenu, first + static_cast<int>(j), MF_BYPOSITION | MF_STRING,
                IDM_RECENT_FIRST + j, text.c_str());
  }
  InsertMenuW(fileMenu, first + static_cast<int>(count), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  shown = static_cast<int>(count);
  SelectObject(dc, oldFont);
  ReleaseDC(window, dc);
  DeleteObject(font);
}

void GreyMissingRecentFiles(HMENU fileMenu, const Settings& settings, FileStore& files) {
  const auto& list = settings.recentFiles;
  for (std::size_t j = 0; j < list.size() && j < 9; ++j)
    EnableMenuItem(fileMenu, IDM_RECENT_FIRST + static_cast<UINT>(j),
                   MF_BYCOMMAND | (RecentItemEnabled(files, list[j]) ? MF_ENABLED : MF_GRAYED));
}

}  // namespace wayloom
