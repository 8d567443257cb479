#include "formats/ItnFormat.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/RowOperations.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
// Enough bytes to decode more than the 255 characters a name keeps.
constexpr std::size_t kNameBytesDecoded = 1024;
constexpr std::size_t kNameUnitsDecoded = 256;
constexpr std::size_t kWriteBatchBytes = 1 << 15;

class RecordScanner {
 public:
  explicit RecordScanner(std::span<const std::uint8_t> buffer) : data_(buffer.data()), size_(buffer.size()) {}

  std::uint8_t At(std::size_t i) const { return data_[i]; }
  bool Inside(std::size_t i) const { return i < size_; }
  std::string_view Bytes(std::size_t begin, std::size_t end) const {
    return std::string_view(reinterpret_cast<const char*>(data_) + begin, end - begin);
  }

  std::size_t FindBar(std::size_t from) const {
    if (from >= size_) return kNotFound;
    const void* bar = std::memchr(data_ + from, '|', size_ - from);
    return bar ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(bar) - data_) : kNotFound;
  }

  // In UTF-8 names a '|' counts only at a character start.
  std::size_t FindBarUtf8(std::size_t i) const {
    while (i < size_) {
      const std::uint8_t b = data_[i];
      if (b == '|') return i;
      i += b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    }
    return kNotFound;
  }

  // The aligned CR LF unit that ends a coded name, inside the data (not the terminator).
  std::size_t FindUnitLineEnd(std::size_t i, std::size_t byteCount) const {
    for (; i + 1 < byteCount && i + 1 < size_; i += 2)
      if (data_[i] == 0x0D && data_[i + 1] == 0x0A) return i;
    return kNotFound;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

struct ItnRecord {
  std::size_t lonBegin = 0, lonEnd = 0, latBegin = 0, latEnd = 0;
  std::uint8_t status = 0;
  std::size_t next = 0;  // where the following record starts
};

void DecodeCodedName(const RecordScanner& scan, std::size_t begin, std::size_t end, Text& name) {
  name.clear();
  const std::size_t units = std::min((end - begin) / 2, kNameUnitsDecoded);
  for (std::size_t k = 0; k < units; ++k) {
    const std::uint16_t unit = static_cast<std::uint16_t>(scan.At(begin + 2 * k) | (scan.At(begin + 2 * k + 1) << 8));
    name.push_back(DecodeNameUnit(unit));
  }
}

// Scans one record at pos; false when the structure runs past the data.
bool ScanRecord(const RecordScanner& scan, std::size_t pos, std::size_t byteCount, bool utf8, Text& name,
                ItnRecord& record) {
  std::size_t statusPos;
  if (!utf8 && scan.Inside(pos + 1) && scan.At(pos) == '>' && scan.At(pos + 1) == '>') {
    const std::size_t nameEnd = scan.FindUnitLineEnd(pos + 2, byteCount);
    if (nameEnd == kNotFound) return false;
    DecodeCodedName(scan, pos + 2, nameEnd, name);
    record.lonBegin = nameEnd + 2;
    record.lonEnd = scan.FindBar(record.lonBegin);
    if (record.lonEnd == kNotFound) return false;
    record.latBegin = record.lonEnd + 1;
    record.latEnd = scan.FindBar(record.latBegin);
    if (record.latEnd == kNotFound) return false;
    statusPos = record.latEnd + 1;
    if (scan.Inside(statusPos) && scan.At(statusPos) == '|') ++statusPos;  // an empty name field
  } else {
    record.lonBegin = pos;
    record.lonEnd = scan.FindBar(pos);
    if (record.lonEnd == kNotFound) return false;
    record.latBegin = record.lonEnd + 1;
    record.latEnd = scan.FindBar(record.latBegin);
    if (record.latEnd == kNotFound) return false;
    const std::size_t nameBegin = record.latEnd + 1;
    const std::size_t nameEnd = utf8 ? scan.FindBarUtf8(nameBegin) : scan.FindBar(nameBegin);
    if (nameEnd == kNotFound) return false;
    const std::string_view bytes = scan.Bytes(nameBegin, nameEnd);
    name.clear();
    if (utf8) {
      AppendUtf8AsText(name, bytes.substr(0, kNameBytesDecoded));
    } else {
      for (char c : bytes.substr(0, kNameUnitsDecoded)) name.push_back(static_cast<unsigned char>(c));
    }
    statusPos = nameEnd + 1;
  }
  if (!scan.Inside(statusPos)) return false;
  record.status = scan.At(statusPos);
  std::size_t next = statusPos + 1;
  while (scan.Inside(next) && scan.At(next) == '|') ++next;
  while (scan.Inside(next) && (scan.At(next) == '\r' || scan.At(next) == '\n')) ++next;
  record.next = next;
  return true;
}

// Room for every record at once instead of growing (and briefly doubling) the table
// while a large file is read. A record has a line of its own and three bars at least; a
// file of blank lines or junk must not reserve more than it can fill, and a reservation
// the memory cannot give is simply not made.
void ReserveRows(ItineraryTable& table, std::span<const std::uint8_t> data) {
  const auto lines = static_cast<std::size_t>(std::count(data.begin(), data.end(), '\n'));
  const auto bars = static_cast<std::size_t>(std::count(data.begin(), data.end(), '|'));
  try {
    table.Reserve(table.RowCount() + std::min(lines, bars / 3) + 1);
  } catch (const std::bad_alloc&) {
  }
}

void SetCoordinateField(DocumentState& doc, std::size_t row, Axis axis, std::string_view field) {
  SetCoordinateFromBytes(doc, row, axis, field, CoordinateSource::Units);
}

}  // namespace

