#include "formats/KmlFormat.h"

#include <string>
#include <vector>

#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "formats/ItnFormat.h"
#include "formats/PathPoints.h"
#include "formats/XmlText.h"

namespace wayloom {

namespace {

constexpr std::size_t kNotFound = XmlScanner::kNotFound;

constexpr std::size_t kWriteBatchBytes = 1 << 15;
constexpr int kHeaderString = 14282;
constexpr int kPlacemarkLineString = 14283;
constexpr int kNumberPrefixString = 14284;
constexpr int kFooterString = 14285;

struct KmlTags {
  std::string placemark = LoadTag(14299);
  std::string tagEnd = LoadTag(14300);
  std::string name = LoadTag(14301);
  std::string nameEnd = LoadTag(14302);
  std::string placemarkEnd = LoadTag(14303);
  std::string point = LoadTag(14304);
  std::string coordinates = LoadTag(14305);
  std::string coordinatesEnd = LoadTag(14306);
};

const KmlTags& Tags() {
  static const KmlTags tags;
  return tags;
}

struct KmlPathTags {
  std::string lineString = LoadTag(14626);
  std::string lineStringEnd = LoadTag(14627);
  std::string track = LoadTag(14628);
  std::string trackEnd = LoadTag(14629);
  std::string coord = LoadTag(14630);
  std::string coordEnd = LoadTag(14631);
};

const KmlPathTags& PathTags() {
  static const KmlPathTags tags;
  return tags;
}

// The white-space separated words of text.
std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsXmlSpace(text[i])) ++i;
    const std::size_t begin = i;
    while (i < text.size() && !IsXmlSpace(text[i])) ++i;
    if (i > begin) words.push_back(text.substr(begin, i - begin));
  }
  return words;
}

// A LineString's tuples "lon,lat[,alt]", separated by white space.
void AddLineStringPoints(std::string_view coordinates, std::vector<PathPoint>& points) {
  for (std::string_view tuple : Words(coordinates)) {
    const std::size_t comma = tuple.find(',');
    if (comma == std::string_view::npos) continue;
    std::string_view latitude = tuple.substr(comma + 1);
    points.push_back({Text(), tuple.substr(0, comma), latitude.substr(0, latitude.find(','))});
  }
}

// The paths of a file without points: every LineString (also inside a MultiGeometry) and
// every gx:Track is a track; a gx:Track's points are its gx:coord elements "lon lat alt"
// (the empty ones, written for lost fixes, are passed over). An element that does not end
// ends the scan; what was found before it is offered.
PathsFound ScanPaths(ReadContext& context, const XmlScanner& scan) {
  const KmlTags& tags = Tags();
  const KmlPathTags& pathTags = PathTags();
  PathsFound found;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t open = scan.Find("<", pos);
    if (open == kNotFound) return found;
    pos = open + 1;
    const auto element = [&](const std::string& tag) { return scan.StartsElement(open, tag); };
    const std::size_t pointsBefore = found.trackPoints.size();
    if (element(pathTags.lineString)) {
      const std::size_t end = scan.Find(pathTags.lineStringEnd, open);
      if (end == kNotFound) return found;
      const std::size_t coordinates = scan.Find(tags.coordinates, open, end);
      if (coordinates != kNotFound) {
        const std::size_t begin = coordinates + tags.coordinates.size();
        const std::size_t coordinatesEnd = scan.Find(tags.coordinatesEnd, begin, end);
        if (coordinatesEnd != kNotFound) AddLineStringPoints(scan.Bytes(begin, coordinatesEnd), found.trackPoints);
      }
      pos = end + pathTags.lineStringEnd.size();
    } else if (element(pathTags.track)) {
      const std::size_t end = scan.Find(pathTags.trackEnd, open);
      if (end == kNotFound) return found;
      for (std::size_t coord = scan.Find(pathTags.coord, open, end); coord != kNotFound;
           coord = scan.Find(pathTags.coord, coord + 1, end)) {
        const std::size_t begin = coord + pathTags.coord.size();
        const std::size_t coordEnd = scan.Find(pathTags.coordEnd, begin, end);
        if (coordEnd == kNotFound) break;
        const std::vector<std::string_view> words = Words(scan.Bytes(begin, coordEnd));
        if (words.size() >= 2) found.trackPoints.push_back({Text(), words[0], words[1]});
      }
      pos = end + pathTags.trackEnd.size();
    } else {
      continue;
    }
    if (found.trackPoints.size() > pointsBefore) ++found.tracks;
    if (context.progress) context.progress->Report(scan.Size(), pos);
    context.Passed(pos);
  }
}

// Where one placemark's pieces lie; a placemark without a name or without a point
// gives no row but is no error.
struct Placemark {
  std::size_t next = 0;  // where the search for the following placemark starts
  bool hasRow = false;
  std::size_t nameBegin = 0, nameEnd = 0;
  std::size_t coordinatesBegin = 0, coordinatesEnd = 0;
};

