// Routes and tracks of a GPX or KML file that has no waypoints: the question what to read
// and the rows of the answer, and the shape-keeping reduction of a long track.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "formats/ReadContext.h"

namespace wayloom {

// One route or track point as the scanner found it: its name (empty: unnamed) and the
// coordinate texts in decimal degrees, pointing into the file's bytes.
struct PathPoint {
  Text name;
  std::string_view longitude, latitude;
};

struct PathsFound {
  std::size_t routes = 0, tracks = 0;
  std::vector<PathPoint> routePoints, trackPoints;
  PathSummary Summary() const { return {routes, routePoints.size(), tracks, trackPoints.size()}; }
};

// "此檔案沒有航點，但有 1 條路線 (55 點) 和 2 條軌跡 (3,201 點)".
Text PathQuestion(const PathSummary& summary);

// Asks which points to read (nothing is asked when there are none, nor while the document
// is autoSaving, which batch conversion also sets: then nothing is read) and appends them as
// rows, status 0, through the duplicate-name rule: the route points with their names (an
// unnamed one is "路線點 N"), or the track reduced to the chosen number of entries (an
// unnamed point is "軌跡點 N", N its number in the whole track). Returns the answer.
PathAnswer ReadPathRows(ReadContext& context, const PathsFound& found, TransferMode mode);

struct GeoPoint {
  double longitude = 0, latitude = 0;  // degrees
};

// Douglas-Peucker on the sphere: the indexes (ascending) of at most maxPoints points
// (at least 2) that keep the shape, always the first and the last; the point farthest
// from the kept line is added next, so every count gives the smallest deviation this
// greedy order reaches.
std::vector<std::size_t> ReducePath(std::span<const GeoPoint> points, std::size_t maxPoints);

// The great-circle distance in metres from p to the arc a-b (to the nearer end when p
// lies beyond the arc's ends).
double DistanceToArcMetres(const GeoPoint& p, const GeoPoint& a, const GeoPoint& b);

}  // namespace wayloom
