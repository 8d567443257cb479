// The map end to end: the page BuildMapPage writes, the real bridge and the real page in
// headless Chromium (tests/map/relay.mjs), with tiles, routes and addresses answered on
// loopback. The page's test hook WlmTestState() shows what the page holds.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "BrowserScriptHost.h"
#include "EditingTestSupport.h"
#include "LocalServer.h"
#include "map/MapPage.h"
#include "map/ScriptBridge.h"
#include "planning/RouteOrder.h"
#include "planning/SortTable.h"

namespace wayloom {
namespace {

using testing::BrowserScriptHost;
using testing::EditFixture;
using testing::TempFolder;

// Tiles, OSRM routes and Nominatim jsonv2 addresses for a file:// page: every answer
// allows any origin. One thread per connection, so that the browser's parallel and idle
// connections do not hold each other up.
class LoopbackWebServer {
 public:
  LoopbackWebServer() {
    listener_ = testing::ListenOnLoopback(64, port_);
    acceptor_ = std::thread([this] { Accept(); });
  }
  ~LoopbackWebServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& t : connections_) t.join();
    ::close(listener_);
  }
  std::string Root() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Paths() {
    std::lock_guard lock(mutex_);
    return paths_;
  }

 private:
  void Accept() {
    while (!stopping_) {
      pollfd wait{listener_, POLLIN, 0};
      if (::poll(&wait, 1, 100) <= 0) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      connections_.emplace_back([this, client] { Serve(client); });
    }
  }

  void Serve(int client) {
    timeval timeout{5, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      request.append(buffer, static_cast<std::size_t>(n));
    }
    const std::size_t start = request.find(' ') + 1;
    const std::string path = request.substr(start, request.find(' ', start) - start);
    {
      std::lock_guard lock(mutex_);
      paths_.push_back(path);
    }
    std::string type = "application/json", body;
    if (path.starts_with("/tiles/")) {
      type = "image/png";
      body.assign("\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00\x00\x01\x08\x00"
                  "\x00\x00\x00\x3a\x7e\x9b\x55\x00\x00\x00\x0a\x49\x44\x41\x54\x78\x9c\x63\xb8\x01\x00\x00\xda\x00\xd9"
                  "\x10\x4d\x04\x98\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
                  67);
    } else if (path.starts_with("/route/v1/driving/")) {
      body = Route(path.substr(18, path.find('?') - 18));
    } else if (path.starts_with("/reverse?")) {
      body = "{\"place_id\":1,\"lat\":\"25.0\",\"lon\":\"121.5\",\"display_name\":\"測試路 8號, 測試區, 臺北市, 臺灣\","
             "\"address\":{\"house_number\":\"8\",\"road\":\"測試路\",\"suburb\":\"測試區\",\"city\":\"臺北市\","
             "\"country\":\"臺灣\",\"country_code\":\"tw\"}}";
    }
    const std::string response = std::string(body.empty() ? "HTTP/1.0 404 Not Found" : "HTTP/1.0 200 OK") +
                                 "\r\nAccess-Control-Allow-Origin: *\r\nContent-Type: " + type +
                                 "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
    ::close(client);
  }

  // A straight line between the two points "lng1,lat1;lng2,lat2", 1 km and 60 s long.
  static std::string Route(const std::string& points) {
    const std::size_t semicolon = points.find(';');
    if (semicolon == std::string::npos) return "{\"code\":\"NoRoute\",\"routes\":[]}";
    return "{\"code\":\"Ok\",\"routes\":[{\"distance\":1000,\"duration\":60,\"geometry\":{\"type\":\"LineString\","
           "\"coordinates\":[[" + points.substr(0, semicolon) + "],[" + points.substr(semicolon + 1) + "]]}}]}";
  }

  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_ = false;
  std::thread acceptor_;
  std::vector<std::thread> connections_;  // joined at the end; each ends within its timeout
  std::mutex mutex_;
  std::vector<std::string> paths_;
};

class RecordingPane : public MapPane {
 public:
  bool PaneVisible() const override { return true; }
  void ClosePane() override { ++closed; }
  void RestoreStatusText() override {}
  void ShowHint(TextView text) override { hints.push_back(TextToUtf8(text)); }
  int closed = 0;
  std::vector<std::string> hints;
};

// What WlmTestState() says of the markers: "index title lat,lng dest|via" joined by "|".
const char* const kMarkersExpression =
    "(function () { var s = JSON.parse(WlmTestState()); var out = [];"
    " for (var i = 0; i < s.markers.length; ++i) { var m = s.markers[i];"
    "  out.push(m.index + ' ' + m.title + ' ' + m.lat + ',' + m.lng + (m.dest ? ' dest' : ' via')); }"
    " return out.join('|'); })()";

