// Where the main window opens: the stored rectangle clamped into the work area.
#pragma once

#include "core/Settings.h"

namespace wayloom {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

struct Placement {
  int x = 0, y = 0, width = 0, height = 0;
  int show = 1;  // 3 maximised, otherwise 1 (normal)
};

constexpr int kMinWindowWidth = 480;
constexpr int kMinWindowHeight = 320;

// startShow is the show command the program was started with (the default of "Show").
Placement PlaceMainWindow(const WindowSettings& stored, const Rect& workArea, int startShow);

struct Point {
  int x = 0, y = 0;
};
// Where a dialog width x height goes: centred over its owner, kept 7 pixels inside the
// work area, never above or left of it.
Point CentredDialogPosition(const Rect& owner, int width, int height, const Rect& workArea);

}  // namespace wayloom
