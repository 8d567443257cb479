// Fuzzes the OV2 reader and writer: any bytes, opened and imported, must neither crash nor
// read outside the data; every row read is a valid entry with status 2, and the rows
// survive a write and a second read (in the writer's area order, so compared as a set).
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <tuple>
#include <vector>

#include "FuzzSupport.h"
#include "formats/Ov2Format.h"

namespace {

using Point = std::tuple<wayloom::Text, wayloom::Text, wayloom::Text>;

int Read(wayloom::DocumentState& doc, const std::uint8_t* data, std::size_t size, wayloom::TransferMode mode) {
  // A heap block of exactly the data, so AddressSanitizer sees any read past it.
  std::vector<std::uint8_t> buffer(data, data + size);
  SilentUi ui;
  wayloom::ReadContext context{doc, ui, nullptr};
  return wayloom::ReadOv2(context, buffer, buffer.size(), mode);
}

// The rows with both coordinates, sorted; every row is checked on the way.
std::vector<Point> Points(const wayloom::DocumentState& doc) {
  using namespace wayloom;
  CheckPoiRows(doc);
  std::vector<Point> points;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const ItineraryEntry& entry = doc.table.Row(row);
    if (entry.HasBothCoordinates())
      points.emplace_back(Text(entry.Name()), Text(entry.Cell(kLongitudeColumn)), Text(entry.Cell(kLatitudeColumn)));
  }
  std::sort(points.begin(), points.end());
  return points;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  DocumentState imported;
  imported.settings.Set(Option::CheckName, true);
  const int importResult = Read(imported, data, size, TransferMode::Import);
  if (importResult != 0 && importResult != 14225) std::abort();
  Points(imported);

  DocumentState doc;
  const int result = Read(doc, data, size, TransferMode::Open);
  if (result != 0 && result != 14225) std::abort();
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext writing{doc, writer, TransferMode::Save};
  if (WriteOv2(writing) != 0) std::abort();
  DocumentState again;
  if (Read(again, file.bytes_.data(), file.bytes_.size(), TransferMode::Open) != 0) std::abort();
  if (Points(again) != Points(doc)) std::abort();
  return 0;
}
