// Rows exchanged with other programs through a named shared block and two private
// messages sent to the other program's main window: another window of this program, or
// the companion points-of-interest editor. Also the device favourite (command 1029).
#pragma once

#include <windows.h>

#include "planning/RowDrag.h"

namespace wayloom {

struct MainWindowState;

constexpr UINT kExchangeMessage = 0x8000;  // wParam 1: may I send rows now?  0: read them
constexpr UINT kDragMessage = 0x8001;      // wParam 0: a drag is over you, 2: it left, 1: dropped
constexpr LRESULT kExchangeReady = 7;
constexpr LRESULT kExchangeBusy = 1;

// A top-level window of this program's class or of the companion's (case-insensitive).
bool IsExchangeWindow(HWND window);
// Asks target whether rows dragged over it can be dropped there (500 ms at most).
bool AskDropTarget(HWND target);
// Tells target the drag has left it.
void TellDragLeft(HWND target);

// Command 1029: the selected entry handed to the device maker's desktop application.
void AddToDeviceFavourites(MainWindowState& state);
// Command 1030: the selected rows sent to the running companion editor.
void SendToCompanion(MainWindowState& state);
// The selected rows dropped on another program's window; a move away then deletes them.
void DropRowsOnWindow(MainWindowState& state, HWND target, DragEffect effect);
// The main window's answer to kExchangeMessage and kDragMessage.
LRESULT OnExchangeMessage(MainWindowState& state, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace wayloom
