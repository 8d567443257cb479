#include "formats/XmlText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/StringTable.h"

namespace wayloom {

namespace {

// Bytes enough for kXmlNameUnitsDecoded units: a unit takes at most 3 bytes, and the cut
// moves back by at most 3 bytes to a character start.
constexpr std::size_t kXmlNameBytesDecoded = kXmlNameUnitsDecoded * 3 + 3;

constexpr std::string_view kCdataStart = "<![CDATA[";
constexpr std::string_view kCdataEnd = "]]>";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

struct Reference {
  std::u16string_view text;
  char16_t character;
};
constexpr Reference kReferences[] = {
    {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&nbsp;", u' '},
};

}  // namespace

Text EscapeXml(TextView text) {
  Text out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'&': out += u"&amp;"; break;
      case u'<': out += u"&lt;"; break;
      case u'>': out += u"&gt;"; break;
      case u'"': out += u"&quot;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

void UnescapeXml(Text& text) {
  if (text.find(u'&') == Text::npos) return;
  Text out;
  out.reserve(text.size());
  const TextView view(text);
  std::size_t i = 0;
  while (i < view.size()) {
    const Reference* found = nullptr;
    if (view[i] == u'&') {
      for (const Reference& reference : kReferences)
        if (view.substr(i, reference.text.size()) == reference.text) found = &reference;
    }
    if (found) {
      out.push_back(found->character);
      i += found->text.size();
    } else {
      out.push_back(view[i++]);
    }
  }
  text = std::move(out);
}

Text DecodeXmlName(std::string_view content) {
  Text name;
  DecodeXmlNameInto(content, name);
  return name;
}

void DecodeXmlNameInto(std::string_view content, Text& name) {
  name.clear();
  if (content.size() > kXmlNameBytesDecoded) {
    // Cut at a character start, so that no half character turns into U+FFFD.
    std::size_t cut = kXmlNameBytesDecoded;
    while (cut > kXmlNameBytesDecoded - 3 && (static_cast<std::uint8_t>(content[cut]) & 0xC0) == 0x80) --cut;
    content = content.substr(0, cut);
  }
  // Most names have neither references nor CDATA sections: decoded in place.
  if (content.find_first_of("&<") == std::string_view::npos) {
    AppendUtf8AsText(name, content);
    CutToUnits(name, kXmlNameUnitsDecoded);
    return;
  }
  std::size_t i = 0;
  while (i < content.size() && name.size() < kXmlNameUnitsDecoded) {
    const std::size_t cdata = content.find(kCdataStart, i);
    Text plain = Utf8ToText(content.substr(i, cdata == std::string_view::npos ? std::string_view::npos : cdata - i));
    UnescapeXml(plain);
    name += plain;
    if (cdata == std::string_view::npos) break;
    const std::size_t literalBegin = cdata + kCdataStart.size();
    const std::size_t literalEnd = std::min(content.find(kCdataEnd, literalBegin), content.size());
    AppendUtf8AsText(name, content.substr(literalBegin, literalEnd - literalBegin));
    i = literalEnd + kCdataEnd.size();
  }
  CutToUnits(name, kXmlNameUnitsDecoded);
}

std::string FillTemplate(std::string_view format, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(format.size() + 64);
  AppendFilledTemplate(out, format, values);
  return out;
}

void AppendFilledTemplate(std::string& out, std::string_view format, std::initializer_list<std::string_view> values) {
  const std::string_view* next = values.begin();
  std::size_t literal = 0;  // start of the literal run not yet copied
  for (std::size_t i = format.find('%'); i < format.size(); i = format.find('%', i + 1)) {
    if (i + 1 >= format.size()) break;
    const char kind = format[i + 1];
    if (kind != '%' && kind != 's' && kind != 'd') continue;
    out.append(format.substr(literal, i - literal));
    if (kind == '%') {
      out.push_back('%');
    } else if (next != values.end()) {
      out += *next++;
    }
    literal = ++i + 1;
  }
  out.append(format.substr(literal));
}

void AppendEscapedXmlUtf8(std::string& out, TextView text) {
  std::size_t plain = 0;  // start of the run without special characters
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char* reference = nullptr;
    switch (text[i]) {
      case u'&': reference = "&amp;"; break;
      case u'<': reference = "&lt;"; break;
      case u'>': reference = "&gt;"; break;
      case u'"': reference = "&quot;"; break;
      default: continue;
    }
    AppendTextAsUtf8(out, text.substr(plain, i - plain));
    out += reference;
    plain = i + 1;
  }
  AppendTextAsUtf8(out, text.substr(plain));
}

std::string LoadUtf8(int id) { return TextToUtf8(LoadText(id)); }

std::string LoadTag(int id) {
  std::string tag = LoadUtf8(id);
  std::transform(tag.begin(), tag.end(), tag.begin(), LowerAscii);
  return tag;
}

XmlScanner::XmlScanner(std::span<const std::uint8_t> buffer, std::size_t byteCount)
    : data_(reinterpret_cast<const char*>(buffer.data()), std::min(byteCount, buffer.size())) {}

bool XmlScanner::StartsWith(std::size_t i, std::string_view text) const {
  if (i > data_.size() || data_.size() - i < text.size()) return false;
  for (std::size_t k = 0; k < text.size(); ++k)
    if (LowerAscii(data_[i + k]) != text[k]) return false;
  return true;
}

std::size_t XmlScanner::Find(std::string_view text, std::size_t from, std::size_t to) const {
  to = std::min(to, data_.size());
  if (text.empty() || from >= to || to - from < text.size()) return kNotFound;
  const std::size_t lastStart = to - text.size();
  const char first = text[0];
  const bool letter = first >= 'a' && first <= 'z';
  std::size_t i = from;
  if (!letter && text.size() >= 2 && std::endian::native == std::endian::little) {
    // Tags start with '<': eight positions at a time, the places where that byte stands
    // before the tag's second byte (in either case). A file has many '<' and few of them
    // open the tag sought, so this passes most of them without looking at each one.
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const std::uint64_t firstBytes = kOnes * static_cast<std::uint8_t>(first);
    const std::uint64_t secondBytes = kOnes * (static_cast<std::uint8_t>(text[1]) | 0x20u);
    auto load = [this](std::size_t at) {
      std::uint64_t word;
      std::memcpy(&word, data_.data() + at, sizeof word);
      return word;
    };
#if defined(__SSE2__)
    // The same test sixteen positions at a time where the processor has SSE2.
    const __m128i firstVector = _mm_set1_epi8(first);
    const __m128i secondVector = _mm_set1_epi8(static_cast<char>(text[1] | 0x20));
    const __m128i caseBit = _mm_set1_epi8(0x20);
    while (i <= lastStart && data_.size() - i >= 17) {
      const auto* at16 = reinterpret_cast<const __m128i*>(data_.data() + i);
      const __m128i here = _mm_cmpeq_epi8(_mm_loadu_si128(at16), firstVector);
      const __m128i next = _mm_cmpeq_epi8(_mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data_.data() + i + 1)), caseBit), secondVector);
      const unsigned candidates = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(here, next)));
      if (candidates == 0) {
        i += 16;
        continue;
      }
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(candidates));
      if (at > lastStart) return kNotFound;
      if (StartsWith(at, text)) return at;
      i = at + 1;
    }
