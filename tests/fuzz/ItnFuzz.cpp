// Fuzzes the ITN reader: any bytes, opened and imported, must neither crash nor read
// outside the data; whatever was read must survive a write and a second read unchanged.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "core/RowOperations.h"
#include "formats/ItnFormat.h"

namespace {

// The reader gets exactly the data and its terminator in a heap block of that size, so
// AddressSanitizer sees any read past them.
int Read(wayloom::DocumentState& doc, const std::uint8_t* data, std::size_t size, wayloom::TransferMode mode) {
  std::vector<std::uint8_t> buffer(data, data + size);
  buffer.insert(buffer.end(), std::begin(wayloom::kItnTerminator), std::end(wayloom::kItnTerminator));
  SilentUi ui;
  wayloom::ReadContext context{doc, ui, nullptr};
  return wayloom::ReadItn(context, buffer, size, mode);
}

bool HasSurrogate(wayloom::TextView name) {
  for (char16_t c : name)
    if (c >= 0xD800 && c <= 0xDFFF) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  DocumentState imported;
  imported.settings.Set(Option::CheckName, size % 2 == 1);
  Read(imported, data, size, TransferMode::Import);
  DocumentState doc;
  Read(doc, data, size, TransferMode::Open);

  // An empty itinerary writes an empty file, which does not read back (no record).
  if (doc.table.Empty()) return 0;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row)
    if (HasSurrogate(doc.table.Row(row).Name())) return 0;  // lone halves are written as U+FFFD
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext writing{doc, writer, TransferMode::Save};
  if (WriteItn(writing) != 0) std::abort();
  DocumentState again;
  if (Read(again, file.bytes_.data(), file.bytes_.size(), TransferMode::Open) != 0) std::abort();
  if (again.table.RowCount() != doc.table.RowCount()) std::abort();
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const auto& a = doc.table.Row(row);
    const auto& b = again.table.Row(row);
    for (int column : {kNameColumn, kLongitudeColumn, kLatitudeColumn})
      if (a.Cell(column) != b.Cell(column)) std::abort();
    if (a.status != b.status) std::abort();
  }
  return 0;
}
