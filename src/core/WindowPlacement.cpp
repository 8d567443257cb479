#include "core/WindowPlacement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace wayloom {

namespace {

constexpr int kShowNormal = 1;
constexpr int kShowMaximized = 3;

// Stored values may be anything: the sums are done in 64 bits and brought back into range.
int ToInt(std::int64_t value) {
  return static_cast<int>(std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

}  // namespace

Placement PlaceMainWindow(const WindowSettings& stored, const Rect& workArea, int startShow) {
  const std::int64_t left = workArea.left, top = workArea.top;
  const std::int64_t right = workArea.right, bottom = workArea.bottom;
  const std::int64_t workWidth = right - left, workHeight = bottom - top;

  std::int64_t x = stored.left ? *stored.left : left + workWidth / 4;
  x = x <= left ? left : std::min(x, right - kMinWindowWidth);
  std::int64_t y = stored.top ? *stored.top : top + workHeight / 4;
  y = y <= top ? top : std::min(y, bottom - kMinWindowHeight);

  std::int64_t width = stored.width ? *stored.width : workWidth / 2;
  width = width <= kMinWindowWidth ? kMinWindowWidth : std::min(width, right - x);
  std::int64_t height = stored.height ? *stored.height : workHeight / 2;
  height = height <= kMinWindowHeight ? kMinWindowHeight : std::min(height, bottom - y);

  Placement placement;
  placement.x = ToInt(x);
  placement.y = ToInt(y);
  placement.width = ToInt(width);
  placement.height = ToInt(height);
  placement.show = stored.show.value_or(startShow) == kShowMaximized ? kShowMaximized : kShowNormal;
  return placement;
}

Point CentredDialogPosition(const Rect& owner, int width, int height, const Rect& workArea) {
  constexpr int kMargin = 7;
  Point at{workArea.left + kMargin, workArea.top + kMargin};
  const int centredY = (owner.top + owner.bottom - height) / 2;
  if (at.y < centredY) at.y = std::min(centredY, workArea.bottom - height - kMargin);
  const int centredX = (owner.left + owner.right - width) / 2;
  if (at.x < centredX) at.x = std::min(centredX, workArea.right - width - kMargin);
  return at;
}

}  // namespace wayloom
