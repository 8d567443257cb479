// The Windows build compiles the POSIX sources too but has its own converter
// (platform/win32/Win32TextCodec.cpp) and no iconv.
#if !defined(_WIN32)

#include "platform/posix/IconvTextCodec.h"

#include <algorithm>
#include <cerrno>
#include <map>
#include <mutex>
#include <iconv.h>

namespace wayloom {

namespace {

constexpr char kUtf16Name[] = "UTF-16LE";
constexpr char kLatin1Name[] = "ISO-8859-1";
constexpr std::size_t kChunkBytes = 1 << 14;
constexpr std::size_t kSliceBytes = 512;  // UTF-16 input of one encoding call

// One conversion descriptor, closed when it goes out of scope.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of the input as fits into out; returns 0 or the errno of the stop.
  int Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
    char* input = const_cast<char*>(in);  // iconv's signature lacks const; it does not write
    const std::size_t result = iconv(cd_, &input, &inLeft, &out, &outLeft);
    in = input;
    return result == static_cast<std::size_t>(-1) ? errno : 0;
  }
  // Writes what returns a stateful encoding to its initial state.
  void Finish(char*& out, std::size_t& outLeft) { iconv(cd_, nullptr, nullptr, &out, &outLeft); }

 private:
  iconv_t cd_;
};

bool CanOpen(const std::string& name) {
  return Converter(kUtf16Name, name.c_str()).ok() && Converter(name.c_str(), kUtf16Name).ok();
}

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string IconvCodePageName(unsigned codePage) {
  switch (codePage) {
    case kUtf8CodePage: return "UTF-8";
    case 1200: return kUtf16Name;
    case 1201: return "UTF-16BE";
    case 20127: return "ASCII";
    case 20932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    case 28603: return "ISO-8859-13";
    case 28605: return "ISO-8859-15";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
  // 932, 936, 949, 950, 874, 125x, 437 ... are "CP<n>" in glibc.
  return "CP" + std::to_string(codePage);
}

IconvTextCodec::IconvTextCodec(unsigned systemCodePage)
    : systemCodePage_(systemCodePage ? systemCodePage : kDefaultSystemCodePage) {}

bool IconvTextCodec::IsAvailable(unsigned codePage) const {
  return codePage != 0 && CanOpen(IconvCodePageName(codePage));
}

namespace {

// Code pages that keep no shift state, whose characters of more than one byte start with
// a byte of 0x80 or above and never hold two bytes below 0x80 in a row: in them a run of
// ASCII stands for itself in either direction, and a character starts after any two ASCII
// bytes in a row (the first of them may end a character of two bytes).
bool KeepsAsciiApart(unsigned codePage) {
  switch (codePage) {
    case 437: case 850: case 852: case 866: case 874:
    case 932: case 936: case 949: case 950:
    case 20127: case 20932: case 51949: case 54936: return true;
    default: return (codePage >= 1250 && codePage <= 1258) || (codePage >= 28591 && codePage <= 28605);
  }
}

// Whether iconv maps every ASCII character of name to the same byte and back.
bool MapsAsciiToItself(const std::string& name) {
  std::string ascii, units;
  for (int c = 0; c < 0x80; ++c) {
    ascii.push_back(static_cast<char>(c));
    units.push_back(static_cast<char>(c));
    units.push_back('\0');
  }
  auto convert = [](const char* to, const char* from, const std::string& input) {
    Converter converter(to, from);
    std::string output(input.size() * 4, '\0');
    const char* in = input.data();
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    if (!converter.ok() || converter.Convert(in, inLeft, out, outLeft) != 0) return std::string();
    output.resize(output.size() - outLeft);
    return output;
  };
  return convert(name.c_str(), kUtf16Name, units) == ascii && convert(kUtf16Name, name.c_str(), ascii) == units;
}

}  // namespace

// Opening converters to resolve a code page costs more than a short conversion (the GPI
// reader decodes every name on its own), so each answer is kept for the process.
const IconvTextCodec::Resolution& IconvTextCodec::Resolve(unsigned codePage) const {
  static std::mutex mutex;
  static std::map<std::pair<unsigned, unsigned>, Resolution> known;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto key = std::make_pair(systemCodePage_, codePage);
  if (const auto found = known.find(key); found != known.end()) return found->second;
  Resolution resolution{kLatin1Name, false};
  for (unsigned candidate : {codePage, systemCodePage_, kDefaultSystemCodePage}) {
    if (IsAvailable(candidate)) {
      resolution.name = IconvCodePageName(candidate);
      resolution.asciiRuns = KeepsAsciiApart(candidate) && MapsAsciiToItself(resolution.name);
      break;
    }
  }
  return known.emplace(key, std::move(resolution)).first->second;  // std::map never moves its values
}

Text IconvTextCodec::Decode(std::string_view bytes, unsigned codePage) const {
  const Resolution& resolved = Resolve(codePage);
  // UTF-8 reads as every other reader of the program reads it.
  if (resolved.name == "UTF-8") return Utf8ToText(bytes);
  Converter converter(kUtf16Name, resolved.name.c_str());
  if (!converter.ok()) return Latin1ToText(bytes);
  Text text;
  text.reserve(bytes.size());
  char chunk[kChunkBytes];
  auto take = [&](const char* end) {
    for (const char* p = chunk; p + 1 < end; p += 2)
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
  };
  auto convert = [&](std::string_view part) {
    const char* in = part.data();
    std::size_t inLeft = part.size();
    while (inLeft > 0) {
      char* out = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t before = inLeft;
      const int error = converter.Convert(in, inLeft, out, outLeft);
      take(out);
      if (error == 0 || (error == E2BIG && (inLeft < before || out != chunk))) continue;
      // An invalid or incomplete sequence (or anything else that stops iconv): one byte
      // becomes U+FFFD and conversion starts afresh at the next, so every round moves on.
      text.push_back(0xFFFD);
      ++in;
      --inLeft;
      char* reset = chunk;
      std::size_t resetLeft = sizeof chunk;
      converter.Finish(reset, resetLeft);
      take(reset);
    }
  };
  if (!resolved.asciiRuns) {
    convert(bytes);
  } else {
    // ASCII runs are copied; iconv gets the rest, each piece ending after two ASCII bytes
    // in a row (the first may be a trail byte; the second starts a character).
    auto ascii = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]) < 0x80; };
    std::size_t i = 0;
    while (i < bytes.size()) {
      for (; i < bytes.size() && ascii(i); ++i) text.push_back(static_cast<char16_t>(bytes[i]));
      if (i == bytes.size()) break;
      std::size_t end = i + 1;
      while (end < bytes.size() && !(ascii(end) && ascii(end - 1))) ++end;
      convert(bytes.substr(i, end - i));
      i = end;
    }
  }
  char* out = chunk;
  std::size_t outLeft = sizeof chunk;
  converter.Finish(out, outLeft);
  take(out);
  return text;
}

