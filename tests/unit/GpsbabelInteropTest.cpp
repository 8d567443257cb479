// Files written by wayloom-cli read by GPSBabel, and GPSBabel's files read by wayloom-cli:
// the same names and coordinates either way. Skipped when gpsbabel is not installed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

struct Point {
  std::string name;
  double lon = 0, lat = 0;
};

std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

bool HaveGpsbabel() { return !Output("command -v gpsbabel").empty(); }

std::string Quote(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

// GPSBabel's unicsv output: "No,Latitude,Longitude,Name" then one quoted-name line each.
std::vector<Point> ParseUnicsv(const std::string& text) {
  std::vector<Point> points;
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);  // header
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        fields.push_back(field);
        field.clear();
      } else if (c != '\r') {
        field += c;
      }
    }
    fields.push_back(field);
    if (fields.size() >= 4) points.push_back({fields[3], std::stod(fields[2]), std::stod(fields[1])});
  }
  return points;
}

// wayloom-cli dump: name, longitude, latitude, status.
std::vector<Point> ParseDump(const std::string& text) {
  std::vector<Point> points;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    Point point;
    std::string lon, lat;
    std::getline(fields, point.name, '\t');
    std::getline(fields, lon, '\t');
    std::getline(fields, lat, '\t');
    point.lon = std::stod(lon);
    point.lat = std::stod(lat);
    points.push_back(point);
  }
  return points;
}

void ExpectSamePoints(const std::vector<Point>& actual, const std::vector<Point>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(actual[i].name, expected[i].name);
    EXPECT_NEAR(actual[i].lon, expected[i].lon, 0.000005) << expected[i].name;
    EXPECT_NEAR(actual[i].lat, expected[i].lat, 0.000005) << expected[i].name;
  }
}

const std::string kCli = WAYLOOM_CLI;
const std::vector<Point> kPoints = {
    {"台北 101", 121.5, 25.033}, {"New York & \"Co\" <1", -73.98765, 40.74844}, {"Alt Mölln", 10.46348, 53.64352}};
const char kItinerary[] =
    "\xEF\xBB\xBF" "12150000|2503300|台北 101|2\r\n-7398765|4074844|New York & \"Co\" <1|0\r\n"
    "1046348|5364352|Alt M\xC3\xB6lln|2\r\n";

TEST(GpsbabelInterop, ReadsWhatWayloomWrites) {
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  TempFolder folder;
  WriteBytes(folder / "in.itn", kItinerary);
  const struct {
    const char* file;
    const char* gpsbabelInput;
    const char* filter;
  } cases[] = {
      {"out.gpx", "-i gpx", ""},
      {"out.kml", "-i kml", ""},
      {"out.itn", "-i tomtom_itn", "-x transform,wpt=rte"},  // itineraries are routes
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_EQ(Output(kCli + " convert " + Quote(folder / "in.itn") + " " + Quote(folder / c.file) + " && echo ok"), "ok\n");
    const std::string read = Output(std::string("gpsbabel ") + c.gpsbabelInput + " -f " + Quote(folder / c.file) +
                                    " " + c.filter + " -o unicsv -F -");
    ExpectSamePoints(ParseUnicsv(read), kPoints);
  }
}

TEST(GpsbabelInterop, WayloomReadsWhatGpsbabelWrites) {
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  TempFolder folder;
  WriteBytes(folder / "in.itn", kItinerary);
  ASSERT_EQ(Output(kCli + " convert " + Quote(folder / "in.itn") + " " + Quote(folder / "source.gpx") + " && echo ok"),
            "ok\n");
  const struct {
    const char* file;
    const char* gpsbabelOutput;
    bool latin1Only;  // GPSBabel writes these in code page 1252: "台北" becomes "??"
  } cases[] = {
      {"gb.gpx", "-o gpx", false},
      {"gb.kml", "-o kml", false},
      {"gb.itn", "-x transform,rte=wpt -r -o tomtom_itn", true},
      {"gb.gpi", "-o garmin_gpi", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Output("gpsbabel -i gpx -f " + Quote(folder / "source.gpx") + " " + c.gpsbabelOutput + " -F " + Quote(folder / c.file));
    std::vector<Point> read = ParseDump(Output(kCli + " dump " + Quote(folder / c.file)));
    std::vector<Point> expected = kPoints;
    if (c.latin1Only) expected[0].name = "?? 101";
    // The POI file keeps its points in its own order.
    auto byName = [](const Point& a, const Point& b) { return a.name < b.name; };
    std::sort(read.begin(), read.end(), byName);
    std::sort(expected.begin(), expected.end(), byName);
    ExpectSamePoints(read, expected);
  }
}

}  // namespace
}  // namespace wayloom
