// Address lookup against a reverse-geocoding server on loopback: the reply forms, the
// HTTP statuses, the name rules around "@", the scope and the single undo step.
#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "LocalServer.h"
#include "map/AddressLookup.h"
#include "platform/posix/PosixHttpClient.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::LocalServer;

std::string Ok(const std::string& body) { return "HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n" + body; }

const std::string kTaipeiReply = Ok(
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<reversegeocode timestamp=\"x\" querystring=\"y\">"
    "<result place_id=\"1\" osm_type=\"way\" lat=\"25.033\" lon=\"121.565\">信義路五段 7號, 信義區, 臺北市, 110, 臺灣</result>"
    "<addressparts><house_number>7</house_number><road>信義路五段</road><suburb>信義區</suburb>"
    "<city>臺北市</city><postcode>110</postcode><country>臺灣</country><country_code>tw</country_code>"
    "</addressparts></reversegeocode>");
const std::string kNoResult =
    Ok("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<reversegeocode><error>Unable to geocode</error></reversegeocode>");
const std::string kTaipeiAddress = "臺北市信義區信義路五段7號";

struct LookupRun {
  explicit LookupRun(const std::vector<std::string>& rows) : f(rows) { f.context.http = &http; }
  void Run(LocalServer& server) {
    f.profile.WriteString(u"Services", u"Addresses", server.Url(""));
    LookUpAddresses(f.context, f.clock);
  }
  EditFixture f;
  PosixHttpClient http;
};

TEST(AddressLookup, AppendsTheComposedAddressAndAsksAsTheServiceRequires) {
  LookupRun run({"台北 101|121.565|25.033|2"});
  LocalServer server(kTaipeiReply);
  const int syncs = run.f.map.syncs;
  run.Run(server);
  EXPECT_EQ(run.f.Names(), std::vector<std::string>{"台北 101@" + kTaipeiAddress});
  const std::string& request = server.request();
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "GET /reverse?format=xml&lat=25.03300&lon=121.56500&zoom=18&addressdetails=1&accept-language=zh-TW HTTP/1.0");
  EXPECT_NE(request.find("User-Agent: Wayloom/0.1.0\r\n"), std::string::npos);
  EXPECT_TRUE(run.f.doc.document.modified);
  EXPECT_TRUE(run.f.ui.messages.empty());
  EXPECT_EQ(run.f.map.syncs, syncs + 1);
  EXPECT_EQ(run.f.ui.marquees, std::vector<std::string>{"已經查詢 0 / 1 筆資料, 按 Esc 鍵停止..."});
}

// Each language writes the parts in its own order; a reply without parts gives its
// display name, cut after "台灣"/"Taiwan" unless it starts with "No. ".
TEST(AddressLookup, ComposesTheAddressAsEachLanguageWritesIt) {
  const std::string parts =
      "<result>ignored</result><addressparts><house_number>10</house_number><road>Downing Street</road>"
      "<city>London</city><state>England</state><postcode>SW1A 2AA</postcode><country>United Kingdom</country>"
      "</addressparts>";
  const struct {
    int language;
    std::string reply, expected;
  } cases[] = {
      {3, parts, "10 Downing Street, London, England SW1A 2AA, United Kingdom"},
      {5, parts, "10 Downing Street, SW1A 2AA London, United Kingdom"},
      {6, parts, "Downing Street 10, SW1A 2AA London, United Kingdom"},
      {7, parts, "EnglandLondonDowning Street10"},
      {2, "<addressparts><road>A &amp; B</road><town>Ely</town></addressparts>", "A & B, Ely"},
      {1, "<addressparts><road>中山路</road><house_number>12-1</house_number></addressparts>", "中山路12-1"},
      {2, "<result place_id=\"9\">No. 7, Xinyi Road, Taiwan, Taipei</result>", "No. 7, Xinyi Road, Taiwan, Taipei"},
      {0, "<result a=\"b\">110台灣臺北市信義區</result><addressparts></addressparts>", "臺北市信義區"},
      {2, "<result>Xinyi, TAIWAN Taipei</result>", "Taipei"},
  };
  for (const auto& c : cases) {
    LookupRun run({"P|1|2|2"});
    run.f.doc.settings.googleMapsLang = c.language;
    LocalServer server(Ok("<reversegeocode>" + c.reply + "</reversegeocode>"));
    run.Run(server);
    EXPECT_EQ(run.f.Names(), std::vector<std::string>{"P@" + c.expected}) << c.reply;
  }
}

// No result removes an old address ("Home@old" becomes "Home"); "@" alone stays; in
// selection mode rows with "@" are asked again, and a row without coordinates only loses
// its address.
TEST(AddressLookup, NoResultRemovesTheOldAddress) {
  LookupRun run({"Home@old|1|2|2", "@|1|2|2", "Work@x|1||2", "Else@y|1|2|2"});
  run.f.Select({0, 1, 2});
  LocalServer server({kNoResult, kNoResult});
  run.Run(server);
  EXPECT_EQ(run.f.Names(), (std::vector<std::string>{"Home", "@", "Work", "Else@y"}));
  EXPECT_TRUE(run.f.ui.messages.empty());
}

