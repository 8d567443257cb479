// The merge-fields dialog (6002): what goes before and after each new name (a text, a
// sequence number or the old name), OK only for the pairs the merge can build.
#pragma once

#include <optional>

#include "editing/EntryEditing.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kMergeFieldsDialogId = 6002;

std::optional<MergeFieldsChoice> RunMergeFieldsDialog(HINSTANCE instance, DialogFrame& frame);

}  // namespace wayloom
