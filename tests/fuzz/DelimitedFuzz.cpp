// Fuzzes the delimited text reader: any bytes, read as csv, asc, poi and txt, as they
// are and behind each mark (so every encoding is reached), opened and imported, must
// neither crash nor read outside the data. What a Unicode or UTF-8 file gave must survive
// a write and a second read unchanged, where the format can hold it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "formats/DelimitedFormat.h"
#include "formats/FileFormat.h"

namespace {

using namespace wayloom;

// The reader gets exactly the data and its terminator in a heap block of that size, so
// AddressSanitizer sees any read past them.
int Read(DocumentState& doc, const std::vector<std::uint8_t>& data, int format, TransferMode mode) {
  std::vector<std::uint8_t> buffer(data);
  const auto terminator = GetFileFormat(format).terminator;
  buffer.insert(buffer.end(), terminator.begin(), terminator.end());
  buffer.shrink_to_fit();
  SilentUi ui;
  ReadContext context{doc, ui, nullptr, nullptr, format};
  ReadDelimited(context, buffer, data.size(), mode);
  return context.format;
}

// Rows the format cannot carry back: a tab-separated name that starts a comment, a quoted
// name of quotes only (n quotes are written as one run of 2n + 2, which reads as n + 1), a
// line that quoting stretches past the 303 characters a reader keeps, a lone surrogate in
// UTF-8.
bool Survives(const DocumentState& doc, int format) {
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const TextView name = doc.table.Row(row).Name();
    if (format >= 18 && name.front() == u';') return false;
    std::size_t quotes = 0;
    for (char16_t c : name) {
      quotes += c == u'"';
      if ((c >= 0xD800 && c <= 0xDFFF) && (format - 9) % 3 == 2) return false;
    }
    if (name.size() + quotes > 250 || (format < 18 && quotes == name.size())) return false;
  }
  return true;
}

void CheckRoundTrip(const DocumentState& doc, int format) {
  if ((format - 9) % 3 == 0 || doc.table.Empty() || !Survives(doc, format)) return;
  MemoryFile file;
  BufferedWriter writer(file);
  WriteContext writing{doc, writer, TransferMode::Save, nullptr, nullptr, format};
  if (WriteDelimited(writing) != 0) std::abort();
  DocumentState again;
  again.settings.Set(Option::LngFirst, doc.settings.Get(Option::LngFirst));
  if (Read(again, file.bytes_, 5 + (format - 9) / 3, TransferMode::Open) != format) std::abort();
  if (again.table.RowCount() != doc.table.RowCount()) std::abort();
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const auto& a = doc.table.Row(row);
    const auto& b = again.table.Row(row);
    for (int column : {kNameColumn, kLongitudeColumn, kLatitudeColumn})
      if (a.Cell(column) != b.Cell(column)) std::abort();
    if (a.status != b.status) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> plain(data, data + size);
  std::vector<std::uint8_t> unicode = {0xFF, 0xFE}, utf8 = {0xEF, 0xBB, 0xBF};
  unicode.insert(unicode.end(), data, data + size);
  utf8.insert(utf8.end(), data, data + size);
  for (const auto* bytes : {&plain, &unicode, &utf8}) {
    for (int format = 5; format <= 8; ++format) {
      DocumentState imported;
      imported.settings.Set(Option::CheckName, true);
      imported.settings.Set(Option::LngFirst, size % 2 == 1);
      Read(imported, *bytes, format, TransferMode::Import);
      DocumentState doc;
      doc.settings.Set(Option::LngFirst, size % 2 == 1);
      CheckRoundTrip(doc, Read(doc, *bytes, format, TransferMode::Open));
    }
  }
  return 0;
}
