#include "platform/win32/Win32ClipboardStore.h"

#include <cstring>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {

namespace {

constexpr int kOwnRowsFormatName = 14288;      // "Wayloom"
constexpr int kSiblingRowsFormatName = 14290;  // "Pinloom"

UINT RegisterFormat(int nameId) { return RegisterClipboardFormatW(WidePointer(Text(LoadText(nameId)))); }

}  // namespace

Win32ClipboardStore::Win32ClipboardStore(HWND owner)
    : owner_(owner), ownRows_(RegisterFormat(kOwnRowsFormatName)), siblingRows_(RegisterFormat(kSiblingRowsFormatName)) {}

UINT Win32ClipboardStore::FormatId(ClipboardFormat format) const {
  switch (format) {
    case ClipboardFormat::OwnRows: return ownRows_;
    case ClipboardFormat::SiblingRows: return siblingRows_;
    case ClipboardFormat::UnicodeText: return CF_UNICODETEXT;
  }
  return 0;
}

bool Win32ClipboardStore::Open() { return OpenClipboard(owner_) != FALSE; }

void Win32ClipboardStore::Close() { CloseClipboard(); }

bool Win32ClipboardStore::Empty() { return EmptyClipboard() != FALSE; }

bool Win32ClipboardStore::Put(ClipboardFormat format, std::vector<std::uint8_t> bytes) {
  const UINT id = FormatId(format);
  if (id == 0) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.empty() ? 1 : bytes.size());
  if (!block) return false;
  void* data = GlobalLock(block);
  if (!data) {
    GlobalFree(block);
    return false;
  }
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(block);
  // The clipboard owns the block once it is accepted; a refused block is still ours.
  if (!SetClipboardData(id, block)) {
    GlobalFree(block);
    return false;
  }
  return true;
}

bool Win32ClipboardStore::Has(ClipboardFormat format) {
  const UINT id = FormatId(format);
  return id != 0 && IsClipboardFormatAvailable(id);
}

std::optional<std::vector<std::uint8_t>> Win32ClipboardStore::Get(ClipboardFormat format) {
  const UINT id = FormatId(format);
  if (id == 0) return std::nullopt;
  HANDLE handle = GetClipboardData(id);
  if (!handle) return std::nullopt;
  const SIZE_T size = GlobalSize(handle);
  const auto* data = static_cast<const std::uint8_t*>(GlobalLock(handle));
  if (!data) return std::nullopt;
  std::vector<std::uint8_t> bytes(data, data + size);
  GlobalUnlock(handle);
  return bytes;
}

}  // namespace wayloom
