#include "editing/CheckScan.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "platform/Collation.h"

namespace wayloom {

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
// Computed distances of nearly equal points can fall short of the true ones by a fraction
// of a metre; a row is passed over by its latitude alone only beyond this margin.
constexpr double kLatitudeMarginMetres = 10;

// A 64-bit summary of the characters of a folded name: a name can only contain another
// whose summary bits are all among its own.
std::uint64_t CharacterMask(TextView text) {
  std::uint64_t mask = 0;
  for (char16_t c : text) mask |= std::uint64_t{1} << ((c ^ (c >> 6)) & 63);
  return mask;
}

// Whether the name of the later row s is similar to the reference r's: one contains the
// other without regard to case (the shorter searched in the longer; at equal length s in
// r; an empty name is never found), or they are loosely equal.
bool Similar(const NameFacts& r, const NameFacts& s) {
  if (r.keyHash == s.keyHash && r.key == s.key) return true;
  const bool sShorter = s.folded.size() <= r.folded.size();
  const NameFacts& shorter = sShorter ? s : r;
  const NameFacts& longer = sShorter ? r : s;
  if (shorter.folded.empty() || (shorter.mask & ~longer.mask) != 0) return false;
  return longer.folded.find(shorter.folded) != Text::npos;
}

// Without a collation, names compare by code units and fold only ASCII.
class CodeUnitCollation final : public Collation {
 public:
  int CompareLogical(TextView a, TextView b) const override { return a.compare(b); }
  int CompareLocale(TextView a, TextView b) const override { return a.compare(b); }
};

}  // namespace

const Collation& CheckCollation(const DocumentState& doc) {
  static const CodeUnitCollation fallback;
  return doc.collation ? *doc.collation : fallback;
}

std::vector<long long> CheckSlotRows(const ItineraryTable& table, const CheckRun& run) {
  std::vector<long long> rows(run.rowIds.size(), -1);
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    const auto it = run.slotOfId.find(table.Row(row).id);
    if (it != run.slotOfId.end()) rows[it->second] = static_cast<long long>(row);
  }
  return rows;
}


CheckScanData PrepareCheckScan(const DocumentState& doc, const CheckRun& run, CheckPhase phase) {
  CheckScanData data;
  data.phase = phase;
  data.rows = CheckSlotRows(doc.table, run);
  const std::size_t count = data.rows.size();
  if (phase == CheckPhase::NearDistances) {
    data.points.resize(count);
    data.phis.assign(count, std::numeric_limits<double>::infinity());
  } else {
    data.names.resize(count);
  }
  const Collation& collation = CheckCollation(doc);
  for (std::size_t slot = 0; slot < count; ++slot) {
    if (data.rows[slot] < 0) continue;
    const auto row = static_cast<std::size_t>(data.rows[slot]);
    if (phase == CheckPhase::NearDistances) {
      if (!ReadRowPoint(doc, row, data.points[slot])) continue;
      data.phis[slot] = data.points[slot].latitude * kRadiansPerDegree;
    } else {
      NameFacts& name = data.names[slot];
      const TextView text = doc.table.Row(row).Name();
      name.folded.assign(text);
      collation.FoldCase(name.folded);
      name.key = collation.LooseKey(text);
      name.keyHash = std::hash<std::string>{}(name.key);
      name.mask = CharacterMask(name.folded);
      name.present = true;
    }
  }
  return data;
}

bool CheckRowsHold(const ItineraryTable& table, const CheckRun& run, const CheckScanData& scan,
                   const std::vector<std::size_t>& slots) {
  return std::all_of(slots.begin(), slots.end(), [&](std::size_t slot) {
    const long long row = scan.rows[slot];
    return row >= 0 && static_cast<std::size_t>(row) < table.RowCount() &&
           table.Row(static_cast<std::size_t>(row)).id == run.rowIds[slot];
  });
}

void FindNearGroup(const CheckScanData& scan, std::size_t r, std::int32_t threshold,
                   std::vector<std::size_t>& slots, std::vector<std::int32_t>& keys) {
  // Two points are at least their latitude difference apart along the sphere.
  const double reach = (static_cast<double>(threshold) + kLatitudeMarginMetres) / kEarthRadiusMetres;
  const std::vector<double>& phis = scan.phis;
  slots.assign(1, r);
  keys.assign(1, kCheckReferenceKey);
  if (!std::isfinite(phis[r])) return;
  const RowPoint& reference = scan.points[r];
  for (std::size_t s = r + 1; s < phis.size(); ++s) {
    if (!(std::fabs(phis[s] - phis[r]) <= reach)) continue;
    const std::int32_t metres = MetresBetween(reference, scan.points[s]);
    if (metres > threshold) continue;
    slots.push_back(s);
    keys.push_back(metres);
  }
}

void FindSimilarGroup(const CheckScanData& scan, std::size_t r, std::vector<std::size_t>& slots,
                      std::vector<std::int32_t>& keys) {
  const std::vector<NameFacts>& names = scan.names;
  slots.assign(1, r);
  if (names[r].present) {
    for (std::size_t s = r + 1; s < names.size(); ++s)
      if (names[s].present && Similar(names[r], names[s])) slots.push_back(s);
  }
  keys.assign(slots.size(), kCheckPlainKey);
}

}  // namespace wayloom
