// What the KML and GPX units share: the XML text functions, the tolerant byte scanner
// both readers are built on, and the filling of their line templates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "core/ItineraryTable.h"
#include "core/Text.h"
#include "formats/ReadContext.h"

namespace wayloom {

// Characters of a name decoded before unescaping: enough for 255 characters even when
// every one of them is written as a six-character reference.
constexpr std::size_t kXmlNameUnitsDecoded = 1792;

// '&', '<', '>' and '"' as references (apostrophes stay).
Text EscapeXml(TextView text);
// "&amp;", "&lt;", "&gt;", "&quot;" and "&nbsp;" to '&', '<', '>', '"' and a space, in one
// pass from left to right (so "&amp;lt;" gives "&lt;"); every other reference stays.
void UnescapeXml(Text& text);

// A name element's content bytes to text: UTF-8 decoded, unescaped outside CDATA
// sections (taken literally inside them), at most kXmlNameUnitsDecoded units. The caller
// cuts it to a name's length afterwards, so no cut splits a reference.
Text DecodeXmlName(std::string_view content);
// The same into name (its old text is replaced), which readers reuse for every name.
void DecodeXmlNameInto(std::string_view content, Text& name);

// "%s" and "%d" in a template replaced by the values in order ("%%" gives '%').
std::string FillTemplate(std::string_view format, std::initializer_list<std::string_view> values);
// The same appended to out.
void AppendFilledTemplate(std::string& out, std::string_view format, std::initializer_list<std::string_view> values);
// EscapeXml of text appended to out in UTF-8.
void AppendEscapedXmlUtf8(std::string& out, TextView text);
// A string table text as UTF-8 bytes.
std::string LoadUtf8(int id);

inline bool IsXmlSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Searches the file's bytes [0, size) for tags, ignoring the case of ASCII letters.
// Nothing past size is ever read, whatever follows the data in the buffer.
class XmlScanner {
 public:
  static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

  explicit XmlScanner(std::string_view data) : data_(data) {}
  XmlScanner(std::span<const std::uint8_t> buffer, std::size_t byteCount);

  std::size_t Size() const { return data_.size(); }
  // The byte at i, or 0 at and past the end.
  std::uint8_t At(std::size_t i) const { return i < data_.size() ? static_cast<std::uint8_t>(data_[i]) : 0; }
  std::string_view Bytes(std::size_t begin, std::size_t end) const { return data_.substr(begin, end - begin); }

  // Whether text (lower case) stands at i, in any case.
  bool StartsWith(std::size_t i, std::string_view text) const;
  // Whether the start tag "<name" (lower case) stands at i and its name ends there:
  // "<trk" is not found in "<trkpt".
  bool StartsElement(std::size_t i, std::string_view tag) const {
    const std::uint8_t next = At(i + tag.size());
    return StartsWith(i, tag) && (IsXmlSpace(next) || next == '>' || next == '/');
  }
  // The first place in [from, to) where text (lower case) begins and ends, or kNotFound.
  std::size_t Find(std::string_view text, std::size_t from, std::size_t to = kNotFound) const;
  // As Find, but only at UTF-8 character starts: lead bytes F0-FF step over 4 bytes,
  // E0-EF over 3, C0-DF over 2, anything else over 1.
  std::size_t FindAtCharacterStart(std::string_view text, std::size_t from) const;

 private:
  std::string_view data_;
};


// A string table text as lower-case UTF-8, for XmlScanner searches.
std::string LoadTag(int id);

// Room for a row per occurrence of tag (lower case) in the file, so that the table does
// not grow (touching twice its memory) while a large file is read; a reservation the
// memory cannot give is simply not made.
void ReserveRowsPerTag(const ReadContext& context, const XmlScanner& scan, std::string_view tag);

}  // namespace wayloom
