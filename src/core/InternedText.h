// A cell whose texts repeat across rows: the distance column holds one text per tenth of a
// kilometre or mile (or per metre or foot below that), so a million rows share a few
// hundred thousand texts at most. Each text is stored once for the whole process and a
// cell keeps only its address: 8 bytes a row instead of a whole cell.
#pragma once

#include "core/Text.h"

namespace wayloom {

class InternedText {
 public:
  static constexpr std::size_t kMaxUnits = 0xFFFF;

  // Texts longer than kMaxUnits are cut.
  void Assign(TextView text);
  void Clear() { stored_ = nullptr; }
  TextView View() const { return stored_ ? TextView(stored_ + 1, stored_[0]) : TextView(); }
  bool empty() const { return stored_ == nullptr; }

 private:
  const char16_t* stored_ = nullptr;  // the length, then the units; never freed
};

}  // namespace wayloom
