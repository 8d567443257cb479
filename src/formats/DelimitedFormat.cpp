#include "formats/DelimitedFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/CoordinateText.h"
#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"

namespace wayloom {

namespace {

constexpr int kDiskWriteFailed = 14222;
// Longer lines are cut before they are split.
constexpr std::size_t kMaxLineUnits = 303;
// Lines are encoded and written in batches of about this many UTF-16 units.
constexpr std::size_t kWriteBatchUnits = 1 << 15;
// The shortest line that adds a row, "a,b,c" and a line end: no more rows than this allows.
constexpr std::size_t kShortestRowUnits = 6;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }

DelimitedEncoding EncodingOf(int format) { return static_cast<DelimitedEncoding>((format - 9) % 3); }

// The text is decoded a piece of about this many bytes at a time, so that a large file
// never lies in memory a second time as text.
constexpr std::size_t kDecodePieceBytes = std::size_t{1} << 20;

// Where the piece of the file's bytes (after the mark) that starts at begin ends: just
// after the first line end (CR or LF; a whole unit in UTF-16) at least kDecodePieceBytes
// on, or at the end. No decoder carries anything past a line end (no multibyte sequence
// holds CR or LF, and a malformed one never swallows them), so the pieces decode to the
// text the whole bytes would.
std::size_t PieceEnd(std::span<const std::uint8_t> body, std::size_t begin, bool utf16) {
  const std::size_t step = utf16 ? 2 : 1;
  for (std::size_t i = begin + kDecodePieceBytes; i + step <= body.size(); i += step)
    if ((body[i] == '\n' || body[i] == '\r') && (!utf16 || body[i + 1] == 0)) return i + step;
  return body.size();
}

// A piece of the file's text. The last piece ends in a line end so that a last line
// without one is read. A UTF-16 file of odd length ends in a byte that is no character:
// it reads as U+FFFD, and the line end still falls on a whole unit.
void DecodePiece(std::span<const std::uint8_t> piece, DelimitedEncoding encoding, const TextCodec& codec, bool last,
                 Text& text) {
  const std::string_view bytes(reinterpret_cast<const char*>(piece.data()), piece.size());
  text.clear();
  switch (encoding) {
    case DelimitedEncoding::Utf16:
      text.resize(piece.size() / 2);
      for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(piece[2 * i] | (piece[2 * i + 1] << 8));
      if (piece.size() % 2) text.push_back(0xFFFD);
      break;
    case DelimitedEncoding::Utf8:
      AppendUtf8AsText(text, bytes);
      break;
    case DelimitedEncoding::Ansi:
      text = codec.Decode(bytes, codec.SystemCodePage());
      break;
  }
  if (last) text.push_back(u'\n');
}

// The first four fields of a line and how many fields it has; later fields are counted
// only.
class LineFields {
 public:
  void Start() {
    for (Text& field : fields_) field.clear();
    count_ = 1;
  }
  void Next() { ++count_; }
  void Append(char16_t c, std::size_t times = 1) {
    if (count_ <= fields_.size()) fields_[count_ - 1].append(times, c);
  }
  std::size_t Count() const { return count_; }
  std::size_t Current() const { return count_ - 1; }  // 0-based index of the field being filled
  const Text& Field(std::size_t index) const { return fields_[index]; }

 private:
  std::array<Text, 4> fields_;
  std::size_t count_ = 1;
};

// Comma formats: a run of n double quotes gives n div 2 quotes and, when n is odd,
// switches the quoted state, anywhere in a field; a comma outside quotes ends a field.
// asc: in the two coordinate fields apostrophes, quotes and colons become spaces (so
// "121:30:00" reads as degrees, minutes and seconds).
void SplitCommaLine(TextView line, bool asc, LineFields& fields) {
  fields.Start();
  bool quoted = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const bool coordinateField = asc && fields.Current() < 2;
    char16_t c = line[i];
    if (c == u'"') {
      std::size_t run = 0;
      for (; i < line.size() && line[i] == u'"'; ++i) ++run;
      fields.Append(coordinateField ? u' ' : u'"', run / 2);
      if (run % 2) quoted = !quoted;
      continue;
    }
    ++i;
    if (c == u',' && !quoted) {
      fields.Next();
      continue;
    }
    if (coordinateField && (c == u'\'' || c == u':')) c = u' ';
    fields.Append(c);
  }
}

void SplitTabLine(TextView line, LineFields& fields) {
  fields.Start();
  for (char16_t c : line) {
    if (c == u'\t') {
      fields.Next();
    } else {
      fields.Append(c);
    }
  }
}

// Spaces and TABs, then ASCII digits; no digit, or a value above 3, gives 2.
EntryStatus ReadStatus(const LineFields& fields) {
  if (fields.Count() < 4) return kStatusDestination;
  const Text& field = fields.Field(3);
  std::size_t i = 0;
  while (i < field.size() && (field[i] == u' ' || field[i] == u'\t')) ++i;
  if (i == field.size() || !IsAsciiDigit(field[i])) return kStatusDestination;
  unsigned value = 0;
  for (; i < field.size() && IsAsciiDigit(field[i]); ++i) {
    value = value * 10 + (field[i] - u'0');
    if (value > 3) return kStatusDestination;
  }
  return static_cast<EntryStatus>(value);
}

