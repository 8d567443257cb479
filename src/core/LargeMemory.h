// Large blocks (a million-row table, a whole file read at once) backed by huge pages
// where the system offers them on request (Linux): touching such a block otherwise costs
// a page fault per 4 KiB, the largest single cost of reading a large file.
#pragma once

#include <cstddef>

namespace wayloom {

// A hint only: blocks under a few megabytes, and systems without the request, are left as
// they are. Call it before the block is first written.
void AdviseLargeBlock(void* data, std::size_t bytes);

}  // namespace wayloom
