// Compact storage for one table cell. Coordinate texts are short ("121.50000",
// "E 121.50000"), so up to 11 UTF-16 units live inside the object (24 bytes) and a
// million-row table needs no allocation for them; longer texts (most names) take one
// exact-size block. Order texts are shorter still ("123456") and keep 7 units inside
// 16 bytes.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/Text.h"

namespace wayloom {

// Blocks for the longer cell texts. A million names are a million small blocks: they come
// from chunks in sizes of four units, without the general heap's per-block header and
// search. Freed blocks are kept for the next texts of their size; chunks stay for the
// process. Each thread has its own (blocks may be freed on another thread: they simply
// join that thread's lists).
char16_t* AllocateCellUnits(std::size_t units);
void FreeCellUnits(char16_t* block, std::size_t units) noexcept;

template <std::size_t InlineUnits>
class BasicCellText {
  static_assert(InlineUnits * sizeof(char16_t) >= sizeof(char16_t*), "the heap address lives in the units");

 public:
  static constexpr std::size_t kInlineUnits = InlineUnits;
  static constexpr std::size_t kMaxUnits = 0xFFFF;

  BasicCellText() noexcept : units_(), size_(0) {}
  explicit BasicCellText(TextView text) : size_(0) { Assign(text); }
  BasicCellText(const BasicCellText& other) : size_(0) { Assign(other.View()); }
  BasicCellText(BasicCellText&& other) noexcept : size_(other.size_) {
    std::memcpy(units_, other.units_, sizeof units_);
    other.size_ = 0;
  }
  BasicCellText& operator=(const BasicCellText& other) {
    if (this != &other) Assign(other.View());
    return *this;
  }
  BasicCellText& operator=(BasicCellText&& other) noexcept {
    if (this != &other) {
      Release();
      size_ = other.size_;
      std::memcpy(units_, other.units_, sizeof units_);
      other.size_ = 0;
    }
    return *this;
  }
  ~BasicCellText() { Release(); }

  // Texts longer than kMaxUnits are cut (never the case for names or coordinates).
  void Assign(TextView text) {
    std::size_t n = text.size() > kMaxUnits ? kMaxUnits : text.size();
    if (n == size_ && n > 0 && std::memcmp(Data(), text.data(), n * sizeof(char16_t)) == 0) return;
    Release();
    if (n > kInlineUnits) {
      char16_t* heap = AllocateCellUnits(n);
      std::memcpy(heap, text.data(), n * sizeof(char16_t));
      std::memcpy(units_, &heap, sizeof heap);
    } else if (n > 0) {
      std::memcpy(units_, text.data(), n * sizeof(char16_t));
    }
    size_ = static_cast<std::uint16_t>(n);
  }
  void Clear() {
    Release();
    size_ = 0;
  }

  TextView View() const { return TextView(Data(), size_); }
  operator TextView() const { return View(); }
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  Text Str() const { return Text(View()); }

 private:
  char16_t* Heap() const {
    char16_t* heap;
    std::memcpy(&heap, units_, sizeof heap);
    return heap;
  }
  const char16_t* Data() const { return size_ > kInlineUnits ? Heap() : units_; }
  void Release() {
    if (size_ > kInlineUnits) FreeCellUnits(Heap(), size_);
  }

  // Inline units, or (for longer texts) the address of the heap block in their first
  // bytes, then the size: no padding.
  char16_t units_[kInlineUnits];
  std::uint16_t size_;
};

using CellText = BasicCellText<11>;
using ShortCellText = BasicCellText<7>;
static_assert(sizeof(CellText) == 24 && sizeof(ShortCellText) == 16);

}  // namespace wayloom
