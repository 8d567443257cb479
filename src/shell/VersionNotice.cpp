#include "shell/VersionNotice.h"

#include <shellapi.h>

#include <memory>

#include "core/StringTable.h"
#include "editing/VersionCheck.h"
#include "platform/TextCodec.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinInetHttpClient.h"

namespace wayloom {
namespace {

constexpr UINT kIconId = 500;
constexpr int kBalloonTitleString = 14425;
constexpr int kBalloonClickString = 14426;
constexpr UINT kBalloonMilliseconds = 10000;
constexpr LPARAM kBalloonTimeout = 1028;     // NIN_BALLOONTIMEOUT
constexpr LPARAM kBalloonUserClick = 1029;   // NIN_BALLOONUSERCLICK

struct CheckRequest {
  HWND window;
  Text address, product, version;
  std::uint32_t now;
};

// Seconds since 1 January 2001 (UTC), as 32 bits.
std::uint32_t SecondsSince2001() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<std::uint32_t>(ticks / 10000000ull - kSeconds1601To2001);
}

DWORD WINAPI CheckThread(void* parameter) {
  std::unique_ptr<CheckRequest> request(static_cast<CheckRequest*>(parameter));
  WinInetHttpClient http;
  const auto codec = MakeSystemTextCodec();
  auto reply = CheckForNewerVersion(http, request->product, request->address, request->version, *codec);
  if (!reply) return 0;
  auto* text = new Text(std::move(*reply));
  if (!PostMessageW(request->window, kVersionReplyMessage, request->now, reinterpret_cast<LPARAM>(text))) delete text;
  return 0;
}

void CopyInto(wchar_t* target, std::size_t units, const std::wstring& text) {
  const std::size_t n = text.size() < units - 1 ? text.size() : units - 1;
  text.copy(target, n);
  target[n] = L'\0';
}

}  // namespace

void StartVersionCheck(HWND window, Profile& profile, TextView product, TextView version, std::uint32_t lastNotify) {
  const std::uint32_t now = SecondsSince2001();
  if (!VersionCheckDue(now, lastNotify)) return;
  auto* request = new CheckRequest{window, VersionCheckAddress(&profile), Text(product), Text(version), now};
  HANDLE thread = CreateThread(nullptr, 0, CheckThread, request, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    delete request;
  }
}

void ShowVersionNotice(HWND window, Profile& profile, WPARAM checkedAt, LPARAM reply) {
  std::unique_ptr<Text> text(reinterpret_cast<Text*>(reply));
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kIconId;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_INFO;
  icon.uCallbackMessage = kNotifyIconMessage;
  icon.hIcon = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
  CopyInto(icon.szInfoTitle, ARRAYSIZE(icon.szInfoTitle), ToWide(LoadText(kBalloonTitleString)));
  CopyInto(icon.szInfo, ARRAYSIZE(icon.szInfo), ToWide(*text) + ToWide(LoadText(kBalloonClickString)));
  icon.uTimeout = kBalloonMilliseconds;
  icon.dwInfoFlags = NIIF_INFO;
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return;
  profile.WriteInt(u"Profile", u"Last Notify", static_cast<int>(static_cast<std::uint32_t>(checkedAt)));
}

bool OnNotifyIcon(HWND window, LPARAM notification) {
  if (notification != kBalloonTimeout && notification != kBalloonUserClick) return false;
  RemoveVersionNotice(window);
  return notification == kBalloonUserClick;
}

void RemoveVersionNotice(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kIconId;
  Shell_NotifyIconW(NIM_DELETE, &icon);
}

}  // namespace wayloom
