// How names compare when the table is sorted. Windows has the shell's logical order and
// the locale's comparison; other platforms have their closest portable equivalent.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

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

  // The loose equality of the similar-name check (CompareStringW with the user's locale
  // and flags 0x30005): case, symbols and white space, kana type and character width are
  // ignored. The default compares LooseKey.
  virtual bool EqualIgnoringCaseSymbolsWidth(TextView a, TextView b) const { return LooseKey(a) == LooseKey(b); }
  // A key per text for that equality, so that a scan over many names compares each pair
  // cheaply: two keys are equal exactly when EqualIgnoringCaseSymbolsWidth reports the
  // texts equal. The default keeps only ASCII letters and digits (letters lowered) and
  // every character above U+007F.
  virtual std::string LooseKey(TextView text) const {
    std::string key;
    for (char16_t c : text) {
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
      const bool kept = c > 0x7F || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
      if (kept) key.append({static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)});
    }
    return key;
  }
  // Folds text, unit for unit, for a search without regard to case (StrStrIW): a text
  // contains another without regard to case when the folded texts contain each other.
  // The default lowers ASCII letters.
  virtual void FoldCase(Text& text) const {
    for (char16_t& c : text)
      if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
  }
};

}  // namespace wayloom
