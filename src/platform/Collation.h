// How names compare when the table is sorted. Windows has the shell's logical order and
// the locale's comparison; other platforms have their closest portable equivalent.
#pragma once

#include <compare>
#include <cstdint>

#include "core/Text.h"

namespace wayloom {

// A summary of a text's start whose order agrees with the logical comparison wherever two
// summaries differ (see Collation::LogicalPrefix).
struct CollationPrefix {
  std::uint64_t words[3] = {0, 0, 0};  // compared from the first word on
  auto operator<=>(const CollationPrefix&) const = default;
};

class Collation {
 public:
  virtual ~Collation() = default;
  // Logical order (StrCmpLogicalW): runs of digits compare by their numeric value, so
  // "Stop 2" sorts before "Stop 10"; other characters compare without regard to case.
  // Negative, zero or positive.
  virtual int CompareLogical(TextView a, TextView b) const = 0;
  // The locale's ordinary comparison (lstrcmpW), which tells case apart.
  virtual int CompareLocale(TextView a, TextView b) const = 0;
  // Lets a sort decide most comparisons without reading the texts again: when
  // LogicalPrefix(a) < LogicalPrefix(b), CompareLogical(a, b) < 0. Equal prefixes say
  // nothing. The default gives every text the same prefix.
  virtual CollationPrefix LogicalPrefix(TextView text) const { return {}; }
};

}  // namespace wayloom
