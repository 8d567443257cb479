#include "platform/TextCodec.h"

namespace wayloom {

namespace {

// Windows-1252's characters for bytes 0x80-0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

class BuiltIn : public TextCodec {
 public:
  unsigned SystemCodePage() const override { return 1252; }
  bool IsAvailable(unsigned codePage) const override {
    return codePage == 1252 || codePage == 28591 || codePage == kUtf8CodePage;
  }
  Text Decode(std::string_view bytes, unsigned codePage) const override {
    if (codePage == kUtf8CodePage) return Utf8ToText(bytes);
    Text out;
    out.reserve(bytes.size());
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      if (codePage != 28591 && b >= 0x80 && b <= 0x9F) {
        out.push_back(kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b);
      } else {
        out.push_back(b);
      }
    }
    return out;
  }
  std::string Encode(TextView text, unsigned codePage) const override {
    if (codePage == kUtf8CodePage) return TextToUtf8(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      const char16_t c = text[i];
      char byte = '?';
      if (c < 0x80 || (c >= 0xA0 && c <= 0xFF) || (codePage == 28591 && c <= 0xFF)) {
        byte = static_cast<char>(c);
      } else {
        for (int k = 0; k < 32; ++k)
          if (codePage != 28591 && kCp1252High[k] == c) byte = static_cast<char>(0x80 + k);
      }
      // A surrogate pair is one character: one '?'.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
      out.push_back(byte);
    }
    return out;
  }
};

}  // namespace

const TextCodec& BuiltInTextCodec() {
  static const BuiltIn codec;
  return codec;
}

}  // namespace wayloom
