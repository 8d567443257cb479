// Fuzzes the KML reader: any bytes, opened and imported, must neither crash nor read
// outside the data; the located rows read must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "core/RowOperations.h"
#include "formats/KmlFormat.h"

namespace {

// The reader gets exactly the data and the terminator 00 00 in a heap block of that
// size, so AddressSanitizer sees any read past them.
int Read(wayloom::DocumentState& doc, const std::uint8_t* data, std::size_t size, wayloom::TransferMode mode) {
  std::vector<std::uint8_t> buffer(data, data + size);
  buffer.insert(buffer.end(), {0, 0});
  SilentUi ui;
  wayloom::ReadContext context{doc, ui, nullptr};
  return wayloom::ReadKml(context, buffer, size, mode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  DocumentState imported;
  imported.settings.Set(Option::CheckName, size % 2 == 1);
  Read(imported, data, size, TransferMode::Import);
  DocumentState doc;
  Read(doc, data, size, TransferMode::Open);

  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext writing{doc, writer, TransferMode::Save};
  if (WriteKml(writing) != 0) std::abort();
  DocumentState again;
  if (Read(again, file.bytes_.data(), file.bytes_.size(), TransferMode::Open) != 0) std::abort();
  // Only rows with both coordinates are written.
  std::size_t readBack = 0;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const auto& a = doc.table.Row(row);
    if (!a.HasBothCoordinates()) continue;
    if (readBack >= again.table.RowCount()) std::abort();
    const auto& b = again.table.Row(readBack++);
    for (int column : {kNameColumn, kLongitudeColumn, kLatitudeColumn})
      if (a.Cell(column) != b.Cell(column)) std::abort();
  }
  if (readBack != again.table.RowCount()) std::abort();
  return 0;
}
