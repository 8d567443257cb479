#include "formats/Ov2Format.h"

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "core/CoordinateText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "formats/ItnFormat.h"

namespace wayloom {

namespace {

constexpr std::uint8_t kSkipperRecord = 1;
constexpr std::uint8_t kPoiRecord = 2;
constexpr std::uint8_t kExtendedPoiRecord = 3;
constexpr std::size_t kRecordHeaderSize = 5;    // type, length
constexpr std::size_t kPoiHeaderSize = 13;      // type, length, longitude, latitude
constexpr std::size_t kSkipperSize = 21;        // type, length, four box edges
constexpr std::size_t kLargestLeafBlock = 19;   // blocks of 20 POIs or more are split
constexpr unsigned kDeviceCodePage = 1252;
constexpr EntryStatus kPoiStatus = 2;

std::uint32_t ReadUint32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void AppendUint32(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift & 0xFF));
}

void PatchUint32(std::string& out, std::size_t at, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out[at++] = static_cast<char>(value >> shift & 0xFF);
}

// Valid UTF-8 with at least one byte beyond ASCII (pure ASCII is the same either way).
bool IsUtf8BeyondAscii(std::string_view bytes) {
  const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  return beyondAscii && TextToUtf8(Utf8ToText(bytes)) == bytes;
}

Text DecodeName(std::string_view bytes) {
  return IsUtf8BeyondAscii(bytes) ? Utf8ToText(bytes) : BuiltInTextCodec().Decode(bytes, kDeviceCodePage);
}

std::string EncodeName(TextView name) {
  const TextCodec& codec = BuiltInTextCodec();
  std::string single = codec.Encode(name, kDeviceCodePage);
  if (codec.Decode(single, kDeviceCodePage) == name && !IsUtf8BeyondAscii(single)) return single;
  return TextToUtf8(name);
}

void SetUnits(DocumentState& doc, std::size_t row, Axis axis, std::int32_t units) {
  SetCoordinateFromText(doc, row, axis, FormatUnitsDecimal(units), CoordinateSource::Degrees);
}

struct Poi {
  std::int32_t longitude, latitude;
  Text name;
  std::string bytes;  // the encoded name
};

struct Box {
  std::int32_t minLongitude, maxLongitude, minLatitude, maxLatitude;
};

// Appends the block of pois under its skipper; the skipper's length covers the block.
void AppendBlock(std::span<Poi> pois, const Box& box, std::string& out) {
  const std::size_t start = out.size();
  out.push_back(static_cast<char>(kSkipperRecord));
  AppendUint32(out, 0);  // the block length, patched below
  for (std::int32_t edge : {box.maxLongitude, box.maxLatitude, box.minLongitude, box.minLatitude})
    AppendUint32(out, static_cast<std::uint32_t>(edge));
  if (pois.size() <= kLargestLeafBlock) {
    for (const Poi& poi : pois) {
      out.push_back(static_cast<char>(kPoiRecord));
      AppendUint32(out, static_cast<std::uint32_t>(kPoiHeaderSize + poi.bytes.size() + 1));
      AppendUint32(out, static_cast<std::uint32_t>(poi.longitude));
      AppendUint32(out, static_cast<std::uint32_t>(poi.latitude));
      out += poi.bytes;
      out.push_back('\0');
    }
  } else {
    const bool byLatitude =
        std::int64_t{box.maxLatitude} - box.minLatitude > std::int64_t{box.maxLongitude} - box.minLongitude;
    std::stable_sort(pois.begin(), pois.end(), [byLatitude](const Poi& a, const Poi& b) {
      const auto key = [byLatitude](const Poi& p) {
        return byLatitude ? std::tie(p.latitude, p.longitude, p.name) : std::tie(p.longitude, p.latitude, p.name);
      };
      return key(a) < key(b);
    });
    const std::size_t half = pois.size() / 2;
    const Poi& middle = pois[half];
    Box lower = box, upper = box;
    if (byLatitude) {
      lower.maxLatitude = upper.minLatitude = middle.latitude;
    } else {
      lower.maxLongitude = upper.minLongitude = middle.longitude;
    }
    AppendBlock(pois.first(half), lower, out);
    AppendBlock(pois.subspan(half), upper, out);
  }
  PatchUint32(out, start + 1, static_cast<std::uint32_t>(out.size() - start));
}

}  // namespace

