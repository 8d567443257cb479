// The shared parts of the ini store: reading integers the way the Windows profile
// functions do, and the text/number helpers every Profile gets.
#include "platform/Profile.h"

#include <cstdint>
#include <string>

namespace wayloom {

int ParseProfileInt(TextView value, int defaultValue) {
  if (value.empty()) return defaultValue;
  std::size_t i = 0;
  const std::size_t n = value.size();
  // Every control character and the space count as leading white space.
  while (i < n && value[i] <= u' ') ++i;
  bool negative = false;
  if (i < n && (value[i] == u'+' || value[i] == u'-')) {
    negative = value[i] == u'-';
    ++i;
  }
  // Only the lower-case prefixes select another base, as in Windows.
  std::uint32_t base = 10;
  if (n - i >= 2 && value[i] == u'0') {
    if (value[i + 1] == u'x') base = 16;
    else if (value[i + 1] == u'o') base = 8;
    else if (value[i + 1] == u'b') base = 2;
    if (base != 10) i += 2;
  }
  std::uint32_t total = 0;  // unsigned: wraps to 32 bits like the Windows function
  for (; i < n; ++i) {
    const char16_t c = value[i];
    std::uint32_t digit;
    if (c >= u'0' && c <= u'9') digit = c - u'0';
    else if (c >= u'a' && c <= u'z') digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'Z') digit = c - u'A' + 10;
    else break;
    if (digit >= base) break;
    total = total * base + digit;
  }
  if (negative) total = 0u - total;
  return static_cast<int>(total);
}

int Profile::ReadInt(TextView section, TextView key, int defaultValue) {
  const std::optional<Text> value = ReadString(section, key);
  if (!value) return defaultValue;
  return ParseProfileInt(*value, defaultValue);
}

Text Profile::ReadText(TextView section, TextView key, TextView defaultValue) {
  std::optional<Text> value = ReadString(section, key);
  if (!value) return Text(defaultValue);
  return std::move(*value);
}

bool Profile::WriteInt(TextView section, TextView key, long long value) {
  return WriteString(section, key, AsciiToText(std::to_string(value)));
}

}  // namespace wayloom
