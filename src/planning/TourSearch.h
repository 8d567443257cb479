// Local search for the shortest-route planner: a closed tour over nodes held in an array
// whose first position (row 0) and, from `movableEnd` on, last positions never move. The
// moves are 2-opt (reversing a stretch) and Or-opt (moving one to three entries elsewhere,
// turned round or not), drawn from each node's neighbour list with a queue of nodes still
// worth looking at (don't-look bits); kicks swap two short neighbouring stretches and are
// kept only when the search after them leaves the tour no longer.
//
// Costs is any callable int64(from, to). With asymmetric costs a reversal is measured with
// the stretch's cost in both directions (running sums along the tour), and segments are
// moved without turning them round.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <vector>

#include "planning/RoutePlanner.h"

namespace wayloom {

template <typename Costs>
class TourSearch {
 public:
  // tour holds every node once, tour[0] = 0; positions from movableEnd on stay put.
  // neighbours holds listWidth nodes per node for nodes below neighbours.size() / listWidth.
  TourSearch(const Costs& costs, bool symmetric, std::vector<std::uint32_t> tour, std::size_t movableEnd,
             const std::vector<std::uint32_t>& neighbours, std::size_t listWidth, const StopPoll& stop)
      : costs_(costs), symmetric_(symmetric), tour_(std::move(tour)), movableEnd_(movableEnd),
        neighbours_(neighbours), width_(listWidth), stop_(stop) {
    position_.resize(tour_.size());
    for (std::size_t p = 0; p < tour_.size(); ++p) position_[tour_[p]] = static_cast<std::uint32_t>(p);
    listed_ = width_ == 0 ? 0 : neighbours_.size() / width_;
    queued_.assign(tour_.size(), 0);
  }

  // Improves until no move gains; false when stopped.
  bool Descend() {
    for (std::uint32_t node : tour_) Queue(node);
    std::int64_t gain = 0;
    return Search(gain);
  }

  // kicks rounds of kick and search; false when stopped.
  bool Kick(std::size_t kicks) {
    if (movableEnd_ < 4) return true;
    for (std::size_t round = 0; round < kicks; ++round) {
      if (round % 64 == 0 && stop_()) return false;
      journal_.clear();
      recording_ = true;
      std::int64_t delta = SwapStretches();
      const bool finished = Search(delta);
      recording_ = false;
      if (!finished) return false;
      if (delta > 0) Undo();
    }
    return true;
  }

  const std::vector<std::uint32_t>& tour() const { return tour_; }

 private:
  struct Step {
    bool reversal;
    std::uint32_t first, middle, last;  // a reversal of [first, last], a rotation of [first, last)
  };

  std::int64_t Cost(std::uint32_t from, std::uint32_t to) const { return costs_(from, to); }
  std::uint32_t At(std::size_t p) const { return tour_[p == tour_.size() ? 0 : p]; }
  std::uint32_t Next(std::uint32_t node) const { return At(position_[node] + 1); }
  std::uint32_t Previous(std::uint32_t node) const {
    const std::uint32_t p = position_[node];
    return tour_[p == 0 ? tour_.size() - 1 : p - 1];
  }
  void Queue(std::uint32_t node) {
    if (node < listed_ && !queued_[node]) {
      queued_[node] = 1;
      queue_.push_back(node);
    }
  }

  void Reverse(std::size_t first, std::size_t last) {
    std::reverse(tour_.begin() + first, tour_.begin() + last + 1);
    for (std::size_t p = first; p <= last; ++p) position_[tour_[p]] = static_cast<std::uint32_t>(p);
    if (recording_) journal_.push_back({true, static_cast<std::uint32_t>(first), 0, static_cast<std::uint32_t>(last)});
    sumsValid_ = false;
  }
  void Rotate(std::size_t first, std::size_t middle, std::size_t last) {
    std::rotate(tour_.begin() + first, tour_.begin() + middle, tour_.begin() + last);
    for (std::size_t p = first; p < last; ++p) position_[tour_[p]] = static_cast<std::uint32_t>(p);
    if (recording_)
      journal_.push_back({false, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(middle), static_cast<std::uint32_t>(last)});
    sumsValid_ = false;
  }
  void Undo() {
    for (auto step = journal_.rbegin(); step != journal_.rend(); ++step) {
      if (step->reversal) Reverse(step->first, step->last);
      else Rotate(step->first, step->first + (step->last - step->middle), step->last);
    }
    journal_.clear();
  }

