// The duplicate-name question (6000), asked by a reader or a paste for a name the table
// already holds: keep it, drop it, or keep or drop every further one of this read.
#pragma once

#include "platform/Ui.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kDuplicateNameDialogId = 6000;

// The button pressed, a DuplicateAnswer (Esc and the close box are kKeepAll, button 2).
int RunDuplicateNameDialog(HINSTANCE instance, DialogFrame& frame, TextView name);

}  // namespace wayloom
