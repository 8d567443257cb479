// The ephemeris update: finds a navigation device and its GPS chip family, downloads the
// matching cabinet, unpacks it into the device's "ephem" folder and stamps the new files.
// A small step machine that the dialog runs one step per timer tick; a failed step keeps
// its number with the high bit set, and a retry runs it again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Text.h"
#include "platform/Clock.h"
#include "platform/DeviceFiles.h"
#include "platform/HttpClient.h"
#include "platform/Profile.h"

namespace wayloom {

enum class ChipKind { GlobalLocate = 0, SirfStarIII = 1 };

enum EphemerisStep : std::uint32_t {
  kStepDetect = 0,
  kStepUseChosenTarget = 1,
  kStepDownload = 2,
  kStepUnpack = 3,
  kStepAwaitUnpacked = 4,
  kStepDone = 5,  // any value past the steps: nothing more to run
};
constexpr std::uint32_t kStepFailed = 0x80000000u;

constexpr std::uint32_t kUnpackWaitMilliseconds = 7000;
// A cabinet larger than this is no ephemeris file: the download stops with an error.
constexpr std::size_t kMaxCabinetBytes = 16u << 20;
constexpr std::size_t kDownloadBlockBytes = 1024;
// How long one read waits for data before Esc is polled again.
constexpr std::uint32_t kDownloadPollMilliseconds = 100;

struct EphemerisState {
  Text folder;   // drive root + "ephem", no trailing separator
  Text target;   // folder + "\" + the data file of kind
  Text cabPath;  // the temporary folder + "Ephemeris.cab"
  ChipKind kind = ChipKind::GlobalLocate;
  std::uint32_t step = kStepDetect;
  std::uint32_t unpackStart = 0;  // tick count when unpacking ended
};

// The dialog as the steps see it.
class EphemerisView {
 public:
  virtual ~EphemerisView() = default;
  virtual void ShowStatus(TextView text) = 0;
  // Dispatches paint and timer messages; true when Esc was pressed.
  virtual bool PollStop() = 0;
  // Detection chose drive (an index into the drive list) and kind.
  virtual void ShowDetected(ChipKind kind, std::size_t drive) = 0;
};

struct EphemerisServices {
  DeviceFiles& files;
  HttpClient& http;
  const Clock& clock;
  Text agent;  // the product name
  Text host;   // scheme, host and port of the download server (see EphemerisHost)
};

enum class EphemerisOutcome {
  Working,  // the next tick runs the next step (or waits)
  Failed,   // message holds the error; the dialog goes idle
  Done,     // the update is complete
  Stopped,  // Esc during the download: the dialog closes without a message
};

struct EphemerisTick {
  EphemerisOutcome outcome = EphemerisOutcome::Working;
  Text message;
};

TextView ChipDataFile(ChipKind kind);  // "lto.dat", "packedephemeris.ee"
// [Services] "Ephemeris" when the ini file has it (a mirror or a test server), else the
// program's own; a trailing '/' is dropped.
Text EphemerisHost(Profile* profile);
// host + the download path and the query of kind.
Text EphemerisAddress(TextView host, ChipKind kind);
Text EphemerisFolder(TextView driveRoot);  // "E:\" -> "E:\ephem"
Text EphemerisCabinetPath(TextView tempFolder);

// A fresh state: detection first, the cabinet in tempFolder.
EphemerisState StartEphemerisUpdate(TextView tempFolder);
// After "儲存": folder and kind as the dialog shows them.
void ChooseEphemerisTarget(EphemerisState& state, TextView folder, ChipKind kind);
// "重試": the failed step runs again.
void RetryEphemerisStep(EphemerisState& state);
inline bool EphemerisStepFailed(const EphemerisState& state) { return (state.step & kStepFailed) != 0; }

// Runs the current step (drives: the drive roots in the order of the drive list).
EphemerisTick RunEphemerisStep(EphemerisState& state, EphemerisServices& services, EphemerisView& view,
                               std::span<const Text> drives);

}  // namespace wayloom
