// Delimited text: comma-separated csv, asc and Opel Navi poi ("longitude,latitude,name,
// status") and tab-separated txt ("name, coordinate, coordinate, status"), each in the
// system code page, UTF-16LE with the mark FF FE, or UTF-8 with the mark EF BB BF.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

enum class DelimitedLayout { Csv, Asc, Poi, Txt };
// In the order of the formats 9-20: (index - 9) mod 3.
enum class DelimitedEncoding { Ansi, Utf16, Utf8 };

struct DetectedEncoding {
  DelimitedEncoding encoding;
  std::size_t markLength;  // bytes of the mark to skip: 0, 2 or 3
};

// FF FE: UTF-16LE; EF BB BF: UTF-8; anything else: the system code page.
DetectedEncoding DetectDelimitedEncoding(std::span<const std::uint8_t> bytes);

// The layout of a delimited format index (5-8 read with detection, 9-20 exact).
DelimitedLayout DelimitedLayoutOf(int format);
// The exact format 9-20 of a layout in an encoding.
int DelimitedFormatIndex(DelimitedLayout layout, DelimitedEncoding encoding);

// Reads the lines of buffer[0, byteCount) (the data; the terminator after it is not
// needed: the last line is read whether or not it ends in a line break). Sets
// context.format to the exact 9-20 index of the layout and the detected encoding. Open
// keeps a leading run of passed statuses; import adds the rows selected, none passed.
// Malformed lines are skipped; the reader never fails and returns 0.
int ReadDelimited(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

// Writes the mark of context.format's encoding and one CR LF line per row: every row
// (less the pinned base row) for save, the selected rows for export. Returns 0 or 14222.
int WriteDelimited(WriteContext& context);

}  // namespace wayloom
