// Fuzzes the clipboard readers with blocks another program may have put there: any bytes
// as the own and the companion's row block are read without reading past the block; a
// block that reads is pasted, copied again and must give back the same rows; any bytes as
// text give coordinates that are in range or missing.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "core/CoordinateText.h"
#include "core/RowOperations.h"
#include "editing/Clipboard.h"
#include "platform/FileStore.h"

namespace {

// Holds one block under each format, as the system clipboard would.
class BlockClipboard : public wayloom::ClipboardStore {
 public:
  bool Open() override { return true; }
  void Close() override {}
  bool Empty() override {
    for (auto& block : blocks_) block.reset();
    return true;
  }
  bool Put(wayloom::ClipboardFormat format, std::vector<std::uint8_t> bytes) override {
    blocks_[static_cast<int>(format)] = std::move(bytes);
    return true;
  }
  bool Has(wayloom::ClipboardFormat format) override { return blocks_[static_cast<int>(format)].has_value(); }
  std::optional<std::vector<std::uint8_t>> Get(wayloom::ClipboardFormat format) override {
    return blocks_[static_cast<int>(format)];
  }

 private:
  std::optional<std::vector<std::uint8_t>> blocks_[3];
};

class NoFiles : public wayloom::FileStore {
 public:
  wayloom::ReadResult ReadWholeFile(wayloom::TextView, std::vector<std::uint8_t>&, std::size_t) override {
    return wayloom::ReadResult::OpenFailed;
  }
  std::unique_ptr<wayloom::OutputFile> CreateOutput(wayloom::TextView, wayloom::CreateResult&) override {
    return nullptr;
  }
  bool Exists(wayloom::TextView) override { return false; }
  bool IsDirectory(wayloom::TextView) override { return false; }
  bool ClearReadOnly(wayloom::TextView) override { return false; }
  bool ListFolder(wayloom::TextView, std::vector<wayloom::FolderEntry>&) override { return false; }
};

// A pasted value is plain decimal text with five decimals (no range test yet); stored in
// a cell with the clearing rule it is in range or the cell is empty.
void CheckCoordinate(const std::optional<wayloom::Text>& text, wayloom::Axis axis) {
  using namespace wayloom;
  if (!text) return;
  const Text& value = *text;
  const std::size_t start = !value.empty() && value[0] == u'-' ? 1 : 0;
  const std::size_t point = value.find(u'.');
  if (point == Text::npos || point == start || value.size() != point + 6) std::abort();
  for (std::size_t i = start; i < value.size(); ++i)
    if (i != point && (value[i] < u'0' || value[i] > u'9')) std::abort();
  DocumentState doc;
  InsertRowRecorded(doc, 0, u"row", kStatusDestination, false);
  SetCoordinateFromText(doc, 0, axis, value, CoordinateSource::DegreesClearing);
  const CellValue cell = doc.table.Cell(0, axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn);
  if (cell.empty()) return;
  const auto units = CoordinateTextToUnits(cell, CoordinateFormat{});
  if (!units || *units < -AxisLimitUnits(axis) || *units > AxisLimitUnits(axis)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  // A heap block of exactly the data, so AddressSanitizer sees any read past it.
  const std::vector<std::uint8_t> block(data, data + size);
  for (RowBlockFormat format : {RowBlockFormat::Own, RowBlockFormat::Sibling}) {
    const auto rows = ReadRowBlock(block, format);
    if (!rows) continue;
    DocumentState doc;
    doc.settings.Set(Option::CheckName, format == RowBlockFormat::Sibling);
    SilentUi ui;
    NoFiles files;
    BlockClipboard clipboard;
    CommandContext context{doc, ui, files};
    context.clipboard = &clipboard;
    clipboard.Put(format == RowBlockFormat::Own ? ClipboardFormat::OwnRows : ClipboardFormat::SiblingRows, block);
    PasteRows(context);
    if (doc.table.RowCount() > rows->size()) std::abort();
    // Every pasted row is selected: copying them must give a block that reads back whole.
    const auto copied = BuildCopiedRows(doc);
    if (!copied) std::abort();
    const auto again = ReadRowBlock(copied->rowBlock, RowBlockFormat::Own);
    if (!again || again->size() != doc.table.RowCount()) std::abort();
    for (std::size_t i = 0; i < again->size(); ++i)
      if ((*again)[i].name != doc.table.Cell(i, kNameColumn)) std::abort();
  }
  const Text text = ReadTextBlock(block);
  for (bool lngFirst : {false, true}) {
    const PastedCoordinates pasted = ReadPastedCoordinates(text, lngFirst);
    CheckCoordinate(pasted.longitude, Axis::Longitude);
    CheckCoordinate(pasted.latitude, Axis::Latitude);
  }
  return 0;
}
