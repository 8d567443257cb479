// Starts Wayloom.exe with an itinerary file, waits for its main window, reads the table
// from the outside as a user would see it, closes the program and reports.
//
//   WindowProbe.exe <Wayloom.exe> <itn file> <expected title> <expected rows> [--first-name <name>] [--keys] [--save]
//
// --first-name   the first row's name must be this text
// --keys         presses Ctrl+A, Del (the table empties, the title gains "*"), then Ctrl+Z
//                (every row back) on the program's window, as a user would
// --save         sends the save command before closing (the caller checks the file)
//
// The probe and the program must be built for the same word size: the list view's item
// structure is written into the program's memory as this process lays it out.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SendKeys.h"

#include "core/CommandIds.h"

using wayloom::testing::PressKey;

namespace {

constexpr DWORD kPollMs = 50;
constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kTextUnits = 512;

void Print(const std::wstring& text) {
  const std::wstring line = text + L"\n";
  const int size = static_cast<int>(line.size());
  std::string utf8(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, line.c_str(), size, nullptr, 0, nullptr, nullptr)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), size, utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Fail(const std::wstring& text) {
  Print(L"probe: FAILED: " + text);
  return 1;
}

// Polls until the test holds or the time is up; returns whether it held.
template <class Test>
bool WaitFor(DWORD timeoutMs, Test test) {
  for (const DWORD start = GetTickCount(); !test(); Sleep(kPollMs))
    if (GetTickCount() - start >= timeoutMs) return false;
  return true;
}

std::wstring WindowText(HWND window) {
  wchar_t text[kTextUnits] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, kTextUnits, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &copied))
    return std::wstring();
  return std::wstring(text, static_cast<std::size_t>(copied));
}

struct WindowSearch {
  DWORD processId = 0;
  HWND window = nullptr;  // the program's main window, whatever its title
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  wchar_t className[64] = {};
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || !GetClassNameW(window, className, 64) || std::wstring(className) != L"WayloomApp")
    return TRUE;
  search.window = window;
  return FALSE;
}

long long ItemCount(HWND list) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count)) return -1;
  return static_cast<long long>(count);
}

// The list view is owner-data: the text comes from the program's answer to LVN_GETDISPINFO,
// written into memory of the program's own.
bool ReadCellText(HANDLE process, HWND list, int row, int column, std::wstring& text) {
  const std::size_t bufferBytes = kTextUnits * sizeof(wchar_t);
  auto* remoteItem = static_cast<std::uint8_t*>(
      VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + bufferBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!remoteItem) return false;
  auto* remoteText = remoteItem + sizeof(LVITEMW);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remoteText);
  item.cchTextMax = kTextUnits;
  std::vector<wchar_t> buffer(kTextUnits, L'\0');
  DWORD_PTR length = 0;
  const bool ok = WriteProcessMemory(process, remoteItem, &item, sizeof item, nullptr) &&
                  SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remoteItem),
                                      SMTO_ABORTIFHUNG, kMessageTimeoutMs, &length) &&
                  ReadProcessMemory(process, remoteText, buffer.data(), bufferBytes, nullptr);
  VirtualFreeEx(process, remoteItem, 0, MEM_RELEASE);
  buffer.back() = L'\0';
  text = buffer.data();
  return ok;
}

// Select all and delete, then undo: the program's own keys, as a user presses them.
bool PressKeys(HWND window, HWND list, const std::wstring& title, long long rows) {
  SetForegroundWindow(window);
  WaitFor(5000, [&] { return GetForegroundWindow() == window; });
  PressKey('A', {VK_CONTROL});
  PressKey(VK_DELETE);
  const std::wstring modifiedTitle = title.substr(0, title.find(L" - ")) + L"* - Wayloom";
  if (!WaitFor(10000, [&] { return ItemCount(list) == 0 && WindowText(window) == modifiedTitle; }))
    return Fail(L"Ctrl+A, Del: " + std::to_wstring(ItemCount(list)) + L" rows, title \"" + WindowText(window) + L"\"") == 0;
  Print(L"probe: Ctrl+A, Del emptied the table, title \"" + modifiedTitle + L"\"");
  PressKey('Z', {VK_CONTROL});
  if (!WaitFor(10000, [&] { return ItemCount(list) == rows; }))
    return Fail(L"Ctrl+Z brought back " + std::to_wstring(ItemCount(list)) + L" rows") == 0;
  Print(L"probe: Ctrl+Z brought back " + std::to_wstring(rows) + L" rows");
  return true;
}