  // Running sums of the costs along the tour and against it, for asymmetric reversals.
  void UpdateSums() {
    if (sumsValid_) return;
    const std::size_t n = tour_.size();
    forward_.assign(n, 0);
    backward_.assign(n, 0);
    for (std::size_t p = 0; p + 1 < n; ++p) {
      forward_[p + 1] = forward_[p] + Cost(tour_[p], tour_[p + 1]);
      backward_[p + 1] = backward_[p] + Cost(tour_[p + 1], tour_[p]);
    }
    sumsValid_ = true;
  }

  // The change of reversing positions [first, last].
  std::int64_t ReversalDelta(std::size_t first, std::size_t last) {
    const std::uint32_t before = tour_[first - 1], after = At(last + 1);
    std::int64_t delta = Cost(before, tour_[last]) + Cost(tour_[first], after) - Cost(before, tour_[first]) -
                         Cost(tour_[last], after);
    if (!symmetric_) {
      UpdateSums();
      delta += (backward_[last] - backward_[first]) - (forward_[last] - forward_[first]);
    }
    return delta;
  }

  // The 2-opt move that removes a->b and c->d (b after a, d after c) and adds a->c and
  // b->d: the stretch b..c turns round, or the stretch d..a when b..c holds position 0.
  bool TryTwoOpt(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::int64_t& gain) {
    std::size_t first = position_[b], last = position_[c];
    if (first == 0 || first > last) {
      first = position_[d];
      last = position_[a];
    }
    if (first == 0 || first >= last || last >= movableEnd_) return false;
    const std::int64_t delta = ReversalDelta(first, last);
    if (delta >= 0) return false;
    Reverse(first, last);
    gain += delta;
    for (std::uint32_t node : {a, b, c, d}) Queue(node);
    return true;
  }

  bool TwoOpt(std::uint32_t a, std::int64_t& gain) {
    const std::uint32_t* list = &neighbours_[a * width_];
    for (int direction = 0; direction < 2; ++direction) {
      const std::uint32_t b = direction == 0 ? Next(a) : Previous(a);
      const std::int64_t ab = direction == 0 ? Cost(a, b) : Cost(b, a);
      for (std::size_t k = 0; k < width_; ++k) {
        const std::uint32_t c = list[k];
        if (ab <= Cost(a, c)) break;  // a->c is added either way
        if (direction == 0) {
          const std::uint32_t d = Next(c);
          if (c != b && d != a && TryTwoOpt(a, b, c, d, gain)) return true;
        } else {
          const std::uint32_t d = Previous(c);
          if (c != b && d != a && TryTwoOpt(b, a, d, c, gain)) return true;
        }
      }
    }
    return false;
  }

  // Moves the length entries from position first to between x and the entry after it,
  // turned round when reversed, when that gains.
  bool TryMove(std::size_t first, std::size_t length, std::uint32_t x, bool reversed, std::int64_t removed,
               std::int64_t& gain) {
    const std::size_t last = first + length - 1;
    const std::size_t gap = position_[x] + 1;  // the segment goes before this position
    if (gap > movableEnd_ || (gap >= first && gap <= last + 1)) return false;
    const std::uint32_t y = At(gap), head = tour_[first], tail = tour_[last];
    const std::int64_t added = reversed ? Cost(x, tail) + Cost(head, y) - Cost(x, y) : Cost(x, head) + Cost(tail, y) - Cost(x, y);
    if (added >= removed) return false;
    const std::uint32_t before = tour_[first - 1], after = At(last + 1);
    std::size_t start;
    if (gap < first) {
      Rotate(gap, first, last + 1);
      start = gap;
    } else {
      Rotate(first, last + 1, gap);
      start = gap - length;
    }
    if (reversed && length > 1) Reverse(start, start + length - 1);
    gain += added - removed;
    for (std::uint32_t node : {before, after, x, y, head, tail}) Queue(node);
    return true;
  }

