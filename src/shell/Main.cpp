// Program start: error mode, profile records, common controls, the main window and the
// message loop.
#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Settings.h"
#include "core/StringTable.h"
#include "core/WindowPlacement.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Profile.h"
#include "shell/CommandTable.h"
#include "shell/MainWindow.h"
#include "shell/VersionNotice.h"

namespace wayloom {
namespace {

constexpr int kCannotInitControls = 14427;
constexpr int kCannotRegisterClass = 14428;
constexpr int kCannotCreateWindow = 14429;
constexpr wchar_t kVersionBlock[] = L"\\StringFileInfo\\040404B0\\";

int StartupFailure(int stringId) {
  std::wstring text = ToWide(LoadText(stringId));
  std::wstring caption = ToWide(LoadText(kProductNameString));
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_ICONEXCLAMATION);
  return 1;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

// The module path with its extension (if any) replaced by ".ini".
std::wstring ProfilePath(const std::wstring& modulePath) {
  std::size_t nameStart = modulePath.find_last_of(L"\\/");
  nameStart = nameStart == std::wstring::npos ? 0 : nameStart + 1;
  std::size_t dot = modulePath.rfind(L'.');
  std::size_t stem = dot == std::wstring::npos || dot < nameStart ? modulePath.size() : dot;
  return modulePath.substr(0, stem) + L".ini";
}

struct VersionTexts {
  Text productVersion;
  Text copyright;
};

VersionTexts ReadVersionTexts(const std::wstring& modulePath) {
  VersionTexts texts;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(modulePath.c_str(), &ignored);
  if (size == 0) return texts;
  std::vector<std::uint8_t> block(size);
  if (!GetFileVersionInfoW(modulePath.c_str(), 0, size, block.data())) return texts;
  auto query = [&block](const wchar_t* name) {
    std::wstring key = std::wstring(kVersionBlock) + name;
    void* value = nullptr;
    UINT units = 0;
    if (!VerQueryValueW(block.data(), key.c_str(), &value, &units) || !value || units == 0) return Text();
    return FromWide(static_cast<const wchar_t*>(value));
  };
  texts.productVersion = query(L"ProductVersion");
  texts.copyright = query(L"LegalCopyright");
  return texts;
}

bool HasModernVisuals() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto rtlGetVersion =
      ntdll ? reinterpret_cast<RtlGetVersionFunction>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
  if (rtlGetVersion && rtlGetVersion(&version) == 0) return version.dwMajorVersion >= 6;
  if (GetVersionExW(&version)) return version.dwMajorVersion >= 6;
  return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// The text after the program name: one path. A leading quote starts it and the last
// quote ends it; an unquoted path loses surrounding blanks.
Text CommandLinePath(const wchar_t* commandLine) {
  std::wstring_view rest(commandLine ? commandLine : L"");
  if (!rest.empty() && rest.front() == L'"') {
    std::size_t close = rest.find(L'"', 1);
    rest.remove_prefix(close == std::wstring_view::npos ? rest.size() : close + 1);
  } else {
    std::size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end])) ++end;
    rest.remove_prefix(end);
  }
  while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  if (!rest.empty() && rest.front() == L'"') {
    rest.remove_prefix(1);
    std::size_t lastQuote = rest.rfind(L'"');
    if (lastQuote != std::wstring_view::npos) rest = rest.substr(0, lastQuote);
    return FromWide(rest);
  }
  while (!rest.empty() && IsBlank(rest.back())) rest.remove_suffix(1);
  return FromWide(rest);
}

Rect WorkArea() {
  RECT area{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return Rect{area.left, area.top, area.right, area.bottom};
}

int RunMessageLoop(MainWindowState& state, HACCEL accelerators) {
  MSG message;
  for (;;) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) continue;
    if (TranslateMainWindowMessage(state, accelerators, message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

int Run(HINSTANCE instance, int startShow) {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOALIGNMENTFAULTEXCEPT | SEM_NOOPENFILEERRORBOX);

  Text product(LoadText(kProductNameString));
  std::wstring modulePath = ModulePath();
  VersionTexts version = ReadVersionTexts(modulePath);
  Win32Profile profile{std::filesystem::path(ProfilePath(modulePath))};
  WriteProfileRecords(profile, product, version.productVersion, version.copyright);

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
  if (!InitCommonControlsEx(&controls)) return StartupFailure(kCannotInitControls);

  Text startPath = CommandLinePath(GetCommandLineW());
  if (!RegisterMainWindowClass(instance)) return StartupFailure(kCannotRegisterClass);

  bool modernVisuals = HasModernVisuals();
  auto state = std::make_unique<MainWindowState>(profile, modernVisuals, std::move(startPath));
  state->editor.doc.settings = DefaultSettings(modernVisuals);
  LoadWindowSettings(profile, state->editor.doc.settings);
  Placement placement = PlaceMainWindow(state->editor.doc.settings.window, WorkArea(), startShow);

  HWND window = CreateMainWindow(instance, *state, placement.x, placement.y, placement.width, placement.height);
  if (!window) return StartupFailure(kCannotCreateWindow);
  ShowWindow(window, placement.show == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
  UpdateWindow(window);
  StartVersionCheck(window, profile, product, version.productVersion,
                    static_cast<std::uint32_t>(state->editor.doc.settings.lastNotify));

  HACCEL accelerators = CreateMainAccelerators();
  const int exitCode = RunMessageLoop(*state, accelerators);
  if (accelerators) DestroyAcceleratorTable(accelerators);
  return exitCode;
}

}  // namespace
}  // namespace wayloom

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int startShow) { return wayloom::Run(instance, startShow); }
