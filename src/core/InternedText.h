// A cell whose texts repeat across rows: the distance column holds one text per tenth of a
// kilometre or mile (or per metre or foot below that), so a million rows share a few
// hundred thousand texts at most. Each text is stored once for the whole process and a
// cell keeps only its number: 4 bytes a row instead of a whole cell.
#pragma once

#include <cstdint>

#include "core/Text.h"

namespace wayloom {

class InternedText {
 public:
  static constexpr std::size_t kMaxUnits = 0xFFFF;

  // Texts longer than kMaxUnits are cut.
  void Assign(TextView text);
  void Clear() { handle_ = 0; }
  TextView View() const { return handle_ ? Stored(handle_) : TextView(); }
  bool empty() const { return handle_ == 0; }

 private:
  static TextView Stored(std::uint32_t handle);

  std::uint32_t handle_ = 0;  // 0 for no text, else 1 + the block's number * 65536 + the offset in it
};

}  // namespace wayloom
