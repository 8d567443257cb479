// Road distances between the rows from the map service's distance-matrix endpoint: the
// request address, the bounded download and the tag scan of the reply.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/DocumentState.h"
#include "platform/HttpClient.h"
#include "platform/Ui.h"

namespace wayloom {

constexpr std::size_t kMaxReplyBytes = 65535;
constexpr int kNoConnectionMessage = 14433;     // the session or the address cannot be opened
constexpr int kNoDistancesMessage = 14434;      // an empty, failed or short reply
constexpr int kNoRouteMessage = 14435;          // an element without a distance

// host, the endpoint's path and query with every row's "latitude,longitude" as plain
// signed decimals joined by "|", as origins and again as destinations.
Text DistanceMatrixUrl(const DocumentState& doc, TextView host);

// Scans a reply (UTF-8) for n x n distances in origin-major order, matching the tags
// without regard to case. Returns 0 with exactly n x n values in distances, or the
// message id with distances untouched. A <value> that is not a whole number of metres
// from 0 to 2147483647 (white space before the digits allowed) spoils the reply.
int ParseDistanceMatrix(std::string_view reply, std::size_t n, std::vector<std::int32_t>& distances);

struct DistanceDownload {
  int message = 0;       // 0, 14433, 14434 or 14435
  bool stopped = false;  // Esc during the download: nothing is shown
  std::vector<std::int32_t> distances;
};

// Opens a session (agent: the product name) and the address, reads at most 65,535 bytes
// of the reply, polling Esc before each read, and parses it. http nullptr: no session.
DistanceDownload DownloadDistanceMatrix(HttpClient* http, TextView url, std::size_t n, Ui& ui);

}  // namespace wayloom
