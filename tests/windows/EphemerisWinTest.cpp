// The ephemeris update (Ctrl+Q) in the real main window against a download server on
// 127.0.0.1 (the ini file points the update at it) serving cabinets made with gcab: the
// detection error first (no device in the test prefix), then "儲存" into a folder with a
// space and Chinese in its name that does not exist yet; errors, and Esc while the
// server stalls.
// Built for 64 bits only: the 32-bit tests run under qemu's user-mode emulation here, where
// 32-bit WinINet never finishes a download from this loopback server.
#if defined(_WIN64)

#include <winsock2.h>

#include "MainWindowFixture.h"

#include <functional>

#include "core/StringTable.h"

namespace wayloom::testing_window {
namespace {

#ifdef WAYLOOM_EPHEMERIS_CABINETS
const std::filesystem::path kCabinets = WAYLOOM_EPHEMERIS_CABINETS;
#endif

// Answers every connection with one canned response; a stalling server sends the headers
// and a few bytes, then keeps the connection open until it is destroyed.
class LoopbackServer {
 public:
  LoopbackServer(std::string response, bool stall) : response_(std::move(response)), stall_(stall) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener_, 4);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, Serve, this, 0, nullptr);
  }
  ~LoopbackServer() {
    SetEvent(stop_);
    closesocket(listener_);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(stop_);
    WSACleanup();
  }
  std::wstring Host() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }
  std::string Request() {
    EnterCriticalSection(&lock_);
    std::string request = request_;
    LeaveCriticalSection(&lock_);
    return request;
  }

 private:
  static DWORD WINAPI Serve(void* parameter) {
    auto& server = *static_cast<LoopbackServer*>(parameter);
    for (;;) {
      SOCKET client = accept(server.listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return 0;
      std::string request;
      char buffer[2048];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        request.append(buffer, static_cast<std::size_t>(got));
      }
      EnterCriticalSection(&server.lock_);
      server.request_ = request;
      LeaveCriticalSection(&server.lock_);
      send(client, server.response_.data(), static_cast<int>(server.response_.size()), 0);
      if (server.stall_) WaitForSingleObject(server.stop_, 20000);
      closesocket(client);
    }
  }

  std::string response_, request_;
  bool stall_;
  SOCKET listener_;
  int port_ = 0;
  HANDLE stop_, thread_;
  CRITICAL_SECTION lock_ = [] {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    return section;
  }();
};

// What the dialog showed: the status after detection, the status it ended on, the text of
// its Cancel button then, and the modal count while it was open.
struct DialogRun {
  std::wstring afterDetection, final, cancelText;
  bool marqueeShownWhileBusy = false;
  bool busyAfterDeviceChange = false;
  int modals = -1;
  DWORD downloadMilliseconds = 0;
};

class EphemerisWinTest : public MainWindowFixture {
 protected:
  // Presses Ctrl+Q; when detection failed, points 5406 at folder, picks the chip and clicks
  // "儲存", then waits for the end (or presses Esc once the download started) and closes.
  DialogRun Update(const Text& target, int chip, bool escDuringDownload, bool plugIn = false) {
    run_ = DialogRun();
    script_ = {target, chip, escDuringDownload, plugIn, 0, GetTickCount(), nullptr};
    current_ = this;
    SetTimer(nullptr, 0, 100, Step);
    Key('Q', {VK_CONTROL});
    return run_;
  }

  static std::wstring Text5400(HWND dialog) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, 5400, text, 512);
    return text;
  }

  static void CALLBACK Step(HWND, UINT, UINT_PTR timer, DWORD) {
    EphemerisWinTest& test = *current_;
    HWND dialog = OwnDialog(L"更新星曆");
    if (!dialog) return;
    Script& script = test.script_;
    DialogRun& run = test.run_;
    HWND marquee = test.state->statusBar.Marquee();
    const bool idle = IsWindowEnabled(GetDlgItem(dialog, IDCANCEL));
    if (!idle && marquee && IsWindowVisible(marquee)) run.marqueeShownWhileBusy = true;
    if (GetTickCount() - script.started > 30000) {  // never hang the suite
      KillTimer(nullptr, timer);
      EndDialog(dialog, IDCANCEL);
      return;
    }
    if (script.phase == 0 && idle) {
      run.afterDetection = Text5400(dialog);
      run.modals = OpenModalCount();
      if (script.plugIn) {  // a device arrives: the failed detection runs again
        SendMessageW(dialog, WM_DEVICECHANGE, 0x8000, 0);
        run.busyAfterDeviceChange = !IsWindowEnabled(GetDlgItem(dialog, IDCANCEL));
        script.phase = 1;
        return;
      }
      SetDlgItemTextW(dialog, 5406, WidePointer(script.target));
      SendDlgItemMessageW(dialog, script.chip, BM_CLICK, 0, 0);
      SendDlgItemMessageW(dialog, 5407, BM_CLICK, 0, 0);
      script.phase = 1;
      if (script.esc) {
        // The download blocks this thread's timers: another thread presses Esc once it runs.
        script.dialog = dialog;
        CloseHandle(CreateThread(nullptr, 0, PressEscWhenDownloading, &test, 0, nullptr));
      }
      return;
    }
    if (script.phase == 1 && idle) {
      KillTimer(nullptr, timer);
      run.final = Text5400(dialog);
      wchar_t text[64] = {};
      GetDlgItemTextW(dialog, IDCANCEL, text, 64);
      run.cancelText = text;
      SendDlgItemMessageW(dialog, IDCANCEL, BM_CLICK, 0, 0);
    }
  }

  static DWORD WINAPI PressEscWhenDownloading(void* parameter) {
    auto& test = *static_cast<EphemerisWinTest*>(parameter);
    for (int i = 0; i < 200; ++i) {
      Sleep(50);
      wchar_t text[128] = {};
      // SendMessageTimeout: the dialog's thread answers while it polls between reads.
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(GetDlgItem(test.script_.dialog, 5400), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text),
                          SMTO_NORMAL, 1000, &ignored);
      if (std::wstring(text).find(L"bytes") == std::wstring::npos) continue;
      Sleep(300);
      test.run_.downloadMilliseconds = GetTickCount();
      testing::PressKey(VK_ESCAPE);  // a real key press, to the dialog that has the focus
      return 0;
    }
    return 0;
  }

  void ServeAt(const LoopbackServer& server) {
    ASSERT_TRUE(profile->WriteString(u"Services", u"Ephemeris", FromWide(server.Host() + L"/")));
  }

  struct Script {
    Text target;
    int chip;
    bool esc;
    bool plugIn;
    int phase;
    DWORD started;
    HWND dialog;
  } script_;
  DialogRun run_;
  static inline EphemerisWinTest* current_ = nullptr;
};

