// The weekly check for a newer version: at most once every seven days since the last
// announcement, one short read of the version file, and a reply announced only when it
// names a version above the program's own. Every failure is silent.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/Text.h"
#include "platform/HttpClient.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"

namespace wayloom {

constexpr std::uint32_t kVersionCheckInterval = 604800;  // seven days in seconds
// Seconds from 1 January 1601 to 1 January 2001: four whole Gregorian cycles.
constexpr std::uint64_t kSeconds1601To2001 = 12622780800ull;

// The version file's address: [Services] "Version Check" when the ini file has it (a
// mirror, or a test server), else the program's own.
Text VersionCheckAddress(Profile* profile);
// Whether the check runs at now (seconds since 2001): more than seven days after the last
// announcement, counted in unsigned arithmetic as the stored value wraps.
bool VersionCheckDue(std::uint32_t now, std::uint32_t lastNotify);
// The reply to announce, or nothing: 1 to 255 bytes starting with "v" and holding a space,
// whose text before the first space sorts above the program's version over that length.
std::optional<Text> NewerVersionReply(std::string_view reply, TextView programVersion, const TextCodec& codec);
// Opens the address, reads once (at most 256 bytes) and judges the reply.
std::optional<Text> CheckForNewerVersion(HttpClient& http, TextView agent, TextView address, TextView programVersion,
                                         const TextCodec& codec);

}  // namespace wayloom
