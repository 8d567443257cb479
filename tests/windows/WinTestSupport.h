// Shared helpers for the Windows tests: a fresh folder with a Chinese name for each test,
// file bytes, a Ui that records the messages and gives one answer, and the cases and
// failing store the unit tests share.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../unit/ProfileCases.h"
#include "platform/Ui.h"
#include "platform/win32/WideText.h"

namespace wayloom::testing {

class WinTempFolder {
 public:
  WinTempFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    const char* test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    path_ = std::filesystem::path(temp) / (L"wayloom \x6E2C\x8A66 " + std::filesystem::path(test).wstring());
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
    std::filesystem::create_directories(path_);
  }
  ~WinTempFolder() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ec))
      SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path_, ec);
  }
  std::filesystem::path operator/(const std::wstring& name) const { return path_ / name; }
  Text PathOf(const std::wstring& name) const { return FromWide((name.empty() ? path_ : path_ / name).wstring()); }
  std::size_t FileCount() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(path_), {}));
  }

 private:
  std::filesystem::path path_;
};

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class AnsweringUi : public Ui {
 public:
  MessageResult ShowMessage(int id, const FormatArg&, MessageIcon, MessageButtons, bool) override {
    shown.push_back(id);
    return answer;
  }
  std::vector<int> shown;
  MessageResult answer = MessageResult::Ok;
};

}  // namespace wayloom::testing
