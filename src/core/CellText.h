// Compact storage for one table cell. Coordinate, Order and Distance texts are short
// ("121.50000", "E 121.50000"), so up to 11 UTF-16 units live inside the object and a
// million-row table needs no allocation for them; longer texts (most names) take one
// exact-size block.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/Text.h"

namespace wayloom {

class CellText {
 public:
  static constexpr std::size_t kInlineUnits = 11;
  static constexpr std::size_t kMaxUnits = 0xFFFF;

  CellText() noexcept : units_(), size_(0) {}
  explicit CellText(TextView text) : size_(0) { Assign(text); }
  CellText(const CellText& other) : size_(0) { Assign(other.View()); }
  CellText(CellText&& other) noexcept : size_(other.size_) {
    std::memcpy(units_, other.units_, sizeof units_);
    other.size_ = 0;
  }
  CellText& operator=(const CellText& other) {
    if (this != &other) Assign(other.View());
    return *this;
  }
  CellText& operator=(CellText&& other) noexcept {
    if (this != &other) {
      Release();
      size_ = other.size_;
      std::memcpy(units_, other.units_, sizeof units_);
      other.size_ = 0;
    }
    return *this;
  }
  ~CellText() { Release(); }

  // Texts longer than kMaxUnits are cut (never the case for names or coordinates).
  void Assign(TextView text) {
    std::size_t n = text.size() > kMaxUnits ? kMaxUnits : text.size();
    if (n == size_ && n > 0 && std::memcmp(Data(), text.data(), n * sizeof(char16_t)) == 0) return;
    Release();
    if (n > kInlineUnits) {
      char16_t* heap = new char16_t[n];
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
    if (size_ > kInlineUnits) delete[] Heap();
  }

  // Inline units, or (for longer texts) the address of the heap block in their first
  // bytes: 24 bytes in all, with no padding.
  char16_t units_[kInlineUnits];
  std::uint16_t size_;
};

}  // namespace wayloom