const std::vector<std::string> kRows = {"台北 101|121.565|25.033|2", "It's <b>B</b>|121.5|25.0|0",
                                        "No coordinates|121.4||2", "D|121.6|25.1|2",
                                        "</script><script>window.injected=1</script>|121.55|25.05|0"};

class MapEndToEnd : public ::testing::Test {
 protected:
  // The page of kRows opened in the browser and reported ready; skipped without the tools.
  void SetUp() override { Open(kRows); }

  void Open(const std::vector<std::string>& rows) {
    const std::string missing = BrowserScriptHost::MissingTools();
    if (!missing.empty()) GTEST_SKIP() << missing;
    f.Load(rows);
    f.doc.settings.Set(Option::GoogleMapsName, true);
    f.doc.map = &bridge;
    const std::string root = server.Root();
    const MapServices services{Utf8ToText(root + "/tiles/{z}/{x}/{y}.png"), Utf8ToText(root), Utf8ToText(root)};
    const Text programFolder = Utf8ToText(std::filesystem::path(WAYLOOM_CLI).parent_path().string());
    testing::WriteBytes(folder / "map.html", BuildMapPage({f.doc, MapPageFont(), programFolder, u"", services}));
    std::string error;
    ASSERT_TRUE(host.Start((folder / "map.html").string(), error)) << error;
    if (host.Eval("typeof WlmTestState") != "function") GTEST_SKIP() << "the map page is still the placeholder";
    bridge.PageNavigated(&host);
    ASSERT_TRUE(PollUntil([&] { return bridge.PageReady(); })) << host.errors();
  }

