// The one list of file formats: index, file type string, pattern, wayloom-cli name, reader
// and writer. Open, save, import, export, conversion and the command-line tool all use it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "formats/ReadContext.h"
#include "platform/FileStore.h"

namespace wayloom {

using FormatReader = int (*)(ReadContext&, std::span<const std::uint8_t> buffer, std::size_t byteCount, TransferMode);
using FormatWriter = int (*)(WriteContext&);

struct FileFormat {
  int index;
  int typeString;          // file type string id, 0 for none
  const char16_t* pattern; // "*.itn"; empty for the device favourites
  const char* name;        // wayloom-cli's name of a written format ("csv-utf8"), nullptr for none
  FormatReader reader;     // nullptr: cannot be read
  FormatWriter writer;     // nullptr: cannot be written
  std::span<const std::uint8_t> terminator;  // bytes appended after the data before reading

  // The extension of the pattern, without its dot ("itn"); empty for the device favourites.
  TextView Extension() const {
    const TextView all(pattern);
    return all.size() > 2 ? all.substr(2) : TextView();
  }
};

constexpr int kFormatCount = 23;
constexpr int kGpxRouteFormat = 21;
constexpr int kOv2Format = 22;
const FileFormat& GetFileFormat(int index);
// The format of a wayloom-cli name (exactly as the table spells it), -1 for none.
int FormatByName(std::string_view name);

// The format an extension (without its dot, any case) opens as: itn 1, kml 2, gpx 3,
// gpi 4, csv 5, asc 6, poi 7, ov2 22, anything else 8.
int FormatForOpening(TextView extension);
// One of the known extensions (without its dot, any case): itn, kml, gpx, gpi, csv, asc,
// poi, ov2, and for dropped files also txt.
bool IsKnownExtension(TextView extension, bool dropping);
// The format a save-as or export writes: itn 1, kml 2, gpx 3 (21, a route, when that entry
// is chosen), gpi 4 (see SaveTargetFor), ov2 22, csv/asc/poi/other 9/12/15/18 plus the
// encoding of the chosen list entry (ANSI when the entry has none: itn, kml, gpx, ov2).
int FormatForSaving(TextView extension, int chosenListPosition);

// What a save-as or export to path writes: the format FormatForSaving gives for its
// extension, into path; a format that cannot be written (gpi) is written as an itinerary,
// into path with its extension replaced by itn.
struct SaveTarget {
  Text path;
  int format;
};
SaveTarget SaveTargetFor(TextView path, int chosenListPosition);

struct DialogFilter {
  Text text;     // "TomTom 行程檔案 (*.itn)"
  Text pattern;  // "*.itn"
};
// The open list (9 entries: formats 1-8, 22) or the save list (17 entries: 1-3, 9-22).
std::vector<DialogFilter> FileDialogFilters(bool saving);
// List positions (1-based) from and to format indexes.
int OpenListPosition(int format);
int SaveListPosition(int format);
int FormatFromSaveListPosition(int position);

}  // namespace wayloom
