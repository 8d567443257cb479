// The convention every dialog of the program follows: the opening command's toolbar image
// as the dialog's icon, centred over its owner, faded in and out when "Fade Window" is on,
// the command's button pressed while it is open.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "core/Text.h"

namespace wayloom {

// What a dialog needs from the window that opens it; handed over as the dialog's
// creation parameter and kept in its user data.
struct DialogFrame {
  HWND owner = nullptr;
  int command = 0;                   // the opening command (its icon, its button)
  bool fade = false;                 // "Fade Window"
  HIMAGELIST smallImages = nullptr;  // the 16-pixel toolbar images, when there are any
  int image = -1;                    // the command's image in smallImages
  void* data = nullptr;              // the dialog's own input/output struct
  HICON icon = nullptr;              // made at opening, destroyed at closing
};

// Places window over its owner (the desktop when it has none), inside the work area.
void CentreDialog(HWND window);
// Shows window faded from transparent to alpha (with fading off: just clears the layered style).
void FadeWindowIn(HWND window, bool fade, BYTE alpha, int showCommand);
// Fades a layered window out (nothing when fading is off).
void FadeWindowOut(HWND window, bool fade);

// WM_INITDIALOG of every dialog: keeps the frame, sets the icon (the owner's when the frame has
// no command image), centres, fades in.
void OpenDialogFrame(HWND dialog, DialogFrame& frame);
// The icon, centring and fade-in alone, and the fade-out and icon's end, for a window whose
// user data belongs to someone else (the shell's folder browser).
void DecorateDialog(HWND dialog, DialogFrame& frame);
void UndecorateDialog(HWND dialog, DialogFrame& frame);
DialogFrame* FrameOf(HWND dialog);
// Fades out, destroys the icon and ends the dialog with result.
void CloseDialogFrame(HWND dialog, INT_PTR result);

// The program's modal dialogs and message boxes open now: with the checks' own share, the
// main window's ModalDepth (the companion program is told the window is busy while it is not 0).
int OpenModalCount();
// Counts one modal dialog or message box for as long as it lives.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

// The common file dialogs follow the convention through a hook: centred once initialised,
// the command's icon, faded in and out. frame must outlive the dialog.
void FrameFileDialog(OPENFILENAMEW& dialog, DialogFrame& frame);

// Runs dialog id modally with frame (its data set to data) as the WM_INITDIALOG parameter;
// true when it ended with OK.
bool RunFramedDialog(HINSTANCE instance, int id, DialogFrame& frame, void* data, DLGPROC procedure);
// The text of a dialog's control, and whether a check box or radio is ticked.
Text DialogItemText(HWND dialog, int control);
bool IsTicked(HWND dialog, int control);

}  // namespace wayloom
