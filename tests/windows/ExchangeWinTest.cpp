// Rows exchanged between processes: this test's main window and a second Wayloom.exe
// (dragged with the real mouse and dropped through the messages; the receiver saves its file
// to show its table), and FakeCompanion.exe playing the companion editor (ready, busy and
// incompatible answers, rows sent and dropped back). Duplicate names are asked about on
// both sides.
// Built for 64 bits only: under the 32-bit run's qemu emulation a second process and the
// cross-process messages are too slow and fragile.
#if defined(_WIN64)

#include "MainWindowFixture.h"

#include <filesystem>

#include "core/CommandIds.h"
#include "core/StringTable.h"
#include "shell/CompanionLink.h"

namespace wayloom::testing_window {
namespace {

constexpr UINT kCompanionSendRows = WM_APP + 16;  // FakeCompanion: send (lParam 0) or drop (1) its rows
constexpr int kKeep = 5004, kDrop = 5002, kDropAll = 5003;
constexpr wchar_t kDuplicateCaption[] = L"行程名稱相同";

const std::string kSourceStops =
    "\xEF\xBB\xBF"
    "12156500|2503300|\xE5\x8F\xB0\xE5\x8C\x97|3\r\n"  // 台北, passed
    "12146000|2501000|\xE6\x9D\xBF\xE6\xA9\x8B|0\r\n"  // 板橋
    "12067000|2414000|\xE5\x8F\xB0\xE4\xB8\xAD|2\r\n";  // 台中

std::filesystem::path TestProgramFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

std::string Utf16File(const std::wstring& text) {
  return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
}

// A program started for the test and ended with it.
class ChildProcess {
 public:
  ChildProcess(const std::filesystem::path& program, const std::vector<std::wstring>& arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    for (const std::wstring& argument : arguments) commandLine += L" \"" + argument + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              program.parent_path().c_str(), &startup, &info_);
  }
  ~ChildProcess() {
    if (!started_) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 0);
    WaitForSingleObject(info_.hProcess, 10000);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }
  // Its top-level window of this class, waited for while pump runs this thread's messages.
  HWND WaitForWindow(const wchar_t* className, const std::function<void()>& pump) const {
    struct Search {
      DWORD process;
      const wchar_t* className;
      HWND found;
    } search{info_.dwProcessId, className, nullptr};
    for (const DWORD start = GetTickCount(); started_ && GetTickCount() - start < 30000; pump()) {
      EnumWindows(
          [](HWND window, LPARAM data) -> BOOL {
            auto& wanted = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            wchar_t name[64] = {};
            GetWindowThreadProcessId(window, &process);
            GetClassNameW(window, name, 64);
            if (process != wanted.process || std::wstring(name) != wanted.className || !IsWindowVisible(window))
              return TRUE;
            wanted.found = window;
            return FALSE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (search.found) return search.found;
    }
    return nullptr;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Answers the dialogs another process opens, in order, from a thread of its own: this test's
// thread is blocked in the drop's synchronous message meanwhile. Each answer keeps the text
// the dialog showed (a message box's text, or the name dialog 6000 asks about).
class RemoteDialogs {
 public:
  struct Answer {
    std::wstring caption;
    int button;
    std::wstring shown;
  };
  RemoteDialogs(DWORD process, std::vector<Answer> answers) : process_(process), answers_(std::move(answers)) {
    thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
  }
  ~RemoteDialogs() { Join(); }
  // The answers once every dialog was answered or 20 s passed.
  const std::vector<Answer>& Join() {
    if (thread_) {
      WaitForSingleObject(thread_, 30000);
      CloseHandle(thread_);
      thread_ = nullptr;
    }
    return answers_;
  }

 private:
  static DWORD WINAPI Run(void* parameter) {
    auto& self = *static_cast<RemoteDialogs*>(parameter);
    HWND last = nullptr;
    for (Answer& answer : self.answers_) {
      struct Search {
        DWORD process;
        const std::wstring* caption;
        HWND skip, found;
      } search{self.process_, &answer.caption, last, nullptr};
      for (const DWORD start = GetTickCount(); !search.found && GetTickCount() - start < 20000; Sleep(50)) {
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
              auto& wanted = *reinterpret_cast<Search*>(data);
              DWORD process = 0;
              wchar_t name[16] = {}, text[128] = {};
              GetWindowThreadProcessId(window, &process);
              GetClassNameW(window, name, 16);
              GetWindowTextW(window, text, 128);
              if (process != wanted.process || window == wanted.skip || std::wstring(name) != L"#32770" ||
                  text != *wanted.caption || !IsWindowVisible(window))
                return TRUE;
              wanted.found = window;
              return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
      }
      if (!search.found) return 1;
      wchar_t text[512] = {};
      GetDlgItemTextW(search.found, answer.caption == kDuplicateCaption ? 5001 : 0xFFFF, text, 512);
      answer.shown = text;
      PostMessageW(search.found, WM_COMMAND, answer.button, 0);
      last = search.found;
    }
    return 0;
  }

  DWORD process_;
  std::vector<Answer> answers_;
  HANDLE thread_ = nullptr;
};

// An item's rectangle in another process's list view, through a buffer in that process.
RECT RemoteItemRect(HANDLE process, HWND list, int row) {
  RECT rect{LVIR_BOUNDS, 0, 0, 0};
  void* remote = VirtualAllocEx(process, nullptr, sizeof rect, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &ignored);
  ReadProcessMemory(process, remote, &rect, sizeof rect, nullptr);
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return rect;
}

HWND ListViewOf(HWND window) {
  HWND found = nullptr;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (std::wstring(name) != WC_LISTVIEWW) return TRUE;
        *reinterpret_cast<HWND*>(data) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

class ExchangeWinTest : public MainWindowFixture {
 protected:
  // Starts a program of the build folder with arguments; skips when it was not built.
  std::unique_ptr<ChildProcess> StartProgram(const std::wstring& name, const std::vector<std::wstring>& arguments,
                                             const std::filesystem::path& copyTo = {}) {
    std::filesystem::path program = TestProgramFolder() / name;
    if (!std::filesystem::exists(program)) return nullptr;
    if (!copyTo.empty()) {  // Wayloom.exe keeps its ini file beside itself
      std::filesystem::create_directories(copyTo);
      std::filesystem::copy_file(program, copyTo / name, std::filesystem::copy_options::overwrite_existing);
      program = copyTo / name;
    }
    return std::make_unique<ChildProcess>(program, arguments);
  }
  HWND WaitForWindow(const ChildProcess& child, const wchar_t* className) {
    return child.WaitForWindow(className, [this] { Pump(1); });
  }
};

// The companion in another process: rows sent with Alt+X when it is ready, and the busy and
// incompatible answers told; rows dragged onto its window arrive in the drag layout.
TEST_F(ExchangeWinTest, TheCompanionProcessGetsRowsOnlyWhenReady) {
  WriteBytes(folder / L"source.itn", kSourceStops);
  Start(folder.PathOf(L"source.itn"));
  const struct {
    const wchar_t* reply;
    const char* received;
    int message;
  } cases[] = {
      {L"7", "台北\n121.56500\n25.03300\n台中\n120.67000\n24.14000\n--\n", 0},
      {L"1", "", 14419},
      {L"5", "", 14420},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TextToUtf8(FromWide(c.reply)));
    const std::filesystem::path received = folder / (std::wstring(L"收到 ") + c.reply + L".txt");
    auto companion = StartProgram(L"FakeCompanion.exe", {c.reply, received.wstring()});
    if (!companion) GTEST_SKIP() << "FakeCompanion.exe was not built";
    ASSERT_NE(WaitForWindow(*companion, L"PinloomApp"), nullptr);
    Select({0, 2});
    SetForegroundWindow(window);
    answeredText.clear();
    if (c.message) AnswerDialog(L"Wayloom", {}, IDOK);
    Key('X', {VK_MENU});
    EXPECT_EQ(ReadBytes(received), c.received);
    EXPECT_EQ(answeredText, c.message ? ToWide(LoadText(c.message)) : L"");
    if (*c.reply != L'7') continue;

    // Dragged onto the companion's window: its own drag layout, destination bit kept.
    Select({0, 1});
    SetForegroundWindow(window);
    RECT target{};
    GetWindowRect(WaitForWindow(*companion, L"PinloomApp"), &target);
    DragMouse(RowOnScreen(state->table.Handle(), 0), {(target.left + target.right) / 2, (target.top + target.bottom) / 2},
              false);
    EXPECT_EQ(ReadBytes(received), std::string(c.received) +
                                       "\x03台北\n121.56500\n25.03300\n\x01板橋\n121.46000\n25.01000\n--\n");
    EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "板橋", "台中"}));  // copied, not moved
  }
}

// Rows the companion process sends and drops: dialog 6000 for each existing name (until an
// answer for all), the count of dropped rows, and each arrival one undo step.
TEST_F(ExchangeWinTest, RowsFromTheCompanionProcessAskAboutExistingNames) {
  WriteBytes(folder / L"source.itn", kSourceStops);
  Start(folder.PathOf(L"source.itn"));
  state->editor.doc.settings.Set(Option::CheckName, true);
  const std::filesystem::path rows = folder / L"rows.txt";
  auto companion = StartProgram(L"FakeCompanion.exe", {L"7", (folder / L"received.txt").wstring(), rows.wstring()});
  if (!companion) GTEST_SKIP() << "FakeCompanion.exe was not built";
  HWND companionWindow = WaitForWindow(*companion, L"PinloomApp");
  ASSERT_NE(companionWindow, nullptr);

  std::vector<std::wstring> asked;
  auto answer = [&asked](int button) {
    return [&asked, button](HWND dialog) {
      wchar_t name[256] = {};
      GetDlgItemTextW(dialog, 5001, name, 256);
      asked.push_back(name);
      PostMessageW(dialog, WM_COMMAND, button, 0);
    };
  };
  auto countShown = [](HWND dialog) {
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, 0xFFFF, text, 256);
    answeredText = text;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  };
  auto companionDoes = [&](LPARAM drop, std::size_t rowsBefore) {
    PostMessageW(companionWindow, kCompanionSendRows, reinterpret_cast<WPARAM>(window), drop);
    for (const DWORD start = GetTickCount(); Names().size() == rowsBefore && GetTickCount() - start < 20000;) Pump(1);
    Pump();
  };

