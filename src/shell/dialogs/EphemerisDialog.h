// The ephemeris update dialog (6010): runs the update's steps on a 500 ms timer, with the
// chip kind and the target drive to choose by hand, a retry after errors, and the status
// bar's marquee shown while it works.
#pragma once

#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kEphemerisDialogId = 6010;

struct MainWindowState;
// Command 1047.
void UpdateEphemeris(MainWindowState& state);

}  // namespace wayloom
