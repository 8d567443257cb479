// The ephemeris update's steps against a fake device, server and clock: detection by drive
// type and data file, the download with its errors, Esc while the server stalls, unpacking
// with the folder created, the stamps, and retries that repeat the failed step.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/StringTable.h"
#include "device/EphemerisUpdate.h"

namespace wayloom {
namespace {

using testing::MemoryProfile;

constexpr char kPending[] = "<pending>";
constexpr char kReadError[] = "<error>";

// Files by path; a cabinet is "MSCF" followed by the names it holds, separated by commas.
class FakeDevice : public DeviceFiles {
 public:
  bool IsRemovableDrive(TextView root) override { return removable.count(TextToUtf8(root)) > 0; }
  bool FileExists(TextView path) override { return files.count(TextToUtf8(path)) > 0; }
  bool FolderExists(TextView path) override { return folders.count(TextToUtf8(path)) > 0; }
  bool RemoveFile(TextView path) override { return !failDelete && files.erase(TextToUtf8(path)) > 0; }
  bool CreateFolder(TextView path) override {
    if (failCreateFolder) return false;
    created.push_back(TextToUtf8(path));
    return folders.insert(TextToUtf8(path)).second;
  }
  bool StampWithNow(TextView path) override {
    if (!FileExists(path)) return false;
    stamped.push_back(TextToUtf8(path));
    return true;
  }
  std::unique_ptr<PlainFile> CreatePlainFile(TextView path) override {
    if (failCreateFile) return nullptr;
    files[TextToUtf8(path)].clear();
    return std::make_unique<File>(*this, TextToUtf8(path));
  }
  bool UnpackCabinet(TextView cabinet, TextView folder) override {
    ++unpacks;
    const std::string body = files[TextToUtf8(cabinet)];
    if (body.rfind("MSCF", 0) != 0 || !FolderExists(folder)) return false;
    std::size_t at = 4;
    while (at < body.size()) {
      const std::size_t comma = std::min(body.find(',', at), body.size());
      files[TextToUtf8(folder) + "\\" + body.substr(at, comma - at)] = "data";
      at = comma + 1;
    }
    return true;
  }

  std::set<std::string> removable, folders;
  std::map<std::string, std::string> files;
  std::vector<std::string> stamped, created;
  bool failDelete = false, failCreateFolder = false, failCreateFile = false, failWrite = false;
  int unpacks = 0;

 private:
  class File : public PlainFile {
   public:
    File(FakeDevice& device, std::string path) : device_(device), path_(std::move(path)) {}
    bool Write(const void* data, std::size_t size) override {
      if (device_.failWrite) return false;
      device_.files[path_].append(static_cast<const char*>(data), size);
      return true;
    }

   private:
    FakeDevice& device_;
    std::string path_;
  };
};

// Each read answers the next piece of the script: data, kPending or kReadError; then 0.
class FakeHttp : public HttpClient {
 public:
  std::unique_ptr<HttpSession> OpenSession(TextView agent) override {
    if (noSession) return nullptr;
    return std::make_unique<Session>(*this);
  }
  bool noSession = false, noAddress = false;
  std::vector<std::string> script;
  std::size_t next = 0, offset = 0;  // the piece and the place in it read next
  std::vector<std::string> urls;

 private:
  class Request : public HttpRequest {
   public:
    explicit Request(FakeHttp& http) : http_(http) {}
    long Read(char* buffer, std::size_t size) override { return ReadWithin(buffer, size, 0); }
    long ReadWithin(char* buffer, std::size_t size, std::uint32_t) override {
      if (http_.next >= http_.script.size()) return 0;
      const std::string& piece = http_.script[http_.next];
      if (piece == kReadError) return -1;
      if (piece == kPending) return kReadPending;  // stays: a stalled server
      const std::size_t count = std::min(size, piece.size() - http_.offset);
      std::copy_n(piece.data() + http_.offset, count, buffer);
      http_.offset += count;
      if (http_.offset == piece.size()) ++http_.next, http_.offset = 0;
      return static_cast<long>(count);
    }

   private:
    FakeHttp& http_;
  };
  class Session : public HttpSession {
   public:
    explicit Session(FakeHttp& http) : http_(http) {}
    std::unique_ptr<HttpRequest> OpenUrl(TextView url) override {
      http_.urls.push_back(TextToUtf8(url));
      if (http_.noAddress) return nullptr;
      return std::make_unique<Request>(http_);
    }

