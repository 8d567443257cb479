#include "platform/win32/Win32Profile.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace wayloom {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows text is UTF-16");

std::wstring ToWide(TextView text) { return std::wstring(text.begin(), text.end()); }

// Reads one key with the given default; returns what the function copied.
std::wstring ReadWithDefault(const std::wstring& section, const std::wstring& key,
                             const wchar_t* defaultValue, const std::wstring& path) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), defaultValue,
                                                  buffer.data(), size, path.c_str());
    // A result of size - 1 means the value may have been cut: try a larger buffer.
    if (copied + 1 < size || size >= (1u << 20)) return std::wstring(buffer.data(), copied);
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

Win32Profile::Win32Profile(std::filesystem::path path) : path_(path.wstring()) {}

std::optional<Text> Win32Profile::ReadString(TextView section, TextView key) {
  const std::wstring sectionW = ToWide(section), keyW = ToWide(key);
  // Two different defaults tell a missing key from a key holding the first one.
  static const wchar_t kFirst[] = L"\x1\xFFFF\x2", kSecond[] = L"\x2\xFFFF\x1";
  std::wstring value = ReadWithDefault(sectionW, keyW, kFirst, path_);
  if (value == kFirst) {
    if (ReadWithDefault(sectionW, keyW, kSecond, path_) == kSecond) return std::nullopt;
  }
  return Text(value.begin(), value.end());
}

int Win32Profile::ReadInt(TextView section, TextView key, int defaultValue) {
  return static_cast<int>(GetPrivateProfileIntW(ToWide(section).c_str(), ToWide(key).c_str(),
                                                defaultValue, path_.c_str()));
}

void Win32Profile::PrepareFile() {
  // CREATE_NEW fails, leaving it alone, when the file is already there.
  const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static const unsigned char kMark[2] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file, kMark, sizeof kMark, &written, nullptr);
  CloseHandle(file);
}

bool Win32Profile::WriteString(TextView section, TextView key, TextView value) {
  PrepareFile();
  return WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(),
                                    ToWide(value).c_str(), path_.c_str()) != FALSE;
}

bool Win32Profile::DeleteKey(TextView section, TextView key) {
  // A null value removes the key.
  return WritePrivateProfileStringW(ToWide(section).c_str(), ToWide(key).c_str(), nullptr, path_.c_str()) != FALSE;
}

}  // namespace wayloom
