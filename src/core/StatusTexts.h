// The texts of the main window's status bar: the row counter, the clock and the rule that
// shortens every text shown in part 0.
#pragma once

#include "core/Text.h"

namespace wayloom {

// "  行程  3 - 2 / 40  ": the current row (1-based, 0 for none), the selected rows and the
// row count, after label.
Text RowCounterText(TextView label, long long current, long long selected, long long rows);
// "  PM 12:05  ": a twelve-hour clock (hour 0 shows 12); separator is ':' or ' '.
Text ClockText(int hour, int minute, char16_t separator);
// A text for part 0: a final ideographic full stop, or one final full stop that is not part
// of a run, is dropped unless the text is empty or begins with a space; at most 254 units.
Text ShortenedStatusText(TextView text);

}  // namespace wayloom