   private:
    FakeHttp& http_;
  };
};

class FakeClock : public Clock {
 public:
  LocalTime Now() const override { return {}; }
  std::uint32_t TickCount() const override { return ticks; }
  std::uint32_t ticks = 0xFFFFF000u;  // wraps during the wait for the unpacked files
};

class FakeView : public EphemerisView {
 public:
  void ShowStatus(TextView text) override { statuses.push_back(TextToUtf8(text)); }
  bool PollStop() override { return ++polls == stopAtPoll; }
  void ShowDetected(ChipKind kind, std::size_t drive) override { detected = {static_cast<int>(kind), drive}; }
  std::vector<std::string> statuses;
  int polls = 0, stopAtPoll = -1;
  std::pair<int, std::size_t> detected{-1, 0};
};

struct Fixture {
  FakeDevice device;
  FakeHttp http;
  FakeClock clock;
  FakeView view;
  EphemerisServices services{device, http, clock, u"Wayloom", u"http://127.0.0.1:9"};
  std::vector<Text> drives{u"A:\\", u"C:\\", u"E:\\", u"F:\\"};
  EphemerisState state = StartEphemerisUpdate(u"C:\\Temp\\");

  // Ticks every 500 ms until the machine stops working (or gives up after 40 ticks).
  EphemerisTick Run() {
    for (int i = 0; i < 40; ++i) {
      EphemerisTick tick = RunEphemerisStep(state, services, view, drives);
      if (tick.outcome != EphemerisOutcome::Working) return tick;
      clock.ticks += 500;
    }
    return {};
  }
};

std::string Text8(int id) { return TextToUtf8(LoadText(id)); }

const std::string kGlobalQuery = "/download/Ephemeris.cab?type=ephemeris&eeProvider=globalLocate&devicecode=1";
const std::string kSirfQuery = "/download/Ephemeris.cab?type=ephemeris&eeProvider=SiRFStarIII&devicecode=2";

TEST(EphemerisUpdate, RunsEachScenarioToItsEnd) {
  struct Case {
    const char* name;
    std::function<void(Fixture&)> setUp;
    EphemerisOutcome outcome;
    std::string message;
    std::uint32_t step;
    std::string url;     // the address asked for, or empty when none was
    std::string target;  // the state's target at the end
  } cases[] = {
      {"Global Locate device",
       [](Fixture& f) {
         f.device.removable = {"E:\\"};
         f.device.folders = {"E:\\ephem"};
         f.device.files["E:\\ephem\\lto.dat"] = "old";
         f.http.script = {"MSCF", "lto.dat,", "ee_meta.txt"};
       },
       EphemerisOutcome::Done, "", kStepDone, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"SiRF device; a fixed drive with a data file does not count",
       [](Fixture& f) {
         f.device.removable = {"E:\\"};
         f.device.folders = {"E:\\ephem", "C:\\ephem"};
         f.device.files["C:\\ephem\\lto.dat"] = "x";
         f.device.files["E:\\ephem\\packedephemeris.ee"] = "old";
         f.http.script = {"MSCFpackedephemeris.ee,ee_meta.txt"};
       },
       EphemerisOutcome::Done, "", kStepDone, kSirfQuery, "E:\\ephem\\packedephemeris.ee"},
      {"two devices: the one listed last; both files: Global Locate",
       [](Fixture& f) {
         f.device.removable = {"E:\\", "F:\\"};
         f.device.folders = {"E:\\ephem", "F:\\ephem"};
         f.device.files["E:\\ephem\\lto.dat"] = "x";
         f.device.files["F:\\ephem\\packedephemeris.ee"] = "x";
         f.device.files["F:\\ephem\\lto.dat"] = "x";
         f.http.script = {"MSCFlto.dat,ee_meta.txt"};
       },
       EphemerisOutcome::Done, "", kStepDone, kGlobalQuery, "F:\\ephem\\lto.dat"},
      {"no device",
       [](Fixture& f) {
         f.device.removable = {"A:\\"};
         f.device.folders = {"A:\\ephem"};
       },
       EphemerisOutcome::Failed, Text8(14268), kStepFailed | kStepDetect, "", ""},
      {"no internet session",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.http.noSession = true;
       },
       EphemerisOutcome::Failed, Text8(14260), kStepFailed | kStepDownload, "", "E:\\ephem\\lto.dat"},
      {"address cannot be opened",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::SirfStarIII);
         f.http.noAddress = true;
       },
       EphemerisOutcome::Failed, Text8(14260), kStepFailed | kStepDownload, kSirfQuery, "E:\\ephem\\packedephemeris.ee"},
      {"cabinet cannot be created",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.device.failCreateFile = true;
       },
       EphemerisOutcome::Failed, Text8(14270), kStepFailed | kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"empty body", [](Fixture& f) { ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate); },
       EphemerisOutcome::Failed, Text8(14277), kStepFailed | kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"connection broken after a block",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.http.script = {"MSCF", kReadError};
       },
       EphemerisOutcome::Failed, Text8(14277), kStepFailed | kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"endless body",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.http.script = {std::string(kMaxCabinetBytes, 'x'), "y"};
       },
       EphemerisOutcome::Failed, Text8(14277), kStepFailed | kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"writing the cabinet fails",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.http.script = {"MSCF"};
         f.device.failWrite = true;
       },
       EphemerisOutcome::Failed, "磁碟存取錯誤\n無法建立或儲存檔案\n\nC:\\Temp\\Ephemeris.cab",
       kStepFailed | kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"Esc while the server stalls",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.http.script = {"MSCF", kPending};
         f.view.stopAtPoll = 50;
       },
       EphemerisOutcome::Stopped, "", kStepDownload, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"the old data file cannot be deleted",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.device.files["E:\\ephem\\lto.dat"] = "old";
         f.device.failDelete = true;
         f.http.script = {"MSCFlto.dat,ee_meta.txt"};
       },
       EphemerisOutcome::Failed, Text8(14270), kStepFailed | kStepUnpack, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"the folder cannot be created",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.device.failCreateFolder = true;
         f.http.script = {"MSCFlto.dat,ee_meta.txt"};
       },
       EphemerisOutcome::Failed, Text8(14270), kStepFailed | kStepUnpack, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"not a cabinet",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
         f.device.folders = {"E:\\ephem"};
         f.http.script = {"<html>"};
       },
       EphemerisOutcome::Failed, Text8(14276), kStepFailed | kStepUnpack, kGlobalQuery, "E:\\ephem\\lto.dat"},
      {"a cabinet without the data file",
       [](Fixture& f) {
         ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::SirfStarIII);
         f.device.folders = {"E:\\ephem"};
         f.http.script = {"MSCFlto.dat,ee_meta.txt"};
       },
       EphemerisOutcome::Failed, Text8(14276), kStepFailed | kStepUnpack, kSirfQuery, "E:\\ephem\\packedephemeris.ee"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    c.setUp(f);
    const EphemerisTick tick = f.Run();
    EXPECT_EQ(tick.outcome, c.outcome);
    EXPECT_EQ(TextToUtf8(tick.message), c.message);
    EXPECT_EQ(f.state.step, c.step);
    EXPECT_EQ(TextToUtf8(f.state.target), c.target);
    if (c.url.empty())
      EXPECT_TRUE(f.http.urls.empty());
    else
      EXPECT_EQ(f.http.urls, std::vector<std::string>{"http://127.0.0.1:9" + c.url});
    if (c.outcome == EphemerisOutcome::Done) {
      const std::string folder = TextToUtf8(f.state.folder);
      EXPECT_EQ(f.device.stamped, (std::vector<std::string>{c.target, folder + "\\ee_meta.txt"}));
      EXPECT_EQ(f.device.files[c.target], "data");
      EXPECT_EQ(f.view.statuses.back(), Text8(14274));
      EXPECT_EQ(f.view.detected.second + 1, folder == "F:\\ephem" ? 4u : 3u);
    }
  }
}

