#include "planning/SortTable.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"
#include "platform/Collation.h"

namespace wayloom {

namespace {

constexpr int kSortingText = 13134;

// Names in UTF-16 code-unit order, for a document that was given no collation.
class CodeUnitCollation : public Collation {
 public:
  int CompareLogical(TextView a, TextView b) const override { return a.compare(b); }
  int CompareLocale(TextView a, TextView b) const override { return a.compare(b); }
};

const Collation& NameCollation(const DocumentState& doc) {
  static const CodeUnitCollation codeUnits;
  return doc.collation ? *doc.collation : codeUnits;
}

bool IsSortableColumn(int column) {
  return column == kNameColumn || column == kLongitudeColumn || column == kLatitudeColumn || column == kDistanceColumn;
}

bool IsPermutation(const std::vector<std::uint32_t>& order, std::size_t count) {
  if (order.size() != count) return false;
  std::vector<bool> seen(count);
  for (std::uint32_t index : order) {
    if (index >= count || seen[index]) return false;
    seen[index] = true;
  }
  return true;
}

// Sorts keys (each with the row it belongs to) from first on: stable, so equal rows keep
// their order; descending negates the comparison. The keys are sorted themselves rather
// than row numbers, so that comparing touches nothing but the keys.
template <typename Key, typename Compare>
void SortKeys(std::vector<Key>& keys, std::size_t first, bool ascending, Compare compare) {
  const auto begin = keys.begin() + static_cast<std::ptrdiff_t>(first);
  if (ascending) {
    std::stable_sort(begin, keys.end(), [&](const Key& a, const Key& b) { return compare(a, b) < 0; });
  } else {
    std::stable_sort(begin, keys.end(), [&](const Key& a, const Key& b) { return compare(a, b) > 0; });
  }
}

template <typename Key>
std::vector<std::uint32_t> RowsOf(const std::vector<Key>& keys) {
  std::vector<std::uint32_t> order(keys.size());
  for (std::size_t k = 0; k < keys.size(); ++k) order[k] = keys[k].row;
  return order;
}

// The rows that stay first in both directions: the pinned base row, then, sorting by
// distance, the row carrying the base marker.
std::vector<std::uint32_t> LeadingRows(const DocumentState& doc, int column) {
  const ItineraryTable& table = doc.table;
  std::vector<std::uint32_t> rows;
  if (doc.baseRowPinned && !table.Empty()) rows.push_back(0);
  if (column == kDistanceColumn) {
    for (std::size_t row = rows.size(); row < table.RowCount(); ++row)
      if (table.Row(row).sortKey == kSortKeyBaseRow) rows.push_back(static_cast<std::uint32_t>(row));
  }
  return rows;
}

struct NameKey {
  CollationPrefix prefix;
  std::uint32_t row;
};

// The names of the rows, copied into one block in the order of the keys.
struct NameBlock {
  std::vector<char16_t> text;
  std::vector<std::size_t> offsets;    // by row
  std::vector<std::uint16_t> lengths;  // by row

