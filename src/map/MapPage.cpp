#include "map/MapPage.h"

#include <algorithm>

#include "core/StringTable.h"
#include "formats/XmlText.h"
#include "map/MapResources.h"

namespace wayloom {

namespace {

constexpr int kLanguageMeta = 14325;
constexpr int kMapTypeScript = 14326;
constexpr int kPageStyle = 14328;
constexpr int kInfoWindowFont = 14329;
constexpr int kMarkerImageUrl = 14330;
constexpr int kLngFirstLine = 14331;  // 14331-14337: the seven e_b flags in option order
constexpr int kLoadMarkerStart = 14338;
constexpr int kAddMarkerLine = 14339;
constexpr int kFirstLanguageCode = 14349;
constexpr int kTileUrlLine = 14470;
constexpr int kRouteHostLine = 14471;
constexpr int kAddressHostLine = 14472;
constexpr int kDefaultTiles = 14473;
constexpr int kDefaultRoutes = 14474;
constexpr int kDefaultAddresses = 14475;
constexpr int kMapLanguages = 9;
constexpr std::size_t kPageReserve = 1048576;
constexpr std::size_t kBytesPerRow = 304;
constexpr std::size_t kMaxEscapedName = 510;

constexpr Option kFlagOptions[] = {Option::LngFirst,         Option::DmsFormat,       Option::CompassDirection,
                                   Option::MetricUnit,       Option::GoogleMapsCookie, Option::GoogleMapsName,
                                   Option::GoogleMapsRoute};

Text ServiceSetting(Profile* profile, TextView key, int defaultId) {
  const Text fallback(LoadText(defaultId));
  if (!profile) return fallback;
  Text value = profile->ReadText(u"Services", key, fallback);
  if (value.empty()) return fallback;
  return value;
}

// A host is joined with "/reverse", "/route/..." by the page and the lookup.
Text WithoutTrailingSlash(Text host) {
  while (!host.empty() && host.back() == u'/') host.pop_back();
  return host;
}

// A path as the tail of a "file:///" address: "/" separators, no leading "/" of its own
// (a POSIX path) so that the address keeps exactly three slashes, and the characters that
// would end the address or the attribute holding it percent-encoded.
Text FileUrlPath(TextView path) {
  const std::size_t first = path.find_first_not_of(u"/\\");
  Text url;
  for (char16_t c : path.substr(first == TextView::npos ? path.size() : first)) {
    if (c == u'\\') {
      url += u'/';
    } else if (c == u'%' || c == u'"' || c == u'<' || c == u'>' || c == u'#' || c == u'?') {
      static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
      url += {u'%', kDigits[c >> 4], kDigits[c & 15]};
    } else {
      url += c;
    }
  }
  return url;
}

// A font face inside the style sheet: characters that could end the rule or the style
// element are left out.
Text StyleSafeFace(TextView face) {
  Text safe;
  for (char16_t c : face)
    if (c >= 0x20 && c != 0x7F && c != u'<' && c != u'>' && c != u'{' && c != u'}' && c != u';' && c != u'\\')
      safe.push_back(c);
  return safe;
}

long long FontPixels(int height) {
  if (height > 0) return static_cast<long long>(height) * 96 / 72;
  if (height < 0) return -static_cast<long long>(height);
  return 13;
}

Text TwoHexDigits(std::uint8_t value) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  return Text{kDigits[value >> 4], kDigits[value & 15]};
}

void AppendFormatted(std::string& page, int id, const FormatArg& arg) { AppendTextAsUtf8(page, FormatString(id, arg)); }

void AppendInfoWindowFont(std::string& page, const MapPageFont& font) {
  // The string's colour bytes are "%.2x": formatted here as two lower-case hex digits.
  Text format(LoadText(kInfoWindowFont));
  for (std::size_t at = format.find(u"%.2x"); at != Text::npos; at = format.find(u"%.2x", at))
    format.replace(at, 4, u"%s");
  AppendTextAsUtf8(page, FormatText(format, {font.italic ? u"italic" : u"normal", font.weight, FontPixels(font.height),
                                             StyleSafeFace(font.face), TwoHexDigits(font.red), TwoHexDigits(font.green),
                                             TwoHexDigits(font.blue)}));
}

void AppendMarkerLines(std::string& page, const DocumentState& doc) {
  const std::string format = LoadUtf8(kAddMarkerLine);
  const CoordinateFormat coordinates = doc.Format();
  std::string name, latitude, longitude;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const ItineraryEntry& entry = doc.table.Row(row);
    if (!entry.HasBothCoordinates()) continue;
    latitude.clear();
    longitude.clear();
    AppendCellDecimal(latitude, entry.latitude, Axis::Latitude, coordinates);
    AppendCellDecimal(longitude, entry.longitude, Axis::Longitude, coordinates);
    if (latitude.empty() || longitude.empty()) continue;  // not a coordinate: no marker, as a blank cell
    name.clear();
    AppendTextAsUtf8(name, EscapeForScriptString(entry.Name()));
    const bool destination = (entry.status & kStatusDestination) != 0;
    AppendFilledTemplate(page, format, {name, latitude, longitude, destination ? "true" : "false"});
  }
}

}  // namespace

