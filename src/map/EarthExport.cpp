#include "map/EarthExport.h"

namespace wayloom {

bool WriteEarthFile(CommandContext& context, TextView path) { return false; }

}  // namespace wayloom
