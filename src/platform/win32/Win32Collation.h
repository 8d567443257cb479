// Name order on Windows: the shell's logical comparison and the locale's comparison.
#pragma once

#include <string>

#include "platform/Collation.h"

namespace wayloom {

class Win32Collation : public Collation {
 public:
  int CompareLogical(TextView a, TextView b) const override;  // StrCmpLogicalW
  int CompareLocale(TextView a, TextView b) const override;   // lstrcmpW

 private:
  // Null-terminated copies for the API, kept to spare an allocation per comparison.
  mutable std::wstring first_;
  mutable std::wstring second_;
};

}  // namespace wayloom
