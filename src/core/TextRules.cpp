#include "core/TextRules.h"

#include <algorithm>

#include "core/NumberText.h"

namespace wayloom {

namespace {

bool IsInvisibleFormat(char16_t c) {
  switch (c) {
    case 0x200C: case 0x200D: case 0x200E: case 0x200F:
    case 0x202A: case 0x202B: case 0x202C: case 0x202D: case 0x202E:
    case 0x206A: case 0x206B: case 0x206C: case 0x206D: case 0x206E: case 0x206F:
      return true;
    default:
      return false;
  }
}

// U+0000 is deleted with the other control characters: a NUL inside a name would cut it
// short at every Windows call.
bool IsDeleted(char16_t c) { return c <= 0x1F || (c >= 0x200C && c <= 0x206F && IsInvisibleFormat(c)); }

bool IsTrimmedSpace(char16_t c) { return c == u' ' || c == 0x3000; }

}  // namespace

void CleanText(Text& text) {
  // Deleting first and trimming after (so that a mark before a space cannot hide it).
  // Most texts have nothing to delete: they are only read.
  if (const auto first = std::find_if(text.begin(), text.end(), IsDeleted); first != text.end())
    text.erase(std::remove_if(first, text.end(), IsDeleted), text.end());
  std::size_t start = 0;
  while (start < text.size() && IsTrimmedSpace(text[start])) ++start;
  std::size_t end = text.size();
  while (end > start && IsTrimmedSpace(text[end - 1])) --end;
  if (start > 0 || end < text.size()) text = text.substr(start, end - start);
}

bool NormaliseName(Text& name) {
  if (name.empty()) return false;
  CutToUnits(name, kMaxNameUnits);
  for (char16_t& c : name)
    if (c == u'|' || c == u'>' || c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
  CleanText(name);
  return !name.empty();
}

bool IsPlainNumber(TextView text) {
  Text cleaned(text);
  CleanText(cleaned);
  std::size_t i = 0;
  if (i < cleaned.size() && (cleaned[i] == u'+' || cleaned[i] == u'-')) ++i;
  bool digit = false;
  bool point = false;
  for (; i < cleaned.size(); ++i) {
    if (IsAsciiDigit(cleaned[i])) {
      digit = true;
    } else if (cleaned[i] == u'.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

}  // namespace wayloom