  NameBlock(const ItineraryTable& table, const NameKey* begin, const NameKey* end)
      : offsets(table.RowCount()), lengths(table.RowCount()) {
    text.reserve(static_cast<std::size_t>(end - begin) * 16);
    for (const NameKey* key = begin; key != end; ++key) {
      const TextView name = table.Row(key->row).Name();
      offsets[key->row] = text.size();
      lengths[key->row] = static_cast<std::uint16_t>(name.size());
      text.insert(text.end(), name.begin(), name.end());
    }
  }
  TextView Name(std::uint32_t row) const { return TextView(text.data() + offsets[row], lengths[row]); }
};

// Sorting by name compares texts that lie all over memory. So each key carries the
// collation's prefix of its name, which decides most comparisons alone; runs small
// enough for the cache are sorted first; when the prefixes left many comparisons to the
// texts, the names are then copied out in that order, so that merging the runs reads
// them front to back. The result is the stable sort of the whole.
std::vector<std::uint32_t> NameOrder(const DocumentState& doc, const std::vector<std::uint32_t>& leading,
                                     const std::vector<bool>& isLeading, bool ascending) {
  constexpr std::size_t kRun = 1 << 14;
  const ItineraryTable& table = doc.table;
  const std::size_t count = table.RowCount();
  const Collation& collation = NameCollation(doc);
  std::vector<NameKey> keys;
  keys.reserve(count);
  for (std::uint32_t row : leading) keys.push_back({{}, row});
  for (std::size_t row = 0; row < count; ++row)
    if (!isLeading[row]) keys.push_back({collation.LogicalPrefix(table.Row(row).Name()), static_cast<std::uint32_t>(row)});

  std::unique_ptr<NameBlock> block;
  std::size_t comparisons = 0, textComparisons = 0;
  auto compare = [&](const NameKey& a, const NameKey& b) {
    ++comparisons;
    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
    ++textComparisons;
    const TextView nameA = block ? block->Name(a.row) : table.Row(a.row).Name();
    const TextView nameB = block ? block->Name(b.row) : table.Row(b.row).Name();
    const int logical = collation.CompareLogical(nameA, nameB);
    return logical != 0 ? logical : collation.CompareLocale(nameA, nameB);
  };
  // Descending negates the comparison; equal names keep their order either way.
  auto less = [&](const NameKey& a, const NameKey& b) { return ascending ? compare(a, b) < 0 : compare(a, b) > 0; };

  NameKey* const first = keys.data() + leading.size();
  const std::size_t n = keys.size() - leading.size();
  for (std::size_t start = 0; start < n; start += kRun) std::stable_sort(first + start, first + std::min(start + kRun, n), less);
  if (n > kRun) {
    if (textComparisons * 8 > comparisons) block = std::make_unique<NameBlock>(table, first, first + n);
    std::vector<NameKey> buffer(n);
    NameKey* from = first;
    NameKey* to = buffer.data();
    for (std::size_t width = kRun; width < n; width *= 2) {
      for (std::size_t low = 0; low < n; low += 2 * width) {
        const std::size_t middle = std::min(low + width, n), high = std::min(low + 2 * width, n);
        std::merge(from + low, from + middle, from + middle, from + high, to + low, less);
      }
      std::swap(from, to);
    }
    if (from != first) std::copy(from, from + n, first);
  }
  return RowsOf(keys);
}

// The new order of the rows: new row k is row order[k].
std::vector<std::uint32_t> SortedOrder(const DocumentState& doc, int column, bool ascending) {
  const ItineraryTable& table = doc.table;
  const std::size_t count = table.RowCount();
  const std::vector<std::uint32_t> leading = LeadingRows(doc, column);
  const std::size_t first = leading.size();
  std::vector<bool> isLeading(count);
  for (std::uint32_t row : leading) isLeading[row] = true;

  if (column == kNameColumn) return NameOrder(doc, leading, isLeading, ascending);

  if (column == kLongitudeColumn || column == kLatitudeColumn) {
    // A row without the coordinate is smaller than every row with one.
    struct CoordinateKey {
      double degrees;
      std::uint32_t present;
      std::uint32_t row;
    };
    std::vector<CoordinateKey> keys;
    keys.reserve(count);
    for (std::uint32_t row : leading) keys.push_back({0, 0, row});
    for (std::size_t row = 0; row < count; ++row) {
      if (isLeading[row]) continue;
      const bool present = !table.Cell(row, column).empty();
      keys.push_back({present ? CoordinateDegrees(doc, row, column).value_or(0) : 0, present ? 1u : 0u,
                      static_cast<std::uint32_t>(row)});
    }
    SortKeys(keys, first, ascending, [](const CoordinateKey& a, const CoordinateKey& b) {
      if (!a.present || !b.present) return static_cast<int>(a.present) - static_cast<int>(b.present);
      return a.degrees < b.degrees ? -1 : a.degrees > b.degrees ? 1 : 0;
    });
    return RowsOf(keys);
  }

  struct DistanceKey {
    std::int32_t key;
    std::uint32_t row;
  };
  std::vector<DistanceKey> keys;
  keys.reserve(count);
  for (std::uint32_t row : leading) keys.push_back({0, row});
  for (std::size_t row = 0; row < count; ++row)
    if (!isLeading[row]) keys.push_back({table.Row(row).sortKey, static_cast<std::uint32_t>(row)});
  SortKeys(keys, first, ascending, [](const DistanceKey& a, const DistanceKey& b) {
    return a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
  });
  return RowsOf(keys);
}

}  // namespace

void SortTable(CommandContext& context, int column, bool ascending, SortMode mode, const OrderSnapshot* snapshot) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (!IsSortableColumn(column)) return;
  const std::size_t count = table.RowCount();
  const int command = ascending ? IDM_SORT_ASCENDING : IDM_SORT_DESCENDING;
  context.ui.SetWaitCursor(true);
  context.ui.PressToolbarButton(command, true);
  context.ui.ShowStatusText(LoadText(kSortingText));