#endif
    while (i <= lastStart && data_.size() - i >= 9) {
      const std::uint64_t differ = (load(i) ^ firstBytes) | ((load(i + 1) | kOnes * 0x20u) ^ secondBytes);
      // The lowest zero byte of differ is exactly the first candidate (the borrow can only
      // mark bytes above it).
      const std::uint64_t zero = (differ - kOnes) & ~differ & (kOnes * 0x80u);
      if (zero == 0) {
        i += 8;
        continue;
      }
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(zero)) / 8;
      if (at > lastStart) return kNotFound;
      if (StartsWith(at, text)) return at;
      i = at + 1;
    }
  }
  while (i <= lastStart) {
    if (!letter) {
      // Let memchr find the candidates.
      const void* hit = std::memchr(data_.data() + i, first, lastStart - i + 1);
      if (!hit) return kNotFound;
      i = static_cast<std::size_t>(static_cast<const char*>(hit) - data_.data());
    }
    if (StartsWith(i, text)) return i;
    ++i;
  }
  return kNotFound;
}

std::size_t XmlScanner::FindAtCharacterStart(std::string_view text, std::size_t from) const {
  if (text.empty()) return from < data_.size() ? from : kNotFound;
  const char first = text[0];  // tags start with '<', which has no other case
  constexpr std::uint64_t kOnes = 0x0101010101010101u, kHighBits = kOnes * 0x80u;
  const std::uint64_t firstBytes = kOnes * static_cast<std::uint8_t>(first);
  const bool wordSteps = first == '<' && std::endian::native == std::endian::little;
  for (std::size_t i = from; i < data_.size();) {
    // Eight ASCII bytes without a '<' are eight character starts where nothing matches.
    if (wordSteps && data_.size() - i >= 8) {
      std::uint64_t word;
      std::memcpy(&word, data_.data() + i, sizeof word);
      const std::uint64_t differ = word ^ firstBytes;
      if (((word | ((differ - kOnes) & ~differ)) & kHighBits) == 0) {
        i += 8;
        continue;
      }
    }
    const std::uint8_t b = At(i);
    if (LowerAscii(static_cast<char>(b)) == first && StartsWith(i, text)) return i;
    i += b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  }
  return kNotFound;
}

void ReserveRowsPerTag(const ReadContext& context, const XmlScanner& scan, std::string_view tag) {
  constexpr std::size_t kTableBytesPerRow = 80;  // a row of the table with a name of its own
  ItineraryTable& table = context.doc.table;
  std::size_t count = 0;
  for (std::size_t at = scan.Find(tag, 0); at != XmlScanner::kNotFound; at = scan.Find(tag, at + tag.size())) {
    // A file larger than its rows will be (KML's longer tags, descriptions) would make
    // the reading peak if it all stayed in memory until the rows are read: it is let go
    // as it is counted, and read again.
    if (++count % 4096 == 0 && at > count * kTableBytesPerRow) context.Passed(at);
  }
  // A file of bare tags must not reserve more than it can fill: a row takes an element
  // with its coordinates and a name, more than 32 bytes.
  constexpr std::size_t kShortestRowBytes = 32;
  try {
    table.Reserve(table.RowCount() + std::min(count, scan.Size() / kShortestRowBytes));
  } catch (const std::bad_alloc&) {
  }
}

}  // namespace wayloom
