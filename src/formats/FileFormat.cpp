#include "formats/FileFormat.h"

#include <array>

#include "core/StringTable.h"
#include "formats/DelimitedFormat.h"
#include "formats/FavouritesFormat.h"
#include "formats/GpiFormat.h"
#include "formats/GpxFormat.h"
#include "formats/ItnFormat.h"
#include "formats/KmlFormat.h"
#include "formats/Ov2Format.h"

namespace wayloom {

namespace {

constexpr std::uint8_t kXmlTerminator[] = {0x00, 0x00};
constexpr std::uint8_t kLineFeedTerminator[] = {0x0A, 0x00};
constexpr std::uint8_t kCarriageReturnTerminator[] = {0x0D, 0x00};

const std::array<FileFormat, kFormatCount> kFormats = {{
    {0, 0, u"", nullptr, ReadFavourites, nullptr, {}},
    {1, 14227, u"*.itn", "itn", ReadItn, WriteItn, kItnTerminator},
    {2, 14228, u"*.kml", "kml", ReadKml, WriteKml, kXmlTerminator},
    {3, 14229, u"*.gpx", "gpx", ReadGpx, WriteGpx, kXmlTerminator},
    {4, 14230, u"*.gpi", nullptr, ReadGpi, nullptr, {}},
    {5, 14231, u"*.csv", nullptr, ReadDelimited, nullptr, kLineFeedTerminator},
    {6, 14235, u"*.asc", nullptr, ReadDelimited, nullptr, kLineFeedTerminator},
    {7, 14239, u"*.poi", nullptr, ReadDelimited, nullptr, kLineFeedTerminator},
    {8, 14243, u"*.txt", nullptr, ReadDelimited, nullptr, kCarriageReturnTerminator},
    {9, 14232, u"*.csv", "csv-ansi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {10, 14233, u"*.csv", "csv-unicode", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {11, 14234, u"*.csv", "csv-utf8", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {12, 14236, u"*.asc", "asc-ansi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {13, 14237, u"*.asc", "asc-unicode", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {14, 14238, u"*.asc", "asc-utf8", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {15, 14240, u"*.poi", "poi-ansi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {16, 14241, u"*.poi", "poi-unicode", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {17, 14242, u"*.poi", "poi-utf8", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {18, 14244, u"*.txt", "txt-ansi", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
    {19, 14245, u"*.txt", "txt-unicode", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
    {20, 14246, u"*.txt", "txt-utf8", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
    {21, 14612, u"*.gpx", "gpx-route", ReadGpx, WriteGpxRoute, kXmlTerminator},
    {22, 14613, u"*.ov2", "ov2", ReadOv2, WriteOv2, {}},
}};

// Formats 1-7 and 22 open by their extension, 8 (tab-separated text) anything else.
constexpr int kOpenList[] = {1, 2, 3, 4, 5, 6, 7, 8, kOv2Format};
constexpr int kOtherTextFormat = 8;
constexpr int kSaveList[] = {1, 2, 3, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, kGpxRouteFormat, kOv2Format};

bool Is(TextView extension, TextView name) { return EqualsIgnoringAsciiCase(extension, name); }

}  // namespace

const FileFormat& GetFileFormat(int index) {
  return kFormats[index >= 0 && index < kFormatCount ? index : kItnFormat];
}

int FormatByName(std::string_view name) {
  for (const FileFormat& format : kFormats)
    if (format.name && name == format.name) return format.index;
  return -1;
}

int FormatForOpening(TextView extension) {
  for (int format : kOpenList)
    if (Is(extension, GetFileFormat(format).Extension())) return format;
  return kOtherTextFormat;
}

bool IsKnownExtension(TextView extension, bool dropping) {
  const int format = FormatForOpening(extension);
  return format != kOtherTextFormat || (dropping && Is(extension, GetFileFormat(kOtherTextFormat).Extension()));
}

int FormatForSaving(TextView extension, int chosenListPosition) {
  // itn, kml, gpx, gpi, ov2: the format of the extension; a gpx name with the route entry
  // chosen writes a route.
  const int chosen = FormatFromSaveListPosition(chosenListPosition);
  if (chosen == kGpxRouteFormat && Is(extension, GetFileFormat(kGpxRouteFormat).Extension())) return kGpxRouteFormat;
  for (int format : {1, 2, 3, 4, kOv2Format})
    if (Is(extension, GetFileFormat(format).Extension())) return format;
  // Delimited text: the layout of the extension (tab-separated for any other) in the
  // encoding of the chosen entry; the formats of a layout are ANSI, Unicode, UTF-8.
  const int encoding = chosen >= 9 && chosen <= 20 ? (chosen - 9) % 3 : 0;
  for (int layout = 9; layout < 18; layout += 3)
    if (Is(extension, GetFileFormat(layout).Extension())) return layout + encoding;
  return 18 + encoding;
}

SaveTarget SaveTargetFor(TextView path, int chosenListPosition) {
  const TextView extension = PathExtension(path);
  SaveTarget target{Text(path), FormatForSaving(extension, chosenListPosition)};
  if (!GetFileFormat(target.format).writer) {
    target.path.resize(target.path.size() - extension.size());
    target.path += GetFileFormat(kItnFormat).Extension();
    target.format = kItnFormat;
  }
  return target;
}

std::vector<DialogFilter> FileDialogFilters(bool saving) {
  std::vector<DialogFilter> filters;
  auto add = [&](int index) {
    const FileFormat& format = GetFileFormat(index);
    Text text(LoadText(format.typeString));
    text += u" (";
    text += format.pattern;
    text += u")";
    filters.push_back({text, Text(format.pattern)});
  };
  if (saving) {
    for (int index : kSaveList) add(index);
  } else {
    for (int index : kOpenList) add(index);
  }
  return filters;
}

int OpenListPosition(int format) {
  if (format == kGpxRouteFormat) return 3;
  if (format == kOv2Format) return 9;
  if (format >= 9) return (format - 9) / 3 + 5;
  return format >= 1 ? format : 1;
}

// Positions 16 and 17 (gpx-route, ov2) follow from the same arithmetic as 4-15.
int SaveListPosition(int format) {
  if (format == 4) return 1;
  if (format >= 5) return format - 5 >= 1 ? format - 5 : 1;
  return format >= 1 ? format : 1;
}

int FormatFromSaveListPosition(int position) { return position > 3 ? position + 5 : position; }

}  // namespace wayloom
