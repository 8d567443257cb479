// Pixel numbers of this program's layout are at 96 DPI; they scale with the DPI of the window
// they are used in, so that the program stays sharp and in proportion on today's screens.
#pragma once

#include <windows.h>

namespace wayloom {

// The window's DPI (per monitor where the system knows it, else the system's).
int WindowDpi(HWND window);
// pixels at 96 DPI, in the window's DPI.
int Scaled(HWND window, int pixels);

}  // namespace wayloom
