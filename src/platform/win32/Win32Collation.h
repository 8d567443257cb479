// Name order on Windows: the shell's logical comparison and the locale's comparison.
#pragma once

#include <string>

#include "platform/Collation.h"

namespace wayloom {

class Win32Collation : public Collation {
 public:
  int CompareLogical(TextView a, TextView b) const override;  // StrCmpLogicalW
  int CompareLocale(TextView a, TextView b) const override;   // lstrcmpW
  // CompareStringW (user default locale, flags 0x30005) == CSTR_EQUAL.
  bool EqualIgnoringCaseSymbolsWidth(TextView a, TextView b) const override;
  // LCMapStringW's sort key for the same locale and flags: equal keys compare equal.
  std::string LooseKey(TextView text) const override;
  void FoldCase(Text& text) const override;  // CharLowerBuffW

 private:
  // Null-terminated copies for the API, kept to spare an allocation per comparison.
  mutable std::wstring first_;
  mutable std::wstring second_;
};

}  // namespace wayloom
