// Command 1046: the selected rows (all when none is selected) as a numbered KML file for
// Google Earth. The shell opens the written file.
#pragma once

#include "core/CommandContext.h"

namespace wayloom {

// Writes the KML to path; false (after the message) when it could not be written.
bool WriteEarthFile(CommandContext& context, TextView path);

}  // namespace wayloom