  // Sent (before the selected 板橋): 台北 kept, 板橋 dropped.
  WriteBytes(rows, "台北\n121.5\n25.1\n新竹\n120.97\n24.8\n板橋\n121.46\n25.01\n");
  Select({1});
  HandleDialogs({{kDuplicateCaption, answer(kKeep)}, {kDuplicateCaption, answer(kDrop)}, {L"Wayloom", countShown}});
  companionDoes(0, 3);
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"台北", L"板橋"}));
  EXPECT_EQ(answeredText, L"總共剔除 1 筆相同的行程資料");
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "台北", "新竹", "板橋", "台中"}));
  EXPECT_EQ(state->editor.doc.table.Row(1).status, kStatusDestination);
  EXPECT_EQ(TextToUtf8(state->editor.doc.table.Cell(2, kLongitudeColumn)), "120.97000");

  // Dropped over the last row's lower half (the end), in the companion's drag layout whose two
  // extra strings per row are stepped over: "drop all" at the first existing name.
  WriteBytes(rows, "嘉義\n120.45\n23.48\n新竹\n120.97\n24.8\n台中\n120.67\n24.14\n");
  RECT last{LVIR_BOUNDS, 0, 0, 0};
  SendMessageW(state->table.Handle(), LVM_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&last));
  POINT over{(last.left + last.right) / 2, last.bottom - 2};
  ClientToScreen(state->table.Handle(), &over);
  SetCursorPos(over.x, over.y);
  asked.clear();
  HandleDialogs({{kDuplicateCaption, answer(kDropAll)}, {L"Wayloom", countShown}});
  companionDoes(1, 5);
  EXPECT_EQ(StepsLeft(), 0u);
  EXPECT_EQ(asked, (std::vector<std::wstring>{L"新竹"}));
  EXPECT_EQ(answeredText, L"總共剔除 2 筆相同的行程資料");
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "台北", "新竹", "板橋", "台中", "嘉義"}));

  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "台北", "新竹", "板橋", "台中"}));
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "板橋", "台中"}));
}

