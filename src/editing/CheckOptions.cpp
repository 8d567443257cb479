#include "editing/CheckOptions.h"

#include <algorithm>
#include <limits>

#include "core/TextRules.h"

namespace wayloom {

std::int32_t CheckThreshold(unsigned value, DistanceUnit unit) {
  // Exact integer arithmetic: 1609.344 = 1609344 / 1000 and 0.3048 = 3048 / 10000.
  const auto v = static_cast<std::uint64_t>(value);
  std::uint64_t metres = v;
  switch (unit) {
    case DistanceUnit::Kilometre: metres = v * 1000; break;
    case DistanceUnit::Metre: break;
    case DistanceUnit::Mile: metres = v * 1609344 / 1000; break;
    case DistanceUnit::Foot: metres = v * 3048 / 10000; break;
  }
  constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());
  return static_cast<std::int32_t>(std::min(metres, kMax));
}

DistanceUnit CheckUnitForRadio(bool largeUnitRadio, bool metric) {
  if (metric) return largeUnitRadio ? DistanceUnit::Kilometre : DistanceUnit::Metre;
  return largeUnitRadio ? DistanceUnit::Mile : DistanceUnit::Foot;
}

CheckDialogControls CheckDialogEnabling(const CheckOptions& shown, std::size_t rowCount) {
  const bool pairs = rowCount >= 2;
  const bool near = pairs && shown.nearDistance;
  return {pairs, near, shown.blankCoordinates || (pairs && (shown.similarNames || shown.nearDistance))};
}

int AcceptCheckOptions(CheckOptions& options, TextView distanceText) {
  if (!options.nearDistance) return 0;
  Text text(distanceText);
  CleanText(text);
  if (text.size() > kMaxCheckDistanceDigits) return kCheckDistanceFormatMessage;
  unsigned value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return kCheckDistanceFormatMessage;
    value = value * 10 + static_cast<unsigned>(c - u'0');
  }
  options.distanceValue = value;
  options.threshold = CheckThreshold(value, options.distanceUnit);
  return 0;
}

}  // namespace wayloom
