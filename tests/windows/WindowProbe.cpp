// Starts Wayloom.exe with an itinerary file, waits for its main window, reads the table
// from the outside as a user would see it, closes the program and reports.
//
//   WindowProbe.exe <Wayloom.exe> <itn file> <expected title> <expected rows>
//                   [--first-name <name>] [--save] [--screenshot-pause <marker prefix>]
//
// --first-name   the first row's name must be this text
// --save         sends the save command before closing (the caller checks the file)
// --screenshot-pause  creates "<prefix>.ready" once the window is checked, then waits for
//                "<prefix>.go" before closing, so the caller can take a screenshot
//
// The probe and the program must be built for the same word size: the list view's item
// structure is written into the program's memory as this process lays it out.
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/CommandIds.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kRowsTimeoutMs = 10000;
constexpr DWORD kExitTimeoutMs = 30000;
constexpr DWORD kPauseTimeoutMs = 60000;
constexpr DWORD kPollMs = 50;
constexpr UINT kMessageTimeoutMs = 5000;
constexpr wchar_t kMainWindowClass[] = L"WayloomApp";
constexpr int kTextUnits = 512;

void Print(const std::wstring& text) {
  std::wstring line = text + L"\n";
  int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

int Fail(const std::wstring& text) {
  Print(L"probe: FAILED: " + text);
  return 1;
}

struct Options {
  std::wstring program;
  std::wstring file;
  std::wstring title;
  long long rows = -1;
  bool checkFirstName = false;
  std::wstring firstName;
  bool save = false;
  std::wstring pausePrefix;
};

bool ParseOptions(int argc, wchar_t** argv, Options& options) {
  if (argc < 5) return false;
  options.program = argv[1];
  options.file = argv[2];
  options.title = argv[3];
  wchar_t* end = nullptr;
  options.rows = std::wcstoll(argv[4], &end, 10);
  if (!end || *end != L'\0' || options.rows < 0) return false;
  for (int i = 5; i < argc; ++i) {
    std::wstring argument = argv[i];
    if (argument == L"--save") {
      options.save = true;
    } else if (argument == L"--first-name" && i + 1 < argc) {
      options.checkFirstName = true;
      options.firstName = argv[++i];
    } else if (argument == L"--screenshot-pause" && i + 1 < argc) {
      options.pausePrefix = argv[++i];
    } else {
      return false;
    }
  }
  return true;
}

std::wstring WindowText(HWND window) {
  wchar_t text[kTextUnits] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, kTextUnits, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &copied)) {
    return std::wstring();
  }
  return std::wstring(text, static_cast<std::size_t>(copied));
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

struct WindowSearch {
  DWORD processId = 0;
  std::wstring title;
  HWND found = nullptr;
  std::wstring lastTitle;  // the main window's title when it did not match yet
  bool sawMainWindow = false;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search.processId || ClassName(window) != kMainWindowClass) return TRUE;
  search.sawMainWindow = true;
  search.lastTitle = WindowText(window);
  if (search.lastTitle != search.title) return TRUE;
  search.found = window;
  return FALSE;
}

bool HasExited(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }

HWND WaitForMainWindow(HANDLE process, WindowSearch& search) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < kStartTimeoutMs) {
    search.sawMainWindow = false;
    EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (HasExited(process)) return nullptr;
    Sleep(kPollMs);
  }
  return nullptr;
}

long long ItemCount(HWND list) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, &count)) return -1;
  return static_cast<long long>(count);
}

long long WaitForRowCount(HWND list, long long expected) {
  DWORD start = GetTickCount();
  long long count = ItemCount(list);
  while (count != expected && GetTickCount() - start < kRowsTimeoutMs) {
    Sleep(kPollMs);
    count = ItemCount(list);
  }
  return count;
}

// Memory in the other process, freed on every path out.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  void* Address() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

