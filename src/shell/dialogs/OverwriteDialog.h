// Dialog 6001 of the batch conversion: a target file exists; overwrite it, all of them,
// not this one, none of them, or stop the run.
#pragma once

#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kOverwriteDialogId = 6001;

// An OverwriteAnswer (platform/Ui.h); Esc and the close box give kOverwriteCancel.
int RunOverwriteDialog(HINSTANCE instance, DialogFrame& frame, TextView fileName);

}  // namespace wayloom
