#include "formats/GpxFormat.h"

#include <string>

#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "formats/FileFormat.h"
#include "formats/ItnFormat.h"
#include "formats/PathPoints.h"
#include "formats/XmlText.h"

namespace wayloom {

namespace {

constexpr std::size_t kNotFound = XmlScanner::kNotFound;

constexpr std::size_t kWriteBatchBytes = 1 << 15;
constexpr int kHeaderString = 14412;
constexpr int kWaypointStartString = 14413;
constexpr int kNameLineString = 14414;
constexpr int kWaypointEndString = 14415;
constexpr int kFooterString = 14416;
constexpr int kRouteStartString = 14640;
constexpr int kRoutePointStartString = 14641;
constexpr int kRoutePointEndString = 14642;
constexpr int kRouteEndString = 14643;

struct GpxTags {
  std::string waypoint = LoadTag(14406);
  std::string longitude = LoadTag(14407);
  std::string latitude = LoadTag(14408);
  std::string name = LoadTag(14409);
  std::string nameEnd = LoadTag(14410);
  std::string waypointEnd = LoadTag(14411);
};

const GpxTags& Tags() {
  static const GpxTags tags;
  return tags;
}

struct GpxPathTags {
  std::string route = LoadTag(14620);
  std::string routePoint = LoadTag(14621);
  std::string routePointEnd = LoadTag(14622);
  std::string track = LoadTag(14623);
  std::string trackPoint = LoadTag(14624);
  std::string trackPointEnd = LoadTag(14625);
};

const GpxPathTags& PathTags() {
  static const GpxPathTags tags;
  return tags;
}

struct Range {
  std::size_t begin = kNotFound, end = kNotFound;
  bool Found() const { return begin != kNotFound; }
};

struct Waypoint {
  std::size_t next = 0;  // where the search for the following waypoint starts
  Range longitude, latitude, name;
};

std::size_t SkipSpaces(const XmlScanner& scan, std::size_t i) {
  while (scan.At(i) == ' ') ++i;
  return i;
}

// Reads the attributes from i up to the '>' after a closing quote: lat and lon only, each
// as name, optional spaces, '=', optional spaces, a value in double quotes. Returns the
// position after the '>', or kNotFound for a fault.
std::size_t ScanAttributes(const XmlScanner& scan, std::size_t i, Waypoint& waypoint) {
  const GpxTags& tags = Tags();
  for (;;) {
    i = SkipSpaces(scan, i);
    if (i >= scan.Size()) return kNotFound;
    Range* value = nullptr;
    if (scan.StartsWith(i, tags.longitude)) {
      value = &waypoint.longitude;
      i += tags.longitude.size();
    } else if (scan.StartsWith(i, tags.latitude)) {
      value = &waypoint.latitude;
      i += tags.latitude.size();
    } else {
      return kNotFound;
    }
    i = SkipSpaces(scan, i);
    if (scan.At(i) != '=') return kNotFound;
    i = SkipSpaces(scan, i + 1);
    if (scan.At(i) != '"') return kNotFound;
    const std::size_t close = scan.Find("\"", i + 1);
    if (close == kNotFound) return kNotFound;
    *value = {i + 1, close};  // a later value of the same attribute replaces the earlier
    i = close + 1;
    if (scan.At(i) == '>') return i + 1;
  }
}

// Scans the waypoint whose tag attributes start at i. False for a structural fault. A
// waypoint without a name element inside it gets an empty name range (no row).
bool ScanWaypoint(const XmlScanner& scan, std::size_t i, Waypoint& waypoint) {
  const GpxTags& tags = Tags();
  waypoint = Waypoint();
  const std::size_t tagEnd = ScanAttributes(scan, i, waypoint);
  if (tagEnd == kNotFound || !waypoint.longitude.Found() || !waypoint.latitude.Found()) return false;
  std::size_t end = scan.Find(tags.waypointEnd, tagEnd);
  if (end == kNotFound) return false;
  const std::size_t nameTag = scan.Find(tags.name, tagEnd, end);
  if (nameTag != kNotFound) {
    const std::size_t nameBegin = nameTag + tags.name.size();
    const std::size_t nameEnd = scan.FindAtCharacterStart(tags.nameEnd, nameBegin);
    if (nameEnd == kNotFound) return false;
    waypoint.name = {nameBegin, nameEnd};
    const std::size_t afterName = nameEnd + tags.nameEnd.size();
    if (afterName > end) {
      end = scan.Find(tags.waypointEnd, afterName);
      if (end == kNotFound) return false;
    }
  }
  waypoint.next = end + tags.waypointEnd.size();
  return true;
}

// Reads the attributes of a route or track point from i up to the tag's '>': any
// attributes, values in either quotes, lat and lon kept. Route and track points come
// from many programs, so this is more forgiving than the waypoint scan. Returns the
// position of the '>', or kNotFound when the tag does not end.
std::size_t ScanPointAttributes(const XmlScanner& scan, std::size_t i, PathPoint& point) {
  const GpxTags& tags = Tags();
  for (;;) {
    while (IsXmlSpace(scan.At(i))) ++i;
    if (i >= scan.Size()) return kNotFound;
    if (scan.At(i) == '>' || scan.At(i) == '/') break;
    const std::size_t nameBegin = i;
    while (i < scan.Size() && scan.At(i) != '=' && scan.At(i) != '>' && !IsXmlSpace(scan.At(i))) ++i;
    const std::size_t nameEnd = i;
    while (IsXmlSpace(scan.At(i))) ++i;
    if (scan.At(i) != '=') break;
    ++i;
    while (IsXmlSpace(scan.At(i))) ++i;
    const std::uint8_t quote = scan.At(i);
    if (quote != '"' && quote != '\'') break;
    const std::size_t close = scan.Find(quote == '"' ? "\"" : "'", i + 1);
    if (close == kNotFound) return kNotFound;
    const std::string_view name = scan.Bytes(nameBegin, nameEnd);
    const std::string_view value = scan.Bytes(i + 1, close);
    if (name.size() == 3 && scan.StartsWith(nameBegin, tags.longitude)) point.longitude = value;
    if (name.size() == 3 && scan.StartsWith(nameBegin, tags.latitude)) point.latitude = value;
    i = close + 1;
  }
  return scan.Find(">", i);
}

// Scans the point whose attributes start at i, up to its end tag. Returns the position
// after the point, or kNotFound when the point does not end.
std::size_t ScanPathPoint(const XmlScanner& scan, std::size_t i, const std::string& endTag, PathPoint& point) {
  const GpxTags& tags = Tags();
  point = PathPoint();
  const std::size_t tagEnd = ScanPointAttributes(scan, i, point);
  if (tagEnd == kNotFound) return kNotFound;
  if (scan.At(tagEnd - 1) == '/') return tagEnd + 1;  // self-closing: no name
  const std::size_t end = scan.Find(endTag, tagEnd + 1);
  if (end == kNotFound) return kNotFound;
  const std::size_t nameTag = scan.Find(tags.name, tagEnd + 1, end);
  if (nameTag != kNotFound) {
    const std::size_t nameBegin = nameTag + tags.name.size();
    const std::size_t nameEnd = scan.FindAtCharacterStart(tags.nameEnd, nameBegin);
    if (nameEnd != kNotFound && nameEnd < end) point.name = DecodeXmlName(scan.Bytes(nameBegin, nameEnd));
  }
  return end + endTag.size();
}

// The routes and tracks of a file without waypoints. A point that does not end ends the
// scan; what was found before it is offered.
PathsFound ScanPaths(ReadContext& context, const XmlScanner& scan) {
  const GpxPathTags& tags = PathTags();
  PathsFound found;
  PathPoint point;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = scan.Find("<", pos);
    if (open == kNotFound) return found;
    pos = open + 1;
    const auto element = [&](const std::string& tag) { return scan.StartsElement(open, tag); };
    const bool routePoint = element(tags.routePoint);
    if (routePoint || element(tags.trackPoint)) {
      const std::string& tag = routePoint ? tags.routePoint : tags.trackPoint;
      pos = ScanPathPoint(scan, open + tag.size(), routePoint ? tags.routePointEnd : tags.trackPointEnd, point);
      if (pos == kNotFound) return found;
      std::size_t& containers = routePoint ? found.routes : found.tracks;
      if (containers == 0) containers = 1;  // a point outside any route or track
      (routePoint ? found.routePoints : found.trackPoints).push_back(point);
      if (context.progress) context.progress->Report(scan.Size(), pos);
      context.Passed(pos);
    } else if (element(tags.route)) {
      ++found.routes;
    } else if (element(tags.track)) {
      ++found.tracks;
    }
  }
}

}  // namespace

