// The weekly version check against a server on 127.0.0.1 that answers a newer version, the
// same version, garbage, a 404 page or nothing at all; only the newer one is announced.
#include <gtest/gtest.h>

#include "LocalServer.h"
#include "TestSupport.h"
#include "editing/VersionCheck.h"
#include "platform/posix/PosixHttpClient.h"

namespace wayloom {
namespace {

using testing::LocalServer;
using testing::MemoryProfile;

constexpr char16_t kProgram[] = u"v2.1.5.1 繁體中文, 台灣";

TEST(VersionCheck, AnnouncesOnlyANewerVersionFromTheServer) {
  struct Case {
    const char* name;
    std::string response;  // empty: the server closes without a word
    bool announced;
  } cases[] = {
      {"newer", "HTTP/1.0 200 OK\r\n\r\nv2.1.6.0 English, Taiwan", true},
      {"newer by a longer number", "HTTP/1.0 200 OK\r\n\r\nv2.1.5.10 x", true},
      {"equal", "HTTP/1.0 200 OK\r\n\r\nv2.1.5.1 繁體中文, 台灣", false},
      {"older", "HTTP/1.0 200 OK\r\n\r\nv2.0.9.9 x", false},
      {"no space", "HTTP/1.0 200 OK\r\n\r\nv9.9.9.9", false},
      {"garbage", "HTTP/1.0 200 OK\r\n\r\n\x01\x02<html>v9 x", false},
      {"too long", "HTTP/1.0 200 OK\r\n\r\nv9.0.0.0 " + std::string(300, 'x'), false},
      {"404", "HTTP/1.0 404 Not Found\r\n\r\n<html><body>Not Found</body></html>", false},
      {"nothing", "", false},
  };
  PosixHttpClient http;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LocalServer server(c.response);
    const auto reply = CheckForNewerVersion(http, u"Wayloom", server.Url("/WayloomApp/Version.inf"), kProgram,
                                            BuiltInTextCodec());
    EXPECT_EQ(reply.has_value(), c.announced);
    EXPECT_NE(server.request().find("GET /WayloomApp/Version.inf"), std::string::npos);
    if (reply) EXPECT_EQ(TextToUtf8(*reply), c.response.substr(c.response.find("\r\n\r\n") + 4));
  }
  // No server at all.
  EXPECT_FALSE(CheckForNewerVersion(http, u"Wayloom", u"http://127.0.0.1:1/v", kProgram, BuiltInTextCodec()));
}

TEST(VersionCheck, RunsAWeekAfterTheLastAnnouncementAtTheAddressTheIniNames) {
  EXPECT_FALSE(VersionCheckDue(1000 + kVersionCheckInterval, 1000));
  EXPECT_TRUE(VersionCheckDue(1001 + kVersionCheckInterval, 1000));
  EXPECT_TRUE(VersionCheckDue(5, 0xFFFFFFF0u - kVersionCheckInterval));  // a stored value far ahead wraps
  EXPECT_FALSE(VersionCheckDue(5, 0xFFFFFFF0u));

  MemoryProfile profile;
  EXPECT_EQ(TextToUtf8(VersionCheckAddress(&profile)), "https://wayloom.github.io/WayloomApp/Version.inf");
  profile.WriteString(u"Services", u"Version Check", u"http://127.0.0.1:8080/v.inf");
  EXPECT_EQ(TextToUtf8(VersionCheckAddress(&profile)), "http://127.0.0.1:8080/v.inf");
}

}  // namespace
}  // namespace wayloom
