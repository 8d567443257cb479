// Locale-independent number reading and writing. The decimal point is always '.'.
#pragma once

#include <cstdint>
#include <string>

#include "core/Text.h"

namespace wayloom {

struct ParsedNumber {
  double value = 0;
  std::size_t end = 0;  // index after the number; 0 (or the start) when none was found
  bool found = false;
};

// Reads [white space][+|-](digits[.digits] | .digits)[(e|E)[+|-]digits] from the start of
// the text; trailing text is ignored. No number gives 0 (found false). Values beyond the
// double range become +/-infinity, tiny ones 0, as strtod does.
ParsedNumber ParseDecimalPrefix(TextView text, std::size_t start = 0);
inline double ParseDecimal(TextView text) { return ParseDecimalPrefix(text).value; }

// printf("%.5f"), exactly as the C library rounds, whatever the process locale.
Text FormatFixed5(double value);

// Rounds half away from zero.
double RoundHalfAway(double value);

// Decimal text of a whole number.
Text IntegerText(long long value);

}  // namespace wayloom