std::string IconvTextCodec::Encode(TextView text, unsigned codePage) const {
  const Resolution& resolved = Resolve(codePage);
  if (resolved.name == "UTF-8") return TextToUtf8(text);
  Converter converter(resolved.name.c_str(), kUtf16Name);
  if (!converter.ok()) return BuiltInTextCodec().Encode(text, 28591);
  std::string bytes;
  bytes.reserve(text.size());
  std::string units;
  char chunk[kChunkBytes];
  auto convert = [&](TextView part) {
    units.resize(part.size() * 2);
    for (std::size_t i = 0; i < part.size(); ++i) {
      units[2 * i] = static_cast<char>(part[i] & 0xFF);
      units[2 * i + 1] = static_cast<char>(part[i] >> 8);
    }
    const char* in = units.data();
    std::size_t inLeft = units.size();
    while (inLeft > 0) {
      char* out = chunk;
      std::size_t outLeft = sizeof chunk;
      const std::size_t before = inLeft;
      // A slice at a time: after a character the code page cannot hold, glibc converts the
      // rest of the input given again, so a whole batch per call costs the square of its
      // length in a text of many such characters. A slice never splits a surrogate pair.
      std::size_t slice = std::min(inLeft, kSliceBytes);
      if (slice < inLeft && IsHighSurrogate(part[(units.size() - inLeft + slice) / 2 - 1])) slice -= 2;
      std::size_t sliceLeft = slice;
      const int error = converter.Convert(in, sliceLeft, out, outLeft);
      inLeft -= slice - sliceLeft;
      bytes.append(chunk, static_cast<std::size_t>(out - chunk));
      if (error == 0 || (error == E2BIG && (inLeft < before || out != chunk))) continue;
      // A character the code page cannot hold (or a lone surrogate): one '?', after the
      // bytes that return the encoding to its initial state.
      out = chunk;
      outLeft = sizeof chunk;
      converter.Finish(out, outLeft);
      bytes.append(chunk, static_cast<std::size_t>(out - chunk));
      bytes.push_back('?');
      const std::size_t unit = (units.size() - inLeft) / 2;
      const bool pair = unit + 1 < part.size() && IsHighSurrogate(part[unit]) && IsLowSurrogate(part[unit + 1]);
      const std::size_t skipped = std::min<std::size_t>(pair ? 4 : 2, inLeft);
      in += skipped;
      inLeft -= skipped;
    }
  };
  if (!resolved.asciiRuns) {
    convert(text);
  } else {
    std::size_t i = 0;
    while (i < text.size()) {
      for (; i < text.size() && text[i] < 0x80; ++i) bytes.push_back(static_cast<char>(text[i]));
      if (i == text.size()) break;
      std::size_t end = i + 1;
      while (end < text.size() && text[end] >= 0x80) ++end;
      convert(text.substr(i, end - i));
      i = end;
    }
  }
  char* out = chunk;
  std::size_t outLeft = sizeof chunk;
  converter.Finish(out, outLeft);
  bytes.append(chunk, static_cast<std::size_t>(out - chunk));
  return bytes;
}

std::unique_ptr<TextCodec> MakeSystemTextCodec(unsigned systemCodePage) {
  return std::make_unique<IconvTextCodec>(systemCodePage);
}

}  // namespace wayloom

#endif
