// Name order without the Windows shell: the closest portable equivalent of
// StrCmpLogicalW and lstrcmpW, built on UTF-16 code units and simple case folding.
//
// What it keeps: digit runs (ASCII 0-9) compare by value, however long, leading zeros
// ignored, so "Stop 2" < "Stop 10" and "01" equals "1" in logical order; in logical order
// a digit sorts before any other character, and other characters compare without case;
// in the locale comparison white space and punctuation sort before digits and digits
// before letters, the uncased comparison decides first, then lower case sorts before
// upper case ("abc" < "ABC"), then code units.
// What it cannot keep: the locale's linguistic tables. Case folding covers ASCII,
// Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin letters; accents are
// not ignored; hyphens and apostrophes, which the Windows word sort nearly ignores, count
// as punctuation; Chinese characters sort by code point (radical-stroke order of the
// Unicode blocks), not by the stroke counts of the Traditional Chinese sort.
#pragma once

#include "platform/Collation.h"

namespace wayloom {

class PortableCollation : public Collation {
 public:
  int CompareLogical(TextView a, TextView b) const override;
  int CompareLocale(TextView a, TextView b) const override;
  // The characters' uncased weights in order, each digit run as its length and digits,
  // in an order-keeping code packed into 192 bits as far as they go.
  CollationPrefix LogicalPrefix(TextView text) const override;
};

}  // namespace wayloom
