// The clear-fields dialog (6003): numbers before or after the names, longitudes,
// latitudes; OK only while something is ticked.
#pragma once

#include <optional>

#include "editing/EntryEditing.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kClearFieldsDialogId = 6003;

std::optional<ClearFieldsChoice> RunClearFieldsDialog(HINSTANCE instance, DialogFrame& frame);

}  // namespace wayloom
