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
Lines Points(const std::filesystem::path& file) {
  std::istringstream dump(RunCommand(kCli + " dump " + Quote(file)).out);
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
  const std::tuple<const char*, const char*, const char*> cases[] = {
      {"out.gpx", "-i gpx", ""},
      {"out.kml", "-i kml", ""},
      {"out.itn", "-i tomtom_itn", "-x transform,wpt=rte"},  // itineraries are routes
  };
  for (const auto& [file, input, filter] : cases) {
    ASSERT_EQ(RunCommand(kCli + " convert " + Quote(folder / "in.itn") + " " + Quote(folder / file)).exitCode, 0);
    RunCommand(std::string("gpsbabel ") + input + " -f " + Quote(folder / file) + " " + filter + " -o gpx -F " +
               Quote(folder / "back.gpx"));
    EXPECT_EQ(Points(folder / "back.gpx"), kPoints) << file;
  }
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
  const std::tuple<const char*, const char*, const Lines&> cases[] = {
      {"gb.gpx", "-o gpx", kPoints},
      {"gb.kml", "-o kml", kPoints},
      {"gb.itn", "-x transform,rte=wpt -r -o tomtom_itn", latin1},
      {"gb.gpi", "-o garmin_gpi", latin1},
  };
  for (const auto& [file, output, expected] : cases) {
    RunCommand("gpsbabel -i gpx -f " + Quote(folder / "source.gpx") + " " + output + " -F " + Quote(folder / file));
    EXPECT_EQ(Points(folder / file), expected) << file;
  }
}

}  // namespace
}  // namespace wayloom
