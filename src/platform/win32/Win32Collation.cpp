#include "platform/win32/Win32Collation.h"

#include <windows.h>
#include <shlwapi.h>

namespace wayloom {

namespace {

void CopyWide(TextView text, std::wstring& out) {
  out.assign(text.begin(), text.end());  // wchar_t is UTF-16 on Windows
}

int Sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

// NORM_IGNORECASE | NORM_IGNORESYMBOLS | NORM_IGNOREKANATYPE | NORM_IGNOREWIDTH.
constexpr DWORD kLooseFlags = 0x30005;
// Names are at most 255 units; longer texts are compared by their first million.
constexpr std::size_t kMaxUnits = 1 << 20;

const wchar_t* Wide(TextView text) { return reinterpret_cast<const wchar_t*>(text.data()); }
int Length(TextView text) { return static_cast<int>(text.size() < kMaxUnits ? text.size() : kMaxUnits); }

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

bool Win32Collation::EqualIgnoringCaseSymbolsWidth(TextView a, TextView b) const {
  // CompareStringW refuses a null pointer even with a length of 0.
  static const wchar_t kEmpty[] = L"";
  const wchar_t* first = a.empty() ? kEmpty : Wide(a);
  const wchar_t* second = b.empty() ? kEmpty : Wide(b);
  return CompareStringW(LOCALE_USER_DEFAULT, kLooseFlags, first, Length(a), second, Length(b)) == CSTR_EQUAL;
}

std::string Win32Collation::LooseKey(TextView text) const {
  // LCMapStringW refuses an empty source: a lone space, which the flags ignore, stands in
  // for it so that an empty name and a name of symbols only get the same key.
  if (text.empty()) text = u" ";
  const DWORD flags = LCMAP_SORTKEY | kLooseFlags;
  const int bytes = LCMapStringW(LOCALE_USER_DEFAULT, flags, Wide(text), Length(text), nullptr, 0);
  if (bytes <= 0) return std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  std::string key(static_cast<std::size_t>(bytes), '\0');
  const int written = LCMapStringW(LOCALE_USER_DEFAULT, flags, Wide(text), Length(text),
                                   reinterpret_cast<wchar_t*>(key.data()), bytes);
  key.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
  return key;
}

void Win32Collation::FoldCase(Text& text) const {
  if (!text.empty()) CharLowerBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(Length(text)));
}

}  // namespace wayloom
