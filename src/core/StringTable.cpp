#include "core/StringTable.h"

#include <algorithm>

#include "core/NumberText.h"

namespace wayloom {

TextView LoadText(int id) {
  const StringTableEntry* begin = kStringTable;
  const StringTableEntry* end = kStringTable + kStringTableSize;
  const StringTableEntry* found =
      std::lower_bound(begin, end, id, [](const StringTableEntry& e, int value) { return e.id < value; });
  if (found == end || found->id != id) return TextView();
  return TextView(found->text);
}

Text FormatText(TextView format, std::initializer_list<FormatArg> args) {
  Text out;
  out.reserve(format.size() + 32);
  const FormatArg* next = args.begin();
  const FormatArg none;
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char16_t c = format[i];
    if (c != u'%' || i + 1 >= format.size()) {
      out.push_back(c);
      continue;
    }
    if (format[i + 1] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    // %[0][width][.precision](s|d|u)
    std::size_t j = i + 1;
    bool zeroPad = false;
    if (j < format.size() && format[j] == u'0') zeroPad = true, ++j;
    std::size_t width = 0;
    while (j < format.size() && IsAsciiDigit(format[j])) width = width * 10 + (format[j++] - u'0');
    std::size_t precision = 0;
    if (j < format.size() && format[j] == u'.') {
      ++j;
      while (j < format.size() && IsAsciiDigit(format[j])) precision = precision * 10 + (format[j++] - u'0');
    }
    if (j >= format.size() || !(format[j] == u's' || format[j] == u'd' || format[j] == u'u')) {
      out.push_back(c);
      continue;
    }
    const FormatArg& arg = next != args.end() ? *next++ : none;
    Text piece;
    if (format[j] == u's') {
      piece = arg.kind == FormatArg::Kind::Text ? arg.text : Text();
    } else {
      piece = IntegerText(arg.kind == FormatArg::Kind::Integer ? arg.number : 0);
      const bool negative = !piece.empty() && piece[0] == u'-';
      const std::size_t minDigits = std::max(precision, zeroPad ? width - (negative && width > 0 ? 1 : 0) : 0);
      const std::size_t digits = piece.size() - (negative ? 1 : 0);
      if (minDigits > digits) piece.insert(negative ? 1 : 0, minDigits - digits, u'0');
    }
    if (piece.size() < width) piece.insert(0, width - piece.size(), u' ');
    out += piece;
    i = j;
  }
  return out;
}

}  // namespace wayloom