  doc.sortArrow = mode == SortMode::UndoReplay ? SortArrow{} : SortArrow{column, ascending};
  context.ui.ShowSortArrow(doc.sortArrow.column, doc.sortArrow.ascending);
  doc.currentColumn = column;
  doc.sortAscending = ascending;

  const bool recorded = snapshot && IsPermutation(snapshot->positions, count);
  if (mode == SortMode::UndoReplay) {
    // New row i is the row now at positions[i]: the order before the sort.
    if (recorded) table.Permute(snapshot->positions);
  } else {
    if (mode == SortMode::Command) RecordOrderSnapshotBefore(doc, column, ascending);
    for (std::size_t row = 0; row < count; ++row)
      table.SetStatus(row, table.Row(row).status & ~kStatusPassed);
    std::vector<std::uint32_t> order;
    if (mode == SortMode::RedoReplay && recorded) {
      // The order the sort gave, without comparing again.
      order.resize(count);
      for (std::size_t i = 0; i < count; ++i) order[snapshot->positions[i]] = static_cast<std::uint32_t>(i);
    } else {
      order = SortedOrder(doc, column, ascending);
    }
    table.Permute(order);
    if (mode == SortMode::Command) RecordOrderSnapshotAfter(doc, &order);
  }

  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  if (doc.baseRow >= 0) {
    doc.baseRow = -1;
    for (std::size_t row = 0; row < count && doc.baseRow < 0; ++row)
      if (table.Row(row).sortKey == kSortKeyBaseRow) doc.baseRow = static_cast<long long>(row);
    if (doc.settings.adjacentDistance != 0) ComputeDistances(context, -1, false);
  }
  if (mode == SortMode::Command) MapSyncAll(doc);
  context.ui.PressToolbarButton(command, false);
  doc.SetModified(true);
  doc.statusResetPending = true;
  doc.selectPending = true;
  context.ui.SetWaitCursor(false);
}

bool CanSortColumn(const DocumentState& doc, int column) {
  if (!IsSortableColumn(column) || !CanReorder(doc)) return false;
  return column != kDistanceColumn || doc.baseRow >= 0;
}

void SortNames(CommandContext& context, bool ascending) {
  if (!CanReorder(context.doc)) return;
  SortTable(context, kNameColumn, ascending, SortMode::Command);
}

void SortCurrentColumn(CommandContext& context, bool ascending) {
  if (!CanSortColumn(context.doc, context.doc.currentColumn)) return;
  SortTable(context, context.doc.currentColumn, ascending, SortMode::Command);
}

void HeaderClick(CommandContext& context, int column) {
  DocumentState& doc = context.doc;
  if (!CanSortColumn(doc, column)) return;
  const bool ascending = column == doc.currentColumn ? !doc.sortAscending : doc.sortAscending;
  SortTable(context, column, ascending, SortMode::Command);
}

void ResetSortHeader(CommandContext& context) {
  context.doc.sortArrow = SortArrow{};
  context.doc.currentColumn = kNameColumn;
  context.ui.ShowSortArrow(-1, false);
}

}  // namespace wayloom
