// A k-d tree over rows' positions, for planning without a cost matrix: the nearest rows of
// each row (neighbour lists) and the nearest row not yet taken (a nearest-neighbour walk).
// Positions are unit vectors on the sphere, whose straight-line distance orders pairs as
// the great-circle distance does, so no pole or date line needs care.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "planning/Distances.h"

namespace wayloom {

class PointIndex {
 public:
  explicit PointIndex(const std::vector<RowPoint>& points);

  // The count nearest other points of point, nearest first (equal distances: lower index).
  void Nearest(std::uint32_t point, std::size_t count, std::vector<std::uint32_t>& out) const;
  // Marks a point as taken; it is no longer found by NearestFree.
  void Take(std::uint32_t point);
  // The nearest point not taken to point (equal distances: lower index), or kNone.
  std::uint32_t NearestFree(std::uint32_t point) const;

  static constexpr std::uint32_t kNone = 0xFFFFFFFF;

 private:
  struct Node {
    std::uint32_t begin, end;  // the range of order_ below this node
    std::uint32_t free;        // points not taken below this node
    std::uint32_t parent;
    std::uint32_t left = 0, right = 0;  // 0: a leaf (node 0 is the root, never a child)
    int axis = 0;
    double split = 0;
  };
  struct Found {
    double distance;
    std::uint32_t point;
    bool operator<(const Found& other) const {
      return distance != other.distance ? distance < other.distance : point < other.point;
    }
  };
  std::uint32_t Build(std::uint32_t begin, std::uint32_t end, std::uint32_t parent);
  double Distance(std::uint32_t a, std::uint32_t b) const;
  void SearchNearest(std::uint32_t node, std::uint32_t query, std::size_t count, std::vector<Found>& heap) const;
  void SearchFree(std::uint32_t node, std::uint32_t query, Found& best) const;

  std::vector<std::array<double, 3>> xyz_;
  std::vector<std::uint32_t> order_;
  std::vector<std::uint32_t> leafOf_;
  std::vector<Node> nodes_;
  std::vector<char> taken_;
};

}  // namespace wayloom
