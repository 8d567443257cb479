// The map page: one HTML text assembled from the page resources, string-table formats, the
// current settings and one AddMarker line per row with both coordinates (command 1045,
// and "wayloom-cli page").
#pragma once

#include <cstdint>
#include <string>

#include "core/DocumentState.h"
#include "core/Text.h"
#include "platform/Profile.h"

namespace wayloom {

// The table's font and text colour as the information window shows them.
struct MapPageFont {
  Text face = u"Arial";
  int height = 0;  // LOGFONT height: positive in points x 96 / 72, negative in pixels, 0 default
  int weight = 400;
  bool italic = false;
  std::uint8_t red = 0, green = 0, blue = 0;
};

// The web services the page uses: the tile address template and the scheme, host and port of
// the route and address services. Defaults from the string table; [Services] "Map Tiles",
// "Routes" and "Addresses" of the ini file replace them.
struct MapServices {
  Text tiles;
  Text routes;
  Text addresses;
};
MapServices ReadMapServices(Profile* profile);

struct MapPageInputs {
  const DocumentState& doc;  // rows and settings ("Google Maps Lang" and the display options)
  MapPageFont font;
  Text programFolder;        // the folder of the program and its ini file, "\" separators
  Text mapTypeScript;        // full path of "MapTypeId4.js" when it exists as a file, else empty
  MapServices services;
};

// The map language of the settings ("Google Maps Lang", an out-of-range value read as the
// nearest) and its code ("zh-TW", ... "es").
int MapLanguage(const Settings& settings);
TextView MapLanguageCode(int language);

// The whole page as UTF-8 without a byte-order mark.
std::string BuildMapPage(const MapPageInputs& inputs);

// A row name as it goes into AddMarker('...'): "'" and "\" escaped by a "\" as documented,
// and besides them "<", ">", "&", control characters and U+2028/U+2029 as \uXXXX, so that no
// name can close the script element or the string.
Text EscapeForScriptString(TextView name);

}  // namespace wayloom