char16_t DecodeNameUnit(std::uint16_t u) {
  if (u >= 0x2100 && u <= 0x21FF) return static_cast<char16_t>(u - 0x2100);
  std::uint16_t v = u;
  if (v < 0x2600) v = static_cast<std::uint16_t>(v + 0x100);
  if (v < 0x5D00) v = static_cast<std::uint16_t>(v + 0x100);
  const std::uint16_t hi = v >> 8;
  const std::uint16_t lo = u & 0xFF;
  std::uint16_t d = static_cast<std::uint16_t>(hi * 213 + lo - 0x1EEC);
  if (lo > 0x5C) {
    d = static_cast<std::uint16_t>(d - 2);
  } else if (lo > 0x25) {
    d = static_cast<std::uint16_t>(d - 1);
  }
  if (d > 0xA000) d = static_cast<std::uint16_t>(d + 0x5000);
  return static_cast<char16_t>(d);
}

int ReadItn(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode) {
  byteCount = std::min(byteCount, buffer.size());
  const RecordScanner scan(buffer);
  const bool utf8 = byteCount >= 3 && buffer[0] == 0xEF && buffer[1] == 0xBB && buffer[2] == 0xBF;
  std::size_t pos = utf8 ? 3 : 0;
  bool passedRun = mode == TransferMode::Open;
  ReserveRows(context.doc.table, buffer.first(byteCount));
  Text name;
  ItnRecord record;
  do {
    if (!ScanRecord(scan, pos, byteCount, utf8, name, record)) return kFileContentProblem;
    pos = record.next;
    if (context.progress) context.progress->Report(byteCount, std::min(pos, byteCount));
    context.Passed(pos);
    if (!NormaliseName(name)) continue;
    EntryStatus status = record.status >= '0' && record.status <= '3' ? record.status - '0' : kStatusDestination;
    if (!passedRun) status &= ~kStatusPassed;
    const long long row = AppendReadRow(context, name, status, mode);
    if (row < 0) continue;
    if (!(status & kStatusPassed)) passedRun = false;
    SetCoordinateField(context.doc, row, Axis::Longitude, scan.Bytes(record.lonBegin, record.lonEnd));
    SetCoordinateField(context.doc, row, Axis::Latitude, scan.Bytes(record.latBegin, record.latEnd));
  } while (pos < byteCount);
  return pos == byteCount ? 0 : kFileContentProblem;
}

int WriteItn(WriteContext& context) {
  const DocumentState& doc = context.doc;
  BufferedWriter& out = context.out;
  FileProgress* progress = context.progress;
  const ItineraryTable& table = doc.table;
  const bool exporting = context.mode == TransferMode::Export;
  const std::size_t first = exporting ? 0 : doc.FirstWrittenRow();
  auto written = [&](std::size_t row) { return !exporting || table.Row(row).selected; };

  bool utf8 = false;
  for (std::size_t row = first; row < table.RowCount() && !utf8; ++row) {
    if (!written(row)) continue;
    for (char16_t c : table.Row(row).Name())
      if (c >= 0x100) {
        utf8 = true;
        break;
      }
  }
  if (utf8 && !out.Write("\xEF\xBB\xBF", 3)) return kDiskWriteError;

  const CoordinateFormat format = doc.Format();
  std::string lines;
  auto appendCoordinate = [&](const CoordinateCell& coordinate, Axis axis) {
    if (coordinate.empty()) {
      lines += kBlankCoordinateField;
      return;
    }
    if (const auto units = coordinate.DecimalUnits(format)) {
      char decimal[kMaxUnitsDecimalLength];
      const std::size_t length = FormatUnitsDecimalInto(*units, decimal);
      for (std::size_t k = 0; k < length; ++k)
        if (decimal[k] != '.') lines.push_back(decimal[k]);
      return;
    }
    const CellValue cell = coordinate.Value(axis);
    if (!format.dms && !format.compass) {
      for (char16_t c : cell)
        if (c != u'.') lines.push_back(static_cast<char>(c));
      return;
    }
    for (char16_t c : DisplayToDecimal(cell, format))
      if (c != u'.') lines.push_back(static_cast<char>(c));
  };
  const std::size_t total = table.RowCount();
  for (std::size_t row = first; row < total; ++row) {
    if (!written(row)) continue;
    const ItineraryEntry& entry = table.Row(row);
    appendCoordinate(entry.longitude, Axis::Longitude);
    lines.push_back('|');
    appendCoordinate(entry.latitude, Axis::Latitude);
    lines.push_back('|');
    if (utf8) {
      AppendTextAsUtf8(lines, entry.Name());
    } else {
      for (char16_t c : entry.Name()) lines.push_back(static_cast<char>(c & 0xFF));
    }
    lines.push_back('|');
    lines.push_back(static_cast<char>('0' + (entry.status & 3)));
    lines += "\r\n";
    // Written in batches: one call per row costs more than the formatting.
    if (lines.size() >= kWriteBatchBytes) {
      if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
      lines.clear();
    }
    if (progress) progress->Report(total, row + 1);
  }
  if (!out.Write(lines.data(), lines.size())) return kDiskWriteError;
  return out.Flush() ? 0 : kDiskWriteError;
}

}  // namespace wayloom
