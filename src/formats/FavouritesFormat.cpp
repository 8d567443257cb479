#include "formats/FavouritesFormat.h"

#include <algorithm>
#include <string_view>

#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/StringTable.h"
#include "core/TextRules.h"
#include "formats/ItnFormat.h"

namespace wayloom {

namespace {

constexpr int kFavouriteLabel = 14402;
constexpr int kHomeLabel = 14403;
constexpr int kRecentLabel = 14404;
constexpr std::uint8_t kFavouriteCategory = 3;
constexpr std::uint8_t kHomeCategory = 4;
// Positions are scanned up to the file end minus this: a record's fixed bytes fit before it.
constexpr std::size_t kScanMargin = 30;

// The fixed bytes of a favourite at p: 04 00, the category, 00 00 00, 08 00, longitude,
// latitude, 08 00. Without the home and recent places only category 3 matches.
bool MatchesRecord(const std::uint8_t* p, bool anyCategory) {
  return p[0] == 4 && p[1] == 0 && (anyCategory || p[2] == kFavouriteCategory) && p[3] == 0 && p[4] == 0 &&
         p[5] == 0 && p[6] == 8 && p[7] == 0 && p[16] == 8 && p[17] == 0;
}

std::int32_t ReadInt32(const std::uint8_t* p) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

std::int64_t SignedByte(std::uint8_t b) { return static_cast<std::int8_t>(b); }

// A name starting with ">>" is in the device's two-byte code (whole units only); any
// other name has one character per byte.
Text DecodeFavouriteName(std::string_view bytes) {
  if (bytes.size() < 2 || bytes[0] != '>' || bytes[1] != '>') return Latin1ToText(bytes);
  Text name;
  for (std::size_t i = 2; i + 2 <= bytes.size(); i += 2) {
    const auto low = static_cast<std::uint8_t>(bytes[i]);
    const auto high = static_cast<std::uint8_t>(bytes[i + 1]);
    name.push_back(DecodeNameUnit(static_cast<std::uint16_t>(low | high << 8)));
  }
  return name;
}

// An empty cell never matches.
bool CellHasUnits(TextView cell, std::int32_t units, CoordinateFormat format) {
  if (cell.empty()) return false;
  const auto value = CoordinateTextToUnits(cell, format);
  return value && *value == units;
}

// The first row of this name already holds exactly these coordinates.
bool IsExactDuplicate(const DocumentState& doc, TextView name, std::int32_t longitude, std::int32_t latitude) {
  const long long row = doc.table.FindEntryByName(name);
  if (row < 0) return false;
  const ItineraryEntry& entry = doc.table.Row(static_cast<std::size_t>(row));
  return CellHasUnits(entry.Cell(kLongitudeColumn), longitude, doc.Format()) &&
         CellHasUnits(entry.Cell(kLatitudeColumn), latitude, doc.Format());
}

TextView CategoryLabel(std::uint8_t category) {
  return LoadText(category == kFavouriteCategory ? kFavouriteLabel
                  : category == kHomeCategory    ? kHomeLabel
                                                 : kRecentLabel);
}

void AddFavourite(ReadContext& context, const std::uint8_t* record, std::string_view nameBytes, TransferMode mode) {
  Text name = DecodeFavouriteName(nameBytes);
  if (!NormaliseName(name)) return;
  if (context.includeHomeAndRecent) {
    const TextView label = CategoryLabel(record[2]);
    if (name.size() + 1 + label.size() <= kMaxNameUnits) {
      name.push_back(u'@');
      name.append(label);
    }
  }
  const std::int32_t longitude = ReadInt32(record + 8);
  const std::int32_t latitude = ReadInt32(record + 12);
  if (IsExactDuplicate(context.doc, name, longitude, latitude)) return;
  const long long row = AppendReadRow(context, name, kStatusDestination, mode);
  if (row < 0) return;
  const auto index = static_cast<std::size_t>(row);
  SetCoordinateFromText(context.doc, index, Axis::Longitude, IntegerText(longitude), CoordinateSource::Units);
  SetCoordinateFromText(context.doc, index, Axis::Latitude, IntegerText(latitude), CoordinateSource::Units);
}

}  // namespace

int ReadFavourites(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount,
                   TransferMode mode) {
  byteCount = std::min(byteCount, buffer.size());
  const std::uint8_t* data = buffer.data();
  const auto size = static_cast<std::int64_t>(byteCount);
  if (byteCount >= kScanMargin) {
    const std::size_t last = byteCount - kScanMargin;
    std::size_t p = 0;
    while (p <= last) {
      if (context.progress) context.progress->Report(last, p);
      if (!MatchesRecord(data + p, context.includeHomeAndRecent)) {
        ++p;
        continue;
      }
      // The name: Q = P + k, R = Q + (byte at Q) - 26, length (byte at R) - 27 from R + 1;
      // all signed. A name outside the data ends the scan.
      const std::int64_t q = static_cast<std::int64_t>(p) + SignedByte(data[p + 26]);
      if (q < 0 || q >= size) break;
      const std::int64_t r = q + SignedByte(data[q]) - 26;
      if (r < 0 || r >= size) break;
      const std::int64_t length = SignedByte(data[r]) - 27;
      if (r + length >= size) break;
      if (length < 0) {
        ++p;
        continue;
      }
      const auto nameStart = static_cast<std::size_t>(r + 1);
      AddFavourite(context, data + p,
                   std::string_view(reinterpret_cast<const char*>(data) + nameStart, static_cast<std::size_t>(length)),
                   mode);
      // Always forward: after the name, or one byte on when the name lies behind.
      p = std::max(p + 1, nameStart + static_cast<std::size_t>(length));
    }
  }
  context.format = kItnFormat;
  return 0;
}

}  // namespace wayloom
