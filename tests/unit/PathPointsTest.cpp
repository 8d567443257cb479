// Routes and tracks of GPX and KML files without waypoints: the question, the rows of each
// answer, and the reduction of a long track.
#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "formats/PathPoints.h"

namespace wayloom {
namespace {

using testing::Lines;
using testing::ScriptedUi;

constexpr double kPi = 3.14159265358979323846;

// The largest distance of any point from the kept line (each point against the arc
// between the kept points around it).
double MaxDeviationMetres(const std::vector<GeoPoint>& points, const std::vector<std::size_t>& kept) {
  double worst = 0;
  for (std::size_t k = 0; k + 1 < kept.size(); ++k)
    for (std::size_t i = kept[k]; i <= kept[k + 1]; ++i)
      worst = std::max(worst, DistanceToArcMetres(points[i], points[kept[k]], points[kept[k + 1]]));
  return worst;
}

// A recorded track of 100,000 points: 3 waves of 11 km amplitude over 100 km, with a
// deterministic jitter of a few metres as a receiver gives.
TEST(ReducePath, AHundredThousandPointTrackKeeps48PointsWithin200Metres) {
  std::vector<GeoPoint> track(100000);
  for (std::size_t i = 0; i < track.size(); ++i) {
    const double t = static_cast<double>(i) / (track.size() - 1);
    const double jitter = 0.00003 * std::sin(static_cast<double>(i) * 12.9898);
    track[i] = {120.0 + t + jitter, 23.0 + 0.1 * std::sin(6 * kPi * t) + jitter};
  }
  const std::vector<std::size_t> kept = ReducePath(track, 48);
  ASSERT_EQ(kept.size(), 48u);
  EXPECT_EQ(kept.front(), 0u);
  EXPECT_EQ(kept.back(), track.size() - 1);
  EXPECT_TRUE(std::is_sorted(kept.begin(), kept.end()));
  EXPECT_EQ(std::adjacent_find(kept.begin(), kept.end()), kept.end());
  // Six half waves of 11 km drawn with 47 chords: the measured worst is 157 m; the first
  // and last point alone would leave 11 km.
  EXPECT_LT(MaxDeviationMetres(track, kept), 200.0);
  EXPECT_GT(MaxDeviationMetres(track, {0, track.size() - 1}), 11000.0);
}

TEST(ReducePath, ShortAndStraightTracks) {
  const std::vector<GeoPoint> three = {{0, 0}, {1, 1}, {2, 0}};
  EXPECT_EQ(ReducePath(three, 48), (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(ReducePath(three, 0), (std::vector<std::size_t>{0, 2}));  // never fewer than both ends
  EXPECT_EQ(ReducePath({}, 48), std::vector<std::size_t>{});
  // Points on the line add nothing, even when more entries are allowed.
  std::vector<GeoPoint> meridian;
  for (int i = 0; i < 100; ++i) meridian.push_back({121, 20 + i * 0.01});
  EXPECT_EQ(ReducePath(meridian, 48), (std::vector<std::size_t>{0, 99}));
  // A point beyond the end of the arc is as far as from that end: 1 degree of longitude
  // at the equator.
  EXPECT_NEAR(DistanceToArcMetres({2, 0}, {0, 0}, {1, 0}), 111195.0, 1.0);
  EXPECT_NEAR(DistanceToArcMetres({0.5, 1}, {0, 0}, {1, 0}), 111195.0, 20.0);
}

TEST(PathQuestion, SaysWhatTheFileHolds) {
  EXPECT_EQ(TextToUtf8(PathQuestion({1, 55, 2, 3201})), "此檔案沒有航點，但有 1 條路線 (55 點) 和 2 條軌跡 (3,201 點)");
  EXPECT_EQ(TextToUtf8(PathQuestion({2, 1234567, 0, 0})), "此檔案沒有航點，但有 2 條路線 (1,234,567 點)");
  EXPECT_EQ(TextToUtf8(PathQuestion({0, 0, 1, 999})), "此檔案沒有航點，但有 1 條軌跡 (999 點)");
}

const char kGpxPaths[] =
    "<gpx><rte><name>Trip</name><rtept lat=\"25\" lon=\"121\"><name>Start &amp; go</name></rtept>\r\n"
    "<rtept lon='121.5' lat='25.5'/><rtept lat=\"26\" lon=\"122\"><ele>3</ele><name>Start &amp; go</name></rtept></rte>"
    "<trk><name>T</name><trkseg><trkpt lat=\"10\" lon=\"20\"></trkpt><trkpt lat=\"10.5\" lon=\"20.5\"></trkpt>"
    "<trkpt lat=\"bad\" lon=\"20.7\"></trkpt></trkseg><trkseg><trkpt lat=\"11\" lon=\"21\"><name>End</name></trkpt>"
    "</trkseg></trk></gpx>";

// Each answer, on open and on import (with "Check Name" on, the second "Start & go" asks).
TEST(ReadPathRows, EachAnswerGivesItsRows) {
  const struct {
    PathChoice choice;
    TransferMode mode;
    Lines rows;
    Lines duplicates;
  } cases[] = {
      {{PathAnswer::Cancel}, TransferMode::Open, {}, {}},
      {{PathAnswer::RoutePoints},
       TransferMode::Open,
       {"Start & go|121.00000|25.00000|0", "路線點 2|121.50000|25.50000|0", "Start & go|122.00000|26.00000|0"},
       {"Start & go"}},
      {{PathAnswer::Track, 48},
       TransferMode::Import,
       {"軌跡點 1|20.00000|10.00000|0", "軌跡點 2|20.50000|10.50000|0", "End|21.00000|11.00000|0"},
       {}},
      // The point without a usable latitude is left out of the shape; the number stays its own.
      {{PathAnswer::Track, 2}, TransferMode::Open, {"軌跡點 1|20.00000|10.00000|0", "End|21.00000|11.00000|0"}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.choice.answer) * 100 + static_cast<int>(c.choice.trackEntries));
    DocumentState doc;
    doc.settings.Set(Option::CheckName, true);
    ScriptedUi ui;
    ui.pathChoices = {c.choice};
    ReadContext context{doc, ui, nullptr, nullptr, 3};
    ASSERT_EQ(testing::ReadBytesAs(context, kGpxPaths, c.mode), 0);
    EXPECT_EQ(ui.pathQuestions, Lines{"此檔案沒有航點，但有 1 條路線 (3 點) 和 1 條軌跡 (4 點)"});
    EXPECT_EQ(testing::Rows(doc), c.rows);
    EXPECT_EQ(ui.duplicateQuestions, c.duplicates);
    EXPECT_EQ(doc.table.SelectedCount(), c.mode == TransferMode::Import ? c.rows.size() : 0u);
    // Route points stay a route when saved again.
    EXPECT_EQ(context.format, c.choice.answer == PathAnswer::RoutePoints ? kGpxRouteFormat : 3);
  }
}

// A file with waypoints (even unnamed ones) or KML points reads as before, without a question;
// files whose paths hold no point ask nothing either, nor does a folder conversion (which
// shows no dialog but its own).
TEST(ReadPathRows, NoQuestionForWaypointsOrEmptyPaths) {
  const std::pair<int, std::string> files[] = {
      {3, "<wpt lat=\"1\" lon=\"2\"></wpt><rte><rtept lat=\"1\" lon=\"2\"></rtept></rte>"},
      {3, "<gpx><rte><name>empty</name></rte><trk></trk><rtept lat=\"1\" lon=\"2\"</gpx>"},
      {2, "<Placemark><name>p</name><Point><coordinates>1,2</coordinates></Point></Placemark>"
          "<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark>"},
      {2, "<LineString><coordinates>1,2 3,4</coordinates>"},  // the path does not end
      {3, kGpxPaths},
  };
  for (const auto& [format, file] : files) {
    DocumentState doc;
    doc.document.autoSaving = file == kGpxPaths;
    ScriptedUi ui;
    ReadContext context{doc, ui, nullptr, nullptr, format};
    EXPECT_EQ(testing::ReadBytesAs(context, file), 0) << file;
    EXPECT_EQ(ui.pathQuestions, Lines{}) << file;
  }
}

struct CorpusPath {
  const char* file;
  PathChoice choice;
  const char* question;  // nullptr: none is asked
  Lines rows;
};

TEST(ReadPathRows, RealWorldFiles) {
  const auto corpus = testing::SharedDir() / "corpus";
  if (!std::filesystem::exists(corpus)) GTEST_SKIP() << "no sample files";
  const CorpusPath cases[] = {
      {"GPSBabel_gpsbabel/opentracks.kml", {PathAnswer::Track, 48}, "此檔案沒有航點，但有 1 條軌跡 (2 點)",
       {"軌跡點 1|8.97080|48.50354|0", "軌跡點 2|8.97083|48.50362|0"}},
      // Two LineStrings in a MultiGeometry, joined into one path and reduced to 3 entries.
      {"mapbox_togeojson/multigeometry.kml", {PathAnswer::Track, 3}, "此檔案沒有航點，但有 2 條軌跡 (4 點)",
       {"軌跡點 1|-122.44256|37.80666|0", "軌跡點 3|-122.44255|37.80663|0", "軌跡點 4|-122.44283|37.80660|0"}},
      {"tkrajina_gpxpy/route.gpx", {PathAnswer::Track, 48}, "此檔案沒有航點，但有 1 條路線 (55 點)", {}},
      // Waypoints beside the route: read as before.
      {"cpesch_RouteConverter/from-garmin-basecamp.gpx", {PathAnswer::RoutePoints}, nullptr,
       {"Hwy 119|-105.46585|39.97387|0", "Hwy 72|-105.49896|40.00397|0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string extension = std::filesystem::path(c.file).extension().string().substr(1);
    DocumentState doc;
    ScriptedUi ui;
    ui.pathChoices = {c.choice};
    ReadContext context{doc, ui, nullptr, nullptr, FormatForOpening(Utf8ToText(extension))};
    ASSERT_EQ(testing::ReadBytesAs(context, testing::ReadBytes(corpus / c.file)), 0);
    EXPECT_EQ(ui.pathQuestions, c.question ? Lines{c.question} : Lines{});
    EXPECT_EQ(testing::Rows(doc), c.rows);
  }
}

}  // namespace
}  // namespace wayloom
