#include "editing/RowTransfer.h"

#include <algorithm>

#include "core/CoordinateText.h"
#include "core/StringTable.h"
#include "core/UndoJournal.h"

namespace wayloom {
namespace {

constexpr int kReceivingText = 13171;        // "正在接收行程的資料..."
constexpr int kFavouriteAddressString = 14307;  // "tomtomhome:geo:lat=%s&long=%s&name=%s"
constexpr std::size_t kFavouriteNameUnits = 256;
constexpr std::size_t kFavouriteNameBytes = 768;

void Append(std::vector<char16_t>& block, TextView text) {
  block.insert(block.end(), text.begin(), text.end());
  block.push_back(u'\0');
}

Text DecimalCell(const DocumentState& doc, std::size_t row, int column) {
  const CellValue cell = doc.table.Cell(row, column);
  return cell.empty() ? Text() : DisplayToDecimal(cell, doc.Format());
}

// Reads the strings of a block one after the other; a string that runs to the block's end
// without its NUL is not a string.
class StringReader {
 public:
  explicit StringReader(std::span<const char16_t> block) : block_(block) {}
  std::optional<TextView> Next() {
    const auto end = std::find(block_.begin() + static_cast<std::ptrdiff_t>(at_), block_.end(), u'\0');
    if (end == block_.end()) return std::nullopt;
    const std::size_t length = static_cast<std::size_t>(end - block_.begin()) - at_;
    TextView text(block_.data() + at_, length);
    at_ += length + 1;
    return text;
  }

 private:
  std::span<const char16_t> block_;
  std::size_t at_ = 0;
};

// The UTF-8 bytes of text, stopping before a character that would pass limit bytes.
std::string Utf8Bytes(TextView text, std::size_t limit) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;  // a lone surrogate
    }
    std::string encoded;
    if (c < 0x80) {
      encoded = static_cast<char>(c);
    } else if (c < 0x800) {
      encoded = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      encoded = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                 static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      encoded = {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                 static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    if (bytes.size() + encoded.size() > limit) break;
    bytes += encoded;
  }
  return bytes;
}

}  // namespace

std::vector<char16_t> BuildTransferBlock(const DocumentState& doc, TransferLayout layout) {
  const ItineraryTable& table = doc.table;
  const std::size_t selected = std::max<std::size_t>(table.SelectedCount(), 1);
  std::vector<char16_t> block;
  block.reserve(selected * kTransferRowBytes / 2);
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    if (!table.Row(row).selected) continue;
    Text name(table.Cell(row, kNameColumn).substr(0, kTransferNameUnits));
    if (layout == TransferLayout::OwnDrag)
      name.insert(name.begin(), static_cast<char16_t>((table.Row(row).status & kStatusDestination) + 1));
    Append(block, name);
    Append(block, DecimalCell(doc, row, kLongitudeColumn));
    Append(block, DecimalCell(doc, row, kLatitudeColumn));
  }
  block.push_back(u'\0');
  block.resize(std::max(block.size(), selected * kTransferRowBytes / 2), u'\0');
  return block;
}

std::vector<ClipboardRow> ReadTransferBlock(std::span<const char16_t> block, TransferLayout layout) {
  StringReader reader(block);
  std::vector<ClipboardRow> rows;
  const int extraStrings = layout == TransferLayout::SiblingDrag ? 2 : 0;
  while (true) {
    const std::optional<TextView> name = reader.Next();
    if (!name || name->empty()) break;
    ClipboardRow row;
    TextView nameText = *name;
    if (layout == TransferLayout::OwnDrag) {
      row.status = static_cast<std::uint16_t>(nameText[0] - 1);
      nameText.remove_prefix(1);
    }
    row.name = Text(nameText.substr(0, kTransferNameUnits));
    const std::optional<TextView> longitude = reader.Next();
    const std::optional<TextView> latitude = longitude ? reader.Next() : std::nullopt;
    if (!latitude) break;
    bool complete = true;
    for (int k = 0; k < extraStrings && complete; ++k) complete = reader.Next().has_value();
    if (!complete) break;
    row.longitude = Text(*longitude);
    row.latitude = Text(*latitude);
    rows.push_back(std::move(row));
  }
  return rows;
}

void ReceiveTransferRows(CommandContext& context, std::span<const char16_t> block, TransferLayout layout,
                         std::optional<std::size_t> dropPosition) {
  DocumentState& doc = context.doc;
  context.ui.SetWaitCursor(true);
  context.ui.ShowStatusText(LoadText(kReceivingText));
  const std::vector<ClipboardRow> rows = ReadTransferBlock(block, layout);
  BeginUndoGroup(doc.journal);
  context.ui.SuspendRedraw(true);
  const std::size_t insertAt = dropPosition ? *dropPosition : RowInsertionPoint(doc);
  InsertReceivedRows(context, rows, layout == TransferLayout::OwnDrag ? RowBlockFormat::Own : RowBlockFormat::Sibling,
                     insertAt);
  doc.titleDirty = true;
  doc.statusResetPending = true;
  context.ui.SetWaitCursor(false);
}

Text DeviceFavouriteAddress(const DocumentState& doc, std::size_t row) {
  Text name(doc.table.Cell(row, kNameColumn).substr(0, kFavouriteNameUnits));
  std::replace_if(name.begin(), name.end(), [](char16_t c) { return c == u'%' || c == u'&'; }, u' ');
  Text encoded;
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (unsigned char byte : Utf8Bytes(name, kFavouriteNameBytes)) {
    if (byte >= 0x80 || byte == ' ') {
      encoded += {u'%', static_cast<char16_t>(kHex[byte >> 4]), static_cast<char16_t>(kHex[byte & 15])};
    } else {
      encoded += static_cast<char16_t>(byte);
    }
  }
  return FormatString(kFavouriteAddressString, {FormatArg(DecimalCell(doc, row, kLatitudeColumn)),
                                                FormatArg(DecimalCell(doc, row, kLongitudeColumn)), FormatArg(encoded)});
}

}  // namespace wayloom
