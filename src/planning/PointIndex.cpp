#include "planning/PointIndex.h"

#include <algorithm>
#include <cmath>

namespace wayloom {

namespace {

constexpr std::uint32_t kLeafSize = 8;

}  // namespace

PointIndex::PointIndex(const std::vector<RowPoint>& points)
    : xyz_(points.size()), order_(points.size()), leafOf_(points.size()), taken_(points.size(), 0) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const RowPoint& p = points[i];
    xyz_[i] = {p.cosPhi * std::cos(p.lambda), p.cosPhi * std::sin(p.lambda), p.sinPhi};
    order_[i] = static_cast<std::uint32_t>(i);
  }
  nodes_.reserve(2 * points.size() / kLeafSize + 2);
  Build(0, static_cast<std::uint32_t>(points.size()), 0);
}

std::uint32_t PointIndex::Build(std::uint32_t begin, std::uint32_t end, std::uint32_t parent) {
  const auto index = static_cast<std::uint32_t>(nodes_.size());
  nodes_.push_back({begin, end, end - begin, parent});
  if (end - begin <= kLeafSize) {
    for (std::uint32_t k = begin; k < end; ++k) leafOf_[order_[k]] = index;
    return index;
  }
  // Split across the widest extent.
  std::array<double, 3> low{2, 2, 2}, high{-2, -2, -2};
  for (std::uint32_t k = begin; k < end; ++k)
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = std::min(low[axis], xyz_[order_[k]][axis]);
      high[axis] = std::max(high[axis], xyz_[order_[k]][axis]);
    }
  int axis = 0;
  for (int a = 1; a < 3; ++a)
    if (high[a] - low[a] > high[axis] - low[axis]) axis = a;
  const std::uint32_t middle = begin + (end - begin) / 2;
  std::nth_element(order_.begin() + begin, order_.begin() + middle, order_.begin() + end,
                   [&](std::uint32_t a, std::uint32_t b) { return xyz_[a][axis] < xyz_[b][axis]; });
  nodes_[index].axis = axis;
  nodes_[index].split = xyz_[order_[middle]][axis];
  const std::uint32_t left = Build(begin, middle, index);
  const std::uint32_t right = Build(middle, end, index);
  nodes_[index].left = left;
  nodes_[index].right = right;
  return index;
}

double PointIndex::Distance(std::uint32_t a, std::uint32_t b) const {
  const double dx = xyz_[a][0] - xyz_[b][0], dy = xyz_[a][1] - xyz_[b][1], dz = xyz_[a][2] - xyz_[b][2];
  return dx * dx + dy * dy + dz * dz;
}

void PointIndex::SearchNearest(std::uint32_t node, std::uint32_t query, std::size_t count, std::vector<Found>& heap) const {
  const Node& n = nodes_[node];
  if (n.left == 0) {
    for (std::uint32_t k = n.begin; k < n.end; ++k) {
      const std::uint32_t point = order_[k];
      if (point == query) continue;
      const Found found{Distance(point, query), point};
      if (heap.size() < count) {
        heap.push_back(found);
        std::push_heap(heap.begin(), heap.end());
      } else if (found < heap.front()) {
        std::pop_heap(heap.begin(), heap.end());
        heap.back() = found;
        std::push_heap(heap.begin(), heap.end());
      }
    }
    return;
  }
  const double offset = xyz_[query][n.axis] - n.split;
  SearchNearest(offset < 0 ? n.left : n.right, query, count, heap);
  if (heap.size() < count || offset * offset <= heap.front().distance)
    SearchNearest(offset < 0 ? n.right : n.left, query, count, heap);
}

void PointIndex::Nearest(std::uint32_t point, std::size_t count, std::vector<std::uint32_t>& out) const {
  std::vector<Found> heap;
  heap.reserve(count + 1);
  if (count > 0 && !nodes_.empty()) SearchNearest(0, point, count, heap);
  std::sort_heap(heap.begin(), heap.end());
  out.clear();
  for (const Found& found : heap) out.push_back(found.point);
}

void PointIndex::Take(std::uint32_t point) {
  if (taken_[point]) return;
  taken_[point] = 1;
  for (std::uint32_t node = leafOf_[point];; node = nodes_[node].parent) {
    --nodes_[node].free;
    if (node == 0) break;
  }
}

void PointIndex::SearchFree(std::uint32_t node, std::uint32_t query, Found& best) const {
  const Node& n = nodes_[node];
  if (n.free == 0) return;
  if (n.left == 0) {
    for (std::uint32_t k = n.begin; k < n.end; ++k) {
      const std::uint32_t point = order_[k];
      if (taken_[point] || point == query) continue;
      const Found found{Distance(point, query), point};
      if (found < best) best = found;
    }
    return;
  }
  const double offset = xyz_[query][n.axis] - n.split;
  SearchFree(offset < 0 ? n.left : n.right, query, best);
  if (offset * offset <= best.distance) SearchFree(offset < 0 ? n.right : n.left, query, best);
}

std::uint32_t PointIndex::NearestFree(std::uint32_t point) const {
  Found best{INFINITY, kNone};
  if (!nodes_.empty()) SearchFree(0, point, best);
  return best.point;
}

}  // namespace wayloom