int ReadGpx(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  const XmlScanner scan(buffer, byteCount);
  const std::string& waypointTag = Tags().waypoint;
  ReserveRowsPerTag(context, scan, waypointTag);
  std::size_t pos = 0;
  Waypoint waypoint;
  Text name;
  bool hasWaypoints = false;
  for (;;) {
    const std::size_t start = scan.Find(waypointTag, pos);
    if (start == kNotFound) {
      // Route points read from a route stay a route when the document is saved again.
      if (!hasWaypoints && ReadPathRows(context, ScanPaths(context, scan), mode) == PathAnswer::RoutePoints)
        context.format = kGpxRouteFormat;
      return 0;
    }
    pos = start + waypointTag.size();
    if (scan.At(pos) != ' ') continue;  // another element whose name starts the same way
    hasWaypoints = true;
    if (!ScanWaypoint(scan, pos, waypoint)) return kFileContentProblem;
    pos = waypoint.next;
    if (context.progress) context.progress->Report(scan.Size(), pos);
    context.Passed(pos);
    if (!waypoint.name.Found()) continue;
    DecodeXmlNameInto(scan.Bytes(waypoint.name.begin, waypoint.name.end), name);
    if (!NormaliseName(name)) continue;
    const long long row = AppendReadRow(context, name, 0, mode);
    if (row < 0) continue;
    const auto coordinate = [&](const Range& range) { return scan.Bytes(range.begin, range.end); };
    SetCoordinateFromBytes(context.doc, static_cast<std::size_t>(row), Axis::Longitude, coordinate(waypoint.longitude),
                           CoordinateSource::Degrees);
    SetCoordinateFromBytes(context.doc, static_cast<std::size_t>(row), Axis::Latitude, coordinate(waypoint.latitude),
                           CoordinateSource::Degrees);
  }
}

