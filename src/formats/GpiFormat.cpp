#include "formats/GpiFormat.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

constexpr int kContentNotUnderstood = 14219;
constexpr int kContentProblem = 14225;
constexpr std::size_t kMinimumFileSize = 71;
constexpr std::uint64_t kRecordHeaderSize = 12;  // type, flags, length, and the length of its own data
constexpr double kValuesPerDegree = 11930464.711111112;  // 2^32 / 360

// The file's bytes with bounds-checked little-endian reads. Positions are 64-bit, so no
// offset or length taken from the file can wrap around.
class GpiBytes {
 public:
  GpiBytes(const std::uint8_t* data, std::uint64_t size) : data_(data), size_(size) {}
  std::uint64_t Size() const { return size_; }
  bool Has(std::uint64_t pos, std::uint64_t count) const { return pos <= size_ && count <= size_ - pos; }
  bool Is(std::uint64_t pos, std::string_view text) const {
    return Has(pos, text.size()) && std::string_view(Chars(pos), text.size()) == text;
  }
  std::uint8_t At(std::uint64_t pos) const { return data_[pos]; }
  std::uint16_t U16(std::uint64_t pos) const { return static_cast<std::uint16_t>(data_[pos] | data_[pos + 1] << 8); }
  std::uint32_t U32(std::uint64_t pos) const {
    return static_cast<std::uint32_t>(U16(pos)) | static_cast<std::uint32_t>(U16(pos + 2)) << 16;
  }
  std::int32_t I32(std::uint64_t pos) const { return static_cast<std::int32_t>(U32(pos)); }
  std::string_view Slice(std::uint64_t pos, std::uint64_t count) const {
    return std::string_view(Chars(pos), static_cast<std::size_t>(count));
  }
  bool IsPoiTag(std::uint64_t pos) const { return Is(pos, std::string_view("\x02\x00\x08\x00", 4)); }
  const std::uint8_t* Pointer(std::uint64_t pos) const { return data_ + pos; }

 private:
  const char* Chars(std::uint64_t pos) const { return reinterpret_cast<const char*>(data_) + pos; }
  const std::uint8_t* data_;
  std::uint64_t size_;
};

struct GpiHeader {
  unsigned codePage = 0;
  std::uint64_t scanStart = 0;
};

// "POI" and the code page, found from the start of the POI header record's data. The code
// page is the field's low 16 bits: POI Loader files keep another value in the high half.
bool ReadPoiHeaderData(const GpiBytes& bytes, std::uint64_t dataStart, GpiHeader& header) {
  if (!bytes.Is(dataStart, "POI") || !bytes.Has(dataStart + 8, 2)) return false;
  header.codePage = bytes.U16(dataStart + 8);
  return true;
}

// GPSBabel's layout: "GRMREC00" at 8; the file name's length h at 22 places everything
// after it at the base B = h - 6; the scan starts after the first group's EN name, if any.
bool ReadPlainHeader(const GpiBytes& bytes, GpiHeader& header) {
  const std::uint64_t base = bytes.U16(22);  // B + 6, kept unsigned: B + 38 is base + 32
  if (!ReadPoiHeaderData(bytes, base + 32, header)) return false;
  header.scanStart = base + 64;
  if (bytes.Is(base + 60, "EN") && bytes.Has(base + 62, 2)) header.scanStart += bytes.U16(base + 62);
  return true;
}

// POI Loader's layout: the first record has the 12-byte header, so "GRMREC01" stands at
// 12; the POI header record follows it, and the scan starts after that record.
bool ReadLoaderHeader(const GpiBytes& bytes, GpiHeader& header) {
  const std::uint64_t record = kRecordHeaderSize + bytes.U32(4);
  if (!bytes.Has(record, 8)) return false;
  const std::uint64_t dataStart = record + ((bytes.U16(record + 2) & 8) ? kRecordHeaderSize : 8);
  if (!ReadPoiHeaderData(bytes, dataStart, header)) return false;
  header.scanStart = dataStart + bytes.U32(record + 4);
  return true;
}

