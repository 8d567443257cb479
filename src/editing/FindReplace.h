// Find (1023), find next (1024), replace (1025), replace current and find next (1026),
// nudge coordinates (1027), select all (1031) and invert selection (1032). The search
// texts and options (SearchOptions, platform/Ui.h) live beside the table for the
// program's lifetime and change only through the dialogs' OK.
#pragma once

#include <optional>

#include "core/CommandContext.h"
#include "platform/Clock.h"

namespace wayloom {

// The find and replace texts and options, kept for the program's lifetime; the find
// (6004) and replace (6005) dialogs show them and return them changed.
struct SearchOptions {
  Text findText;     // at most 255 characters
  Text replaceText;  // at most 255 characters
  bool matchCase = false;
  bool namesOnly = false;
  bool allMatches = false;
};

// The find (6004) and replace (6005) dialogs over the options shown; nullopt is Cancel.
class SearchDialogs {
 public:
  virtual ~SearchDialogs() = default;
  virtual std::optional<SearchOptions> AskFind(const SearchOptions& shown) { return std::nullopt; }
  virtual std::optional<SearchOptions> AskReplace(const SearchOptions& shown) { return std::nullopt; }
};


// Whether text contains what (case-sensitive with matchCase, else without regard to case);
// an empty what is never found.
bool TextContains(TextView text, TextView what, bool matchCase);
// text with every occurrence of what replaced by with, left to right, each search
// resuming behind the replaced occurrence.
Text ReplaceOccurrences(TextView text, TextView what, TextView with, bool matchCase);

// Selects and focuses the matching rows from start: the first match (wrapping past the
// last row; -1 when there is none), or with selectAll every match to the last row (0).
// A start past the end selects nothing and gives 0.
long long FindFrom(DocumentState& doc, const SearchOptions& options, std::size_t start, bool selectAll);
// Replaces in the searched cells from start: in every row to the last with all (those
// changed are selected), otherwise in the first row where something changes (wrapping).
// Returns whether any row changed.
bool ReplaceIn(CommandContext& context, const SearchOptions& options, std::size_t start, bool all);

void Find(CommandContext& context, SearchDialogs& dialogs, SearchOptions& options);            // 1023
void FindNext(CommandContext& context, const SearchOptions& options);  // 1024
void Replace(CommandContext& context, SearchDialogs& dialogs, SearchOptions& options);         // 1025
void ReplaceNext(CommandContext& context, const SearchOptions& options);  // 1026
// 1027: moves each located selected row (every row with none selected) by -2..+2 units of
// 1e-5 degree on each axis, the generator seeded from the clock's tick count.
void NudgeCoordinates(CommandContext& context, const Clock& clock);
void SelectAllRows(DocumentState& doc);     // 1031
void InvertSelection(DocumentState& doc);   // 1032

}  // namespace wayloom