// Scans the placemark whose start tag begins at start. False for a structural fault.
// Every search stays inside this placemark (up to the end tag after its name), so a
// file of many placemarks without names or points is still read in one pass.
bool ScanPlacemark(const XmlScanner& scan, std::size_t start, Placemark& placemark) {
  const KmlTags& tags = Tags();
  const std::size_t tagEnd = scan.Find(tags.tagEnd, start + tags.placemark.size());
  if (tagEnd == kNotFound) return false;
  std::size_t end = scan.Find(tags.placemarkEnd, tagEnd + 1);
  if (end == kNotFound) return false;
  const std::size_t nameTag = scan.Find(tags.name, tagEnd + 1, end);
  if (nameTag == kNotFound) {
    placemark.next = end + tags.placemarkEnd.size();
    placemark.hasRow = false;
    return true;
  }
  placemark.nameBegin = nameTag + tags.name.size();
  placemark.nameEnd = scan.FindAtCharacterStart(tags.nameEnd, placemark.nameBegin);
  if (placemark.nameEnd == kNotFound) return false;
  const std::size_t afterName = placemark.nameEnd + tags.nameEnd.size();
  if (afterName > end) {
    end = scan.Find(tags.placemarkEnd, afterName);
    if (end == kNotFound) return false;
  }
  placemark.next = end + tags.placemarkEnd.size();
  const std::size_t point = scan.Find(tags.point, afterName, end);
  placemark.hasRow = point != kNotFound;
  if (!placemark.hasRow) return true;
  const std::size_t pointTagEnd = scan.Find(tags.tagEnd, point + tags.point.size(), end);
  if (pointTagEnd == kNotFound) return false;
  const std::size_t coordinates = scan.Find(tags.coordinates, pointTagEnd + 1, end);
  if (coordinates == kNotFound) return false;
  placemark.coordinatesBegin = coordinates + tags.coordinates.size();
  placemark.coordinatesEnd = scan.Find(tags.coordinatesEnd, placemark.coordinatesBegin, end);
  return placemark.coordinatesEnd != kNotFound;
}

// "lon,lat[,anything]": the longitude runs to the first comma, the latitude to the second.
void SetCoordinates(DocumentState& doc, std::size_t row, std::string_view text) {
  const std::size_t firstComma = text.find(',');
  const std::string_view longitude = text.substr(0, firstComma);
  std::string_view latitude;
  if (firstComma != std::string_view::npos) {
    latitude = text.substr(firstComma + 1);
    latitude = latitude.substr(0, latitude.find(','));
  }
  SetCoordinateFromBytes(doc, row, Axis::Longitude, longitude, CoordinateSource::Degrees);
  SetCoordinateFromBytes(doc, row, Axis::Latitude, latitude, CoordinateSource::Degrees);
}

}  // namespace

int ReadKml(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  const XmlScanner scan(buffer, byteCount);
  ReserveRowsPerTag(context, scan, Tags().placemark);
  std::size_t pos = 0;
  Placemark placemark;
  Text name;
  bool hasPoints = false;
  for (;;) {
    const std::size_t start = scan.Find(Tags().placemark, pos);
    if (start == kNotFound) {
      if (!hasPoints) ReadPathRows(context, ScanPaths(context, scan), mode);
      return 0;
    }
    if (!ScanPlacemark(scan, start, placemark)) return kFileContentProblem;
    pos = placemark.next;
    if (context.progress) context.progress->Report(scan.Size(), pos);
    context.Passed(pos);
    if (!placemark.hasRow) continue;
    hasPoints = true;
    DecodeXmlNameInto(scan.Bytes(placemark.nameBegin, placemark.nameEnd), name);
    if (!NormaliseName(name)) continue;
    const long long row = AppendReadRow(context, name, 0, mode);
    if (row < 0) continue;
    SetCoordinates(context.doc, static_cast<std::size_t>(row),
                   scan.Bytes(placemark.coordinatesBegin, placemark.coordinatesEnd));
  }
}

int WriteKmlCounted(WriteContext& context, std::size_t& placemarksWritten) {
  placemarksWritten = 0;
  const DocumentState& doc = context.doc;
  const ItineraryTable& table = doc.table;
  BufferedWriter& out = context.out;

  // The rows to write: the selection for export, and for Google Earth when there is one.
  const bool selectedOnly =
      context.numberPlacemarks ? table.SelectedCount() > 0 : context.mode == TransferMode::Export;
  const std::size_t first = selectedOnly ? 0 : doc.FirstWrittenRow();
  const std::size_t candidates = selectedOnly ? table.SelectedCount() : table.RowCount() - first;

  const std::string header = LoadUtf8(kHeaderString);
  if (!out.Write(header.data(), header.size())) return kDiskWriteError;
  const std::string lineFormat = LoadUtf8(kPlacemarkLineString);
  const std::string prefixFormat = LoadUtf8(kNumberPrefixString);
  const CoordinateFormat format = doc.Format();
  std::size_t done = 0;
  std::string lines, prefix, name, longitude, latitude;
  for (std::size_t row = first; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    if (selectedOnly && !entry.selected) continue;
    ++done;
    if (context.progress) context.progress->Report(candidates, done);
    if (!entry.HasBothCoordinates()) continue;
    prefix.clear();
    if (context.numberPlacemarks) {
      const std::string number = TextToUtf8(IntegerText(static_cast<long long>(placemarksWritten + 1)));
      AppendFilledTemplate(prefix, prefixFormat, {number, entry.status & kStatusDestination ? "" : "'"});
    }
    name.clear();
    longitude.clear();
    latitude.clear();
    AppendEscapedXmlUtf8(name, entry.Name());
    AppendCellDecimal(longitude, entry.longitude, Axis::Longitude, format);
    AppendCellDecimal(latitude, entry.latitude, Axis::Latitude, format);
    AppendFilledTemplate(lines, lineFormat, {prefix, name, longitude, latitude});
    ++placemarksWritten;
    // Written in batches: one call per row costs more than the formatting.
    if (lines.size() >= kWriteBatchBytes) {
      if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
      lines.clear();
    }
  }
  if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
  const std::string footer = LoadUtf8(kFooterString);
  if (!out.Write(footer.data(), footer.size())) return kDiskWriteError;
  return out.Flush() ? 0 : kDiskWriteError;
}

int WriteKml(WriteContext& context) {
  std::size_t placemarksWritten = 0;
  return WriteKmlCounted(context, placemarksWritten);
}

}  // namespace wayloom
