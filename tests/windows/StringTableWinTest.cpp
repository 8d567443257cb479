// The .rc string table and the portable table come from one source: every id loads the
// same text through LoadStringW as through the portable lookup.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/StringTable.h"
#include "platform/win32/WideText.h"

namespace wayloom {
namespace {

TEST(StringTableWinTest, ResourcesMatchThePortableTable) {
  ASSERT_GT(kStringTableSize, 250u);
  HINSTANCE module = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < kStringTableSize; ++i) {
    const StringTableEntry& entry = kStringTable[i];
    const wchar_t* resource = nullptr;
    // With a zero buffer size LoadStringW returns a pointer to the resource text itself.
    const int length = LoadStringW(module, static_cast<UINT>(entry.id), reinterpret_cast<LPWSTR>(&resource), 0);
    ASSERT_GT(length, 0) << entry.id;
    EXPECT_EQ(FromWide(std::wstring_view(resource, static_cast<std::size_t>(length))), TextView(entry.text))
        << entry.id;
  }
  EXPECT_EQ(TextView(LoadText(14225)), u"檔案的內容有問題\n\n%s");
  EXPECT_EQ(TextView(LoadText(14278)), u"System\\CurrentControlSet\\Services\\TomTomHOMEService");
}

}  // namespace
}  // namespace wayloom