std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::wstring Wide(int id) { return ToWide(LoadText(id)); }

TEST_F(EphemerisWinTest, UnpacksTheCabinetIntoANewFolderAndStampsIt) {
#ifndef WAYLOOM_EPHEMERIS_CABINETS
  GTEST_SKIP() << "gcab was missing at build time";
#else
  struct Case {
    const char* name;
    const wchar_t* cabinet;  // empty: an empty body
    int chip;
    int status;
    const char* query;
    const char* dataFile;
  } cases[] = {
      {"Global Locate", L"GlobalLocate.cab", 5402, 14274, "eeProvider=globalLocate&devicecode=1", "lto.dat"},
      {"SiRF", L"Sirf.cab", 5403, 14274, "eeProvider=SiRFStarIII&devicecode=2", "packedephemeris.ee"},
      {"no ee_meta.txt", L"NoMeta.cab", 5402, 14276, "eeProvider=globalLocate", "lto.dat"},
      {"empty body", L"", 5402, 14277, "eeProvider=globalLocate", nullptr},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string body = *c.cabinet ? ReadBytes(kCabinets / c.cabinet) : std::string();
    ASSERT_TRUE(body.empty() == !*c.cabinet);
    LoopbackServer server(Ok(body), false);
    ServeAt(server);
    const std::filesystem::path device = folder / (L"裝置 " + std::wstring(c.cabinet));
    std::filesystem::create_directories(device);
    const DialogRun run = Update(FromWide((device / L"ephem").wstring()), c.chip, false);
    EXPECT_EQ(run.afterDetection, Wide(14268));
    EXPECT_EQ(run.modals, 1);
    EXPECT_TRUE(run.marqueeShownWhileBusy);
    EXPECT_EQ(run.final, Wide(c.status));
    EXPECT_EQ(run.cancelText, c.status == 14274 ? L"關閉" : L"取消");
    EXPECT_NE(server.Request().find("GET /download/Ephemeris.cab?type=ephemeris&"), std::string::npos);
    EXPECT_NE(server.Request().find(c.query), std::string::npos);
    if (c.dataFile) {
      EXPECT_EQ(ReadBytes(device / L"ephem" / c.dataFile),
                std::string(c.dataFile[0] == 'l' ? "Global Locate orbits\n" : "SiRF orbits\n"));
    } else {
      EXPECT_FALSE(std::filesystem::exists(device / L"ephem"));
    }
    if (c.status == 14274) {
      EXPECT_EQ(ReadBytes(device / L"ephem" / L"ee_meta.txt"), "meta\n");
    }
    // Closing removed the downloaded cabinet and gave the status bar back.
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(temp) / L"Ephemeris.cab"));
    EXPECT_EQ(state->statusBar.Marquee(), nullptr);
    EXPECT_EQ(OpenModalCount(), 0);
  }
#endif
}

TEST_F(EphemerisWinTest, EscStopsADownloadFromAStalledServer) {
  LoopbackServer server(
      "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: 100000\r\n\r\nMSCF", true);
  Start();
  ServeAt(server);
  const DWORD started = GetTickCount();
  const DialogRun run = Update(folder.PathOf(L"stalled"), 5402, true);
  const DWORD ended = GetTickCount();
  EXPECT_EQ(run.afterDetection, Wide(14268));
  EXPECT_NE(run_.downloadMilliseconds, 0u);
  EXPECT_LT(ended - started, 15000u);
  EXPECT_TRUE(run.final.empty());  // closed by Esc, not by the script
  EXPECT_EQ(OwnDialog(L"更新星曆"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(folder / L"stalled"));
}

TEST_F(EphemerisWinTest, ADeviceArrivingWhileTheErrorShowsRetriesTheDetection) {
  Start();
  const DialogRun run = Update(Text(), 5402, false, true);
  EXPECT_EQ(run.afterDetection, Wide(14268));
  EXPECT_TRUE(run.busyAfterDeviceChange);
  EXPECT_EQ(run.final, Wide(14268));  // no device in the test prefix: the same error again
  EXPECT_EQ(run.cancelText, L"取消");
}

}  // namespace
}  // namespace wayloom::testing_window

#endif  // _WIN64
