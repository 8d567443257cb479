// The ini store through the Windows profile functions (GetPrivateProfileStringW and
// friends), on the ini file beside the program.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/Profile.h"

namespace wayloom {

class Win32Profile : public Profile {
 public:
  explicit Win32Profile(std::filesystem::path path);

  std::optional<Text> ReadString(TextView section, TextView key) override;
  bool WriteString(TextView section, TextView key, TextView value) override;
  bool DeleteKey(TextView section, TextView key) override;
  int ReadInt(TextView section, TextView key, int defaultValue) override;

  const std::wstring& Path() const { return path_; }

 private:
  // Before every write, a missing file is created holding only the UTF-16 byte order mark,
  // so that Windows writes it as UTF-16 and Chinese text survives.
  void PrepareFile();

  std::wstring path_;
};

}  // namespace wayloom
