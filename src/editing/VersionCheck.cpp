#include "editing/VersionCheck.h"

#include "core/StringTable.h"

namespace wayloom {
namespace {

constexpr int kVersionAddressString = 14424;
constexpr std::size_t kReplyLimit = 256;

}  // namespace

Text VersionCheckAddress(Profile* profile) {
  const Text standard(LoadText(kVersionAddressString));
  return profile ? profile->ReadText(u"Services", u"Version Check", standard) : standard;
}

bool VersionCheckDue(std::uint32_t now, std::uint32_t lastNotify) { return now - lastNotify > kVersionCheckInterval; }

std::optional<Text> NewerVersionReply(std::string_view reply, TextView programVersion, const TextCodec& codec) {
  if (reply.empty() || reply.size() >= kReplyLimit || reply.front() != 'v') return std::nullopt;
  const Text text = codec.Decode(reply, codec.SystemCodePage());
  const std::size_t space = text.find(u' ');
  if (space == Text::npos) return std::nullopt;
  // An ordinal comparison over the length of the reply's version part ("v2.1.5.1"); a
  // program version that ends sooner sorts lower.
  const TextView offered = TextView(text).substr(0, space);
  const TextView own = programVersion.substr(0, space);
  return own.compare(offered) < 0 ? std::optional<Text>(text) : std::nullopt;
}

std::optional<Text> CheckForNewerVersion(HttpClient& http, TextView agent, TextView address, TextView programVersion,
                                         const TextCodec& codec) {
  auto session = http.OpenSession(agent);
  if (!session) return std::nullopt;
  auto request = session->OpenUrl(address);
  if (!request) return std::nullopt;
  char buffer[kReplyLimit];
  const long count = request->Read(buffer, sizeof buffer);
  if (count <= 0) return std::nullopt;
  return NewerVersionReply(std::string_view(buffer, static_cast<std::size_t>(count)), programVersion, codec);
}

}  // namespace wayloom
