#include "core/NumberText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace wayloom {

namespace {
bool IsSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
}  // namespace

ParsedNumber ParseDecimalPrefix(TextView text, std::size_t start) {
  ParsedNumber result;
  result.end = start;
  std::size_t i = start;
  const std::size_t n = text.size();
  while (i < n && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  const std::size_t mantissaStart = i;
  std::size_t digits = 0;
  while (i < n && IsAsciiDigit(text[i])) ++i, ++digits;
  if (i < n && text[i] == u'.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < n && IsAsciiDigit(text[j])) ++j, ++fraction;
    if (digits + fraction > 0) {
      digits += fraction;
      i = j;
    }
  }
  if (digits == 0) return result;
  std::size_t mantissaEnd = i;
  if (i < n && (text[i] == u'e' || text[i] == u'E')) {
    std::size_t j = i + 1;
    if (j < n && (text[j] == u'+' || text[j] == u'-')) ++j;
    const std::size_t exponentDigits = j;
    while (j < n && IsAsciiDigit(text[j])) ++j;
    if (j > exponentDigits) mantissaEnd = i = j;
  }
  // The grammar is checked above; from_chars reads the same characters without a locale.
  std::string ascii;
  ascii.reserve(mantissaEnd - mantissaStart);
  for (std::size_t k = mantissaStart; k < mantissaEnd; ++k) ascii.push_back(static_cast<char>(text[k]));
  double value = 0;
  auto [ptr, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Overflow or underflow: decide by the size of the number.
    const std::size_t e = ascii.find_first_of("eE");
    long exponentSign = (e != std::string::npos && e + 1 < ascii.size() && ascii[e + 1] == '-') ? -1 : 1;
    bool mantissaLarge = ascii.find_first_of("123456789") < (e == std::string::npos ? ascii.size() : e);
    value = (exponentSign > 0 && mantissaLarge) ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    return result;
  }
  result.value = negative ? -value : value;
  result.end = i;
  result.found = true;
  return result;
}

Text FormatFixed5(double value) {
  char buffer[400];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 5);
  if (ec != std::errc()) return Text();
  return AsciiToText(std::string_view(buffer, static_cast<std::size_t>(ptr - buffer)));
}

double RoundHalfAway(double value) { return std::round(value); }

Text IntegerText(long long value) {
  char buffer[32];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return AsciiToText(std::string_view(buffer, static_cast<std::size_t>(ptr - buffer)));
}

}  // namespace wayloom