// asc coordinates may be written in degrees, minutes and seconds separated by spaces.
void SetAscCoordinate(DocumentState& doc, std::size_t row, Axis axis, const Text& field) {
  Text text(field);
  CleanText(text);
  if (text.empty()) return;
  const auto degrees = ParseDisplay(text);
  if (!degrees || !std::isfinite(*degrees)) return;
  SetCoordinateFromText(doc, row, axis, FormatFixed5(*degrees), CoordinateSource::Degrees);
}

Axis AxisOfColumn(int column) { return column == kLongitudeColumn ? Axis::Longitude : Axis::Latitude; }

class DelimitedReader {
 public:
  DelimitedReader(ReadContext& context, DelimitedLayout layout, TransferMode mode)
      : context_(context), layout_(layout), mode_(mode), passedRun_(mode == TransferMode::Open) {}

  void ReadLine(TextView line) {
    if (line.empty()) return;
    const std::size_t first = line.find_first_not_of(u' ');
    if (first != TextView::npos && line[first] == u';') return;  // a comment
    if (line.size() > kMaxLineUnits)
      line = line.substr(0, IsHighSurrogate(line[kMaxLineUnits - 1]) ? kMaxLineUnits - 1 : kMaxLineUnits);
    const bool tabs = layout_ == DelimitedLayout::Txt;
    if (tabs) {
      if (line[0] == u'\t') return;  // no name
      SplitTabLine(line, fields_);
    } else {
      SplitCommaLine(line, layout_ == DelimitedLayout::Asc, fields_);
    }
    if (fields_.Count() < 3) return;

    name_ = fields_.Field(tabs ? 0 : 2);  // reuses the buffer of the previous name
    if (!NormaliseName(name_)) return;
    EntryStatus status = ReadStatus(fields_);
    // Only a leading run of rows may be passed (none on import).
    if (!passedRun_) status &= ~kStatusPassed;
    const long long row = AppendReadRow(context_, name_, status, mode_);
    if (row < 0) return;
    if (!(status & kStatusPassed)) passedRun_ = false;
    SetCoordinates(static_cast<std::size_t>(row));
  }

 private:
  void SetCoordinates(std::size_t row) {
    DocumentState& doc = context_.doc;
    switch (layout_) {
      case DelimitedLayout::Csv:
      case DelimitedLayout::Poi:
        SetCoordinateFromText(doc, row, Axis::Longitude, fields_.Field(0), CoordinateSource::Degrees);
        SetCoordinateFromText(doc, row, Axis::Latitude, fields_.Field(1), CoordinateSource::Degrees);
        break;
      case DelimitedLayout::Asc:
        SetAscCoordinate(doc, row, Axis::Longitude, fields_.Field(0));
        SetAscCoordinate(doc, row, Axis::Latitude, fields_.Field(1));
        break;
      case DelimitedLayout::Txt: {
        const bool lngFirst = doc.settings.Get(Option::LngFirst);
        SetCoordinateFromText(doc, row, AxisOfColumn(FirstCoordinateColumn(lngFirst)), fields_.Field(1),
                              CoordinateSource::Degrees);
        SetCoordinateFromText(doc, row, AxisOfColumn(SecondCoordinateColumn(lngFirst)), fields_.Field(2),
                              CoordinateSource::Degrees);
        break;
      }
    }
  }

  ReadContext& context_;
  DelimitedLayout layout_;
  TransferMode mode_;
  bool passedRun_;
  LineFields fields_;
  Text name_;
};

void AppendName(Text& line, TextView name, DelimitedLayout layout) {
  bool quoted = layout == DelimitedLayout::Asc || layout == DelimitedLayout::Poi;
  if (layout == DelimitedLayout::Csv) quoted = name.find_first_of(u",\"") != TextView::npos;
  if (!quoted) {
    line += name;
    return;
  }
  line.push_back(u'"');
  for (char16_t c : name) {
    if (c == u'"') line.push_back(u'"');
    line.push_back(c);
  }
  line.push_back(u'"');
}

bool WriteText(WriteContext& context, DelimitedEncoding encoding, TextView text) {
  std::string bytes;
  switch (encoding) {
    case DelimitedEncoding::Ansi:
      bytes = context.Codec().Encode(text, context.Codec().SystemCodePage());
      break;
    case DelimitedEncoding::Utf8:
      bytes = TextToUtf8(text);
      break;
    case DelimitedEncoding::Utf16:
      bytes.resize(text.size() * 2);
      for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
      }
      break;
  }
  return context.out.Write(bytes.data(), bytes.size());
}

}  // namespace

DetectedEncoding DetectDelimitedEncoding(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return {DelimitedEncoding::Utf16, 2};
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    return {DelimitedEncoding::Utf8, 3};
  return {DelimitedEncoding::Ansi, 0};
}

