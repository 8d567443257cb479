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
  const char16_t* Intern(TextView text) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    std::size_t slot = Hash(text) & (slots_.size() - 1);
    for (; slots_[slot]; slot = (slot + 1) & (slots_.size() - 1))
      if (View(slots_[slot]) == text) return slots_[slot];
    ++count_;
    return slots_[slot] = Store(text);
  }

 private:
  static constexpr std::size_t kBlockUnits = std::size_t{1} << 16;

  static TextView View(const char16_t* stored) { return TextView(stored + 1, stored[0]); }
  static std::size_t Hash(TextView text) { return std::hash<TextView>{}(text); }

  const char16_t* Store(TextView text) {
    const std::size_t needed = text.size() + 1;
    if (blocks_.empty() || kBlockUnits - used_ < needed) {
      blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(std::max(kBlockUnits, needed)));
      used_ = 0;
    }
    char16_t* stored = blocks_.back().get() + used_;
    stored[0] = static_cast<char16_t>(text.size());
    std::memcpy(stored + 1, text.data(), text.size() * sizeof(char16_t));
    used_ += needed;
    return stored;
  }

  void Grow() {
    std::vector<const char16_t*> old(slots_.empty() ? 1024 : slots_.size() * 2, nullptr);
    old.swap(slots_);
    for (const char16_t* stored : old) {
      if (!stored) continue;
      std::size_t slot = Hash(View(stored)) & (slots_.size() - 1);
      while (slots_[slot]) slot = (slot + 1) & (slots_.size() - 1);
      slots_[slot] = stored;
    }
  }

  std::vector<const char16_t*> slots_;
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
  stored_ = text.empty() ? nullptr : Pool().Intern(text);
}

}  // namespace wayloom