namespace {

// The lines of one written point and what surrounds them all.
struct GpxLayout {
  int pointStart, pointEnd;
  int listStart = 0, listEnd = 0;  // 0: none
};

int WriteGpxPoints(WriteContext& context, const GpxLayout& layout) {
  const DocumentState& doc = context.doc;
  const ItineraryTable& table = doc.table;
  BufferedWriter& out = context.out;
  const bool exporting = context.mode == TransferMode::Export;
  const std::size_t first = exporting ? 0 : doc.FirstWrittenRow();
  const std::size_t candidates = exporting ? table.SelectedCount() : table.RowCount() - first;
  const auto write = [&out](int id) {
    const std::string text = id ? LoadUtf8(id) : std::string();
    return out.Write(text.data(), text.size());
  };

  if (!write(kHeaderString) || !write(layout.listStart)) return kDiskWriteError;
  const std::string startFormat = LoadUtf8(layout.pointStart);
  const std::string nameFormat = LoadUtf8(kNameLineString);
  const std::string pointEnd = LoadUtf8(layout.pointEnd);
  const CoordinateFormat format = doc.Format();
  std::size_t done = 0;
  std::string lines, latitude, longitude, name;
  for (std::size_t row = first; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    if (exporting && !entry.selected) continue;
    ++done;
    if (context.progress) context.progress->Report(candidates, done);
    if (!entry.HasBothCoordinates()) continue;
    latitude.clear();
    longitude.clear();
    name.clear();
    AppendCellDecimal(latitude, entry.latitude, Axis::Latitude, format);
    AppendCellDecimal(longitude, entry.longitude, Axis::Longitude, format);
    AppendEscapedXmlUtf8(name, entry.Name());
    AppendFilledTemplate(lines, startFormat, {latitude, longitude});
    AppendFilledTemplate(lines, nameFormat, {name});
    lines += pointEnd;
    // Written in batches: one call per row costs more than the formatting.
    if (lines.size() >= kWriteBatchBytes) {
      if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
      lines.clear();
    }
  }
  if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
  if (!write(layout.listEnd) || !write(kFooterString)) return kDiskWriteError;
  return out.Flush() ? 0 : kDiskWriteError;
}

}  // namespace

int WriteGpx(WriteContext& context) { return WriteGpxPoints(context, {kWaypointStartString, kWaypointEndString}); }

int WriteGpxRoute(WriteContext& context) {
  return WriteGpxPoints(context, {kRoutePointStartString, kRoutePointEndString, kRouteStartString, kRouteEndString});
}

}  // namespace wayloom
