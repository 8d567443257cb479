// How the table looks: its font and text colour (command 1054, with an Apply button) and its
// tiled background picture (command 1055), applied at start from the "Font" keys too.
#pragma once

#include <windows.h>

namespace wayloom {

struct MainWindowState;

// The "Font" keys' font and colour and the background picture, at window creation.
void ApplyStoredTableLook(MainWindowState& state);
// 1054: the font chooser on the table's font; Apply previews without closing.
void ChooseTableFont(MainWindowState& state);
// The table's font with the face the system really draws with (a substitute name such as
// "MS Shell Dlg" is no entry of the font chooser's list), and its text colour.
LOGFONTW CurrentLogFont(const MainWindowState& state);
COLORREF CurrentTextColour(const MainWindowState& state);
// 1055: removes the picture in use, or chooses one and tiles it behind the rows.
void ToggleTablePicture(MainWindowState& state);

}  // namespace wayloom
