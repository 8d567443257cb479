// Text rules every reader and editor applies to names and cell texts.
#pragma once

#include "core/Text.h"

namespace wayloom {

constexpr std::size_t kMaxNameUnits = 255;

// Trims spaces and ideographic spaces at both ends, then deletes control characters and
// the invisible format characters (bidirectional marks, joiners) anywhere.
void CleanText(Text& text);

// Makes a file's or user's text a valid entry name: cut to 255 units, '|', '>', TAB, CR,
// LF become spaces, then CleanText. Returns false (rejected) when nothing is left.
bool NormaliseName(Text& name);

// True for an optional sign, digits and at most one '.', with at least one digit
// (after CleanText): tells a real zero from text that merely parses as zero.
bool IsPlainNumber(TextView text);

}  // namespace wayloom