TEST(EphemerisUpdate, ShowsTheStatusOfEachStepAndTheBytesSoFar) {
  Fixture f;
  f.device.removable = {"E:\\"};
  f.device.files["E:\\ephem\\packedephemeris.ee"] = "old";
  f.http.script = {std::string(1500, 'M'), kPending};
  f.view.stopAtPoll = 5;
  f.http.script[0].replace(0, 4, "MSCF");
  EXPECT_EQ(f.Run().outcome, EphemerisOutcome::Stopped);
  EXPECT_EQ(f.view.detected, (std::pair<int, std::size_t>{1, 2}));
  EXPECT_EQ(f.view.statuses,
            (std::vector<std::string>{"正在辨識導航裝置使用的晶片...", "正在連線到 TomTom 的家...",
                                      "正在下載星曆的資料... 0 bytes", "正在下載星曆的資料... 1024 bytes",
                                      "正在下載星曆的資料... 1500 bytes", "正在下載星曆的資料... 1500 bytes"}));
  EXPECT_EQ(f.device.files["C:\\Temp\\Ephemeris.cab"].size(), 1500u);
}

TEST(EphemerisUpdate, RetryRepeatsTheFailedStep) {
  // No device: plugging one in and retrying detects it.
  Fixture f;
  EXPECT_EQ(f.Run().outcome, EphemerisOutcome::Failed);
  f.device.removable = {"F:\\"};
  f.device.files["F:\\ephem\\lto.dat"] = "old";
  f.device.folders = {"F:\\ephem"};
  f.http.script = {"MSCFlto.dat"};  // no ee_meta.txt: the update fails after unpacking
  RetryEphemerisStep(f.state);
  EXPECT_EQ(f.state.step, kStepDetect);
  EphemerisTick tick = f.Run();
  EXPECT_EQ(TextToUtf8(tick.message), Text8(14276));
  EXPECT_EQ(f.state.step, kStepFailed | kStepUnpack);
  EXPECT_EQ(f.device.unpacks, 1);
  // The retry unpacks the same cabinet again, without a second download.
  f.device.files["C:\\Temp\\Ephemeris.cab"] = "MSCFlto.dat,ee_meta.txt";
  RetryEphemerisStep(f.state);
  EXPECT_EQ(f.Run().outcome, EphemerisOutcome::Done);
  EXPECT_EQ(f.device.unpacks, 2);
  EXPECT_EQ(f.http.urls.size(), 1u);

  // A failed download is downloaded again.
  Fixture g;
  ChooseEphemerisTarget(g.state, u"G:\\ephem", ChipKind::SirfStarIII);
  g.http.noSession = true;
  EXPECT_EQ(g.Run().outcome, EphemerisOutcome::Failed);
  g.http.noSession = false;
  g.http.script = {"MSCFpackedephemeris.ee,ee_meta.txt"};
  RetryEphemerisStep(g.state);
  EXPECT_EQ(g.state.step, kStepDownload);
  EXPECT_EQ(g.Run().outcome, EphemerisOutcome::Done);
  EXPECT_EQ(g.device.created, std::vector<std::string>{"G:\\ephem"});  // the missing folder
}

