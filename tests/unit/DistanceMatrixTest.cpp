// The distance-matrix reply scan and the download through the POSIX client from a local
// server on 127.0.0.1: the request bytes, the 65,535-byte limit, Esc, and replies of any
// content.
#include <gtest/gtest.h>


#include "LocalServer.h"
#include "TestSupport.h"
#include "planning/DistanceMatrix.h"
#include "platform/posix/PosixHttpClient.h"

namespace wayloom {
namespace {

using testing::LocalServer;

std::string Element(int metres) {
  return "<element><status>OK</status><duration><value>61</value><text>1 min</text></duration>"
         "<distance><value>" + std::to_string(metres) + "</value><text>km</text></distance></element>";
}

std::string Reply(const std::vector<int>& metres, const std::string& status = "OK") {
  std::string reply = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DistanceMatrixResponse>\n <status>" + status +
                      "</status>\n <origin_address>Taipei 台北</origin_address>\n <row>";
  for (int m : metres) reply += Element(m);
  return reply + "</row>\n</DistanceMatrixResponse>\n";
}

struct ParseCase {
  const char* what;
  std::string reply;
  std::size_t n;
  int result;
  std::vector<std::int32_t> distances;
};

TEST(DistanceMatrix, ParsesTheTagsTheReplyIsReadBy) {
  const std::string four = Reply({0, 12, 34, 0});
  std::string upper = four;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::string noRoute = Reply({0, 12, 34, 0});
  noRoute.replace(noRoute.find("<distance>", noRoute.find("<distance>") + 1), 10, "<nodistance>");
  const ParseCase cases[] = {
      {"origin-major order", four, 2, 0, {0, 12, 34, 0}},
      {"tags in any case", upper, 2, 0, {0, 12, 34, 0}},
      {"bare minimum", "<status>OK<<element><distance><value>7", 1, 0, {7}},
      {"white space and leading zeros", "<status>OK<<element><distance><value>\r\n 0002147483647</value>", 1, 0, {2147483647}},
      {"more elements than needed", Reply({5, 6, 7, 8, 9}), 2, 0, {5, 6, 7, 8}},
      {"an element without a distance", noRoute, 2, 14435, {}},
      {"status not OK", Reply({1, 2, 3, 4}, "OVER_QUERY_LIMIT"), 2, 14434, {}},
      {"status OK but no angle bracket", Reply({1}, "OK ") , 1, 14434, {}},
      {"no status", "<element><distance><value>1</value>", 1, 14434, {}},
      {"status found only after the elements", Reply({1}).substr(Reply({1}).find("<row>")) + "<status>OK<", 1, 14434, {}},
      {"fewer elements", Reply({1, 2, 3}), 2, 14434, {}},
      {"value beyond 32 bits", "<status>OK<<element><distance><value>2147483648", 1, 14434, {}},
      {"negative value", "<status>OK<<element><distance><value>-5", 1, 14434, {}},
      {"value without digits", "<status>OK<<element><distance><value></value>", 1, 14434, {}},
      {"no value tag", "<status>OK<<element><distance>12</distance></element>", 1, 14434, {}},
      {"nothing after the element", "<status>OK<<element>", 1, 14434, {}},
      {"empty", "", 1, 14434, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::int32_t> distances = {-1};
    EXPECT_EQ(ParseDistanceMatrix(c.reply, c.n, distances), c.result) << c.what;
    EXPECT_EQ(distances, c.result == 0 ? c.distances : std::vector<std::int32_t>{-1}) << c.what;
  }
}

TEST(DistanceMatrix, DownloadsFromALocalServer) {
  const std::string body = Reply({0, 1500, 1700, 0});
  LocalServer server("HTTP/1.0 200 OK\r\nContent-Type: application/xml\r\n\r\n" + body);
  PosixHttpClient http;
  testing::ScriptedUi ui;
  const DistanceDownload download =
      DownloadDistanceMatrix(&http, server.Url("/maps/api/distancematrix/xml?origins=25.0,121.5|1,2&sensor=false"), 2, ui);
  EXPECT_EQ(download.message, 0);
  EXPECT_EQ(download.distances, (std::vector<std::int32_t>{0, 1500, 1700, 0}));
  EXPECT_EQ(server.request().substr(0, server.request().find("\r\nHost:")),
            "GET /maps/api/distancematrix/xml?origins=25.0,121.5|1,2&sensor=false HTTP/1.0");
  EXPECT_NE(server.request().find("\r\nUser-Agent: Wayloom\r\n"), std::string::npos);
  EXPECT_GE(ui.polls, 2);  // before the read with the body and before the end

  // Esc before the second read stops silently.
  LocalServer again("HTTP/1.0 200 OK\r\n\r\n" + body);
  ui.polls = 0;
  ui.stopAtPoll = 2;
  const DistanceDownload stopped = DownloadDistanceMatrix(&http, again.Url("/x"), 2, ui);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.message, 0);
  EXPECT_TRUE(stopped.distances.empty());
}

TEST(DistanceMatrix, RepliesFailuresAndThe65535ByteLimit) {
  const std::string ok = "HTTP/1.0 200 OK\r\n\r\n";
  std::string noRoute = Reply({0, 1});
  noRoute.replace(noRoute.find("<distance>"), 10, "<x>");
  // Only the first 65,535 bytes count: a value cut at the limit reads as its first digits.
  auto big = [](std::size_t digitsInside) {
    std::string body = "<status>OK<<element><distance><value>";
    body.append(kMaxReplyBytes - body.size() - digitsInside, ' ');
    return body + "1234</value>" + std::string(70000, 'x');
  };
  const struct {
    const char* what;
    std::string response;
    int message;
    std::vector<std::int32_t> distances;
  } cases[] = {
      {"missing distance", ok + noRoute, 14435, {}},
      {"empty body", ok, 14434, {}},
      {"error page", "HTTP/1.0 404 Not Found\r\n\r\nnot here", 14434, {}},
      {"no HTTP answer", "garbage", 14433, {}},
      {"value past the limit", ok + big(0), 14434, {}},
      {"value cut at the limit", ok + big(2), 0, {12}},
      {"value inside the limit", ok + big(4), 0, {1234}},
  };
  for (const auto& c : cases) {
    LocalServer server(c.response);
    PosixHttpClient http;
    testing::ScriptedUi ui;
    const DistanceDownload download = DownloadDistanceMatrix(&http, server.Url("/x"), 1, ui);
    EXPECT_EQ(download.message, c.message) << c.what;
    EXPECT_EQ(download.distances, c.distances) << c.what;
  }
  PosixHttpClient http;
  testing::ScriptedUi ui;
  for (const char* url : {"https://127.0.0.1/x", "ftp://127.0.0.1/x", "http://", "http://127.0.0.1:/x", "http://127.0.0.1:1/x"})
    EXPECT_EQ(DownloadDistanceMatrix(&http, AsciiToText(url), 1, ui).message, 14433) << url;
  EXPECT_EQ(DownloadDistanceMatrix(nullptr, u"http://127.0.0.1/x", 1, ui).message, 14433);
}

}  // namespace
}  // namespace wayloom
