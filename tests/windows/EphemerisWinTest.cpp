// The ephemeris update (Ctrl+Q) in the real main window against a download server on
// 127.0.0.1 (the ini file points the update at it) serving cabinets made with gcab: the
// detection error first (no device in the test prefix), then "儲存" into a folder with a
// space and Chinese in its name that does not exist yet; errors, and Esc while the
// server stalls. Then devices on the prefix's removable drives R: and S: (added by
// scripts/wine-prefix.sh): found by the detection, one plugged in while the error shows.
// Built for 64 bits only: the 32-bit tests run under qemu's user-mode emulation here, where
// 32-bit WinINet never finishes a download from this loopback server.
#if defined(_WIN64)

#include <winsock2.h>

#include "MainWindowFixture.h"

#include <functional>
#include <vector>

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

// The removable drives R: and S: of the test prefix, emptied before and after each use.
struct RemovableDrives {
  static bool Present() {
    return GetDriveTypeW(L"R:\\") == DRIVE_REMOVABLE && GetDriveTypeW(L"S:\\") == DRIVE_REMOVABLE;
  }
  RemovableDrives() { Clear(); }
  ~RemovableDrives() { Clear(); }
  static void Clear() {
    std::error_code ec;
    for (const wchar_t* folder : {L"R:\\ephem", L"S:\\ephem"}) std::filesystem::remove_all(folder, ec);
  }
};

// What the dialog showed: the status after detection, the status it ended on, the text of
// its Cancel button then, and the modal count while it was open.
struct DialogRun {
  std::wstring afterDetection, final, cancelText;
  std::wstring drive, folderShown;  // 5405's selected drive and 5406 at the end
  int chipChecked = 0;              // the radio checked at the end
  bool marqueeShownWhileBusy = false;
  bool busyAfterDeviceChange = false;
  int modals = -1;
  DWORD downloadMilliseconds = 0;
};

class EphemerisWinTest : public MainWindowFixture {
 protected:
  // A device left behind by an interrupted run would turn the detection errors into updates.
  void SetUp() override { RemovableDrives::Clear(); }

