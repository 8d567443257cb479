// The favourites a TomTom device keeps in "MapSettings.cfg", read only. The file is
// scanned, not parsed: a favourite is recognised by a few fixed bytes at any position.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

// Reads the favourites of buffer[0, byteCount) (no terminator needed; nothing past
// byteCount is read). With context.includeHomeAndRecent the home and recent places come
// too, each name followed by "@" and its category's label. A record whose name and both
// coordinates equal an existing row's is skipped. Rows get status 2; afterwards
// context.format is ITN. Always returns 0.
int ReadFavourites(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount,
                   TransferMode mode);

}  // namespace wayloom
