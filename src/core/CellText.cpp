#include "core/CellText.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace wayloom {

namespace {

constexpr std::size_t kClassUnits = 4;                    // 8 bytes: room for the free-list link
constexpr std::size_t kPooledUnits = 256;                 // longer texts use the general heap
constexpr std::size_t kChunkBytes = std::size_t{1} << 16;

class CellUnitPool {
 public:
  char16_t* Allocate(std::size_t units) {
    const std::size_t size = ClassOf(units);
    if (FreeBlock*& head = free_[size]) {
      FreeBlock* block = head;
      head = block->next;
      return reinterpret_cast<char16_t*>(block);
    }
    const std::size_t bytes = size * kClassUnits * sizeof(char16_t);
    if (kChunkBytes - used_ < bytes || chunks_.empty()) {
      chunks_.push_back(std::make_unique_for_overwrite<std::max_align_t[]>(kChunkBytes / sizeof(std::max_align_t)));
      used_ = 0;
    }
    char16_t* block = reinterpret_cast<char16_t*>(reinterpret_cast<char*>(chunks_.back().get()) + used_);
    used_ += bytes;
    return block;
  }
  void Free(char16_t* units, std::size_t count) noexcept {
    FreeBlock* block = reinterpret_cast<FreeBlock*>(units);
    FreeBlock*& head = free_[ClassOf(count)];
    block->next = head;
    head = block;
  }

 private:
  struct FreeBlock {
    FreeBlock* next;
  };
  static std::size_t ClassOf(std::size_t units) { return (units + kClassUnits - 1) / kClassUnits; }

  FreeBlock* free_[kPooledUnits / kClassUnits + 1] = {};
  std::vector<std::unique_ptr<std::max_align_t[]>> chunks_;
  std::size_t used_ = 0;
};

// Never destroyed: cells of static tables may be freed after the thread's own objects.
CellUnitPool& Pool() {
  thread_local CellUnitPool* pool = new CellUnitPool;
  return *pool;
}

}  // namespace

// Under AddressSanitizer every block comes from the general heap, where overruns and
// uses after freeing are caught.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

char16_t* AllocateCellUnits(std::size_t units) {
  return kPooled && units <= kPooledUnits ? Pool().Allocate(units) : new char16_t[units];
}

void FreeCellUnits(char16_t* block, std::size_t units) noexcept {
  if (kPooled && units <= kPooledUnits)
    Pool().Free(block, units);
  else
    delete[] block;
}

char16_t* StorePooledText(TextView text) {
  if (text.empty()) return nullptr;
  const std::size_t n = text.size() > 0xFFFF ? 0xFFFF : text.size();
  char16_t* stored = AllocateCellUnits(n + 1);
  stored[0] = static_cast<char16_t>(n);
  std::memcpy(stored + 1, text.data(), n * sizeof(char16_t));
  return stored;
}

void CoordinateCell::SetUnits(Axis axis, std::int64_t units, CoordinateFormat format) {
  if (units < INT32_MIN || units > INT32_MAX) {  // never a coordinate's: kept as its text
    char16_t* stored = StorePooledText(FormatCoordinate(axis, static_cast<double>(units) / 100000.0, format));
    Release();
    bits_ = FromPointer(stored);
    return;
  }
  Release();
  bits_ = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(units)) << 32) | kUnitsTag | (format.dms ? kDmsBit : 0) |
          (format.compass ? kCompassBit : 0);
}

void CoordinateCell::Assign(Axis axis, TextView text) {
  if (text.empty()) {
    Clear();
  } else if (const auto units = DisplayTextUnits(axis, text)) {
    SetUnits(axis, units->units, units->format);
  } else if (!IsStoredText() || PooledTextView(Stored()) != text) {
    char16_t* stored = StorePooledText(text);
    Release();
    bits_ = FromPointer(stored);
  }
}

CellValue CoordinateCell::Value(Axis axis) const {
  if (!HasUnits()) return CellValue(IsStoredText() ? PooledTextView(Stored()) : TextView());
  CellValue value;
  value.Formatted(FormatCoordinateInto(axis, Units(), Format(), value.Buffer()));
  return value;
}

namespace {

template <class Out>
bool AppendUnitsDecimal(Out& out, const CoordinateCell& cell, CoordinateFormat documentFormat) {
  const auto units = cell.DecimalUnits(documentFormat);
  if (!units) return false;
  typename Out::value_type decimal[kMaxUnitsDecimalLength];
  out.append(decimal, FormatUnitsDecimalInto(*units, decimal));
  return true;
}

}  // namespace

void AppendCellDecimal(std::string& out, const CoordinateCell& cell, Axis axis, CoordinateFormat documentFormat) {
  if (!AppendUnitsDecimal(out, cell, documentFormat)) AppendDecimalBytes(out, cell.Value(axis), documentFormat);
}

void AppendCellDecimal(Text& out, const CoordinateCell& cell, Axis axis, CoordinateFormat documentFormat) {
  if (!AppendUnitsDecimal(out, cell, documentFormat)) AppendDecimalText(out, cell.Value(axis), documentFormat);
}

}  // namespace wayloom
