// Fuzzes the distance-matrix reply scan: any reply gives exactly n x n whole metres or one
// of the planner's messages, never a crash or a read outside the reply.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "planning/DistanceMatrix.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wayloom;
  if (size == 0) return 0;
  const std::size_t n = 1 + data[0] % 10;
  const std::vector<char> reply(data + 1, data + size);  // exactly the reply, for AddressSanitizer
  std::vector<std::int32_t> distances;
  const int result = ParseDistanceMatrix(std::string_view(reply.data(), reply.size()), n, distances);
  if (result == 0) {
    if (distances.size() != n * n) std::abort();
    for (std::int32_t metres : distances)
      if (metres < 0) std::abort();
  } else if ((result != kNoDistancesMessage && result != kNoRouteMessage) || !distances.empty()) {
    std::abort();
  }
  return 0;
}