int ReadOv2(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  const std::span<const std::uint8_t> data = buffer.first(std::min(byteCount, buffer.size()));
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t left = data.size() - pos;
    const std::uint8_t type = data[pos];
    if (type == kSkipperRecord) {
      if (left < kSkipperSize) return kFileContentProblem;
      pos += kSkipperSize;
      continue;
    }
    if (left < kRecordHeaderSize) return kFileContentProblem;
    const std::uint32_t length = ReadUint32(data, pos + 1);
    // A length below the header would not move forward; one past the data would read outside it.
    if (length < kRecordHeaderSize || length > left) return kFileContentProblem;
    if (type == kPoiRecord || type == kExtendedPoiRecord) {
      if (length < kPoiHeaderSize) return kFileContentProblem;
      const auto record = data.subspan(pos, length);
      const std::string_view text(reinterpret_cast<const char*>(record.data()) + kPoiHeaderSize,
                                  length - kPoiHeaderSize);
      Text name = DecodeName(text.substr(0, text.find('\0')));  // type 3 adds more strings after the NUL
      if (NormaliseName(name)) {
        const long long row = AppendReadRow(context, name, kPoiStatus, mode);
        if (row >= 0) {
          SetUnits(context.doc, static_cast<std::size_t>(row), Axis::Longitude,
                   static_cast<std::int32_t>(ReadUint32(record, 5)));
          SetUnits(context.doc, static_cast<std::size_t>(row), Axis::Latitude,
                   static_cast<std::int32_t>(ReadUint32(record, 9)));
        }
      }
    }  // deleted records and other types (compressed POIs of some tools) are passed over
    pos += length;
    if (context.progress) context.progress->Report(data.size(), pos);
  }
  return 0;
}

int WriteOv2(WriteContext& context) {
  const DocumentState& doc = context.doc;
  const ItineraryTable& table = doc.table;
  const bool exporting = context.mode == TransferMode::Export;
  const std::size_t first = exporting ? 0 : doc.FirstWrittenRow();
  const std::size_t candidates = exporting ? table.SelectedCount() : table.RowCount() - first;
  const CoordinateFormat format = doc.Format();

  std::vector<Poi> pois;
  std::size_t done = 0;
  for (std::size_t row = first; row < table.RowCount(); ++row) {
    const ItineraryEntry& entry = table.Row(row);
    if (exporting && !entry.selected) continue;
    ++done;
    if (context.progress) context.progress->Report(candidates, done);
    const auto longitude = CoordinateTextToUnits(entry.Cell(kLongitudeColumn), format);
    const auto latitude = CoordinateTextToUnits(entry.Cell(kLatitudeColumn), format);
    if (entry.Cell(kLongitudeColumn).empty() || entry.Cell(kLatitudeColumn).empty() || !longitude || !latitude)
      continue;
    pois.push_back({static_cast<std::int32_t>(*longitude), static_cast<std::int32_t>(*latitude), Text(entry.Name()),
                    EncodeName(entry.Name())});
  }
  std::string bytes;
  if (!pois.empty()) {
    Box box{pois[0].longitude, pois[0].longitude, pois[0].latitude, pois[0].latitude};
    for (const Poi& poi : pois) {
      box.minLongitude = std::min(box.minLongitude, poi.longitude);
      box.maxLongitude = std::max(box.maxLongitude, poi.longitude);
      box.minLatitude = std::min(box.minLatitude, poi.latitude);
      box.maxLatitude = std::max(box.maxLatitude, poi.latitude);
    }
    AppendBlock(pois, box, bytes);
  }
  if (!context.out.Write(bytes.data(), bytes.size())) return kDiskWriteError;
  return context.out.Flush() ? 0 : kDiskWriteError;
}

}  // namespace wayloom
