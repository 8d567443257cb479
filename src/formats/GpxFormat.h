// GPX 1.1 files: one waypoint with a name per entry; routes and tracks are read from a
// file without waypoints, and a route can be written. Like the KML reader, the GPX reader
// is a tolerant byte scanner for a few tags in any letter case.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"

namespace wayloom {

// Reads the waypoints of buffer[0, byteCount) (the reader never looks past byteCount, so
// any terminator will do). Every named waypoint adds a row, status 0; import selects the
// rows. A waypoint tag with attributes other than lat and lon, values not in double
// quotes, or attributes separated by anything but spaces fails the read. A file without
// any waypoint offers its route and track points instead (ReadPathRows); route points
// set context.format to the route format, so that a save writes a route. Returns 0 or
// 14225; rows read before an error stay.
int ReadGpx(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

// Writes the rows that have both coordinates: save every row (less the pinned base row),
// export the selected rows. Returns 0 or 14222.
int WriteGpx(WriteContext& context);
// The same rows as one route: a rte element holding one rtept per row, for route
// planners and the apps of newer devices.
int WriteGpxRoute(WriteContext& context);

}  // namespace wayloom
