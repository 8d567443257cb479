// The preferences dialog (6011): the 21 options, the recent-list length, the automatic-save
// interval and the map language, with the dependent controls enabled by their switches.
#pragma once

#include "core/Settings.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kPreferencesDialogId = 6011;

// True for OK, with settings changed (the numbers only where their switch is on).
bool RunPreferencesDialog(HINSTANCE instance, DialogFrame& frame, Settings& settings, bool modernVisuals);

}  // namespace wayloom