  bool OrOpt(std::uint32_t a, std::int64_t& gain) {
    for (std::size_t length = 1; length <= 3; ++length) {
      for (int end = 0; end < 2; ++end) {
        // a heads the segment, or ends it.
        const std::size_t pa = position_[a];
        if (end == 1 && (length == 1 || pa < length)) continue;
        const std::size_t first = end == 0 ? pa : pa - (length - 1);
        const std::size_t last = first + length - 1;
        if (first == 0 || last >= movableEnd_ || tour_.size() < length + 3) continue;
        const std::uint32_t head = tour_[first], tail = tour_[last];
        const std::uint32_t before = tour_[first - 1], after = At(last + 1);
        const std::int64_t removed = Cost(before, head) + Cost(tail, after) - Cost(before, after);
        if (removed <= 0) continue;
        for (const std::uint32_t node : {head, tail}) {
          if (node >= listed_) continue;
          const std::uint32_t* list = &neighbours_[node * width_];
          for (std::size_t k = 0; k < width_; ++k) {
            const std::uint32_t c = list[k];
            if (Cost(node, c) >= removed && Cost(c, node) >= removed) break;
            // head after c or tail before c keep the segment's direction; the other
            // two turn it round (symmetric costs only).
            const bool joined = node == head ? TryMove(first, length, c, false, removed, gain)
                                             : TryMove(first, length, Previous(c), false, removed, gain);
            if (joined) return true;
            if (symmetric_ && length > 1) {
              const bool turned = node == head ? TryMove(first, length, Previous(c), true, removed, gain)
                                               : TryMove(first, length, c, true, removed, gain);
              if (turned) return true;
            }
          }
        }
      }
    }
    return false;
  }

  // Swaps two neighbouring stretches of 1 to 50 entries at a random place.
  std::int64_t SwapStretches() {
    const std::size_t span = movableEnd_ - 1;  // positions 1 .. movableEnd - 1
    const std::size_t lengthA = 1 + Random() % std::min<std::size_t>(50, span / 2);
    const std::size_t lengthB = 1 + Random() % std::min<std::size_t>(50, span / 2);
    const std::size_t first = 1 + Random() % (span - lengthA - lengthB + 1);
    const std::size_t middle = first + lengthA, end = middle + lengthB;
    const std::uint32_t before = tour_[first - 1], headA = tour_[first], tailA = tour_[middle - 1];
    const std::uint32_t headB = tour_[middle], tailB = tour_[end - 1], after = At(end);
    const std::int64_t delta = Cost(before, headB) + Cost(tailB, headA) + Cost(tailA, after) - Cost(before, headA) -
                               Cost(tailA, headB) - Cost(tailB, after);
    Rotate(first, middle, end);
    for (std::uint32_t node : {before, headA, tailA, headB, tailB, after}) Queue(node);
    return delta;
  }

  // A fixed generator, so that a plan is the same on every platform.
  std::uint64_t Random() {
    seed_ ^= seed_ << 13;
    seed_ ^= seed_ >> 7;
    seed_ ^= seed_ << 17;
    return seed_;
  }

  // Works off the queue; gain collects the changes. False when stopped.
  bool Search(std::int64_t& gain) {
    std::size_t looked = 0;
    while (!queue_.empty()) {
      if (++looked % 4096 == 0 && stop_()) return false;
      const std::uint32_t a = queue_.front();
      queue_.pop_front();
      queued_[a] = 0;
      if (TwoOpt(a, gain) || OrOpt(a, gain)) Queue(a);
    }
    return true;
  }

  const Costs& costs_;
  const bool symmetric_;
  std::vector<std::uint32_t> tour_, position_;
  const std::size_t movableEnd_;
  const std::vector<std::uint32_t>& neighbours_;
  const std::size_t width_;
  std::size_t listed_ = 0;
  const StopPoll& stop_;
  std::deque<std::uint32_t> queue_;
  std::vector<char> queued_;
  std::vector<Step> journal_;
  bool recording_ = false;
  std::vector<std::int64_t> forward_, backward_;
  bool sumsValid_ = false;
  std::uint64_t seed_ = 0x9E3779B97F4A7C15ull;
};

}  // namespace wayloom
