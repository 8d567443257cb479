// The ini store read and written directly, for systems without the Windows profile
// functions. It reads what GetPrivateProfileStringW reads from the same file and writes
// files the Windows build reads back, so one ini file serves both builds.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/Profile.h"

namespace wayloom {

class IniFileProfile : public Profile {
 public:
  // How the file's text is stored; a rewrite keeps it.
  enum class Encoding { Utf16Le, Utf16Be, Utf8Bom, Utf8, Latin1 };

  explicit IniFileProfile(std::filesystem::path path);

  std::optional<Text> ReadString(TextView section, TextView key) override;
  bool WriteString(TextView section, TextView key, TextView value) override;
  bool DeleteKey(TextView section, TextView key) override;

  const std::filesystem::path& Path() const { return path_; }
  // The encoding of the file as last read or written (UTF-16LE for a file not yet there).
  Encoding FileEncoding();

 private:
  struct Stamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type modified{};
    bool operator==(const Stamp&) const = default;
  };
  static Stamp StampOf(const std::filesystem::path& path);
  // Reads the file again when it has not been read yet or changed on disk.
  void Refresh();
  void Load();
  std::string Serialize(const std::vector<Text>& lines, Encoding& encoding) const;
  // Writes lines as the file's new content and keeps them; false when that fails.
  bool Store(std::vector<Text> lines);

  std::filesystem::path path_;
  bool loaded_ = false;
  Stamp stamp_;
  Encoding encoding_ = Encoding::Utf16Le;
  bool crlf_ = true;
  std::vector<Text> lines_;  // without their line ends
};

}  // namespace wayloom
