// Text crosses into Win32 calls as wchar_t. On Windows wchar_t is a 16-bit unit, so
// both directions are plain copies of UTF-16 units.
#pragma once

#include <string>
#include <string_view>

#include "core/Text.h"

namespace wayloom {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");

inline std::wstring ToWide(TextView text) { return std::wstring(text.begin(), text.end()); }

inline Text FromWide(std::wstring_view text) { return Text(text.begin(), text.end()); }

// A null-terminated Text seen as a Win32 string, without copying.
inline const wchar_t* WidePointer(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

}  // namespace wayloom
