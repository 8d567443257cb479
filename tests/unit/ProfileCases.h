// Cases and helpers that both the unit tests and the Windows tests run: the ini reading
// rules, the profile-int reading, one set of settings with every value changed and a store
// whose files fail half-way. Under Wine the same tables are checked against Windows.
#pragma once

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "core/Settings.h"
#include "platform/FileStore.h"
#include "platform/posix/IniFileProfile.h"

namespace wayloom::testing {

// The text in UTF-16 behind its byte-order mark.
inline std::string Utf16Bytes(TextView text, bool bigEndian = false) {
  std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

// Values as GetPrivateProfileIntW reads them, with -5 as the default.
struct IntCase {
  const char16_t* text;
  int expected;
};
inline const IntCase kProfileIntCases[] = {
    {u"", -5}, {u"42", 42}, {u"  \t-12", -12}, {u"+7", 7}, {u"12abc", 12}, {u"abc", 0},
    {u"  ", 0}, {u"-", 0}, {u"- 5", 0}, {u"--5", 0}, {u"0x1F", 31}, {u"0x1f", 31},
    {u"-0x10", -16}, {u"0X1F", 0}, {u"0x", 0}, {u"0xg", 0}, {u"0b101", 5}, {u"0b102", 2}, {u"0o17", 15},
    {u"019", 19}, {u"\x01\x1f" u"9", 9}, {u"\u3000" u"9", 0}, {u"\u00A0" u"5", 0}, {u"\uFF19", 0},
    {u"2147483647", INT_MAX}, {u"2147483648", INT_MIN}, {u"4294967297", 1}, {u"0x7fffffff", INT_MAX},
    {u"0xFFFFFFFF", -1}, {u"-2147483648", INT_MIN}, {u"16775408", 0xFFF8F0},
};

// One file and one key read from it; nullopt: the key is not found.
struct IniReadCase {
  const char* name;
  std::string file;
  const char16_t* section;
  const char16_t* key;
  std::optional<Text> expected;
  IniFileProfile::Encoding encoding = IniFileProfile::Encoding::Utf8;
};
inline const IniReadCase kIniReadCases[] = {
    {"plain", "[Options]\r\nShow Toolbar=1\r\n", u"Options", u"Show Toolbar", u"1"},
    {"section and key case", "[OPTIONS]\r\nshow toolbar=0\r\n", u"options", u"SHOW TOOLBAR", u"0"},
    {"white space trimmed", "  [Options]  \r\n \t Show Toolbar \t=  a b  \t\r\n", u"Options", u"Show Toolbar", u"a b"},
    {"requested names trimmed", "[Options]\r\nKey=v\r\n", u" Options ", u"  Key\t", u"v"},
    {"spaces inside brackets", "[ Options ]\r\nKey=v\r\n", u"Options", u"Key", u"v"},
    {"text after the bracket", "[Options] old\r\nKey=v\r\n", u"Options", u"Key", u"v"},
    {"double quotes removed", "[S]\r\nK=\" 5 \"\r\n", u"S", u"K", u" 5 "},
    {"single quotes removed", "[S]\r\nK='x'\r\n", u"S", u"K", u"x"},
    {"unmatched quotes kept", "[S]\r\nK=\"x'\r\n", u"S", u"K", u"\"x'"},
    {"lone quote kept", "[S]\r\nK=\"\r\n", u"S", u"K", u"\""},
    {"empty quotes", "[S]\r\nK=\"\"\r\n", u"S", u"K", u""},
    {"inner quotes kept", "[S]\r\nK=a \"b\" c\r\n", u"S", u"K", u"a \"b\" c"},
    {"empty value is present", "[S]\r\nK=\r\n", u"S", u"K", u""},
    {"blank value is empty", "[S]\r\nK=  \r\n", u"S", u"K", u""},
    {"equals sign in value", "[S]\r\nK=a=b\r\n", u"S", u"K", u"a=b"},
    {"comment line", "[S]\r\n;K=1\r\n", u"S", u"K", std::nullopt},
    {"first key wins", "[S]\r\nK=1\r\nk=2\r\n", u"S", u"K", u"1"},
    {"only the first section counts", "[S]\r\nA=1\r\n[s]\r\nB=2\r\n", u"S", u"B", std::nullopt},
    {"key in the next section", "[S]\r\n[T]\r\nK=1\r\n", u"S", u"K", std::nullopt},
    {"bare key hides a later one", "[S]\r\nK\r\nK=5\r\n", u"S", u"K", std::nullopt},
    {"unclosed section is a key", "[S]\r\n[T\r\nK=1\r\n", u"S", u"K", u"1"},
    {"key before any section", "K=1\r\n[S]\r\n", u"S", u"K", std::nullopt},
    {"missing section", "[S]\r\nK=1\r\n", u"T", u"K", std::nullopt},
    {"missing key", "[S]\r\nK=1\r\n", u"S", u"L", std::nullopt},
    {"prefix of a key", "[S]\r\nKey=1\r\n", u"S", u"Ke", std::nullopt},
    {"LF line ends", "[S]\nA=1\nK=2\n", u"S", u"K", u"2"},
    {"lone CR line ends", "[S]\rA=1\rK=2", u"S", u"K", u"2"},
    {"no final line end", "[S]\r\nK=2", u"S", u"K", u"2"},
    {"DOS end-of-file mark trimmed", "[S]\r\nK=1\x1a\r\n\x1a", u"S", u"K", u"1"},
    {"no-break space kept", "[S]\r\nK=\xC2\xA0" "1\r\n", u"S", u"K", u"\u00A0" u"1"},
    {"Chinese in UTF-8", "[S]\r\n\xE8\xB7\xAF\xE5\xBE\x91=\xE5\x8F\xB0\xE5\x8C\x97\r\n", u"S", u"\u8DEF\u5F91",
     u"\u53F0\u5317"},
    // How the encoding is told.
    {"UTF-16LE", Utf16Bytes(u"[S]\r\nK=\u4E2D\u6587\r\n"), u"S", u"K", u"\u4E2D\u6587", IniFileProfile::Encoding::Utf16Le},
    {"UTF-16LE section", Utf16Bytes(u"[\u5340 \u6BB5]\r\n\u9375 \u540D=\u00A0" u"5\r\n"), u"\u5340 \u6BB5",
     u"\u9375 \u540D", u"\u00A0" u"5", IniFileProfile::Encoding::Utf16Le},
    {"UTF-16LE odd length", Utf16Bytes(u"[S]\r\nK=ab") + "c", u"S", u"K", u"ab", IniFileProfile::Encoding::Utf16Le},
    {"UTF-16BE", Utf16Bytes(u"[\u5340]\r\n[S]\r\nK=\u4E2D\r\n", true), u"S", u"K", u"\u4E2D",
     IniFileProfile::Encoding::Utf16Be},
    {"UTF-8 with mark", "\xEF\xBB\xBF[S]\r\nK=\xE4\xB8\xAD\r\n", u"S", u"K", u"\u4E2D", IniFileProfile::Encoding::Utf8Bom},
    {"Latin-1", "[S]\r\nK=caf\xE9\r\n", u"S", u"K", u"caf\u00E9", IniFileProfile::Encoding::Latin1},
    {"cut UTF-8 is Latin-1", "[S]\r\nK=\xE4\xB8\r\n", u"S", u"K", u"\u00E4\u00B8", IniFileProfile::Encoding::Latin1},
    {"NUL ends a value", Utf16Bytes(Text(u"[S]\r\nK=x\0y\r\n", 12)), u"S", u"K", u"x", IniFileProfile::Encoding::Utf16Le},
    {"NUL inside quotes", Utf16Bytes(Text(u"[S]\r\nK=\"a\0b\"\r\n", 14)), u"S", u"K", u"\"a",
     IniFileProfile::Encoding::Utf16Le},
};

// Every setting away from its default, as a user might leave them.
inline Settings ChangedSettings() {
  Settings settings = DefaultSettings(true);
  for (int i = 0; i < kOptionCount; ++i) settings.options[i] = i % 3 == 0;
  settings.Set(Option::RecentFile, true);
  settings.Set(Option::BackupFile, true);
  settings.fileCount = 4;
  settings.recentFiles = {u"C:\\\u884C\u7A0B\\\u4E00.itn", u"C:\\trips\\two words.itn"};
  settings.backupInterval = 25;
  settings.googleMapsLang = 6;
  settings.adjacentDistance = 3;
  settings.toolbarSpacing = 4;
  settings.font.name = u"\u7D30\u660E\u9AD4";
  settings.font.height = -21;
  settings.font.weight = 700;
  settings.font.italic = true;
  settings.font.color = 0x00FFFFFF;
  settings.font.background = u"C:\\\u5716\u7247.bmp";
  settings.font.useBackground = true;
  return settings;
}

inline void ExpectSameSettings(const Settings& a, const Settings& b) {
  const auto tie = [](const Settings& s) {
    return std::tie(s.options, s.fileCount, s.recentFiles, s.backupInterval, s.googleMapsLang, s.adjacentDistance,
                    s.toolbarBackground, s.toolbarSpacing, s.font.name, s.font.height, s.font.weight, s.font.italic,
                    s.font.color, s.font.background, s.font.useBackground, s.lastNotify, s.shortestRoute);
  };
  EXPECT_TRUE(tie(a) == tie(b));
}

// A real file store whose files fail to write after 100 bytes (a full disk).
template <class Store>
class FullDiskStore : public Store {
  class FailingFile : public OutputFile {
   public:
    explicit FailingFile(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {}
    bool Write(const void* data, std::size_t size) override { return (written_ += size) < 100 && file_->Write(data, size); }
    bool Commit() override { return file_->Commit(); }

   private:
    std::unique_ptr<OutputFile> file_;
    std::size_t written_ = 0;
  };

 public:
  std::unique_ptr<OutputFile> CreateOutput(TextView path, CreateResult& result) override {
    auto file = Store::CreateOutput(path, result);
    return file ? std::make_unique<FailingFile>(std::move(file)) : nullptr;
  }
};

}  // namespace wayloom::testing
