// The find (6004) and replace (6005) dialogs: the texts and the three options, OK only
// while there is something to find.
#pragma once

#include <optional>

#include "editing/FindReplace.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kFindDialogId = 6004;
constexpr int kReplaceDialogId = 6005;

// The options after OK; nothing on Cancel. replacing picks dialog 6005.
std::optional<SearchOptions> RunSearchDialog(HINSTANCE instance, DialogFrame& frame, const SearchOptions& shown,
                                             bool replacing);

}  // namespace wayloom