// Ends the program if a check failed before it could be closed.
struct ProgramRun {
  PROCESS_INFORMATION info{};
  ~ProgramRun() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 99);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t* end = nullptr;
  const long long expectedRows = argc >= 5 ? std::wcstoll(argv[4], &end, 10) : -1;
  const wchar_t* firstName = nullptr;
  bool save = false, keys = false, usage = expectedRows < 0 || *end != L'\0';
  for (int i = 5; i < argc && !usage; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--save") save = true;
    else if (argument == L"--keys") keys = true;
    else if (argument == L"--first-name" && i + 1 < argc) firstName = argv[++i];
    else usage = true;
  }
  if (usage) {
    Print(L"usage: WindowProbe.exe <Wayloom.exe> <itn file> <expected title> <expected rows> [--first-name <name>] "
          L"[--keys] [--save]");
    return 2;
  }
  const std::wstring program = argv[1], title = argv[3];

  ProgramRun run;
  std::wstring commandLine = L"\"" + program + L"\" \"" + argv[2] + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &run.info))
    return Fail(L"cannot start " + program + L" (error " + std::to_wstring(GetLastError()) + L")");
  const HANDLE process = run.info.hProcess;
  WindowSearch search{run.info.dwProcessId};
  std::wstring shownTitle;
  const bool found = WaitFor(60000, [&] {
    search.window = nullptr;
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    if (search.window) shownTitle = WindowText(search.window);
    return (search.window && shownTitle == title) || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  });
  if (!found || shownTitle != title) {
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return Fail(L"the program ended before its window showed the title");
    if (!search.window) return Fail(L"no window of class WayloomApp appeared within 60 s");
    return Fail(L"window title is \"" + shownTitle + L"\", expected \"" + title + L"\"");
  }
  const HWND window = search.window;
  Print(L"probe: title \"" + shownTitle + L"\"");

  const HWND list = FindWindowExW(window, nullptr, L"SysListView32", nullptr);
  if (!list) return Fail(L"the main window has no SysListView32 child");
  WaitFor(10000, [&] { return ItemCount(list) == expectedRows; });
  const long long rows = ItemCount(list);
  Print(L"probe: rows " + std::to_wstring(rows));
  std::wstring name;
  const bool readName = rows > 0 && ReadCellText(process, list, 0, 0, name);
  if (readName) Print(L"probe: first row name \"" + name + L"\"");

  bool ok = true;
  if (rows != expectedRows)
    ok = Fail(L"the table has " + std::to_wstring(rows) + L" rows, expected " + std::to_wstring(expectedRows)) == 0;
  if (firstName && (!readName || name != firstName))
    ok = Fail(L"first row name \"" + name + L"\", expected \"" + firstName + L"\"") == 0;
  if (keys && ok) ok = PressKeys(window, list, title, expectedRows);
  if (save) PostMessageW(window, WM_COMMAND, IDM_SAVE, 0);

  PostMessageW(window, WM_CLOSE, 0, 0);
  DWORD exitCode = 0;
  if (WaitForSingleObject(process, 30000) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &exitCode))
    return Fail(L"the program did not end within 30 s of WM_CLOSE");
  Print(L"probe: exit code " + std::to_wstring(exitCode));
  if (exitCode != 0) return Fail(L"the program ended with exit code " + std::to_wstring(exitCode));
  if (!ok) return 1;
  Print(L"probe: ok");
  return 0;
}