TEST(EphemerisUpdate, WaitsSevenSecondsForTheDataFileAcrossTheTickWrap) {
  Fixture f;
  ChooseEphemerisTarget(f.state, u"E:\\ephem", ChipKind::GlobalLocate);
  f.device.folders = {"E:\\ephem"};
  f.http.script = {"MSCFee_meta.txt"};
  for (int i = 0; i < 3; ++i) RunEphemerisStep(f.state, f.services, f.view, f.drives);
  ASSERT_EQ(f.state.step, kStepAwaitUnpacked);
  f.clock.ticks = f.state.unpackStart + kUnpackWaitMilliseconds - 1;
  EXPECT_EQ(RunEphemerisStep(f.state, f.services, f.view, f.drives).outcome, EphemerisOutcome::Working);
  f.clock.ticks += 1;
  EXPECT_EQ(RunEphemerisStep(f.state, f.services, f.view, f.drives).outcome, EphemerisOutcome::Failed);
  EXPECT_EQ(f.state.step, kStepFailed | kStepUnpack);
}

TEST(EphemerisUpdate, TheHostComesFromTheIniWithThePathAndQueryKept) {
  MemoryProfile profile;
  EXPECT_EQ(TextToUtf8(EphemerisAddress(EphemerisHost(&profile), ChipKind::GlobalLocate)),
            "http://ephemeris.wayloom.example" + kGlobalQuery);
  profile.WriteString(u"Services", u"Ephemeris", u"http://127.0.0.1:8080/");
  EXPECT_EQ(TextToUtf8(EphemerisAddress(EphemerisHost(&profile), ChipKind::SirfStarIII)),
            "http://127.0.0.1:8080" + kSirfQuery);
  EXPECT_EQ(TextToUtf8(EphemerisFolder(u"E:\\")), "E:\\ephem");
  EXPECT_EQ(TextToUtf8(EphemerisCabinetPath(u"C:\\My Temp")), "C:\\My Temp\\Ephemeris.cab");
}

}  // namespace
}  // namespace wayloom
