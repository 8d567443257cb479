// The options of the itinerary checks and the rules of their dialog (6006): which boxes
// can be ticked, and the distance the near-distance check reads from its edit.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/Text.h"

namespace wayloom {

// The choices of the check dialog 6006, kept for the program's lifetime (not saved).
enum class DistanceUnit { Kilometre, Metre, Mile, Foot };
struct CheckOptions {
  bool similarNames = false;      // 5200
  bool nearDistance = false;      // 5201
  bool blankCoordinates = false;  // 5205
  unsigned distanceValue = 0;     // edit 5202, at most 9 digits
  DistanceUnit distanceUnit = DistanceUnit::Kilometre;  // radios 5203 / 5204
  int threshold = 0;              // metres, derived on OK
};

constexpr int kCheckDistanceFormatMessage = 14297;  // "距離的數字格式錯誤"
constexpr std::size_t kMaxCheckDistanceDigits = 9;

// The check dialog 6006. The window copies between its controls and CheckOptions; the
// decisions are here.

// Metres of value in unit: km x 1000, m, mi x 1609.344 and ft x 0.3048, truncated. A count
// beyond the signed 32-bit range becomes INT32_MAX (every located pair is then near).
std::int32_t CheckThreshold(unsigned value, DistanceUnit unit);
// The unit of radio 5203 (the large unit) or 5204 under the "Metric Unit" setting.
DistanceUnit CheckUnitForRadio(bool largeUnitRadio, bool metric);
inline bool IsLargeCheckUnit(DistanceUnit unit) { return unit == DistanceUnit::Kilometre || unit == DistanceUnit::Mile; }

struct CheckDialogControls {
  bool pairChecks;  // 5200 and 5201: with fewer than 2 rows they are unticked and disabled
  bool distance;    // edit 5202 and radios 5203/5204: while 5201 is ticked
  bool ok;          // while some box is ticked
};
CheckDialogControls CheckDialogEnabling(const CheckOptions& shown, std::size_t rowCount);
// OK pressed: options holds the three boxes and the unit as shown. With nearDistance the
// edit text, cleaned, must be at most 9 digits (empty means 0); then distanceValue and
// threshold are set and 0 returned. Otherwise 14297: the dialog shows it and stays open
// with the text selected.
int AcceptCheckOptions(CheckOptions& options, TextView distanceText);

}  // namespace wayloom
