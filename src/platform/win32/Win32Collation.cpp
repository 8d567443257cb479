#include "platform/win32/Win32Collation.h"

#include <windows.h>
#include <shlwapi.h>

namespace wayloom {

namespace {

void CopyWide(TextView text, std::wstring& out) {
  out.assign(text.begin(), text.end());  // wchar_t is UTF-16 on Windows
}

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

}  // namespace

int Win32Collation::CompareLogical(TextView a, TextView b) const {
  CopyWide(a, first_);
  CopyWide(b, second_);
  return Sign(StrCmpLogicalW(first_.c_str(), second_.c_str()));
}

int Win32Collation::CompareLocale(TextView a, TextView b) const {
  CopyWide(a, first_);
  CopyWide(b, second_);
  return Sign(lstrcmpW(first_.c_str(), second_.c_str()));
}

}  // namespace wayloom
