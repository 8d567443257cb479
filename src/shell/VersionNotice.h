// The weekly new-version check beside the user interface, and its notification-area
// balloon: the check runs on its own thread and hands a newer version's reply back to the
// window, which shows the balloon; a click on it opens the program's home page.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/Text.h"
#include "platform/Profile.h"

namespace wayloom {

// Posted by the check with a newer version: wParam the time of the check, lParam a Text*
// the window takes over (ShowVersionNotice deletes it).
constexpr UINT kVersionReplyMessage = WM_APP + 0x100;  // clear of the exchange messages 0x8000 and 0x8001
// The balloon's callback message (lParam: the notification).
constexpr UINT kNotifyIconMessage = 1031;

// Starts the check when a week has passed since the last announcement.
void StartVersionCheck(HWND window, Profile& profile, TextView product, TextView version, std::uint32_t lastNotify);
// kVersionReplyMessage: the balloon, and "Last Notify" = the time of the check.
void ShowVersionNotice(HWND window, Profile& profile, WPARAM checkedAt, LPARAM reply);
// Message 1031: a click or the time-out removes the icon; true for a click.
bool OnNotifyIcon(HWND window, LPARAM notification);
void RemoveVersionNotice(HWND window);

}  // namespace wayloom
