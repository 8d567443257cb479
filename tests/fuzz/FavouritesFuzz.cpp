// Fuzzes the device favourites reader: any bytes, with and without the home and recent
// places, must neither crash nor read outside the data; every row is a valid entry with
// status 2, and the read always succeeds as an ITN document.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FuzzSupport.h"
#include "formats/FavouritesFormat.h"

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  for (bool homeAndRecent : {false, true}) {
    // A heap block of exactly the data, so AddressSanitizer sees any read past it.
    std::vector<std::uint8_t> buffer(data, data + size);
    DocumentState doc;
    doc.settings.Set(Option::CheckName, homeAndRecent);
    SilentUi ui;
    ReadContext context{doc, ui, nullptr, nullptr, 0, homeAndRecent};
    if (ReadFavourites(context, buffer, buffer.size(), TransferMode::Open) != 0 || context.format != kItnFormat)
      std::abort();
    for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
      const ItineraryEntry& entry = doc.table.Row(row);
      if (entry.status != kStatusDestination || entry.Name().empty() || entry.Name().size() > 255) std::abort();
    }
  }
  return 0;
}
