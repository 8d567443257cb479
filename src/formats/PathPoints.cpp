#include "formats/PathPoints.h"

#include <algorithm>
#include <cmath>
#include <queue>

#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

constexpr int kQuestionString = 14601;
constexpr int kRoutesString = 14602;
constexpr int kTracksString = 14603;
constexpr int kAndString = 14604;
constexpr int kRoutePointName = 14605;
constexpr int kTrackPointName = 14606;

constexpr double kEarthRadiusMetres = 6371000.0;
constexpr double kPi = 3.14159265358979323846;
// Deviations below this angle (6 mm on the ground) are rounding noise of points on the line.
constexpr double kNegligibleAngle = 1e-9;

// "3,201": the point counts of the question are grouped by thousands.
Text GroupedNumber(std::size_t value) {
  const Text digits = IntegerText(static_cast<long long>(value));
  Text grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += u',';
    grouped += digits[i];
  }
  return grouped;
}

struct Vector3 {
  double x, y, z;
};

Vector3 Cross(const Vector3& a, const Vector3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Vector3& a, const Vector3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(const Vector3& a) { return std::sqrt(Dot(a, a)); }

Vector3 UnitVector(const GeoPoint& point) {
  const double lat = point.latitude * kPi / 180, lon = point.longitude * kPi / 180;
  return {std::cos(lat) * std::cos(lon), std::cos(lat) * std::sin(lon), std::sin(lat)};
}

// The angle between two unit vectors; atan2 stays exact for tiny angles, where acos does not.
double Angle(const Vector3& a, const Vector3& b) { return std::atan2(Length(Cross(a, b)), Dot(a, b)); }

double AngleToArc(const Vector3& p, const Vector3& a, const Vector3& b) {
  Vector3 normal = Cross(a, b);
  const double length = Length(normal);
  if (length < 1e-15) return Angle(p, a);  // the same point (or antipodes): no arc
  normal = {normal.x / length, normal.y / length, normal.z / length};
  // p projects between a and b when it lies on the inner side of both end planes.
  if (Dot(Cross(a, p), normal) >= 0 && Dot(Cross(p, b), normal) >= 0)
    return std::asin(std::min(1.0, std::fabs(Dot(p, normal))));
  return std::min(Angle(p, a), Angle(p, b));
}

struct Span {
  std::size_t first, last, farthest;
  double deviation;
  bool operator<(const Span& other) const {
    // The largest deviation first; among equals the earliest, so the result is the same everywhere.
    return deviation != other.deviation ? deviation < other.deviation : first > other.first;
  }
};

bool ParseDegrees(std::string_view text, double limit, double& value) {
  const ParsedNumber number = ParseDecimalPrefix(Latin1ToText(text));
  value = number.value;
  return number.found && std::fabs(value) <= limit;
}

void SetPointCoordinates(DocumentState& doc, std::size_t row, const PathPoint& point) {
  SetCoordinateFromText(doc, row, Axis::Longitude, Latin1ToText(point.longitude), CoordinateSource::Degrees);
  SetCoordinateFromText(doc, row, Axis::Latitude, Latin1ToText(point.latitude), CoordinateSource::Degrees);
}

}  // namespace

Text PathQuestion(const PathSummary& summary) {
  Text held;
  if (summary.routePoints > 0)
    held = FormatString(kRoutesString, {static_cast<long long>(summary.routes), GroupedNumber(summary.routePoints)});
  if (summary.trackPoints > 0) {
    if (!held.empty()) held += LoadText(kAndString);
    held += FormatString(kTracksString, {static_cast<long long>(summary.tracks), GroupedNumber(summary.trackPoints)});
  }
  return FormatString(kQuestionString, held);
}

double DistanceToArcMetres(const GeoPoint& p, const GeoPoint& a, const GeoPoint& b) {
  return AngleToArc(UnitVector(p), UnitVector(a), UnitVector(b)) * kEarthRadiusMetres;
}

std::vector<std::size_t> ReducePath(std::span<const GeoPoint> points, std::size_t maxPoints) {
  const std::size_t count = points.size();
  maxPoints = std::max<std::size_t>(maxPoints, 2);
  std::vector<std::size_t> kept;
  if (count <= maxPoints) {
    for (std::size_t i = 0; i < count; ++i) kept.push_back(i);
    return kept;
  }
  std::vector<Vector3> vectors(count);
  for (std::size_t i = 0; i < count; ++i) vectors[i] = UnitVector(points[i]);
  std::priority_queue<Span> spans;
  const auto push = [&](std::size_t first, std::size_t last) {
    if (last - first < 2) return;
    Span span{first, last, first + 1, -1};
    for (std::size_t i = first + 1; i < last; ++i) {
      const double deviation = AngleToArc(vectors[i], vectors[first], vectors[last]);
      if (deviation > span.deviation) span = {first, last, i, deviation};
    }
    // A point on the kept line adds nothing to the shape.
    if (span.deviation > kNegligibleAngle) spans.push(span);
  };
  kept = {0, count - 1};
  push(0, count - 1);
  while (kept.size() < maxPoints && !spans.empty()) {
    const Span span = spans.top();
    spans.pop();
    kept.push_back(span.farthest);
    push(span.first, span.farthest);
    push(span.farthest, span.last);
  }
  std::sort(kept.begin(), kept.end());
  return kept;
}

PathAnswer ReadPathRows(ReadContext& context, const PathsFound& found, TransferMode mode) {
  const PathSummary summary = found.Summary();
  // No dialog opens while the document is saved automatically or a folder is converted:
  // such files read as empty, as they did before they were asked about.
  if ((summary.routePoints == 0 && summary.trackPoints == 0) || context.doc.document.autoSaving)
    return PathAnswer::Cancel;
  const PathChoice choice = context.ui.AskPathChoice(PathQuestion(summary), summary);

  // The points to add, each with the number its default name gives it.
  std::vector<std::pair<const PathPoint*, std::size_t>> chosen;
  int unnamedString = kRoutePointName;
  if (choice.answer == PathAnswer::RoutePoints) {
    for (std::size_t i = 0; i < found.routePoints.size(); ++i) chosen.emplace_back(&found.routePoints[i], i + 1);
  } else if (choice.answer == PathAnswer::Track) {
    unnamedString = kTrackPointName;
    // Points without usable coordinates cannot be placed on the track's shape.
    std::vector<GeoPoint> shape;
    std::vector<std::size_t> numbers;
    for (std::size_t i = 0; i < found.trackPoints.size(); ++i) {
      GeoPoint point;
      if (!ParseDegrees(found.trackPoints[i].longitude, 180, point.longitude) ||
          !ParseDegrees(found.trackPoints[i].latitude, 90, point.latitude))
        continue;
      shape.push_back(point);
      numbers.push_back(i);
    }
    for (std::size_t index : ReducePath(shape, choice.trackEntries))
      chosen.emplace_back(&found.trackPoints[numbers[index]], numbers[index] + 1);
  }

  std::size_t done = 0;
  for (const auto& [point, number] : chosen) {
    if (context.progress) context.progress->Report(chosen.size(), ++done);
    Text name = point->name;
    if (!NormaliseName(name)) {
      name = FormatString(unnamedString, static_cast<long long>(number));
      NormaliseName(name);
    }
    const long long row = AppendReadRow(context, name, 0, mode);
    if (row >= 0) SetPointCoordinates(context.doc, static_cast<std::size_t>(row), *point);
  }
  return choice.answer;
}

}  // namespace wayloom
