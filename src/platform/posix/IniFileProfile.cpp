#include "platform/posix/IniFileProfile.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

namespace wayloom {

namespace {

// The white space the Windows profile functions strip: the ASCII spaces and ^Z.
bool IsIniSpace(char16_t c) {
  return c == u' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A;
}

TextView Trim(TextView text) {
  std::size_t b = 0, e = text.size();
  while (b < e && IsIniSpace(text[b])) ++b;
  while (e > b && IsIniSpace(text[e - 1])) --e;
  return text.substr(b, e - b);
}

enum class LineKind { Blank, Comment, Section, Key };

struct IniLine {
  LineKind kind = LineKind::Blank;
  TextView name;               // section or key name, trimmed
  bool hasValue = false;       // a key line with '='; a bare word is a key without value
  std::size_t valueStart = 0;  // the value's place in the raw line, trimmed
  std::size_t valueEnd = 0;
};

IniLine Classify(TextView raw) {
  IniLine line;
  std::size_t b = 0, e = raw.size();
  while (b < e && IsIniSpace(raw[b])) ++b;
  while (e > b && IsIniSpace(raw[e - 1])) --e;
  if (b == e) return line;
  if (raw[b] == u';') {
    line.kind = LineKind::Comment;
    return line;
  }
  if (raw[b] == u'[') {
    // The name runs to the last ']' of the line; what follows it is ignored. A '[' line
    // without ']' is read as a key, as Windows does.
    const std::size_t close = raw.substr(0, e).rfind(u']');
    if (close != TextView::npos && close > b) {
      line.kind = LineKind::Section;
      line.name = Trim(raw.substr(b + 1, close - b - 1));
      return line;
    }
  }
  line.kind = LineKind::Key;
  const std::size_t eq = raw.substr(0, e).find(u'=', b);
  if (eq == TextView::npos) {
    line.name = raw.substr(b, e - b);
    return line;
  }
  line.name = Trim(raw.substr(b, eq - b));
  line.hasValue = true;
  std::size_t v = eq + 1;
  while (v < e && IsIniSpace(raw[v])) ++v;
  line.valueStart = v;
  line.valueEnd = e;
  return line;
}

struct Location {
  std::optional<std::size_t> sectionLine;
  std::optional<std::size_t> keyLine;
  std::size_t sectionEnd = 0;  // after the section's last non-blank line
};

// Only the first section of a name counts, and in it the first key of a name, as with
// the Windows functions.
Location Find(const std::vector<Text>& lines, TextView section, TextView key) {
  Location where;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const IniLine line = Classify(lines[i]);
    if (!where.sectionLine) {
      if (line.kind == LineKind::Section && EqualsIgnoringAsciiCase(line.name, section)) {
        where.sectionLine = i;
        where.sectionEnd = i + 1;
      }
      continue;
    }
    if (line.kind == LineKind::Section) break;
    if (line.kind != LineKind::Blank) where.sectionEnd = i + 1;
    if (line.kind == LineKind::Key && EqualsIgnoringAsciiCase(line.name, key)) {
      where.keyLine = i;
      break;
    }
  }
  return where;
}

// Line breaks and NULs in a name or value would break the file's structure.
Text Sanitize(TextView text) {
  Text out(Trim(text));
  for (char16_t& c : out)
    if (c == u'\r' || c == u'\n' || c == 0) c = u' ';
  return out;
}

bool StartsWith(const std::string& bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() && bytes.compare(0, prefix.size(), prefix) == 0;
}

Text DecodeUtf16(std::string_view bytes, bool bigEndian) {
  Text out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {  // an odd last byte is dropped
    const auto lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    const auto hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    out.push_back(static_cast<char16_t>(lo | (hi << 8)));
  }
  return out;
}

void AppendUtf16(std::string& out, TextView text, bool bigEndian) {
  for (const char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out.push_back(bigEndian ? hi : lo);
    out.push_back(bigEndian ? lo : hi);
  }
}

}  // namespace

IniFileProfile::IniFileProfile(std::filesystem::path path) : path_(std::move(path)) {}

IniFileProfile::Stamp IniFileProfile::StampOf(const std::filesystem::path& path) {
  Stamp stamp;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return stamp;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return stamp;
  const auto modified = std::filesystem::last_write_time(path, ec);
  if (ec) return stamp;
  stamp.exists = true;
  stamp.size = size;
  stamp.modified = modified;
  return stamp;
}

void IniFileProfile::Refresh() {
  const Stamp now = StampOf(path_);
  if (loaded_ && now == stamp_) return;
  stamp_ = now;
  Load();
  loaded_ = true;
}

