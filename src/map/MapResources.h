// The map page's resource texts 19000-19010 (page head, application, one page end per map
// language), built into the program from resources/map at build time.
#pragma once

#include <string_view>

namespace wayloom {

enum MapResourceId : int {
  kMapPageHead = 19000,
  kMapApplication = 19001,
  kMapPageEndFirst = 19002,  // + the map language index 0..8
};

// The resource's UTF-8 bytes; empty for an unknown id.
std::string_view MapResource(int id);

}  // namespace wayloom
