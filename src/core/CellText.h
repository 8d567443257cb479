// Compact storage for the table's cells. A million-row table keeps a million names and two
// million coordinates, so a cell is 8 bytes: a name is the address of one pooled block
// holding its length and units; a coordinate is, as nearly always, its whole number of
// units and the form it is shown in, and is formatted again whenever it is read.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "core/CoordinateText.h"
#include "core/Text.h"

namespace wayloom {

// Blocks for cell texts. A million names are a million small blocks: they come from
// chunks in sizes of four units, without the general heap's per-block header and search.
// Freed blocks are kept for the next texts of their size; chunks stay for the process.
// Each thread has its own (blocks may be freed on another thread: they simply join that
// thread's lists).
char16_t* AllocateCellUnits(std::size_t units);
void FreeCellUnits(char16_t* block, std::size_t units) noexcept;

// One pooled block: the length in its first unit, then the units. Null for no text.
char16_t* StorePooledText(TextView text);  // texts longer than 0xFFFF units are cut
inline void FreePooledText(char16_t* stored) noexcept {
  if (stored) FreeCellUnits(stored, std::size_t{stored[0]} + 1);
}
// The memory a pooled text of this many units takes (its block, the length included).
inline std::size_t PooledTextBytes(std::size_t units) { return units ? (units + 4) / 4 * 4 * sizeof(char16_t) : 0; }
inline TextView PooledTextView(const char16_t* stored) { return stored ? TextView(stored + 1, stored[0]) : TextView(); }

// A text cell (names, and texts kept aside by the undo journal).
class CellText {
 public:
  static constexpr std::size_t kMaxUnits = 0xFFFF;

  CellText() noexcept = default;
  explicit CellText(TextView text) : stored_(StorePooledText(text)) {}
  CellText(const CellText& other) : stored_(StorePooledText(other.View())) {}
  CellText(CellText&& other) noexcept : stored_(other.stored_) { other.stored_ = nullptr; }
  CellText& operator=(const CellText& other) {
    if (this != &other) Assign(other.View());
    return *this;
  }
  CellText& operator=(CellText&& other) noexcept {
    if (this != &other) {
      FreePooledText(stored_);
      stored_ = other.stored_;
      other.stored_ = nullptr;
    }
    return *this;
  }
  ~CellText() { FreePooledText(stored_); }

  // Texts longer than kMaxUnits are cut (never the case for names or coordinates).
  void Assign(TextView text) {
    if (text == View()) return;
    char16_t* stored = StorePooledText(text);
    FreePooledText(stored_);
    stored_ = stored;
  }
  void Clear() {
    FreePooledText(stored_);
    stored_ = nullptr;
  }

  TextView View() const { return PooledTextView(stored_); }
  operator TextView() const { return View(); }
  bool empty() const { return stored_ == nullptr; }
  std::size_t size() const { return stored_ ? stored_[0] : 0; }
  Text Str() const { return Text(View()); }

 private:
  char16_t* stored_ = nullptr;
};

// The text of a cell as read from the table: a view of stored units, or units formatted
// into the object itself (coordinates and Order numbers are stored as numbers). Keep the
// object, not a TextView of it, for as long as the text is used.
class CellValue : public TextView {
 public:
  static constexpr std::size_t kFormattedUnits = 40;

  CellValue() = default;
  explicit CellValue(TextView stored) : TextView(stored) {}
  CellValue(const CellValue& other) : TextView() { CopyFrom(other); }
  CellValue& operator=(const CellValue& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }

  const TextView& View() const { return *this; }
  // Room for a formatted text; Formatted(length) then makes it the value.
  char16_t* Buffer() { return formatted_; }
  void Formatted(std::size_t length) { static_cast<TextView&>(*this) = TextView(formatted_, length); }

 private:
  void CopyFrom(const CellValue& other) {
    if (other.data() == other.formatted_) {
      std::memcpy(formatted_, other.formatted_, other.size() * sizeof(char16_t));
      Formatted(other.size());
    } else {
      static_cast<TextView&>(*this) = other.View();
    }
  }

  char16_t formatted_[kFormattedUnits];
};

// A coordinate cell: empty, units with their display form, or (for a text that is not
// the display form of any whole number of units) the text itself in a pooled block.
class CoordinateCell {
 public:
  CoordinateCell() noexcept = default;
  CoordinateCell(const CoordinateCell& other) : bits_(other.bits_) {
    if (IsStoredText()) bits_ = FromPointer(StorePooledText(PooledTextView(Stored())));
  }
  CoordinateCell(CoordinateCell&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
  CoordinateCell& operator=(const CoordinateCell& other) {
    if (this != &other) {
      CoordinateCell copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  CoordinateCell& operator=(CoordinateCell&& other) noexcept {
    if (this != &other) {
      Release();
      bits_ = other.bits_;
      other.bits_ = 0;
    }
    return *this;
  }
  ~CoordinateCell() { Release(); }

  // Units beyond 32 bits, which no coordinate has, are kept as their text.
  void SetUnits(Axis axis, std::int64_t units, CoordinateFormat format);
  // Any text; kept as units when it is exactly the display form of its units.
  void Assign(Axis axis, TextView text);
  void Clear() {
    Release();
    bits_ = 0;
  }

  bool empty() const { return bits_ == 0; }
  bool HasUnits() const { return (bits_ & kUnitsTag) != 0; }
  std::int32_t Units() const { return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits_ >> 32)); }
  CoordinateFormat Format() const { return {(bits_ & kDmsBit) != 0, (bits_ & kCompassBit) != 0}; }
  CellValue Value(Axis axis) const;
  // The units whose "%.5f" text is the decimal text the writers make of this cell's text
  // read in the document's format, when the cell's own form makes that certain.
  std::optional<std::int32_t> DecimalUnits(CoordinateFormat documentFormat) const {
    const CoordinateFormat own = Format();
    if (!HasUnits() || own.dms || documentFormat.dms || (own.compass && !documentFormat.compass)) return std::nullopt;
    return Units();
  }

 private:
  static constexpr std::uint64_t kUnitsTag = 1, kDmsBit = 2, kCompassBit = 4;

  bool IsStoredText() const { return bits_ != 0 && !HasUnits(); }
  char16_t* Stored() const { return reinterpret_cast<char16_t*>(static_cast<std::uintptr_t>(bits_)); }
  static std::uint64_t FromPointer(char16_t* stored) { return reinterpret_cast<std::uintptr_t>(stored); }
  void Release() {
    if (IsStoredText()) FreePooledText(Stored());
  }

  // Pooled blocks are at least 2-byte aligned, so a stored text never has the units tag.
  std::uint64_t bits_ = 0;
};

// The signed "%.5f" decimal text of a coordinate cell, as AppendDecimalBytes and
// AppendDecimalText make it of the cell's text, appended.
void AppendCellDecimal(std::string& out, const CoordinateCell& cell, Axis axis, CoordinateFormat documentFormat);
void AppendCellDecimal(Text& out, const CoordinateCell& cell, Axis axis, CoordinateFormat documentFormat);

}  // namespace wayloom