// Finds the EN name of the POI record [record, next): the first name stands at +27;
// further names are looked for inside the name list whose length stands at +23. False when
// there is none, or it is empty, starts with a zero byte or runs past the record.
bool FindEnglishName(const GpiBytes& bytes, std::uint64_t record, std::uint64_t next, std::string_view& name) {
  const std::uint64_t first = record + 27;
  if (first + 4 > next) return false;
  const std::uint64_t listEnd = first + bytes.U32(record + 23);
  for (std::uint64_t entry = first; entry + 4 <= next && (entry == first || entry < listEnd);) {
    const std::uint64_t text = entry + 4;
    const std::uint64_t length = bytes.U16(entry + 2);
    if (bytes.Is(entry, "EN")) {
      if (length == 0 || text + length > next || bytes.At(text) == 0) return false;
      name = bytes.Slice(text, length);
      return true;
    }
    entry = text + length;
  }
  return false;
}

void SetGpiCoordinate(DocumentState& doc, std::size_t row, Axis axis, std::int32_t value) {
  const double degrees = value / kValuesPerDegree;
  SetCoordinateFromUnits(doc, row, axis, static_cast<long long>(RoundHalfAway(degrees * 100000)));
}

void ReadPoi(ReadContext& context, const GpiBytes& bytes, std::uint64_t record, std::uint64_t next,
             unsigned codePage, TransferMode mode) {
  std::string_view nameBytes;
  if (!FindEnglishName(bytes, record, next, nameBytes)) return;
  // Converted whole, then cut to 255 units by NormaliseName.
  Text name = context.Codec().Decode(nameBytes, codePage);
  if (!NormaliseName(name)) return;
  const long long row = AppendReadRow(context, name, kStatusDestination, mode);
  if (row < 0) return;
  SetGpiCoordinate(context.doc, static_cast<std::size_t>(row), Axis::Longitude, bytes.I32(record + 16));
  SetGpiCoordinate(context.doc, static_cast<std::size_t>(row), Axis::Latitude, bytes.I32(record + 12));
}

// Room for a row per POI tag in the file, so that the table does not grow (touching twice
// its memory) while a large file is read; a reservation the memory cannot give is not made.
void ReserveRowsPerPoiTag(ItineraryTable& table, const GpiBytes& bytes) {
  std::size_t count = 0;
  for (std::uint64_t pos = 0; bytes.Has(pos, 4); ++pos) {
    const void* hit = std::memchr(bytes.Pointer(pos), 0x02, static_cast<std::size_t>(bytes.Size() - pos));
    if (!hit) break;
    pos = static_cast<std::uint64_t>(static_cast<const std::uint8_t*>(hit) - bytes.Pointer(0));
    if (bytes.IsPoiTag(pos)) ++count;
  }
  // A file of bare tags must not reserve more than it can fill: a record with a name
  // takes at least 32 bytes.
  constexpr std::uint64_t kShortestRecordBytes = 32;
  try {
    table.Reserve(table.RowCount() + static_cast<std::size_t>(std::min<std::uint64_t>(count, bytes.Size() / kShortestRecordBytes)));
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace

int ReadGpi(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  if (byteCount > buffer.size()) byteCount = buffer.size();
  if (byteCount < kMinimumFileSize) return kContentProblem;
  const GpiBytes bytes(buffer.data(), byteCount);
  GpiHeader header;
  const bool known = bytes.Is(8, "GRMREC00")   ? ReadPlainHeader(bytes, header)
                     : bytes.Is(12, "GRMREC01") ? ReadLoaderHeader(bytes, header)
                                                : false;
  if (!known) return kContentNotUnderstood;

  ReserveRowsPerPoiTag(context.doc.table, bytes);
  // Every record wholly inside the file is read, up to its last byte. A tag whose length
  // runs past the file end is no record: the scan goes on after its first byte.
  std::uint64_t pos = header.scanStart;
  while (bytes.Has(pos, kRecordHeaderSize)) {
    if (!bytes.IsPoiTag(pos)) {
      ++pos;
      continue;
    }
    const std::uint64_t chainStart = pos;
    std::uint64_t record = pos;
    for (;;) {
      // At least 12 bytes on: a chain always moves forward.
      const std::uint64_t next = record + kRecordHeaderSize + bytes.U32(record + 4);
      if (next > bytes.Size()) {
        pos = record + 1;
        break;
      }
      if (context.progress) context.progress->Report(byteCount, chainStart);
      context.Passed(record);
      ReadPoi(context, bytes, record, next, header.codePage, mode);
      if (!bytes.Has(next, kRecordHeaderSize) || !bytes.IsPoiTag(next)) {
        pos = next + 1;
        break;
      }
      record = next;
    }
  }
  return 0;
}

}  // namespace wayloom
