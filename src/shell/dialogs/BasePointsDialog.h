// The base-points dialog (6009): the personal list of base points beside a column of
// buttons, resizable, its rows drawn in the table's font and text colour. The list's rules
// (buttons, their enabling, the ini file) are BasePointDialog's; the window only shows its
// entries, mirrors the selection and forwards the buttons.
#pragma once

#include "planning/BasePoints.h"
#include "shell/DialogSupport.h"

namespace wayloom {

constexpr int kBasePointsDialogId = 6009;

// How the main table looks, for the list to look the same.
struct BasePointListLook {
  HFONT font = nullptr;  // the table's font (nullptr: the dialog's)
  COLORREF textColour = 0;
  bool gridLines = false;  // the table's grid lines (older visuals)
  bool lngFirst = false;   // "Lng First": the coordinate columns' order
};

// Runs the dialog over model; returns 1 when an entry was set as the base point, else 2.
int RunBasePointsDialog(HINSTANCE instance, DialogFrame& frame, BasePointDialog& model, const BasePointListLook& look);

}  // namespace wayloom
