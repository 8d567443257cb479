// Fuzzes the GPX reader and writer (see XmlFormatFuzz.h).
#include "XmlFormatFuzz.h"
#include "formats/GpxFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzXmlFormat(wayloom::ReadGpx, wayloom::WriteGpx, data, size);
}
