#include "device/EphemerisUpdate.h"

#include "core/StringTable.h"

namespace wayloom {
namespace {

constexpr int kFolderNameString = 14258;  // "ephem"
constexpr int kConnectingString = 14259;
constexpr int kCannotConnectString = 14260;
constexpr int kCabinetNameString = 14263;
constexpr int kGlobalLocateFileString = 14264;
constexpr int kSirfFileString = 14265;
constexpr int kMetaFileString = 14266;
constexpr int kDetectingString = 14267;
constexpr int kNoDeviceString = 14268;
constexpr int kDownloadingString = 14269;
constexpr int kCannotSaveString = 14270;
constexpr int kUnpackingString = 14273;
constexpr int kDoneString = 14274;
constexpr int kCannotUpdateString = 14276;
constexpr int kCannotDownloadString = 14277;
constexpr int kDiskErrorString = 14222;
constexpr int kHostString = 14850;
constexpr int kGlobalLocateQueryString = 14851;
constexpr int kSirfQueryString = 14852;

Text Joined(TextView folder, TextView name) {
  Text path(folder);
  path += u'\\';
  path += name;
  return path;
}

EphemerisTick Fail(EphemerisState& state, std::uint32_t step, Text message) {
  state.step = kStepFailed | step;
  return {EphemerisOutcome::Failed, std::move(message)};
}

EphemerisTick Detect(EphemerisState& state, DeviceFiles& files, EphemerisView& view, std::span<const Text> drives) {
  view.ShowStatus(LoadText(kDetectingString));
  // The drive listed last wins, as a device is usually the newest letter.
  for (std::size_t i = drives.size(); i-- > 0;) {
    if (!files.IsRemovableDrive(drives[i])) continue;
    const Text folder = EphemerisFolder(drives[i]);
    for (ChipKind kind : {ChipKind::GlobalLocate, ChipKind::SirfStarIII}) {
      Text target = Joined(folder, ChipDataFile(kind));
      if (!files.FileExists(target)) continue;
      state.folder = folder;
      state.target = std::move(target);
      state.kind = kind;
      state.step = kStepDownload;
      view.ShowDetected(kind, i);
      return {};
    }
  }
  return Fail(state, kStepDetect, Text(LoadText(kNoDeviceString)));
}

EphemerisTick Download(EphemerisState& state, EphemerisServices& services, EphemerisView& view) {
  view.ShowStatus(LoadText(kConnectingString));
  auto session = services.http.OpenSession(services.agent);
  if (!session) return Fail(state, kStepDownload, Text(LoadText(kCannotConnectString)));
  auto request = session->OpenUrl(EphemerisAddress(services.host, state.kind));
  if (!request) return Fail(state, kStepDownload, Text(LoadText(kCannotConnectString)));
  auto file = services.files.CreatePlainFile(state.cabPath);
  if (!file) return Fail(state, kStepDownload, Text(LoadText(kCannotSaveString)));
  std::size_t total = 0;
  char block[kDownloadBlockBytes];
  for (;;) {
    if (view.PollStop()) return {EphemerisOutcome::Stopped, Text()};
    view.ShowStatus(FormatString(kDownloadingString, static_cast<long long>(total)));
    const long count = request->ReadWithin(block, sizeof block, kDownloadPollMilliseconds);
    if (count == HttpRequest::kReadPending) continue;
    // A broken connection or an endless body is a failed download, not a cabinet.
    if (count < 0 || total + static_cast<std::size_t>(count) > kMaxCabinetBytes)
      return Fail(state, kStepDownload, Text(LoadText(kCannotDownloadString)));
    if (count == 0) break;
    if (!file->Write(block, static_cast<std::size_t>(count)))
      return Fail(state, kStepDownload, FormatString(kDiskErrorString, state.cabPath));
    total += static_cast<std::size_t>(count);
  }
  if (total == 0) return Fail(state, kStepDownload, Text(LoadText(kCannotDownloadString)));
  state.step = kStepUnpack;
  return {};
}

EphemerisTick Unpack(EphemerisState& state, EphemerisServices& services, EphemerisView& view) {
  view.ShowStatus(LoadText(kUnpackingString));
  DeviceFiles& files = services.files;
  if (files.FileExists(state.target) && !files.RemoveFile(state.target))
    return Fail(state, kStepUnpack, Text(LoadText(kCannotSaveString)));
  if (!files.FolderExists(state.folder) && !files.CreateFolder(state.folder))
    return Fail(state, kStepUnpack, Text(LoadText(kCannotSaveString)));
  // Unpacked in process: a cabinet that cannot be read fails here at once.
  if (!files.UnpackCabinet(state.cabPath, state.folder))
    return Fail(state, kStepUnpack, Text(LoadText(kCannotUpdateString)));
  state.unpackStart = services.clock.TickCount();
  state.step = kStepAwaitUnpacked;
  return {};
}

EphemerisTick AwaitUnpacked(EphemerisState& state, EphemerisServices& services, EphemerisView& view) {
  DeviceFiles& files = services.files;
  if (!files.FileExists(state.target)) {
    if (services.clock.TickCount() - state.unpackStart < kUnpackWaitMilliseconds) return {};
    return Fail(state, kStepUnpack, Text(LoadText(kCannotUpdateString)));
  }
  const Text meta = Joined(state.folder, LoadText(kMetaFileString));
  if (!files.StampWithNow(state.target) || !files.FileExists(meta) || !files.StampWithNow(meta))
    return Fail(state, kStepUnpack, Text(LoadText(kCannotUpdateString)));
  state.step = kStepDone;
  view.ShowStatus(LoadText(kDoneString));
  return {EphemerisOutcome::Done, Text()};
}

}  // namespace

TextView ChipDataFile(ChipKind kind) {
  return LoadText(kind == ChipKind::GlobalLocate ? kGlobalLocateFileString : kSirfFileString);
}

Text EphemerisHost(Profile* profile) {
  const TextView standard = LoadText(kHostString);
  Text host = profile ? profile->ReadText(u"Services", u"Ephemeris", standard) : Text(standard);
  while (!host.empty() && host.back() == u'/') host.pop_back();
  return host;
}

Text EphemerisAddress(TextView host, ChipKind kind) {
  Text address(host);
  address += LoadText(kind == ChipKind::GlobalLocate ? kGlobalLocateQueryString : kSirfQueryString);
  return address;
}

Text EphemerisFolder(TextView driveRoot) {
  Text folder(driveRoot);
  if (!folder.empty() && folder.back() != u'\\') folder += u'\\';
  folder += LoadText(kFolderNameString);
  return folder;
}

Text EphemerisCabinetPath(TextView tempFolder) {
  Text path(tempFolder);
  if (!path.empty() && path.back() != u'\\') path += u'\\';
  path += LoadText(kCabinetNameString);
  return path;
}

EphemerisState StartEphemerisUpdate(TextView tempFolder) {
  EphemerisState state;
  state.cabPath = EphemerisCabinetPath(tempFolder);
  return state;
}

void ChooseEphemerisTarget(EphemerisState& state, TextView folder, ChipKind kind) {
  state.folder = Text(folder);
  state.kind = kind;
  state.step = kStepUseChosenTarget;
}

void RetryEphemerisStep(EphemerisState& state) { state.step &= ~kStepFailed; }

EphemerisTick RunEphemerisStep(EphemerisState& state, EphemerisServices& services, EphemerisView& view,
                               std::span<const Text> drives) {
  switch (state.step) {
    case kStepDetect:
      return Detect(state, services.files, view, drives);
    case kStepUseChosenTarget:
      state.target = Joined(state.folder, ChipDataFile(state.kind));
      state.step = kStepDownload;
      return {};
    case kStepDownload:
      return Download(state, services, view);
    case kStepUnpack:
      return Unpack(state, services, view);
    case kStepAwaitUnpacked:
      return AwaitUnpacked(state, services, view);
    default:  // idle after an error, or done
      return {};
  }
}

}  // namespace wayloom
