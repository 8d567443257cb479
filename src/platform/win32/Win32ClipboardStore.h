// The system clipboard: the row formats registered by the program's and the companion
// editor's display names, and CF_UNICODETEXT. Blocks are movable global memory.
#pragma once

#include <windows.h>

#include "platform/ClipboardStore.h"

namespace wayloom {

class Win32ClipboardStore : public ClipboardStore {
 public:
  // owner: the window that opens the clipboard and owns what is put on it (EmptyClipboard
  // makes it the owner; without one SetClipboardData would fail).
  explicit Win32ClipboardStore(HWND owner);

  bool Open() override;
  void Close() override;
  bool Empty() override;
  bool Put(ClipboardFormat format, std::vector<std::uint8_t> bytes) override;
  bool Has(ClipboardFormat format) override;
  std::optional<std::vector<std::uint8_t>> Get(ClipboardFormat format) override;

 private:
  UINT FormatId(ClipboardFormat format) const;  // 0 when the name could not be registered

  HWND owner_;
  UINT ownRows_;
  UINT siblingRows_;
};

}  // namespace wayloom
