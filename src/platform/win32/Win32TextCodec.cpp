// Code page conversions on Windows: MultiByteToWideChar and WideCharToMultiByte, with the
// system (ANSI) code page of the machine unless the caller names another.
#include <windows.h>


#include "platform/TextCodec.h"

namespace wayloom {

namespace {

constexpr unsigned kUtf16CodePage = 1200;
constexpr unsigned kGb18030CodePage = 54936;
// The conversion functions take int lengths: longer texts go in pieces of at most this
// (also small enough that a piece of UTF-16 fits a 32-bit address space).
constexpr std::size_t kMaxPiece = std::size_t{1} << 28;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Where to cut bytes into a piece: after the last LF of the piece (a line end never
// lies inside a multi-byte character of the code pages in use), else at the limit.
std::size_t BytePiece(std::string_view bytes) {
  if (bytes.size() <= kMaxPiece) return bytes.size();
  const std::size_t lineEnd = bytes.substr(0, kMaxPiece).rfind('\n');
  return lineEnd != std::string_view::npos ? lineEnd + 1 : kMaxPiece;
}

// A piece of text never ends between the two halves of a surrogate pair.
std::size_t TextPiece(TextView text) {
  if (text.size() <= kMaxPiece) return text.size();
  return IsHighSurrogate(text[kMaxPiece - 1]) ? kMaxPiece - 1 : kMaxPiece;
}

class Win32TextCodec : public TextCodec {
 public:
  explicit Win32TextCodec(unsigned systemCodePage) : systemCodePage_(systemCodePage ? systemCodePage : GetACP()) {}

  unsigned SystemCodePage() const override { return systemCodePage_; }

  bool IsAvailable(unsigned codePage) const override {
    return codePage == kUtf16CodePage || (codePage != 0 && IsValidCodePage(codePage));
  }

  Text Decode(std::string_view bytes, unsigned codePage) const override {
    codePage = Resolved(codePage);
    // UTF-8 reads as every other reader of the program reads it.
    if (codePage == kUtf8CodePage) return Utf8ToText(bytes);
    Text text;
    if (codePage == kUtf16CodePage) {
      text.resize(bytes.size() / 2);
      for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
      if (bytes.size() % 2) text.push_back(0xFFFD);
      return text;
    }
    while (!bytes.empty()) {
      const std::size_t piece = BytePiece(bytes);
      const int length = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(piece), nullptr, 0);
      if (length > 0) {
        const std::size_t start = text.size();
        text.resize(start + static_cast<std::size_t>(length));
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(piece),
                            reinterpret_cast<wchar_t*>(text.data() + start), length);
      }
      bytes.remove_prefix(piece);
    }
    return text;
  }

  std::string Encode(TextView text, unsigned codePage) const override {
    codePage = Resolved(codePage);
    if (codePage == kUtf8CodePage) return TextToUtf8(text);
    std::string bytes;
    if (codePage == kUtf16CodePage) {
      bytes.resize(text.size() * 2);
      for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
      }
      return bytes;
    }
    // Only GB18030 holds characters beyond the Basic Multilingual Plane: elsewhere such a
    // character is one '?', as on every other platform, not one per surrogate.
    Text single;
    if (codePage != kGb18030CodePage) {
      single.reserve(text.size());
      for (std::size_t i = 0; i < text.size(); ++i) {
        const bool pair = IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]);
        single.push_back(pair ? u'?' : text[i]);
        i += pair;
      }
      text = single;
    }
    while (!text.empty()) {
      const std::size_t piece = TextPiece(text);
      AppendEncoded(text.substr(0, piece), codePage, bytes);
      text.remove_prefix(piece);
    }
    return bytes;
  }

 private:
  unsigned Resolved(unsigned codePage) const {
    if (IsAvailable(codePage)) return codePage;
    return IsAvailable(systemCodePage_) ? systemCodePage_ : GetACP();
  }

  // Characters the code page cannot hold become '?' (no "best fit" look-alikes, so that
  // what is written is what every platform writes). Code pages that refuse these
  // arguments are converted with the defaults.
  static void AppendEncoded(TextView text, unsigned codePage, std::string& bytes) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    const char* defaultChar = "?";
    int length = WideCharToMultiByte(codePage, flags, wide, units, nullptr, 0, defaultChar, nullptr);
    if (length <= 0) {
      flags = 0;
      defaultChar = nullptr;
      length = WideCharToMultiByte(codePage, flags, wide, units, nullptr, 0, defaultChar, nullptr);
    }
    if (length <= 0) return;
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(length));
    WideCharToMultiByte(codePage, flags, wide, units, bytes.data() + start, length, defaultChar, nullptr);
  }

  unsigned systemCodePage_;
};

}  // namespace

std::unique_ptr<TextCodec> MakeSystemTextCodec(unsigned systemCodePage) {
  return std::make_unique<Win32TextCodec>(systemCodePage);
}

}  // namespace wayloom
