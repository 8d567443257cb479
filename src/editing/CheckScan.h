// The scans of the itinerary checks, apart from any window: what they read of every row
// once, and the group of entries near to, or named like, a reference row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/DocumentState.h"
#include "planning/Distances.h"

namespace wayloom {

class Collation;

enum class CheckPhase : int { SimilarNames = 0, NearDistances = 1, BlankCoordinates = 2 };

// Item keys: the reference row of a near-distance group, and rows without a distance.
constexpr std::int32_t kCheckReferenceKey = INT32_MIN;
constexpr std::int32_t kCheckPlainKey = INT32_MAX;

struct CheckRun {
  CheckPhase phase = CheckPhase::BlankCoordinates;
  // The ids of the rows when the run started, in table order; a deleted row leaves 0, so
  // every other id keeps its place and the reference row stays on its entry.
  std::vector<RowId> rowIds;
  std::unordered_map<RowId, std::size_t> slotOfId;  // id -> index in rowIds
  std::size_t position = 0;                         // index in rowIds of the reference row
};

// Per row of a similar-name scan: the case-folded name and the loose-equality key.
struct NameFacts {
  Text folded;
  std::string key;
  std::size_t keyHash = 0;
  std::uint64_t mask = 0;
  bool present = false;
};

// What a scan phase reads of every row of a run once; kept between groups until the rows
// change.
struct CheckScanData {
  CheckPhase phase = CheckPhase::NearDistances;
  std::vector<long long> rows;  // the row of each slot of rowIds, -1 for deleted rows
  std::vector<RowPoint> points;
  // Latitudes in radians apart, for the quick test; a row without a point has an
  // infinite one, which the quick test always passes over.
  std::vector<double> phis;
  std::vector<NameFacts> names;
};

// The collation the checks compare names with: the document's, else code units.
const Collation& CheckCollation(const DocumentState& doc);
// The row index of every slot of run.rowIds (-1 for deleted rows), in one pass.
std::vector<long long> CheckSlotRows(const ItineraryTable& table, const CheckRun& run);
CheckScanData PrepareCheckScan(const DocumentState& doc, const CheckRun& run, CheckPhase phase);
// Whether the kept rows of these slots are still where they were (a sort moves rows
// without telling the listener).
bool CheckRowsHold(const ItineraryTable& table, const CheckRun& run, const CheckScanData& scan,
                   const std::vector<std::size_t>& slots);
// The group of the reference at slot r, r first, with each member's key: within threshold
// metres (keys: kCheckReferenceKey, then the metres), or with a similar name (keys:
// kCheckPlainKey). A group of one is no group.
void FindNearGroup(const CheckScanData& scan, std::size_t r, std::int32_t threshold,
                   std::vector<std::size_t>& slots, std::vector<std::int32_t>& keys);
void FindSimilarGroup(const CheckScanData& scan, std::size_t r, std::vector<std::size_t>& slots,
                      std::vector<std::int32_t>& keys);

}  // namespace wayloom