void IniFileProfile::Load() {
  lines_.clear();
  encoding_ = Encoding::Utf16Le;  // what a new file gets
  crlf_ = true;
  std::string bytes;
  if (stamp_.exists) {
    std::ifstream in(path_, std::ios::binary);
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (bytes.empty()) return;

  Text text;
  if (StartsWith(bytes, "\xFF\xFE")) {
    text = DecodeUtf16(std::string_view(bytes).substr(2), false);
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    encoding_ = Encoding::Utf16Be;
    text = DecodeUtf16(std::string_view(bytes).substr(2), true);
  } else if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    encoding_ = Encoding::Utf8Bom;
    text = Utf8ToText(std::string_view(bytes).substr(3));
  } else {
    text = Utf8ToText(bytes);
    // Invalid UTF-8 decodes to U+FFFD, so only valid UTF-8 encodes back to the same bytes.
    if (TextToUtf8(text) == bytes) {
      encoding_ = Encoding::Utf8;
    } else {
      encoding_ = Encoding::Latin1;
      text = Latin1ToText(bytes);
    }
  }

  // Lines end at CR LF, LF or a lone CR; the first line end tells how to write them.
  bool sawLineEnd = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines_.emplace_back(text, start, i - start);
    const bool pair = c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
    if (!sawLineEnd) {
      crlf_ = pair;
      sawLineEnd = true;
    }
    if (pair) ++i;
    start = i + 1;
  }
  if (start < text.size()) lines_.emplace_back(text, start, text.size() - start);
}

IniFileProfile::Encoding IniFileProfile::FileEncoding() {
  Refresh();
  return encoding_;
}

std::optional<Text> IniFileProfile::ReadString(TextView section, TextView key) {
  Refresh();
  const Location where = Find(lines_, Trim(section), Trim(key));
  if (!where.keyLine) return std::nullopt;
  const TextView raw = lines_[*where.keyLine];
  const IniLine line = Classify(raw);
  if (!line.hasValue) return std::nullopt;  // a bare key reads as missing
  TextView value = raw.substr(line.valueStart, line.valueEnd - line.valueStart);
  value = value.substr(0, value.find(char16_t{0}));  // Windows stops at a NUL
  // A value in matching double or single quotes loses them.
  if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return Text(value);
}

std::string IniFileProfile::Serialize(const std::vector<Text>& lines, Encoding& encoding) const {
  if (encoding == Encoding::Latin1) {
    for (const Text& line : lines)
      for (const char16_t c : line)
        if (c > 0xFF) encoding = Encoding::Utf16Le;  // Latin-1 cannot hold it: keep the text
  }
  const TextView newline = crlf_ ? u"\r\n" : u"\n";
  std::string out;
  switch (encoding) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
      const bool big = encoding == Encoding::Utf16Be;
      out = big ? "\xFE\xFF" : "\xFF\xFE";
      for (const Text& line : lines) {
        AppendUtf16(out, line, big);
        AppendUtf16(out, newline, big);
      }
      break;
    }
    case Encoding::Utf8Bom:
    case Encoding::Utf8:
      if (encoding == Encoding::Utf8Bom) out = "\xEF\xBB\xBF";
      for (const Text& line : lines) {
        out += TextToUtf8(line);
        out += TextToUtf8(newline);
      }
      break;
    case Encoding::Latin1:
      for (const Text& line : lines) {
        for (const char16_t c : line) out.push_back(static_cast<char>(c));
        out += TextToUtf8(newline);
      }
      break;
  }
  return out;
}

bool IniFileProfile::WriteString(TextView section, TextView key, TextView value) {
  Refresh();
  const Text sectionName = Sanitize(section);
  const Text keyName = Sanitize(key);
  const Text newValue = Sanitize(value);
  const Location where = Find(lines_, sectionName, keyName);

  std::vector<Text> lines = lines_;
  if (where.keyLine) {
    Text& raw = lines[*where.keyLine];
    const IniLine line = Classify(raw);
    if (line.hasValue) {
      if (TextView(raw).substr(line.valueStart, line.valueEnd - line.valueStart) == newValue)
        return true;  // nothing changes
      // Keep the key as the file spells it and the spacing around '='.
      raw = raw.substr(0, line.valueStart) + newValue;
    } else {
      raw = Text(line.name) + u"=" + newValue;
    }
  } else if (where.sectionLine) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.sectionEnd), keyName + u"=" + newValue);
  } else {
    lines.push_back(u"[" + sectionName + u"]");
    lines.push_back(keyName + u"=" + newValue);
  }

  return Store(std::move(lines));
}

bool IniFileProfile::Store(std::vector<Text> lines) {
  Encoding encoding = encoding_;
  const std::string bytes = Serialize(lines, encoding);

  // Write beside the target and rename over it, so a failure leaves the old file whole.
  std::filesystem::path temp = path_;
  temp += ".";
  temp += std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() & 0xFFFFFF);
  temp += ".tmp";
  bool ok;
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    ok = static_cast<bool>(out);
    if (ok) {
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      out.close();
      ok = !out.fail();
    }
  }
  std::error_code ec;
  if (ok) {
    std::filesystem::rename(temp, path_, ec);
    ok = !ec;
  }
  if (!ok) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  lines_ = std::move(lines);
  encoding_ = encoding;
  stamp_ = StampOf(path_);
  loaded_ = true;
  return true;
}

bool IniFileProfile::DeleteKey(TextView section, TextView key) {
  Refresh();
  const Location where = Find(lines_, Trim(section), Trim(key));
  if (!where.keyLine) return true;  // nothing to remove
  std::vector<Text> lines = lines_;
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*where.keyLine));
  return Store(std::move(lines));
}

}  // namespace wayloom
