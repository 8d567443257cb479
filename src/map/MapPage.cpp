#include "map/MapPage.h"

#include "map/MapResources.h"

namespace wayloom {

MapServices ReadMapServices(const Profile* profile) { return {}; }

std::string BuildMapPage(const MapPageInputs& inputs) {
  std::string page(MapResource(kMapPageHead));
  page += MapResource(kMapApplication);
  page += MapResource(kMapPageEndFirst + inputs.doc.settings.googleMapsLang);
  return page;
}

Text EscapeForScriptString(TextView name) { return Text(name); }

}  // namespace wayloom
