// Command 1022: the street address of each entry's coordinates from a Nominatim-compatible
// reverse service, appended to the name after "@", as one undo step.
#pragma once

#include "core/CommandContext.h"
#include "platform/Clock.h"

namespace wayloom {

// The address service's scheme, host and port: [Services] "Addresses" of the ini file, else
// the public one from the string table.
Text AddressServiceHost(Profile* profile);

// Runs the lookup over context.http on the selected rows (all rows when none is selected).
// clock paces requests to the public host (at most one a second).
void LookUpAddresses(CommandContext& context, const Clock& clock);

}  // namespace wayloom
