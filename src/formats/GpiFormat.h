// Garmin POI files (.gpi), read only. The reader checks the header, then scans the bytes
// for POI records (02 00 08 00) instead of walking the file's record tree.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

// Reads the POIs of buffer[0, byteCount) (no terminator needed; nothing past byteCount is
// read). Two header layouts are known: "GRMREC00" at offset 8 (as GPSBabel writes it) and
// "GRMREC01" at offset 12 (Garmin POI Loader, whose first record carries 4 more bytes).
// Every POI record that lies wholly inside the file and has a name in the language EN
// (anywhere among its names) adds a row with status 2, its name decoded with the header's
// code page; import selects the rows. Returns 0, 14225 (shorter than 71 bytes) or 14219
// (not a POI file).
int ReadGpi(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

}  // namespace wayloom