// The list view is owner-data: the text comes from the program's answer to LVN_GETDISPINFO.
bool ReadCellText(HANDLE process, HWND list, int row, int column, std::wstring& text) {
  const std::size_t bufferBytes = kTextUnits * sizeof(wchar_t);
  RemoteBlock block(process, sizeof(LVITEMW) + bufferBytes);
  if (!block.Address()) return false;
  auto* remoteItem = static_cast<std::uint8_t*>(block.Address());
  auto* remoteText = remoteItem + sizeof(LVITEMW);

  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remoteText);
  item.cchTextMax = kTextUnits;
  if (!WriteProcessMemory(process, remoteItem, &item, sizeof item, nullptr)) return false;

  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remoteItem), SMTO_ABORTIFHUNG,
                           kMessageTimeoutMs, &length)) {
    return false;
  }
  std::vector<wchar_t> buffer(kTextUnits, L'\0');
  if (!ReadProcessMemory(process, remoteText, buffer.data(), bufferBytes, nullptr)) return false;
  buffer.back() = L'\0';
  text = buffer.data();
  return true;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool PauseForScreenshot(const std::wstring& prefix) {
  std::wstring ready = prefix + L".ready";
  HANDLE marker = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (marker == INVALID_HANDLE_VALUE) return false;
  CloseHandle(marker);
  Print(L"probe: waiting for " + prefix + L".go");
  DWORD start = GetTickCount();
  while (!FileExists(prefix + L".go")) {
    if (GetTickCount() - start >= kPauseTimeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

// Closes the program and waits for it; returns its exit code, or -1 when it did not end.
long long CloseProgram(HWND window, HANDLE process) {
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process, kExitTimeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  if (!GetExitCodeProcess(process, &code)) return -1;
  return code;
}

class ProgramRun {
 public:
  ~ProgramRun() {
    if (!info_.hProcess) return;
    // Left running only when a check failed before it could be closed.
    if (!HasExited(info_.hProcess)) TerminateProcess(info_.hProcess, 99);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  bool Start(const std::wstring& program, const std::wstring& file) {
    std::wstring commandLine = L"\"" + program + L"\" \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    return CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info_) != 0;
  }
  HANDLE Process() const { return info_.hProcess; }
  DWORD Id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_{};
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    Print(L"usage: WindowProbe.exe <Wayloom.exe> <itn file> <expected title> <expected rows> "
          L"[--first-name <name>] [--save] [--screenshot-pause <marker prefix>]");
    return 2;
  }

  ProgramRun run;
  if (!run.Start(options.program, options.file)) {
    return Fail(L"cannot start " + options.program + L" (error " + std::to_wstring(GetLastError()) + L")");
  }
  WindowSearch search;
  search.processId = run.Id();
  search.title = options.title;
  HWND window = WaitForMainWindow(run.Process(), search);
  if (!window) {
    if (HasExited(run.Process())) return Fail(L"the program ended before its window showed the title");
    if (!search.sawMainWindow) return Fail(L"no window of class WayloomApp appeared within 60 s");
    return Fail(L"window title is \"" + search.lastTitle + L"\", expected \"" + options.title + L"\"");
  }
  Print(L"probe: title \"" + WindowText(window) + L"\"");

  HWND list = FindWindowExW(window, nullptr, L"SysListView32", nullptr);
  if (!list) return Fail(L"the main window has no SysListView32 child");
  long long rows = WaitForRowCount(list, options.rows);
  Print(L"probe: rows " + std::to_wstring(rows));

  std::wstring firstName;
  bool readName = rows > 0 && ReadCellText(run.Process(), list, 0, 0, firstName);
  if (readName) Print(L"probe: first row name \"" + firstName + L"\"");

  bool ok = true;
  if (rows != options.rows) {
    Fail(L"the table has " + std::to_wstring(rows) + L" rows, expected " + std::to_wstring(options.rows));
    ok = false;
  }
  if (options.checkFirstName && (!readName || firstName != options.firstName)) {
    Fail(L"first row name \"" + firstName + L"\", expected \"" + options.firstName + L"\"");
    ok = false;
  }
  if (!options.pausePrefix.empty() && !PauseForScreenshot(options.pausePrefix)) {
    Fail(L"no go-ahead after the screenshot pause");
    ok = false;
  }
  if (options.save) PostMessageW(window, WM_COMMAND, IDM_SAVE, 0);

  long long exitCode = CloseProgram(window, run.Process());
  if (exitCode < 0) return Fail(L"the program did not end within 30 s of WM_CLOSE");
  Print(L"probe: exit code " + std::to_wstring(exitCode));
  if (exitCode != 0) return Fail(L"the program ended with exit code " + std::to_wstring(exitCode));
  if (!ok) return 1;
  Print(L"probe: ok");
  return 0;
}
