// Fuzzes the KML reader and writer (see XmlFormatFuzz.h).
#include "XmlFormatFuzz.h"
#include "formats/KmlFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return FuzzXmlFormat(wayloom::ReadKml, wayloom::WriteKml, data, size);
}
