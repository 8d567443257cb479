#include "core/LargeMemory.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace wayloom {

void AdviseLargeBlock(void* data, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  if (bytes < 2 * kHugePage) return;
  // Only the whole huge pages inside the block.
  const auto begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

}  // namespace wayloom
