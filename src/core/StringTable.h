// The program's texts, keyed by the resource string ids (generated from resources/strings.txt).
#pragma once

#include <cstddef>
#include <initializer_list>

#include "core/Text.h"

namespace wayloom {

struct StringTableEntry {
  int id;
  const char16_t* text;
};
extern const StringTableEntry kStringTable[];
extern const std::size_t kStringTableSize;

// The text of a string id; empty when there is none.
TextView LoadText(int id);

// One printf-style argument, as the message helper passes it.
struct FormatArg {
  enum class Kind { None, Text, Integer } kind = Kind::None;
  Text text;
  long long number = 0;
  FormatArg() = default;
  FormatArg(TextView t) : kind(Kind::Text), text(t) {}
  FormatArg(const Text& t) : kind(Kind::Text), text(t) {}
  FormatArg(const char16_t* t) : kind(Kind::Text), text(t) {}
  FormatArg(long long n) : kind(Kind::Integer), number(n) {}
  FormatArg(int n) : kind(Kind::Integer), number(n) {}
};

// printf-style formatting of %s, %d, %u (with optional '0' flag, width and precision)
// and %%, the arguments taken in order; missing ones format as empty text or 0.
Text FormatText(TextView format, std::initializer_list<FormatArg> args);
inline Text FormatText(TextView format, const FormatArg& arg = FormatArg()) { return FormatText(format, {arg}); }
inline Text FormatString(int id, const FormatArg& arg = FormatArg()) { return FormatText(LoadText(id), arg); }
inline Text FormatString(int id, std::initializer_list<FormatArg> args) { return FormatText(LoadText(id), args); }

constexpr int kProductNameString = 14288;

}  // namespace wayloom
