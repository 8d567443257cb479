// Code page conversions at the file edges: the system (ANSI) code page of delimited text,
// the code page a Garmin POI file names in its header.
#pragma once

#include <memory>
#include <string>

#include "core/Text.h"

namespace wayloom {

constexpr unsigned kUtf8CodePage = 65001;

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // The code page "ANSI" means for this run (the system code page on Windows).
  virtual unsigned SystemCodePage() const = 0;
  // Whether the code page can be converted here.
  virtual bool IsAvailable(unsigned codePage) const = 0;
  // Bytes to text; undecodable bytes become U+FFFD. An unavailable code page reads as the
  // system code page.
  virtual Text Decode(std::string_view bytes, unsigned codePage) const = 0;
  // Text to bytes; characters the code page cannot hold become '?'.
  virtual std::string Encode(TextView text, unsigned codePage) const = 0;
};

// The converter of the system the program runs on (iconv on POSIX, the Windows API on
// Windows); systemCodePage 0 keeps the platform's own choice.
std::unique_ptr<TextCodec> MakeSystemTextCodec(unsigned systemCodePage = 0);

// A converter that needs nothing from the system: UTF-8, and code page 1252 (and
// Latin-1 28591) both ways; every other code page reads as 1252.
const TextCodec& BuiltInTextCodec();

}  // namespace wayloom
