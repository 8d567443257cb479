// Files written by wayloom-cli read by GPSBabel, and GPSBabel's files read by wayloom-cli:
// the same names and coordinates either way. Skipped when gpsbabel is not installed.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "TestSupport.h"

namespace wayloom {
namespace {

using testing::Lines;
using testing::Quote;
using testing::RunCommand;

const std::string kCli = WAYLOOM_CLI;
const char kItinerary[] =
    "\xEF\xBB\xBF" "12150000|2503300|台北 101|2\r\n-7398765|4074844|New York & \"Co\" <1|0\r\n"
    "1046348|5364352|Alt M\xC3\xB6lln|2\r\n";

bool HaveGpsbabel() { return RunCommand("command -v gpsbabel").exitCode == 0; }

// wayloom-cli's dump of a file without the status, which not every format keeps, in name
// order (a POI file keeps its points in its own order).
Lines Points(const std::filesystem::path& file, const std::string& options = "") {
  std::istringstream dump(RunCommand(kCli + " dump " + Quote(file) + options).out);
  Lines points;
  for (std::string line; std::getline(dump, line);) points.push_back(line.substr(0, line.rfind('\t')));
  std::sort(points.begin(), points.end());
  return points;
}

const Lines kPoints = {"Alt Mölln\t10.46348\t53.64352", "New York & \"Co\" <1\t-73.98765\t40.74844",
                       "台北 101\t121.50000\t25.03300"};

// What GPSBabel reads from wayloom's file, written by GPSBabel as GPX, is what wayloom wrote.
TEST(GpsbabelInterop, ReadsWhatWayloomWrites) {
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  testing::TempFolder folder;
  testing::WriteBytes(folder / "in.itn", kItinerary);
  // GPSBabel reads POI files in code page 1252 only: the UTF-8 name of "台北 101" arrives
  // as the code page's characters for its bytes.
  Lines latin1 = kPoints;
  latin1.back().replace(0, 6, "\xC3\xA5\xC2\x8F\xC2\xB0\xC3\xA5\xC5\x92\xE2\x80\x94");
  std::sort(latin1.begin(), latin1.end());
  const std::tuple<const char*, const char*, const char*, const char*, const Lines&> cases[] = {
      {"out.gpx", "", "-i gpx", "", kPoints},
      {"out.kml", "", "-i kml", "", kPoints},
      {"out.itn", "", "-i tomtom_itn", "-x transform,wpt=rte", kPoints},  // itineraries are routes
      {"route.gpx", " --to gpx-route", "-i gpx", "-x transform,wpt=rte,del", kPoints},
      {"out.ov2", "", "-i tomtom", "", latin1},
  };
  for (const auto& [file, options, input, filter, expected] : cases) {
    ASSERT_EQ(RunCommand(kCli + " convert " + Quote(folder / "in.itn") + " " + Quote(folder / file) + options).exitCode, 0);
    RunCommand(std::string("gpsbabel ") + input + " -f " + Quote(folder / file) + " " + filter + " -o gpx -F " +
               Quote(folder / "back.gpx"));
    EXPECT_EQ(Points(folder / "back.gpx"), expected) << file;
  }
}

// POIs GPSBabel's writer splits into a tree of skippers: ours is the same, byte for byte.
TEST(GpsbabelInterop, Ov2SkipperTreeIsGpsbabels) {
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  testing::TempFolder folder;
  std::string gpx = "<?xml version=\"1.0\"?><gpx version=\"1.1\" xmlns=\"http://www.topografix.com/GPX/1/1\">";
  for (int i = 0; i < 300; ++i) {
    // Distinct coordinates spread over a box wider than high, then higher than wide.
    const int lon = 12000000 + (i * 7919) % 900001, lat = 2300000 + (i * 104729) % (i < 150 ? 300001 : 2000001);
    gpx += "<wpt lat=\"" + std::to_string(lat / 100000) + "." + std::to_string(100000 + lat % 100000).substr(1) +
           "\" lon=\"" + std::to_string(lon / 100000) + "." + std::to_string(100000 + lon % 100000).substr(1) +
           "\"><name>P" + std::to_string(i) + "</name></wpt>";
  }
  testing::WriteBytes(folder / "in.gpx", gpx + "</gpx>");
  RunCommand("gpsbabel -i gpx -f " + Quote(folder / "in.gpx") + " -o tomtom -F " + Quote(folder / "gb.ov2"));
  ASSERT_EQ(RunCommand(kCli + " convert " + Quote(folder / "in.gpx") + " " + Quote(folder / "ours.ov2")).exitCode, 0);
  const std::string ours = testing::ReadBytes(folder / "ours.ov2");
  EXPECT_GT(ours.size(), 300u * 19);
  EXPECT_EQ(ours, testing::ReadBytes(folder / "gb.ov2"));
}

TEST(GpsbabelInterop, WayloomReadsWhatGpsbabelWrites) {
  if (!HaveGpsbabel()) GTEST_SKIP() << "gpsbabel is not installed";
  testing::TempFolder folder;
  testing::WriteBytes(folder / "in.itn", kItinerary);
  ASSERT_EQ(RunCommand(kCli + " convert " + Quote(folder / "in.itn") + " " + Quote(folder / "source.gpx")).exitCode, 0);
  // GPSBabel writes itineraries and POI files in code page 1252: "台北" becomes "??".
  Lines latin1 = kPoints;
  latin1.back().replace(0, 6, "??");
  std::sort(latin1.begin(), latin1.end());
  // GPSBabel's POI writer rounds negative coordinates up by adding 0.5 and truncating.
  Lines latin1Ov2 = latin1;
  latin1Ov2[2].replace(latin1Ov2[2].find("-73.98765"), 9, "-73.98764");
  const std::tuple<const char*, const char*, const Lines&, const char*> cases[] = {
      {"gb.gpx", "-o gpx", kPoints, ""},
      {"gb.kml", "-o kml", kPoints, ""},
      {"gb.itn", "-x transform,rte=wpt -r -o tomtom_itn", latin1, ""},
      {"gb.gpi", "-o garmin_gpi", latin1, ""},
      {"gb.ov2", "-o tomtom", latin1Ov2, ""},
      // Routes and tracks alone, read by their points.
      {"gb-route.gpx", "-x transform,rte=wpt,del -o gpx", kPoints, " --route"},
      {"gb-track.gpx", "-x transform,trk=wpt,del -o gpx", kPoints, " --track 48"},
  };
  for (const auto& [file, output, expected, options] : cases) {
    RunCommand("gpsbabel -i gpx -f " + Quote(folder / "source.gpx") + " " + output + " -F " + Quote(folder / file));
    EXPECT_EQ(Points(folder / file, options), expected) << file;
  }
}

}  // namespace
}  // namespace wayloom
