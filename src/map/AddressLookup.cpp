#include "map/AddressLookup.h"

namespace wayloom {

Text AddressServiceHost(const Profile* profile) { return {}; }

void LookUpAddresses(CommandContext& context, const Clock& clock) {}

}  // namespace wayloom
