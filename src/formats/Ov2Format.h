// The device's POI files (.ov2): binary records, each a type byte and a 32-bit
// little-endian length of the whole record. POI records (types 2 and 3) hold longitude and
// latitude as 32-bit integers of 1e-5 degrees and a NUL-ended name; skipper records
// (type 1, 21 bytes) give the bounding box and the byte length of the block of records that
// follows, so that the device passes over areas far from it; type 0 marks a deleted record.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

// Reads the POIs of buffer[0, byteCount): every named POI adds a row, status 2 (as Garmin
// POI files do); import selects the rows. Skippers are stepped into (their block lengths
// are not needed to read every POI), deleted and unknown records are passed over by their
// length. A name is UTF-8 when its bytes are valid UTF-8, otherwise code page 1252, the
// device's single-byte text. A record that would end past the data or that is shorter than
// its own header fails the read with 14225; rows read before it stay.
int ReadOv2(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

// Writes the rows that have both coordinates (save every row less the pinned base row,
// export the selected rows) as POI records grouped by area: a skipper for the whole file,
// and blocks of 20 POIs or more split in two halves at the middle POI along the longer side
// of their box, each half under a skipper, down to blocks of fewer than 20 (the layout
// GPSBabel writes and the devices read). A name is written in code page 1252 when it holds
// only characters of that code page (and its bytes cannot be mistaken for UTF-8), else in
// UTF-8. Returns 0 or 14222.
int WriteOv2(WriteContext& context);

}  // namespace wayloom
