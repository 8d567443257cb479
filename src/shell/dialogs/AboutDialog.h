// The about box (command 1062): the program's icon, name, version and copyright. Any
// button, key command or click closes it.
#pragma once

#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kAboutDialogId = 6012;

void RunAboutDialog(HINSTANCE instance, DialogFrame& frame);

}  // namespace wayloom