// A second Wayloom.exe with its own file: rows dragged onto it with the mouse and dropped
// through the messages, the duplicate question asked there, its table read back by saving
// its file, and its own Ctrl+Z undoing each arrival.
TEST_F(ExchangeWinTest, ASecondInstanceReceivesDraggedRowsAndUndoesThem) {
  WriteBytes(folder / L"source.itn", kSourceStops);
  Start(folder.PathOf(L"source.itn"));
  const std::filesystem::path other = folder / L"第二視窗";
  std::filesystem::create_directories(other);
  const std::filesystem::path otherFile = other / L"目的地 行程.itn";
  WriteBytes(otherFile,
             "\xEF\xBB\xBF"
             "12030000|2262000|\xE9\xAB\x98\xE9\x9B\x84|3\r\n"  // 高雄, passed
             "12067000|2414000|\xE5\x8F\xB0\xE4\xB8\xAD|2\r\n");  // 台中
  // Beside the copied program: no network for the version check, names checked, and the
  // window right of and below this test's window.
  WriteBytes(other / L"Wayloom.ini",
             Utf16File(L"[Services]\r\nVersion Check=http://127.0.0.1:9/Version.inf\r\n[Options]\r\nCheck Name=1\r\n"
                       L"[Window]\r\nLeft=560\r\nTop=300\r\nWidth=460\r\nHeight=440\r\nShow=1\r\n"));
  auto instance = StartProgram(L"Wayloom.exe", {otherFile.wstring()}, other);
  if (!instance) GTEST_SKIP() << "Wayloom.exe was not built";
  HWND otherWindow = WaitForWindow(*instance, L"WayloomApp");
  ASSERT_NE(otherWindow, nullptr);
  // The window shows before the file is read; its title names the file once it is.
  wchar_t title[128] = {};
  for (const DWORD start = GetTickCount();
       std::wstring(title).rfind(L"目的地 行程", 0) != 0 && GetTickCount() - start < 20000; Pump(1))
    GetWindowTextW(otherWindow, title, 128);
  HWND otherTable = ListViewOf(otherWindow);
  ASSERT_NE(otherTable, nullptr);
  auto saved = [&] {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(otherWindow, WM_COMMAND, IDM_SAVE, 0, SMTO_NORMAL, 10000, &ignored);
    return ReadBytes(otherFile);
  };
  const std::string before = saved();
  ASSERT_NE(before.find("高雄"), std::string::npos);

  // 台北 (passed) and 台中 dragged to the end of the other table: 台中 exists there and is
  // dropped after the question; 台北 arrives as a destination without its passed bit.
  RECT table{};
  GetWindowRect(otherTable, &table);
  Select({0, 2});
  SetForegroundWindow(window);
  {
    RemoteDialogs dialogs(instance->Id(), {{kDuplicateCaption, kDrop, {}}, {L"Wayloom", IDOK, {}}});
    DragMouse(RowOnScreen(state->table.Handle(), 0), {(table.left + table.right) / 2, table.bottom - 30}, false);
    const auto& answers = dialogs.Join();
    EXPECT_EQ(answers[0].shown, L"台中");
    EXPECT_EQ(answers[1].shown, L"總共剔除 1 筆相同的行程資料");
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"台北", "板橋", "台中"}));  // copied
  const std::string afterDrag = saved();
  EXPECT_EQ(afterDrag, "\xEF\xBB\xBF"
                       "12030000|2262000|高雄|3\r\n"
                       "12067000|2414000|台中|2\r\n"
                       "12156500|2503300|台北|2\r\n");

  // Dropped through the messages above the passed first row: the rows take its passed bit, a
  // via point and a destination as the own drag layout's first unit says.
  const RECT first = RemoteItemRect(instance->Handle(), otherTable, 0);
  POINT over{(first.left + first.right) / 2, first.top + 2};
  ClientToScreen(otherTable, &over);
  SetCursorPos(over.x, over.y);
  {
    const std::u16string units(u"\x0001民雄\0" u"120.43\0" u"23.55\0" u"\x0003嘉義\0" u"120.45\0" u"23.48\0\0", 35);
    HANDLE block = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"Wayloom");
    void* view = MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0);
    memcpy(view, units.data(), units.size() * sizeof(char16_t));
    UnmapViewOfFile(view);
    DWORD_PTR reply = 0;
    EXPECT_TRUE(SendMessageTimeoutW(otherWindow, kDragMessage, 0, 0, SMTO_NORMAL, 5000, &reply));
    EXPECT_EQ(reply, static_cast<DWORD_PTR>(kExchangeReady));
    SendMessageTimeoutW(otherWindow, kDragMessage, 1, 0, SMTO_NORMAL, 10000, &reply);
    CloseHandle(block);
  }
  EXPECT_EQ(saved(), "\xEF\xBB\xBF"
                     "12043000|2355000|民雄|1\r\n"
                     "12045000|2348000|嘉義|3\r\n"
                     "12030000|2262000|高雄|3\r\n"
                     "12067000|2414000|台中|2\r\n"
                     "12156500|2503300|台北|2\r\n");

  // Ctrl+Z pressed in the other program undoes each arrival as one step.
  auto undoThere = [&](const std::string& expected) {
    SetForegroundWindow(otherWindow);
    testing::PressKey('Z', {VK_CONTROL});
    std::string now;
    for (const DWORD start = GetTickCount(); (now = saved()) != expected && GetTickCount() - start < 5000;) Pump(1);
    return now;
  };
  EXPECT_EQ(undoThere(afterDrag), afterDrag);
  EXPECT_EQ(undoThere(before), before);
}

}  // namespace
}  // namespace wayloom::testing_window

#endif  // _WIN64
