#include "core/InternedText.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace wayloom {

namespace {

// The process's texts: blocks of units that are never freed (a cell may hold any of them
// at any time), found again through an open-addressing table of their addresses. Like the
// tables whose cells use it, it is used from one thread.
class TextPool {
 public:
  // Reserved once, so that reading a text never meets a block list being moved; 65536
  // blocks of 65536 units are far more texts than memory holds.
  TextPool() { blocks_.reserve(kMaxBlocks); }

  std::uint32_t Intern(TextView text) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    std::size_t slot = Hash(text) & (slots_.size() - 1);
    for (; slots_[slot]; slot = (slot + 1) & (slots_.size() - 1))
      if (View(slots_[slot]) == text) return slots_[slot];
    const std::uint32_t handle = Store(text);
    if (handle) {
      ++count_;
      slots_[slot] = handle;
    }
    return handle;
  }

  TextView View(std::uint32_t handle) const {
    const char16_t* stored = blocks_[(handle - 1) >> 16].get() + ((handle - 1) & 0xFFFF);
    return TextView(stored + 1, stored[0]);
  }

 private:
  static constexpr std::size_t kBlockUnits = std::size_t{1} << 16;
  static constexpr std::size_t kMaxBlocks = (std::size_t{1} << 16) - 1;  // handles stay below 2^32

  static std::size_t Hash(TextView text) { return std::hash<TextView>{}(text); }

  std::uint32_t Store(TextView text) {
    const std::size_t needed = text.size() + 1;
    if (blocks_.empty() || kBlockUnits - used_ < needed) {
      if (blocks_.size() == kMaxBlocks) return 0;
      blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(std::max(kBlockUnits, needed)));
      used_ = 0;
    }
    char16_t* stored = blocks_.back().get() + used_;
    stored[0] = static_cast<char16_t>(text.size());
    std::memcpy(stored + 1, text.data(), text.size() * sizeof(char16_t));
    const auto handle = static_cast<std::uint32_t>(((blocks_.size() - 1) << 16) + used_ + 1);
    used_ += needed;
    return handle;
  }

  void Grow() {
    std::vector<std::uint32_t> old(slots_.empty() ? 1024 : slots_.size() * 2, 0);
    old.swap(slots_);
    for (std::uint32_t handle : old) {
      if (!handle) continue;
      std::size_t slot = Hash(View(handle)) & (slots_.size() - 1);
      while (slots_[slot]) slot = (slot + 1) & (slots_.size() - 1);
      slots_[slot] = handle;
    }
  }

  std::vector<std::uint32_t> slots_;
  std::size_t count_ = 0;
  std::vector<std::unique_ptr<char16_t[]>> blocks_;
  std::size_t used_ = 0;
};

TextPool& Pool() {
  static TextPool* pool = new TextPool;  // outlives every table, including static ones
  return *pool;
}

}  // namespace

void InternedText::Assign(TextView text) {
  if (text.size() > kMaxUnits) text = text.substr(0, kMaxUnits);
  handle_ = text.empty() ? 0 : Pool().Intern(text);
}

TextView InternedText::Stored(std::uint32_t handle) { return Pool().View(handle); }

}  // namespace wayloom
