// The map page: the whole page of a small table byte for byte, the settings that change
// its lines, the escaping of names into the script (checked by a JavaScript parser when
// Node.js is there), the services from the ini file and the "page" command of the CLI.
#include <gtest/gtest.h>

#include "EditingTestSupport.h"
#include "map/MapPage.h"
#include "map/MapResources.h"

namespace wayloom {
namespace {

using testing::EditFixture;
using testing::TempFolder;

const std::string kStyle =
    "<style type=\"text/css\">\r\nhtml, body, #Map\r\n{\r\n\tmargin: 0px;\r\n\twidth: 100%;\r\n\theight: 100%;\r\n"
    "\tfont: 12px Arial;\r\n\toverflow: hidden;\r\n}\r\n";

MapServices LoopbackServices() {
  return {u"http://127.0.0.1:8001/{z}/{x}/{y}.png", u"http://127.0.0.1:8002", u"http://127.0.0.1:8003"};
}

std::string Services() {
  return "var e_szTileUrl       = \"http://127.0.0.1:8001/{z}/{x}/{y}.png\";\r\n"
         "var e_szRouteHost     = \"http://127.0.0.1:8002\";\r\n"
         "var e_szAddressHost   = \"http://127.0.0.1:8003\";\r\n";
}

const MapPageFont kDefaultFont;

std::string Resource(int id) { return std::string(MapResource(id)); }

TEST(MapPage, AssemblesTheWholePageInOrder) {
  EditFixture f;
  Settings& settings = f.doc.settings;
  settings.Set(Option::DmsFormat, true);  // cells in degrees-minutes-seconds with compass letters
  settings.Set(Option::CompassDirection, true);
  settings.Set(Option::LngFirst, false);
  settings.Set(Option::MetricUnit, true);
  settings.Set(Option::GoogleMapsCookie, false);
  settings.Set(Option::GoogleMapsName, true);
  settings.Set(Option::GoogleMapsRoute, false);
  f.Load({"台北 101|121.565|25.033|2", "No latitude|121.5||2", "O'Neil \\ <b>|-0.1275|51.5|0"});
  ASSERT_NE(f.doc.table.Cell(0, kLatitudeColumn).find(u'N'), Text::npos);  // really shown with a compass letter

  MapPageFont font{u"Microsoft JhengHei", -16, 700, true, 0x0a, 0x1b, 0xff};
  const std::string page = BuildMapPage({f.doc, font, u"/opt/Wayloom", u"", LoopbackServices()});

  const std::string expected =
      Resource(19000) + "<meta name=\"wayloom-map-language\" content=\"zh-TW\" />\r\n" + kStyle +
      "#InfoWnd, #IqrDirInfo\r\n{\r\n\tfont:  italic 700 16px Microsoft JhengHei;\r\n\tcolor: #0a1bff;\r\n}\r\n" +
      Resource(19001) + "var e_szMarkerImgUrl = \"file:///opt/Wayloom/MarkerImage/\";\r\n" +
      "var e_bLngFirst      = false;\r\n"
      "var e_bDmsFormat     = true;\r\n"
      "var e_bCompassDir    = true;\r\n"
      "var e_bMetricUnit    = true;\r\n"
      "var e_bUseCookie     = false;\r\n"
      "var e_bUpdateName    = true;\r\n"
      "var e_bFlashRoute    = false;\r\n" +
      Services() +
      "function LoadMarker(jYahooTileLayer)\r\n{\r\n"
      "\tAddMarker('台北 101', 25.03300, 121.56500, true, true);\r\n"
      "\tAddMarker('O\\'Neil \\\\ \\u003cb\\u003e', 51.50000, -0.12750, false, true);\r\n" +
      Resource(19002);
  EXPECT_EQ(page, expected);
}

TEST(MapPage, SettingsChangeTheirLinesOnly) {
  EditFixture f({"A|1|2|2"});
  const std::string base = BuildMapPage({f.doc, kDefaultFont, u"C:\\Program Files\\Wayloom", u"", LoopbackServices()});
  EXPECT_NE(base.find("\tfont:  normal 400 13px Arial;\r\n\tcolor: #000000;"), std::string::npos);  // height 0
  EXPECT_NE(base.find("var e_szMarkerImgUrl = \"file:///C:/Program Files/Wayloom/MarkerImage/\";\r\n"), std::string::npos);

  MapPageFont points;
  points.height = 12;  // points: 12 x 96 / 72
  EXPECT_NE(BuildMapPage({f.doc, points, u"C:\\W", u"", LoopbackServices()}).find(" 400 16px Arial;"), std::string::npos);

  f.doc.settings.Set(Option::MetricUnit, false);
  EXPECT_NE(BuildMapPage({f.doc, kDefaultFont, u"C:\\W", u"", LoopbackServices()}).find("var e_bMetricUnit    = false;\r\n"),
            std::string::npos);

  f.doc.settings.googleMapsLang = 8;
  const std::string spanish =
      BuildMapPage({f.doc, kDefaultFont, u"C:\\W", u"C:\\W\\MapTypeId4.js", LoopbackServices()});
  EXPECT_NE(spanish.find("<meta name=\"wayloom-map-language\" content=\"es\" />\r\n"
                         "<script src=\"file:///C:/W/MapTypeId4.js\" type=\"text/javascript\"></script>\r\n" +
                         kStyle),
            std::string::npos);
  EXPECT_TRUE(spanish.ends_with(Resource(19010)));

  // A folder with characters that would end the address or its attribute.
  const std::string odd = BuildMapPage({f.doc, kDefaultFont, u"/opt/W\"<x>#1%?", u"/opt/W\"<x>#1%?/MapTypeId4.js",
                                        LoopbackServices()});
  EXPECT_NE(odd.find("<script src=\"file:///opt/W%22%3Cx%3E%231%25%3F/MapTypeId4.js\" "), std::string::npos);
  EXPECT_NE(odd.find("var e_szMarkerImgUrl = \"file:///opt/W%22%3Cx%3E%231%25%3F/MarkerImage/\";"), std::string::npos);

  f.doc.settings.googleMapsLang = 99;  // an ini value out of range: the last language
  EXPECT_TRUE(BuildMapPage({f.doc, kDefaultFont, u"C:\\W", u"", LoopbackServices()}).ends_with(Resource(19010)));
}

TEST(MapPage, EscapesNamesForAScriptString) {
  const struct {
    std::u16string name;
    std::u16string escaped;
  } cases[] = {
      {u"O'Neil", u"O\\'Neil"},
      {u"a\\b", u"a\\\\b"},
      {u"</script><b>&", u"\\u003c/script\\u003e\\u003cb\\u003e\\u0026"},
      {u"\"q\"\t\x7F", u"\\u0022q\\u0022\\u0009\\u007f"},
      {u"x\u2028y\u2029", u"x\\u2028y\\u2029"},
      {u"台北😀", u"台北😀"},
      {std::u16string(255, u'\''), [] {
         std::u16string s;
         for (int i = 0; i < 255; ++i) s += u"\\'";
         return s;
       }()},  // 510 characters exactly
      {u"x" + std::u16string(85, u'<'), [] {
         std::u16string s = u"x";
         for (int i = 0; i < 84; ++i) s += u"\\u003c";
         return s;
       }()},  // the 85th escape would pass 510: cut before it, not inside it
      {std::u16string(509, u'a') + u"😀", std::u16string(509, u'a')},  // no half pair
  };
  for (const auto& c : cases) EXPECT_EQ(EscapeForScriptString(c.name), c.escaped) << TextToUtf8(c.name);
}

TEST(MapPage, ServicesComeFromTheIniFile) {
  testing::MemoryProfile profile;
  MapServices services = ReadMapServices(&profile);
  EXPECT_EQ(services.tiles, u"https://tile.openstreetmap.org/{z}/{x}/{y}.png");
  EXPECT_EQ(services.routes, u"https://router.project-osrm.org");
  EXPECT_EQ(services.addresses, u"https://nominatim.openstreetmap.org");
  EXPECT_EQ(ReadMapServices(nullptr).addresses, services.addresses);

  profile.WriteString(u"Services", u"Map Tiles", u"http://127.0.0.1:9/t/{z}/{x}/{y}.png");
  profile.WriteString(u"Services", u"Routes", u"http://127.0.0.1:8080//");
  profile.WriteString(u"Services", u"Addresses", u"");
  services = ReadMapServices(&profile);
  EXPECT_EQ(services.tiles, u"http://127.0.0.1:9/t/{z}/{x}/{y}.png");
  EXPECT_EQ(services.routes, u"http://127.0.0.1:8080");
  EXPECT_EQ(services.addresses, u"https://nominatim.openstreetmap.org");

  // A value that would end the script string is escaped like a name.
  EditFixture f;
  const std::string page = BuildMapPage({f.doc, kDefaultFont, u"C:\\W", u"", {u"x\";alert(1);//", u"r", u"a"}});
  EXPECT_NE(page.find("var e_szTileUrl       = \"x\\u0022;alert(1);//\";\r\n"), std::string::npos);
}

// Names that try to leave the string or the script element: the generated script parses
// as ECMAScript 5 and AddMarker receives every name exactly as the table holds it.
TEST(MapPage, HostileNamesStayInsideTheirStrings) {
  const std::string acorn = std::string(WAYLOOM_SOURCE_DIR) + "/node_modules/acorn";
  if (std::system("node --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "node is not installed";
  if (!std::filesystem::exists(acorn)) GTEST_SKIP() << "node_modules/acorn is missing (npm ci)";

  const std::vector<std::string> names = {
      "It's", "back\\slash\\", "</script><script>alert(1)</script>", "<!--", "a\"b", "line\u2028sep\u2029",
      "&amp; <b>bold</b>", "'); alert(1); ('", "台北 101", "\\'\\\\'"};
  EditFixture f;
  for (std::size_t i = 0; i < names.size(); ++i) {
    InsertRowRecorded(f.doc, i, Utf8ToText(names[i]), kStatusDestination, false);
    SetCoordinateFromText(f.doc, i, Axis::Longitude, u"121.5", CoordinateSource::Degrees);
    SetCoordinateFromText(f.doc, i, Axis::Latitude, u"25", CoordinateSource::Degrees);
  }
  const std::string page = BuildMapPage({f.doc, kDefaultFont, u"C:\\W", u"", LoopbackServices()});
  // No name adds an end tag: the script element closes only where the resources close it.
  const auto count = [](const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = text.find("</script"); at != std::string::npos; at = text.find("</script", at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(page), count(Resource(19000) + Resource(19001) + Resource(19002)));

  const std::size_t begin = page.find("function LoadMarker(");
  const std::size_t end = page.rfind(Resource(19002));
  ASSERT_NE(begin, std::string::npos);
  TempFolder folder;
  testing::WriteBytes(folder / "generated.js", page.substr(begin, end - begin) + "}\n");
  testing::WriteBytes(folder / "check.js",
             "var acorn = require(" + testing::Quote(acorn) + ");\n"
             "var fs = require('fs');\n"
             "var code = fs.readFileSync(process.argv[2], 'utf8');\n"
             "acorn.parse(code, {ecmaVersion: 5});\n"
             "var names = [];\n"
             "new Function('AddMarker', code + '\\nLoadMarker(null);')(function (n, lat, lng, dest, add) {\n"
             "  names.push(n);\n"
             "});\n"
             "process.stdout.write(JSON.stringify(names));\n");
  const testing::CommandRun run =
      testing::RunCommand("node " + testing::Quote(folder / "check.js") + " " + testing::Quote(folder / "generated.js"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::string expected = "[";
  for (const std::string& name : names) {
    if (expected.size() > 1) expected += ",";
    expected += "\"";
    for (char c : name) {
      if (c == '"' || c == '\\') expected += '\\';
      expected += c;
    }
    expected += "\"";
  }
  expected += "]";
  // JSON.stringify writes U+2028/U+2029 literally (before ES2019) or escaped: compare decoded.
  std::string out = run.out;
  for (const auto& [escaped, raw] : {std::pair<std::string, std::string>{"\\u2028", "\u2028"}, {"\\u2029", "\u2029"}})
    for (std::size_t at = out.find(escaped); at != std::string::npos; at = out.find(escaped)) out.replace(at, 6, raw);
  EXPECT_EQ(out, expected);
}

TEST(MapPage, CliWritesThePageOfAFile) {
  TempFolder folder;
  testing::WriteBytes(folder / "in.itn", "\xEF\xBB\xBF" "12156500|2503300|台北|2|\r\n-12750|5150000|O'Neil|0|\r\n");
  const testing::CommandRun run = testing::RunCommand(std::string(WAYLOOM_CLI) + " page " + testing::Quote(folder / "in.itn") +
                                                      " " + testing::Quote(folder / "out.html") + " --lang 8");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string page = testing::ReadBytes(folder / "out.html");
  EXPECT_TRUE(page.starts_with(Resource(19000) + "<meta name=\"wayloom-map-language\" content=\"es\" />\r\n" + kStyle));
  EXPECT_NE(page.find("\tAddMarker('台北', 25.03300, 121.56500, true, true);\r\n"
                      "\tAddMarker('O\\'Neil', 51.50000, -0.12750, false, true);\r\n" +
                      Resource(19010)),
            std::string::npos);
  const std::string folderOfCli = std::filesystem::path(WAYLOOM_CLI).parent_path().string().substr(1);
  EXPECT_NE(page.find("var e_szMarkerImgUrl = \"file:///" + folderOfCli + "/MarkerImage/\";"), std::string::npos);
  EXPECT_NE(page.find("var e_szAddressHost   = \"https://nominatim.openstreetmap.org\";"), std::string::npos);

  EXPECT_EQ(testing::RunCommand(std::string(WAYLOOM_CLI) + " page a b --lang 9").exitCode, 2);
  EXPECT_EQ(testing::RunCommand(std::string(WAYLOOM_CLI) + " dump a --lang 1").exitCode, 2);
}

}  // namespace
}  // namespace wayloom
