#include "formats/GpxFormat.h"

#include <string>

#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "formats/ItnFormat.h"
#include "formats/XmlText.h"

namespace wayloom {

namespace {

constexpr std::size_t kNotFound = XmlScanner::kNotFound;

constexpr int kHeaderString = 14412;
constexpr int kWaypointStartString = 14413;
constexpr int kNameLineString = 14414;
constexpr int kWaypointEndString = 14415;
constexpr int kFooterString = 14416;

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

}  // namespace

int ReadGpx(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  const XmlScanner scan(buffer, byteCount);
  const std::string& waypointTag = Tags().waypoint;
  std::size_t pos = 0;
  Waypoint waypoint;
  for (;;) {
    const std::size_t start = scan.Find(waypointTag, pos);
    if (start == kNotFound) return 0;
    pos = start + waypointTag.size();
    if (scan.At(pos) != ' ') continue;  // another element whose name starts the same way
    if (!ScanWaypoint(scan, pos, waypoint)) return kFileContentProblem;
    pos = waypoint.next;
    if (context.progress) context.progress->Report(scan.Size(), pos);
    if (!waypoint.name.Found()) continue;
    Text name = DecodeXmlName(scan.Bytes(waypoint.name.begin, waypoint.name.end));
    if (!NormaliseName(name)) continue;
    const long long row = AppendReadRow(context, name, 0, mode);
    if (row < 0) continue;
    const auto coordinate = [&](const Range& range) { return Latin1ToText(scan.Bytes(range.begin, range.end)); };
    SetCoordinateFromText(context.doc, static_cast<std::size_t>(row), Axis::Longitude, coordinate(waypoint.longitude),
                          CoordinateSource::Degrees);
    SetCoordinateFromText(context.doc, static_cast<std::size_t>(row), Axis::Latitude, coordinate(waypoint.latitude),
                          CoordinateSource::Degrees);
  }
}

int WriteGpx(WriteContext& context) {
  const DocumentState& doc = context.doc;
  const ItineraryTable& table = doc.table;
  BufferedWriter& out = context.out;
  const bool exporting = context.mode == TransferMode::Export;
  const std::size_t first = exporting ? 0 : doc.FirstWrittenRow();
  const std::size_t candidates = exporting ? table.SelectedCount() : table.RowCount() - first;

  const std::string header = LoadUtf8(kHeaderString);
  if (!out.Write(header.data(), header.size())) return kDiskWriteError;
  const std::string startFormat = LoadUtf8(kWaypointStartString);
  const std::string nameFormat = LoadUtf8(kNameLineString);
  const std::string waypointEnd = LoadUtf8(kWaypointEndString);
  const CoordinateFormat format = doc.Format();
  std::size_t done = 0;
  std::string lines;
  for (std::size_t row = first; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    if (exporting && !entry.selected) continue;
    ++done;
    if (context.progress) context.progress->Report(candidates, done);
    if (entry.Cell(kLongitudeColumn).empty() || entry.Cell(kLatitudeColumn).empty()) continue;
    lines = FillTemplate(startFormat, {TextToUtf8(DisplayToDecimal(entry.Cell(kLatitudeColumn), format)),
                                       TextToUtf8(DisplayToDecimal(entry.Cell(kLongitudeColumn), format))});
    lines += FillTemplate(nameFormat, {TextToUtf8(EscapeXml(entry.Name()))});
    lines += waypointEnd;
    if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
  }
  const std::string footer = LoadUtf8(kFooterString);
  if (!out.Write(footer.data(), footer.size())) return kDiskWriteError;
  return out.Flush() ? 0 : kDiskWriteError;
}

}  // namespace wayloom