  // Presses Ctrl+Q; when detection failed, points 5406 at folder, picks the chip and clicks
  // "儲存", then waits for the end (or presses Esc once the download started) and closes.
  DialogRun Update(const Text& target, int chip, bool escDuringDownload, std::function<void()> plugIn = {}) {
    run_ = DialogRun();
    script_ = {target, chip, escDuringDownload, std::move(plugIn), false, 0, GetTickCount(), nullptr};
    current_ = this;
    SetTimer(nullptr, 0, 100, Step);
    Key('Q', {VK_CONTROL});
    return run_;
  }
  // Presses Ctrl+Q and lets the detection find the device, or with plugIn, plugs it in
  // when the detection error shows.
  DialogRun Detect(std::function<void()> plugIn = {}) {
    run_ = DialogRun();
    script_ = {Text(), 0, false, std::move(plugIn), true, 0, GetTickCount(), nullptr};
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
    if (script.phase == 0 && idle && script.detects && !script.plugIn) script.phase = 1;  // found at once
    if (script.phase == 0 && idle) {
      run.afterDetection = Text5400(dialog);
      run.modals = OpenModalCount();
      if (script.plugIn) {  // a device arrives: the failed detection runs again
        script.plugIn();
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
      GetDlgItemTextW(dialog, 5405, text, 64);
      run.drive = text;
      GetDlgItemTextW(dialog, 5406, text, 64);
      run.folderShown = text;
      run.chipChecked = IsDlgButtonChecked(dialog, 5402) ? 5402 : IsDlgButtonChecked(dialog, 5403) ? 5403 : 0;
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
    std::function<void()> plugIn;
    bool detects;
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
  const DialogRun run = Update(Text(), 5402, false, [] {});
  EXPECT_EQ(run.afterDetection, Wide(14268));
  EXPECT_TRUE(run.busyAfterDeviceChange);
  EXPECT_EQ(run.final, Wide(14268));  // no device in the test prefix: the same error again
  EXPECT_EQ(run.cancelText, L"取消");
}

constexpr FILETIME kOldTime{0xC89DC000, 0x01C07385};  // 2001-01-01, UTC

FILETIME LastWrite(const std::filesystem::path& path) {
  FILETIME write{};
  HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  GetFileTime(file, nullptr, nullptr, &write);
  CloseHandle(file);
  return write;
}

bool NotBefore(FILETIME time, FILETIME start) { return CompareFileTime(&time, &start) >= 0; }

// A device: the drive's "ephem" folder with old data files and an old ee_meta.txt.
void PlantDevice(const std::wstring& drive, const std::vector<std::wstring>& files) {
  const std::filesystem::path ephem = drive + L"ephem";
  std::filesystem::create_directories(ephem);
  std::vector<std::wstring> all = files;
  all.push_back(L"ee_meta.txt");
  for (const std::wstring& name : all) {
    WriteBytes(ephem / name, "old\n");
    HANDLE file = CreateFileW((ephem / name).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, &kOldTime, &kOldTime, &kOldTime);
    CloseHandle(file);
  }
}

TEST_F(EphemerisWinTest, FindsTheDeviceOnTheLastRemovableDriveAndRefreshesItsFiles) {
#ifndef WAYLOOM_EPHEMERIS_CABINETS
  GTEST_SKIP() << "gcab was missing at build time";
#else
  if (!RemovableDrives::Present()) GTEST_SKIP() << "no removable R: and S: in the Wine prefix (scripts/wine-prefix.sh)";
  struct Case {
    const char* name;
    std::vector<std::wstring> onR, onS;
    bool pluggedInLater;  // R:'s files appear while the detection error shows
    const wchar_t* cabinet;
    const wchar_t* drive;
    int chip;
    const char* query;
    const wchar_t* dataFile;
    const char* data;
  } cases[] = {
      {"Global Locate on R:", {L"lto.dat"}, {}, false, L"GlobalLocate.cab", L"R:\\", 5402,
       "eeProvider=globalLocate&devicecode=1", L"lto.dat", "Global Locate orbits\n"},
      {"both data files: Global Locate", {L"packedephemeris.ee", L"lto.dat"}, {}, false, L"GlobalLocate.cab", L"R:\\",
       5402, "eeProvider=globalLocate&devicecode=1", L"lto.dat", "Global Locate orbits\n"},
      {"two devices: S: is listed last", {L"lto.dat"}, {L"packedephemeris.ee"}, false, L"Sirf.cab", L"S:\\", 5403,
       "eeProvider=SiRFStarIII&devicecode=2", L"packedephemeris.ee", "SiRF orbits\n"},
      {"plugged in after the detection error", {L"packedephemeris.ee"}, {}, true, L"Sirf.cab", L"R:\\", 5403,
       "eeProvider=SiRFStarIII&devicecode=2", L"packedephemeris.ee", "SiRF orbits\n"},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RemovableDrives drives;
    auto plant = [&c] {
      PlantDevice(L"R:\\", c.onR);
      if (!c.onS.empty()) PlantDevice(L"S:\\", c.onS);
    };
    if (!c.pluggedInLater) plant();
    LoopbackServer server(Ok(ReadBytes(kCabinets / c.cabinet)), false);
    ServeAt(server);
    FILETIME started{};
    GetSystemTimeAsFileTime(&started);
    const DialogRun run = c.pluggedInLater ? Detect(plant) : Detect();
    EXPECT_EQ(run.afterDetection, c.pluggedInLater ? Wide(14268) : L"");
    EXPECT_EQ(run.busyAfterDeviceChange, c.pluggedInLater);
    EXPECT_EQ(run.final, Wide(14274));
    EXPECT_EQ(run.cancelText, L"關閉");
    EXPECT_EQ(run.chipChecked, c.chip);
    EXPECT_EQ(run.drive, c.drive);
    EXPECT_EQ(run.folderShown, std::wstring(c.drive) + L"ephem");
    EXPECT_NE(server.Request().find(c.query), std::string::npos);
    const std::filesystem::path ephem = std::wstring(c.drive) + L"ephem";
    EXPECT_EQ(ReadBytes(ephem / c.dataFile), c.data);
    EXPECT_EQ(ReadBytes(ephem / L"ee_meta.txt"), "meta\n");
    // Stamped now, not left with the cabinet's times.
    EXPECT_TRUE(NotBefore(LastWrite(ephem / c.dataFile), started));
    EXPECT_TRUE(NotBefore(LastWrite(ephem / L"ee_meta.txt"), started));
    // The other data file and the other device are left alone.
    for (const auto& [drive, files] : {std::pair{L"R:\\", c.onR}, std::pair{L"S:\\", c.onS}}) {
      for (const std::wstring& name : files) {
        const std::filesystem::path path = std::filesystem::path(drive) / L"ephem" / name;
        if (path == ephem / c.dataFile) continue;
        EXPECT_EQ(ReadBytes(path), "old\n") << path.string();
        const FILETIME written = LastWrite(path);
        EXPECT_EQ(CompareFileTime(&kOldTime, &written), 0);
      }
    }
  }
#endif
}

}  // namespace
}  // namespace wayloom::testing_window

#endif  // _WIN64
