// KML files: one placemark with a name and a point per entry. The reader is a tolerant
// byte scanner for a few tags in any letter case, not an XML parser; the writer also
// makes the numbered placemark file handed to Google Earth.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

// Reads the placemarks of buffer[0, byteCount) (the reader never looks past byteCount, so
// any terminator will do). Every placemark with a name and a point adds a row, status 0;
// import selects the rows. A file without any such placemark offers its paths
// (LineString, gx:Track) as tracks instead (ReadPathRows). Returns 0 or 14225; rows read
// before an error stay.
int ReadKml(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

// Writes the rows that have both coordinates: save every row (less the pinned base row),
// export the selected rows. With context.numberPlacemarks (Google Earth) the selected rows
// are written when there are any, else all rows, and each name gets its number: "#1 " for
// a destination, "#2' " for a via point. Returns 0 or 14222.
int WriteKml(WriteContext& context);
// The same, also giving the number of placemarks written (Google Earth export).
int WriteKmlCounted(WriteContext& context, std::size_t& placemarksWritten);

}  // namespace wayloom