TEST(AddressLookup, StatusesAndBadRepliesStopTheRunWithTheirMessage) {
  std::string huge = Ok("<reversegeocode><result>" + std::string(70000, 'x') + "</result></reversegeocode>");
  const struct {
    std::vector<std::string> replies;
    std::vector<int> messages;
    std::string name;
  } cases[] = {
      {{"HTTP/1.0 429 Too Many Requests\r\n\r\n", kTaipeiReply, kTaipeiReply}, {}, "A@" + kTaipeiAddress},
      {{"HTTP/1.0 403 Forbidden\r\n\r\n<html>no</html>"}, {14311}, "A"},
      {{Ok("")}, {14310}, "A"},
      {{"HTTP/1.0 500 Server Error\r\n\r\n<reversegeocode><result>x</result></reversegeocode>"}, {14310}, "A"},
      {{Ok("<html>maintenance</html>")}, {14310}, "A"},
      {{huge}, {14310}, "A"},  // the end tag lies beyond the 65,535 bytes read
      {{""}, {14309}, "A"},    // the connection closes without a reply
  };
  for (const auto& c : cases) {
    LookupRun run({"A|121.565|25.033|2", "B|121.565|25.033|2"});
    LocalServer server(c.replies);
    run.Run(server);
    EXPECT_EQ(run.f.ui.MessageIds(), c.messages) << c.replies[0].substr(0, 40);
    EXPECT_EQ(run.f.Names()[0], c.name);
    if (!c.messages.empty()) {
      EXPECT_EQ(run.f.Names()[1], "B");  // the run stopped
    }
  }
  // A reply over 65,535 bytes whose address comes first is read as far as the limit.
  LookupRun run({"A|1|2|2"});
  LocalServer server(Ok("<reversegeocode><result>Somewhere</result><!--" + std::string(100000, '-') + "-->"));
  run.Run(server);
  EXPECT_EQ(run.f.Names()[0], "A@Somewhere");
}

TEST(AddressLookup, NoSessionShowsTheConnectionMessage) {
  EditFixture f({"A|1|2|2"});
  const int syncs = f.map.syncs;
  LookUpAddresses(f.context, f.clock);
  EXPECT_EQ(f.ui.MessageIds(), std::vector<int>{14309});
  EXPECT_EQ(f.map.syncs, syncs + 1);
  EXPECT_FALSE(CanUndo(f.doc.journal));
}

// The whole table: rows with an address are skipped but counted; Esc keeps what was done,
// and one undo takes the whole run back.
TEST(AddressLookup, WholeTableSkipsAddressesAndEscKeepsRowsDone) {
  LookupRun run({"A|1|2|2", "B@kept|1|2|2", "C|1|2|2", "D|1|2|2"});
  run.f.ui.stopAtPoll = 4;
  LocalServer server({kTaipeiReply, kTaipeiReply});
  run.Run(server);
  EXPECT_EQ(run.f.Names(), (std::vector<std::string>{"A@" + kTaipeiAddress, "B@kept", "C@" + kTaipeiAddress, "D"}));
  EXPECT_EQ(run.f.ui.marquees, (std::vector<std::string>{"已經查詢 0 / 4 筆資料, 按 Esc 鍵停止...",
                                                          "已經查詢 1 / 4 筆資料, 按 Esc 鍵停止...",
                                                          "已經查詢 2 / 4 筆資料, 按 Esc 鍵停止...",
                                                          "已經查詢 3 / 4 筆資料, 按 Esc 鍵停止..."}));
  EXPECT_TRUE(run.f.ui.messages.empty());
  Undo(run.f.context);
  EXPECT_EQ(run.f.Names(), (std::vector<std::string>{"A", "B@kept", "C", "D"}));
  EXPECT_FALSE(CanUndo(run.f.doc.journal));
}

// The address gets 254 - L units, L the whole name's length before the lookup, so the
// name never grows past 255.
TEST(AddressLookup, ALongNameLeavesLittleRoomForTheAddress) {
  const std::string longName(250, 'n');
  LookupRun run({longName + "|1|2|2", std::string(240, 'm') + "@" + std::string(10, 'o') + "|1|2|2"});
  run.f.Select({0, 1});
  LocalServer server({kTaipeiReply, kTaipeiReply});
  run.Run(server);
  EXPECT_EQ(run.f.Names()[0], longName + "@臺北市信");
  EXPECT_EQ(run.f.Names()[1], std::string(240, 'm') + "@臺北市");
}

}  // namespace
}  // namespace wayloom
