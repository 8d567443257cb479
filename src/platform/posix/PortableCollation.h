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
//
// The loose equality of similar names (CompareStringW flags 0x30005) is built from the
// same pieces: full-width ASCII forms become ASCII, katakana (full- and half-width)
// becomes hiragana, letters are case-folded as above, and white space, punctuation and
// symbols (ASCII, Latin-1, general punctuation, the arrow, mathematical, technical,
// box-drawing, shape and dingbat blocks, CJK symbols and punctuation, CJK compatibility
// and small forms, half-width punctuation) are dropped; what is left must be equal.
// Not kept: the voiced-sound marks of half-width katakana stay separate characters, and
// accents count.
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
  // The folded text that remains (UTF-16 code units, high byte first).
  std::string LooseKey(TextView text) const override;
  void FoldCase(Text& text) const override;
};

}  // namespace wayloom