int MapLanguage(const Settings& settings) { return std::clamp(settings.googleMapsLang, 0, kMapLanguages - 1); }

TextView MapLanguageCode(int language) { return LoadText(kFirstLanguageCode + language); }

MapServices ReadMapServices(Profile* profile) {
  return {ServiceSetting(profile, u"Map Tiles", kDefaultTiles),
          WithoutTrailingSlash(ServiceSetting(profile, u"Routes", kDefaultRoutes)),
          WithoutTrailingSlash(ServiceSetting(profile, u"Addresses", kDefaultAddresses))};
}

std::string BuildMapPage(const MapPageInputs& inputs) {
  const DocumentState& doc = inputs.doc;
  const int language = MapLanguage(doc.settings);
  std::string page;
  page.reserve(kPageReserve + kBytesPerRow * doc.table.RowCount());

  page += MapResource(kMapPageHead);
  AppendFormatted(page, kLanguageMeta, MapLanguageCode(language));
  if (!inputs.mapTypeScript.empty()) AppendFormatted(page, kMapTypeScript, FileUrlPath(inputs.mapTypeScript));
  AppendTextAsUtf8(page, LoadText(kPageStyle));  // written as it stands: its "100%" is no placeholder
  AppendInfoWindowFont(page, inputs.font);
  page += MapResource(kMapApplication);

  AppendFormatted(page, kMarkerImageUrl, EscapeForScriptString(FileUrlPath(inputs.programFolder)));
  for (int i = 0; i < static_cast<int>(std::size(kFlagOptions)); ++i)
    AppendFormatted(page, kLngFirstLine + i, doc.settings.Get(kFlagOptions[i]) ? u"true" : u"false");
  AppendFormatted(page, kTileUrlLine, EscapeForScriptString(inputs.services.tiles));
  AppendFormatted(page, kRouteHostLine, EscapeForScriptString(inputs.services.routes));
  AppendFormatted(page, kAddressHostLine, EscapeForScriptString(inputs.services.addresses));

  AppendTextAsUtf8(page, LoadText(kLoadMarkerStart));
  AppendMarkerLines(page, doc);
  page += MapResource(kMapPageEndFirst + language);
  return page;
}

Text EscapeForScriptString(TextView name) {
  Text out;
  out.reserve(std::min(name.size() * 2, kMaxEscapedName));
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    char16_t piece[6];
    std::size_t length = 0;
    if (c == u'\'' || c == u'\\') {
      piece[length++] = u'\\';
      piece[length++] = c;
    } else if (c < 0x20 || c == 0x7F || c == u'<' || c == u'>' || c == u'&' || c == u'"' || c == 0x2028 ||
               c == 0x2029) {
      static constexpr char16_t kDigits[] = u"0123456789abcdef";
      for (char16_t u : {u'\\', u'u', u'0', u'0'}) piece[length++] = u;
      piece[2] = kDigits[c >> 12];
      piece[3] = kDigits[(c >> 8) & 15];
      piece[length++] = kDigits[(c >> 4) & 15];
      piece[length++] = kDigits[c & 15];
    } else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      piece[length++] = c;
      piece[length++] = name[++i];  // a pair is never cut apart
    } else {
      piece[length++] = c;
    }
    if (out.size() + length > kMaxEscapedName) break;
    out.append(piece, length);
  }
  return out;
}

}  // namespace wayloom
