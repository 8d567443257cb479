#include "formats/FileFormat.h"

#include <array>

#include "core/StringTable.h"
#include "formats/DelimitedFormat.h"
#include "formats/FavouritesFormat.h"
#include "formats/GpiFormat.h"
#include "formats/GpxFormat.h"
#include "formats/ItnFormat.h"
#include "formats/KmlFormat.h"

namespace wayloom {

namespace {

constexpr std::uint8_t kXmlTerminator[] = {0x00, 0x00};
constexpr std::uint8_t kLineFeedTerminator[] = {0x0A, 0x00};
constexpr std::uint8_t kCarriageReturnTerminator[] = {0x0D, 0x00};

const std::array<FileFormat, kFormatCount> kFormats = {{
    {0, 0, u"", ReadFavourites, nullptr, {}},
    {1, 14227, u"*.itn", ReadItn, WriteItn, kItnTerminator},
    {2, 14228, u"*.kml", ReadKml, WriteKml, kXmlTerminator},
    {3, 14229, u"*.gpx", ReadGpx, WriteGpx, kXmlTerminator},
    {4, 14230, u"*.gpi", ReadGpi, nullptr, {}},
    {5, 14231, u"*.csv", ReadDelimited, nullptr, kLineFeedTerminator},
    {6, 14235, u"*.asc", ReadDelimited, nullptr, kLineFeedTerminator},
    {7, 14239, u"*.poi", ReadDelimited, nullptr, kLineFeedTerminator},
    {8, 14243, u"*.txt", ReadDelimited, nullptr, kCarriageReturnTerminator},
    {9, 14232, u"*.csv", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {10, 14233, u"*.csv", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {11, 14234, u"*.csv", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {12, 14236, u"*.asc", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {13, 14237, u"*.asc", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {14, 14238, u"*.asc", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {15, 14240, u"*.poi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {16, 14241, u"*.poi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {17, 14242, u"*.poi", ReadDelimited, WriteDelimited, kLineFeedTerminator},
    {18, 14244, u"*.txt", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
    {19, 14245, u"*.txt", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
    {20, 14246, u"*.txt", ReadDelimited, WriteDelimited, kCarriageReturnTerminator},
}};

constexpr int kOpenList[] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr int kSaveList[] = {1, 2, 3, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};

bool Is(TextView extension, const char16_t* name) { return EqualsIgnoringAsciiCase(extension, name); }

}  // namespace

const FileFormat& GetFileFormat(int index) {
  return kFormats[index >= 0 && index < kFormatCount ? index : kItnFormat];
}

int FormatForOpening(TextView extension) {
  static const char16_t* const kExtensions[] = {u"itn", u"kml", u"gpx", u"gpi", u"csv", u"asc", u"poi"};
  for (int i = 0; i < 7; ++i)
    if (Is(extension, kExtensions[i])) return i + 1;
  return 8;
}

bool IsKnownExtension(TextView extension, bool dropping) {
  return FormatForOpening(extension) < 8 || (dropping && Is(extension, u"txt"));
}

int FormatForSaving(TextView extension, int chosenListPosition) {
  if (Is(extension, u"itn")) return 1;
  if (Is(extension, u"kml")) return 2;
  if (Is(extension, u"gpx")) return 3;
  if (Is(extension, u"gpi")) return 4;
  const int chosen = FormatFromSaveListPosition(chosenListPosition);
  const int encoding = chosen >= 9 ? (chosen - 9) % 3 : 0;
  const int base = Is(extension, u"csv") ? 9 : Is(extension, u"asc") ? 12 : Is(extension, u"poi") ? 15 : 18;
  return base + encoding;
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
  if (format >= 9) return (format - 9) / 3 + 5;
  return format >= 1 ? format : 1;
}

int SaveListPosition(int format) {
  if (format == 4) return 1;
  if (format >= 5) return format - 5 >= 1 ? format - 5 : 1;
  return format >= 1 ? format : 1;
}

int FormatFromSaveListPosition(int position) { return position > 3 ? position + 5 : position; }

}  // namespace wayloom
