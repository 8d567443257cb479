// TomTom itinerary files: "longitude|latitude|name|status" records in 1e-5 degree units,
// names in Latin-1 or (with the EF BB BF mark) UTF-8, and the two-byte coded ">>" records.
#pragma once

#include <cstdint>
#include <span>

#include "formats/ReadContext.h"
#include "platform/FileStore.h"

namespace wayloom {

// The bytes appended after the data before reading: every search for '|' ends inside them.
constexpr std::uint8_t kItnTerminator[10] = {0x00, 0x0D, 0x0A, 0x7C, 0x7C, 0x7C, 0x7C, 0x0D, 0x0A, 0x00};
constexpr int kFileContentProblem = 14225;
constexpr int kDiskWriteError = 14222;
// 180.12345 degrees: outside both ranges, so a blank coordinate survives a save and reopen.
constexpr char kBlankCoordinateField[] = "18012345";

// Reads the records of buffer[0, byteCount); the buffer must hold the data followed by
// kItnTerminator (the reader never looks past buffer.size() either way). Open appends rows
// keeping a leading run of passed statuses; import appends them selected with passed bits
// cleared. Returns 0 or 14225; rows read before an error stay.
int ReadItn(ReadContext& context, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode mode);

// Writes every row (less the pinned base row) for save, the selected rows for export.
// Returns 0 or 14222.
int WriteItn(WriteContext& context);

// One unit of a coded ">>" name to its character.
char16_t DecodeNameUnit(std::uint16_t unit);

}  // namespace wayloom
