// The system clipboard as the row commands use it: open, empty, put data under a format,
// test for a format, get data, close. Windows has the real clipboard; tests use memory.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace wayloom {

enum class ClipboardFormat {
  OwnRows,      // the program's row format, registered as "Wayloom"
  SiblingRows,  // the companion editor's row format, registered as "Pinloom" (read only)
  UnicodeText   // CF_UNICODETEXT: UTF-16LE with a terminating NUL
};

class ClipboardStore {
 public:
  virtual ~ClipboardStore() = default;
  // Open must succeed before the other calls; Close always follows a successful Open.
  virtual bool Open() = 0;
  virtual void Close() = 0;
  virtual bool Empty() = 0;
  // Puts bytes under the format (after Empty); false when the block cannot be handed over.
  virtual bool Put(ClipboardFormat format, std::vector<std::uint8_t> bytes) = 0;
  // Whether data of the format is there; needs no Open.
  virtual bool Has(ClipboardFormat format) = 0;
  // The data's bytes (the whole block, which may be larger than its content); nullopt
  // when the format is absent.
  virtual std::optional<std::vector<std::uint8_t>> Get(ClipboardFormat format) = 0;
};

}  // namespace wayloom
