// The fuzz run shared by the KML and GPX readers and writers.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "formats/FileFormat.h"

namespace {

// The reader gets exactly the data and the terminator 00 00 in a heap block of that
// size, so AddressSanitizer sees any read past them.
int Read(wayloom::FormatReader reader, wayloom::DocumentState& doc, const std::uint8_t* data, std::size_t size,
         wayloom::TransferMode mode) {
  std::vector<std::uint8_t> buffer(data, data + size);
  buffer.insert(buffer.end(), {0, 0});
  SilentUi ui;
  wayloom::ReadContext context{doc, ui, nullptr};
  return reader(context, buffer, size, mode);
}

// Any bytes, opened and imported, must neither crash nor read outside the data; the
// located rows read must survive a write and a second read unchanged.
int FuzzXmlFormat(wayloom::FormatReader reader, wayloom::FormatWriter write, const std::uint8_t* data,
                  std::size_t size) {
  using namespace wayloom;
  DocumentState imported;
  imported.settings.Set(Option::CheckName, size % 2 == 1);
  Read(reader, imported, data, size, TransferMode::Import);
  DocumentState doc;
  Read(reader, doc, data, size, TransferMode::Open);

  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext writing{doc, writer, TransferMode::Save};
  if (write(writing) != 0) std::abort();
  DocumentState again;
  if (Read(reader, again, file.bytes_.data(), file.bytes_.size(), TransferMode::Open) != 0) std::abort();
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

}  // namespace
