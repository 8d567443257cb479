// The ini store, with the semantics of the Windows private-profile functions:
// sections and keys compared without regard to case, keys may contain spaces, white space
// around keys and values is ignored, a missing key gives the caller's default.
#pragma once

#include <optional>

#include "core/Text.h"

namespace wayloom {

class Profile {
 public:
  virtual ~Profile() = default;

  // The value of the key, or nullopt when the section or key is missing.
  virtual std::optional<Text> ReadString(TextView section, TextView key) = 0;

  // Writes (creates or replaces) one key. Returns false when the file cannot be written.
  virtual bool WriteString(TextView section, TextView key, TextView value) = 0;

  // Removes one key; a key that is not there is no failure. Returns false when the file
  // cannot be written.
  virtual bool DeleteKey(TextView section, TextView key) = 0;

  // Reads an integer as GetPrivateProfileIntW does (see ParseProfileInt); a missing key
  // or an empty value gives the default.
  virtual int ReadInt(TextView section, TextView key, int defaultValue);

  // Reads a text value; a missing key gives the default.
  Text ReadText(TextView section, TextView key, TextView defaultValue);
  bool WriteInt(TextView section, TextView key, long long value);
};

// GetPrivateProfileIntW's reading of a value: leading white space, an optional sign,
// "0x" for hexadecimal (and, as Windows does, "0o" octal and "0b" binary; only the
// lower-case prefixes count, so "0X1F" reads 0), reading stops at the first other
// character; a value with no digits reads 0; an empty value gives the default. The
// result wraps to 32 bits as the Windows function does.
int ParseProfileInt(TextView value, int defaultValue);

}  // namespace wayloom