DelimitedLayout DelimitedLayoutOf(int format) {
  if (format >= 5 && format <= 8) return static_cast<DelimitedLayout>(format - 5);
  if (format >= 9 && format <= 20) return static_cast<DelimitedLayout>((format - 9) / 3);
  return DelimitedLayout::Txt;  // any other name opens as tab-separated text
}

int DelimitedFormatIndex(DelimitedLayout layout, DelimitedEncoding encoding) {
  return 9 + 3 * static_cast<int>(layout) + static_cast<int>(encoding);
}

int ReadDelimited(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount,
                  TransferMode mode) {
  const std::span<const std::uint8_t> data = buffer.first(std::min(byteCount, buffer.size()));
  const DetectedEncoding detected = DetectDelimitedEncoding(data);
  const DelimitedLayout layout = DelimitedLayoutOf(context.format);
  context.format = DelimitedFormatIndex(layout, detected.encoding);

  const std::span<const std::uint8_t> body = data.subspan(detected.markLength);
  const bool utf16 = detected.encoding == DelimitedEncoding::Utf16;
  const std::size_t lineEnds = static_cast<std::size_t>(std::count(body.begin(), body.end(), std::uint8_t{'\n'}));
  const std::size_t units = utf16 ? body.size() / 2 : body.size();
  context.doc.table.Reserve(context.doc.table.RowCount() + std::min(lineEnds + 1, units / kShortestRowUnits + 1));

  DelimitedReader reader(context, layout, mode);
  Text text;
  std::size_t begin = 0;
  do {
    const std::size_t end = PieceEnd(body, begin, utf16);
    DecodePiece(body.subspan(begin, end - begin), detected.encoding, context.Codec(), end == body.size(), text);
    std::size_t pos = 0;
    while (pos < text.size()) {
      // CR and LF each end a line (CR LF leaves an empty line between them, which is skipped).
      std::size_t lineEnd = pos;
      while (lineEnd < text.size() && text[lineEnd] != u'\r' && text[lineEnd] != u'\n') ++lineEnd;
      reader.ReadLine(TextView(text).substr(pos, lineEnd - pos));
      pos = lineEnd + 1;
    }
    begin = end;
    if (context.progress) context.progress->Report(body.size(), begin);
    context.Passed(detected.markLength + begin);
  } while (begin < body.size());
  return 0;
}

int WriteDelimited(WriteContext& context) {
  if (context.format < 9 || context.format > 20) return kDiskWriteFailed;
  const DelimitedLayout layout = DelimitedLayoutOf(context.format);
  const DelimitedEncoding encoding = EncodingOf(context.format);
  if (encoding == DelimitedEncoding::Utf16 && !context.out.Write("\xFF\xFE", 2)) return kDiskWriteFailed;
  if (encoding == DelimitedEncoding::Utf8 && !context.out.Write("\xEF\xBB\xBF", 3)) return kDiskWriteFailed;

  const DocumentState& doc = context.doc;
  const ItineraryTable& table = doc.table;
  const CoordinateFormat coordinateFormat = doc.Format();
  const bool lngFirst = doc.settings.Get(Option::LngFirst);
  const bool exporting = context.mode == TransferMode::Export;
  const std::size_t first = exporting ? 0 : doc.FirstWrittenRow();
  const std::size_t total = table.RowCount();
  auto appendCoordinate = [&](Text& line, const ItineraryEntry& entry, int column) {
    const Axis axis = ColumnAxis(column);
    if (const CoordinateCell& cell = entry.Coordinate(axis); !cell.empty())
      AppendCellDecimal(line, cell, axis, coordinateFormat);
  };

  Text pending;
  for (std::size_t row = first; row < total; ++row) {
    const ItineraryEntry& entry = table.Row(row);
    if (exporting && !entry.selected) continue;
    const char16_t status = static_cast<char16_t>(u'0' + (entry.status & 3));
    if (layout == DelimitedLayout::Txt) {
      pending += entry.Name();
      pending.push_back(u'\t');
      appendCoordinate(pending, entry, FirstCoordinateColumn(lngFirst));
      pending.push_back(u'\t');
      appendCoordinate(pending, entry, SecondCoordinateColumn(lngFirst));
      pending.push_back(u'\t');
    } else {
      appendCoordinate(pending, entry, kLongitudeColumn);
      pending.push_back(u',');
      appendCoordinate(pending, entry, kLatitudeColumn);
      pending.push_back(u',');
      AppendName(pending, entry.Name(), layout);
      pending.push_back(u',');
    }
    pending.push_back(status);
    pending += u"\r\n";
    if (pending.size() >= kWriteBatchUnits) {
      if (!WriteText(context, encoding, pending)) return kDiskWriteFailed;
      pending.clear();
    }
    if (context.progress) context.progress->Report(total, row + 1);
  }
  if (!pending.empty() && !WriteText(context, encoding, pending)) return kDiskWriteFailed;
  return context.out.Flush() ? 0 : kDiskWriteFailed;
}

}  // namespace wayloom
