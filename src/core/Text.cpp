#include "core/Text.h"

namespace wayloom {

Text AsciiToText(std::string_view ascii) {
  return Text(ascii.begin(), ascii.end());
}

Text Latin1ToText(std::string_view bytes) {
  Text out;
  out.resize(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

static void AppendCodePoint(Text& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

Text Utf8ToText(std::string_view bytes) {
  Text out;
  AppendUtf8AsText(out, bytes);
  return out;
}

void AppendUtf8AsText(Text& out, std::string_view bytes) {
  out.reserve(out.size() + bytes.size());
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  while (i < n) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    char32_t cp = length == 4 ? (b & 0x07) : length == 3 ? (b & 0x0F) : (b & 0x1F);
    bool valid = length > 1 && b <= 0xF4 && i + length <= n;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const unsigned char c = static_cast<unsigned char>(bytes[i + k]);
      if ((c & 0xC0) != 0x80) valid = false;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (valid) {
      const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
      valid = cp >= minimum && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
    }
    if (valid) {
      AppendCodePoint(out, cp);
      i += length;
    } else {
      out.push_back(0xFFFD);
      // Skip the whole malformed sequence as far as it stays inside the data, but never
      // swallow a following ASCII byte (it may be a field separator).
      std::size_t k = 1;
      while (k < length && i + k < n && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80) ++k;
      i += k;
    }
  }
}

std::string TextToUtf8(TextView text) {
  std::string out;
  AppendTextAsUtf8(out, text);
  return out;
}

void AppendTextAsUtf8(std::string& out, TextView text) {
  // Room for the longest form (3 bytes a unit; a pair takes 4 for 2 units), written
  // through a pointer and cut to what was written.
  const std::size_t old = out.size();
  out.resize(old + 3 * text.size());
  char* p = out.data() + old;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp < 0x80) {
      *p++ = static_cast<char>(cp);
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x800) {
      *p++ = static_cast<char>(0xC0 | (cp >> 6));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *p++ = static_cast<char>(0xE0 | (cp >> 12));
      *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *p++ = static_cast<char>(0xF0 | (cp >> 18));
      *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

void CutToUnits(Text& text, std::size_t maxUnits) {
  if (text.size() <= maxUnits) return;
  std::size_t cut = maxUnits;
  if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
  text.resize(cut);
}

char16_t AsciiUpper(char16_t c) {
  return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
}

bool EqualsIgnoringAsciiCase(TextView a, TextView b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

}  // namespace wayloom
