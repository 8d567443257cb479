// UTF-16 text helpers. Every length the program counts is in UTF-16 units, so the
// portable code holds text as std::u16string and converts only at the edges.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wayloom {

using Text = std::u16string;
using TextView = std::u16string_view;

// Widens 7-bit text (literals, numbers) to UTF-16.
Text AsciiToText(std::string_view ascii);

// UTF-8 to UTF-16. Undecodable bytes become U+FFFD; lead bytes F0-FF take four bytes,
// E0-EF three, C0-DF two, a stray continuation byte one.
Text Utf8ToText(std::string_view bytes);
// Utf8ToText appended to out (readers decode into one reused buffer).
void AppendUtf8AsText(Text& out, std::string_view bytes);

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string TextToUtf8(TextView text);
// TextToUtf8 appended to out (writers format into one reused buffer).
void AppendTextAsUtf8(std::string& out, TextView text);

// Each byte is one character U+0000..U+00FF (ISO 8859-1).
Text Latin1ToText(std::string_view bytes);

// Cuts to at most maxUnits UTF-16 units without leaving a lone high surrogate at the end.
void CutToUnits(Text& text, std::size_t maxUnits);

inline bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// Case-insensitive comparison of ASCII letters only (file extensions, ini keys).
bool EqualsIgnoringAsciiCase(TextView a, TextView b);
char16_t AsciiUpper(char16_t c);

}  // namespace wayloom