  // Polls the page as the status timer does until the condition holds (at most 15 s).
  bool PollUntil(const std::function<bool()>& condition, int tenthsOfSeconds = 150) {
    for (int i = 0; i < tenthsOfSeconds; ++i) {
      bridge.Poll();
      if (condition()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  std::string Markers() { return host.Eval(kMarkersExpression).value_or("(no state)"); }
  std::string State(const std::string& path) {
    return host.Eval("(function () { var s = JSON.parse(WlmTestState()); return JSON.stringify(s." + path + "); })()")
        .value_or("(no state)");
  }

  // The markers the table should show: rows with both coordinates, numbered from 1.
  std::string ExpectedMarkers() {
    std::string out;
    int k = 0;
    for (std::size_t row = 0; row < f.doc.table.RowCount(); ++row) {
      const ItineraryEntry& entry = f.doc.table.Row(row);
      if (entry.Cell(kLongitudeColumn).empty() || entry.Cell(kLatitudeColumn).empty()) continue;
      if (!out.empty()) out += "|";
      out += std::to_string(++k) + " " + TextToUtf8(entry.Name()) + " " +
             TextToUtf8(DisplayToDecimal(entry.Cell(kLatitudeColumn), f.doc.Format())) + "," +
             TextToUtf8(DisplayToDecimal(entry.Cell(kLongitudeColumn), f.doc.Format())) +
             ((entry.status & kStatusDestination) ? " dest" : " via");
    }
    return out;
  }

  bool MarkersMatchTable() {
    return PollUntil([&] { return Markers() == ExpectedMarkers(); });
  }

  // The rows' cells and statuses (the distance sort keys are the distance layer's).
  std::vector<std::string> Cells() {
    std::vector<std::string> rows = testing::Picture(f.doc).rows;
    for (std::string& row : rows) row.resize(row.rfind('|'));
    return rows;
  }

  // The page action took the table one undo step on: undo brings back before, redo after.
  void ExpectOneUndoStep(const std::vector<std::string>& before, std::int32_t stepsBefore, const char* action) {
    SCOPED_TRACE(action);
    const std::vector<std::string> after = Cells();
    EXPECT_NE(after, before);
    EXPECT_EQ(f.doc.journal.current, stepsBefore + 1);
    Undo(f.context);
    EXPECT_EQ(Cells(), before);
    Redo(f.context);
    EXPECT_EQ(Cells(), after);
    EXPECT_TRUE(MarkersMatchTable()) << Markers();
  }

  // Waits for a page message to change the table.
  bool TableChanges(const std::vector<std::string>& before) {
    return PollUntil([&] { return Cells() != before; });
  }

  // A click on the map shows the new-place marker there. The map ignores a click while it
  // still pans to an opened window, so the click is repeated a few times.
  bool PlaceNewMarker(int x, int y) {
    for (int attempt = 0; attempt < 5; ++attempt) {
      if (!host.ClickAt(x, y + 10 * attempt)) return false;
      if (PollUntil([&] { return State("newPlace.shown") == "true"; }, 20)) return true;
    }
    return false;
  }

  // Screenshots stay in the build folder for a person to look at.
  static std::string ScreenshotPath(const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(WAYLOOM_CLI).parent_path() / "map-screenshots";
    std::filesystem::create_directories(folder);
    return (folder / name).string();
  }

  // Clicks a marker or a link of the information window once it has stopped moving: the map
  // pans to fit a window it opens, and a click during the pan lands beside its target.
  bool ClickWhenStill(const std::string& selector) {
    std::string quoted;
    for (const char c : selector) quoted += (c == '\'' || c == '\\') ? std::string{'\\', c} : std::string{c};
    const std::string rect = "(function () { var e = document.querySelector('" + quoted +
                             "'); if (!e) return ''; var r = e.getBoundingClientRect(); return r.left + ',' + r.top; })()";
    std::string last = "(none)";
    for (int i = 0; i < 40; ++i) {
      const std::string now = host.Eval(rect).value_or("");
      if (!now.empty() && now == last) break;
      last = now;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return host.Click(selector);
  }

  std::string MarkerIcon(const std::string& title) { return ".leaflet-marker-icon[title=\"" + title + "\"]"; }

  // Waits for the information window to show the marker of the row with this name; a window
  // left open by an earlier step must not pass for it.
  bool WindowOpensOn(const std::string& name) {
    int marker = 0;  // markers are numbered over the rows with both coordinates
    for (std::size_t row = 0; row < f.doc.table.RowCount(); ++row) {
      const ItineraryEntry& entry = f.doc.table.Row(row);
      if (entry.Cell(kLongitudeColumn).empty() || entry.Cell(kLatitudeColumn).empty()) continue;
      ++marker;
      if (TextToUtf8(entry.Name()) != name) continue;
      const std::string index = std::to_string(marker);
      return PollUntil([&] { return State("info.open") == "true" && State("info.marker") == index; });
    }
    return false;
  }

  EditFixture f;
  RecordingPane pane;
  ScriptBridge bridge{f.context, f.editor, pane};
  LoopbackWebServer server;
  TempFolder folder;
  BrowserScriptHost host;
};

TEST_F(MapEndToEnd, MarkersFollowSyncReorderSortAndUndo) {
  EXPECT_TRUE(MarkersMatchTable()) << Markers();  // from the page's own AddMarker lines
  EXPECT_EQ(State("ready"), "true");

  f.Select({3});
  MoveUp(f.context);  // D before the row without coordinates: marker numbers stay
  MoveUp(f.context);  // D before B
  EXPECT_TRUE(MarkersMatchTable()) << Markers();
  SortNames(f.context, true);
  EXPECT_TRUE(MarkersMatchTable()) << Markers();
  Undo(f.context);
  Undo(f.context);
  EXPECT_TRUE(MarkersMatchTable()) << Markers();
  // Hostile names, from the file and pushed later, show literally and run nothing.
  SetCellRecorded(f.doc, 0, kNameColumn, u"<img src=x onerror=\"window.injected=2\">");
  MapSyncAll(f.doc);
  EXPECT_TRUE(MarkersMatchTable()) << Markers();
  f.Select({0});
  bridge.SelectEntry(f.doc);
  EXPECT_TRUE(PollUntil([&] { return State("info.open") == "true"; }));
  EXPECT_NE(State("info.text").find("<img src=x"), std::string::npos) << State("info.text");
  EXPECT_EQ(host.Eval("typeof window.injected"), "undefined");

  // The route layer asks the loopback router for each leg and draws the lines.
  ASSERT_TRUE(host.Click("#Layer12")) << host.errors();
  EXPECT_TRUE(PollUntil([&] { return State("route.lines") == "3"; })) << State("route");
  std::size_t legs = 0;
  for (const std::string& path : server.Paths()) legs += path.starts_with("/route/v1/driving/");
  EXPECT_GE(legs, 3u);
  const std::vector<std::string> names = f.Names();
  const std::size_t d = std::find(names.begin(), names.end(), "D") - names.begin();
  ASSERT_LT(d, names.size());
  f.Select({d});  // D's window open over the route
  bridge.SelectEntry(f.doc);
  const std::string order = TextToUtf8(f.doc.table.Cell(d, kOrderColumn));
  EXPECT_TRUE(PollUntil([&] { return State("info.marker") == order; })) << order << " " << State("info");
  ASSERT_TRUE(host.Screenshot(ScreenshotPath("map-route.png"))) << host.errors();
}

TEST_F(MapEndToEnd, TheSelectionIsPushed) {
  f.Select({3});
  bridge.SelectEntry(f.doc);
  EXPECT_TRUE(PollUntil([&] { return State("info.open") == "true" && State("info.marker") == "3"; }))
      << State("info");
  EXPECT_NE(State("info.text").find("D"), std::string::npos);
  f.Select({2});  // no coordinates: marker 0, the window closes
  bridge.SelectEntry(f.doc);
  EXPECT_TRUE(PollUntil([&] { return State("info.open") == "false"; })) << State("info");
}

TEST_F(MapEndToEnd, PageMessagesReachTheTableAsOneUndoStepEach) {
  ASSERT_TRUE(MarkersMatchTable()) << Markers();

  // select: a click on a marker selects its row.
  ASSERT_TRUE(ClickWhenStill(MarkerIcon("It's <b>B</b>"))) << host.errors();
  EXPECT_TRUE(PollUntil([&] { return f.Selected() == std::vector<std::size_t>{1}; }));

  // delete: the window's delete link.
  std::vector<std::string> before = Cells();
  std::int32_t steps = f.doc.journal.current;
  ASSERT_TRUE(ClickWhenStill("a[href^=\"javascript:OnDelete(\"]")) << host.errors();
  ASSERT_TRUE(TableChanges(before));
  EXPECT_EQ(f.Names()[1], "No coordinates");
  ExpectOneUndoStep(before, steps, "delete");

  // add: a click on the map shows the new-place marker; its add link appends a row.
  before = Cells();
  steps = f.doc.journal.current;
  ASSERT_TRUE(PlaceNewMarker(200, 600)) << host.errors();
  ASSERT_TRUE(ClickWhenStill("a[href^=\"javascript:OnAdd(\"]")) << host.errors();
  ASSERT_TRUE(TableChanges(before));
  EXPECT_EQ(f.doc.table.RowCount(), before.size() + 1);
  EXPECT_TRUE(f.Names().back().starts_with("新行程 ")) << f.Names().back();
  ExpectOneUndoStep(before, steps, "add");

  // insert: before the selected row.
  f.Select({1});
  before = Cells();
  steps = f.doc.journal.current;
  ASSERT_TRUE(PlaceNewMarker(700, 200)) << host.errors();
  ASSERT_TRUE(ClickWhenStill("a[href^=\"javascript:OnInsert(\"]")) << host.errors();
  ASSERT_TRUE(TableChanges(before));
  EXPECT_TRUE(f.Names()[1].starts_with("新行程 ")) << f.Names()[1];
  ExpectOneUndoStep(before, steps, "insert");

  // change: a dragged marker proposes "name@address" from the loopback service; the
  // update link moves and renames the row.
  before = Cells();
  steps = f.doc.journal.current;
  ASSERT_TRUE(host.Drag(MarkerIcon("台北 101"), 60, 0)) << host.errors();
  ASSERT_TRUE(WindowOpensOn("台北 101")) << State("info");
  ASSERT_TRUE(ClickWhenStill("a[href^=\"javascript:OnUpdate(\"]")) << host.errors();
  ASSERT_TRUE(TableChanges(before));
  EXPECT_EQ(f.Names()[0], "台北 101@臺北市測試區測試路8號");
  EXPECT_NE(f.doc.table.Cell(0, kLongitudeColumn), u"121.56500");
  ExpectOneUndoStep(before, steps, "change");

  // edit: a click on the name row of a marker's window opens the cell editor on it.
  ASSERT_TRUE(ClickWhenStill(MarkerIcon("D"))) << host.errors();
  ASSERT_TRUE(WindowOpensOn("D")) << State("info");
  const std::size_t editors = f.ui.editorRequests.size();
  ASSERT_TRUE(ClickWhenStill("#InfoWnd tr:first-child span.InfoEdit")) << host.errors();
  EXPECT_TRUE(PollUntil([&] { return f.ui.editorRequests.size() > editors; }))
      << State("info");

  // flush names: a dragged marker's proposed name reaches the table when the window closes.
  before = Cells();
  steps = f.doc.journal.current;
  ASSERT_TRUE(host.Drag(MarkerIcon("D"), 0, 60)) << host.errors();
  ASSERT_TRUE(WindowOpensOn("D")) << State("info");
  bridge.CloseInfo();
  ASSERT_TRUE(TableChanges(before));
  EXPECT_TRUE(f.Names()[3].starts_with("D@")) << f.Names()[3];
  ExpectOneUndoStep(before, steps, "flush names");
  ASSERT_TRUE(host.Screenshot(ScreenshotPath("map-messages.png"))) << host.errors();
}

}  // namespace
}  // namespace wayloom
