// The question for a GPX or KML file without waypoints: read its route points, or its
// track reduced to at most N entries, or nothing. The resource ids are shared with
// PathChoiceDialog.rc, so the C++ part is hidden from the resource compiler.
#ifndef WAYLOOM_SHELL_DIALOGS_PATH_CHOICE_DIALOG_H
#define WAYLOOM_SHELL_DIALOGS_PATH_CHOICE_DIALOG_H

#define IDD_PATH_CHOICE 6010
#define IDC_PATH_QUESTION 6011
#define IDC_PATH_ROUTE 6012
#define IDC_PATH_TRACK 6013
#define IDC_PATH_TRACK_ENTRIES 6014
#define IDC_PATH_ENTRIES_UNIT 6015

#ifndef RC_INVOKED
#include "platform/Ui.h"
#include "shell/DialogSupport.h"

namespace wayloom {

// Runs the dialog in frame; the choices that the summary has no points for are greyed.
// Cancel (or Esc) gives PathAnswer::Cancel.
PathChoice RunPathChoiceDialog(HINSTANCE instance, DialogFrame& frame, TextView question, const PathSummary& summary);

}  // namespace wayloom
#endif

#endif
