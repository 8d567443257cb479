// Plays the companion points-of-interest editor in a process of its own for the window
// tests: a top-level window of its class that answers the exchange messages and reads and
// writes the shared row blocks as the companion does.
//
//   FakeCompanion.exe <reply> <received file> [<rows file>]
//
// <reply>          the answer to "may I send you rows now?": 7 ready, 1 busy, anything else
//                  an incompatible answer; drags over the window are answered 7 (a drop here)
// <received file>  every block read (sent with 0x8000 or dropped with 0x8001) is appended as
//                  UTF-8, one string per line, then a line "--"
// <rows file>      UTF-8, one string per line, three per row (name, longitude, latitude), read
//                  when sending: the rows sent to a window when the test posts WM_APP + 16 (wParam: the window;
//                  lParam 0: sent with 0x8000 as the companion's command does; 1: dropped
//                  with 0x8001 in the companion's drag layout, two extra strings per row)
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kExchangeMessage = 0x8000;
constexpr UINT kDragMessage = 0x8001;
constexpr UINT kSendRows = WM_APP + 16;  // past the two exchange messages (WM_APP, WM_APP + 1)
constexpr LRESULT kReady = 7;
constexpr DWORD kBlockBytes = 64 * 1024;

LRESULT reply = kReady;
std::wstring receivedPath;
std::wstring rowsPath;

std::string Utf8(const std::wstring& text) {
  const int size = static_cast<int>(text.size());
  std::string bytes(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  return bytes;
}

std::wstring Wide(const std::string& bytes) {
  const int size = static_cast<int>(bytes.size());
  std::wstring text(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, text.data(), static_cast<int>(text.size()));
  return text;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return lines;
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  std::size_t start = 0;
  for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(Wide(bytes.substr(start, end - start)));
  return lines;
}

// Reads the strings of the block written by this program's peer, up to its empty string and
// never past the mapping, and appends them to the received file.
void ReadBlock(const wchar_t* name) {
  std::string out;
  if (HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name)) {
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) {
      MEMORY_BASIC_INFORMATION region{};
      VirtualQuery(view, &region, sizeof region);
      const auto* at = static_cast<const wchar_t*>(view);
      const wchar_t* end = at + region.RegionSize / sizeof(wchar_t);
      while (at < end && *at) {
        const wchar_t* stop = at;
        while (stop < end && *stop) ++stop;
        out += Utf8(std::wstring(at, stop)) + "\n";
        at = stop + 1;
      }
      UnmapViewOfFile(view);
    } else {
      out += "(unmapped)\n";
    }
    CloseHandle(mapping);
  } else {
    out += "(no block)\n";
  }
  out += "--\n";
  HANDLE file = CreateFileW(receivedPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
  CloseHandle(file);
}

// The rows of the rows file, sent or dropped on target as the companion does: the block
// lives until the synchronous message returns.
void SendRows(HWND target, bool drop) {
  const std::vector<std::wstring> rowStrings = ReadLines(rowsPath);
  std::wstring units;
  for (std::size_t i = 0; i < rowStrings.size(); ++i) {
    units += rowStrings[i] + L'\0';
    if (drop && i % 3 == 2) units += std::wstring(L"extra") + L'\0' + L"more" + L'\0';
  }
  units += L'\0';
  HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockBytes, L"Pinloom");
  void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0) : nullptr;
  if (!view) return;
  CopyMemory(view, units.data(), (std::min)(units.size() * sizeof(wchar_t), static_cast<std::size_t>(kBlockBytes)));
  UnmapViewOfFile(view);
  DWORD_PTR answer = 0;
  if (drop) {
    // The drop position is where the test put the cursor.
    if (SendMessageTimeoutW(target, kDragMessage, 0, 0, SMTO_BLOCK, 500, &answer) && answer == kReady)
      SendMessageW(target, kDragMessage, 1, 1);
  } else if (SendMessageTimeoutW(target, kExchangeMessage, 1, 0, SMTO_BLOCK, 500, &answer) && answer == kReady) {
    SendMessageW(target, kExchangeMessage, 0, 0);
  }
  CloseHandle(mapping);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kExchangeMessage:
      if (wParam == 1) return reply;
      if (wParam == 0) ReadBlock(L"Wayloom");
      return 0;
    case kDragMessage:
      if (wParam == 0) return kReady;
      if (wParam == 1) ReadBlock(L"Wayloom");
      return 0;
    case kSendRows:
      SendRows(reinterpret_cast<HWND>(wParam), lParam != 0);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  if (__argc < 3) return 2;
  reply = _wtoi(__wargv[1]);
  receivedPath = __wargv[2];
  if (__argc > 3) rowsPath = __wargv[3];
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"PinloomApp";
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  if (!RegisterClassW(&windowClass)) return 1;
  // Below the tests' main window (40, 40, 760 x 480), where rows can be dragged onto it.
  // Shown without taking the focus from the test's window, whose keys the test presses.
  HWND window = CreateWindowExW(WS_EX_NOACTIVATE, L"PinloomApp", L"Pinloom", WS_POPUP | WS_BORDER, 0, 600, 200, 120,
                                nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOWNOACTIVATE);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
