// Fuzzes the Garmin POI reader: any bytes, opened and imported, must neither crash nor read
// outside the data, and every row read must be a valid entry with status 2.
#include <cstdint>
#include <vector>

#include "FuzzSupport.h"
#include "formats/GpiFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  for (TransferMode mode : {TransferMode::Open, TransferMode::Import}) {
    // A heap block of exactly the data, so AddressSanitizer sees any read past it.
    std::vector<std::uint8_t> buffer(data, data + size);
    DocumentState doc;
    doc.settings.Set(Option::CheckName, mode == TransferMode::Import);
    SilentUi ui;
    ReadContext context{doc, ui, nullptr};
    const int result = ReadGpi(context, buffer, buffer.size(), mode);
    if (result != 0 && result != 14219 && result != 14225) std::abort();
    if (result != 0 && !doc.table.Empty()) std::abort();  // only the header checks fail
    CheckPoiRows(doc);
  }
  return 0;
}
