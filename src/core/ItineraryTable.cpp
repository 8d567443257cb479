#include "core/ItineraryTable.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

#include "core/LargeMemory.h"

namespace wayloom {

// Hashed lookup of names, so that checking each new name while reading a large file is
// not quadratic. It stays valid while rows are only appended or cleared; any other change
// drops it and the next lookup rebuilds it.
struct ItineraryTable::NameIndex {
  std::unordered_multimap<std::size_t, std::size_t> rowsByHash;
  std::size_t indexedRows = 0;
};

namespace {
std::size_t HashName(TextView name) { return std::hash<TextView>{}(name); }
}  // namespace

ItineraryTable::ItineraryTable() = default;
ItineraryTable::~ItineraryTable() = default;
ItineraryTable::ItineraryTable(ItineraryTable&&) noexcept = default;
ItineraryTable& ItineraryTable::operator=(ItineraryTable&&) noexcept = default;

std::size_t ItineraryTable::Insert(std::size_t index, TextView name, EntryStatus status, bool selected) {
  ItineraryEntry entry;
  entry.name.Assign(name);
  entry.status = status;
  entry.id = nextId_++;
  if (index > rows_.size()) index = rows_.size();
  // Appended rows are picked up by the next name lookup; other inserts move rows.
  if (index < rows_.size()) InvalidateNameIndex();
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  if (selected) {
    rows_[index].selected = true;
    SetFocused(index);
  }
  return index;
}

void ItineraryTable::InsertEntry(std::size_t index, ItineraryEntry entry) {
  if (entry.id == 0 || entry.id >= nextId_) entry.id = nextId_++;
  if (index > rows_.size()) index = rows_.size();
  rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
  InvalidateNameIndex();
}

ItineraryEntry ItineraryTable::Remove(std::size_t index) {
  ItineraryEntry entry = std::move(rows_[index]);
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
  InvalidateNameIndex();
  return entry;
}

void ItineraryTable::Clear() {
  rows_.clear();
  rows_.shrink_to_fit();
  if (nameIndex_) *nameIndex_ = NameIndex();
}

void ItineraryTable::Reserve(std::size_t rows) {
  if (rows <= rows_.capacity()) return;
  rows_.reserve(rows);
  AdviseLargeBlock(rows_.data(), rows_.capacity() * sizeof(ItineraryEntry));
}

namespace {

// The Order column holds counts from 1: any other text leaves it empty.
std::uint32_t OrderNumber(TextView text) {
  if (text.empty() || text.size() > 9 || text[0] == u'0') return 0;
  std::uint32_t number = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    number = number * 10 + static_cast<std::uint32_t>(c - u'0');
  }
  return number;
}

}  // namespace

static_assert(CellValue::kFormattedUnits >= kMaxCoordinateLength && CellValue::kFormattedUnits >= 10);

CellValue ItineraryEntry::Cell(int column) const {
  switch (column) {
    case kNameColumn: return CellValue(name.View());
    case kLongitudeColumn: return longitude.Value(Axis::Longitude);
    case kLatitudeColumn: return latitude.Value(Axis::Latitude);
    case kOrderColumn: {
      CellValue value;
      std::size_t length = 0;
      char16_t* out = value.Buffer();
      for (std::uint32_t rest = order; rest > 0; rest /= 10) out[length++] = static_cast<char16_t>(u'0' + rest % 10);
      std::reverse(out, out + length);
      value.Formatted(length);
      return value;
    }
    default: return CellValue(distance.View());
  }
}

void ItineraryTable::SetCell(std::size_t row, int column, TextView text) {
  ItineraryEntry& entry = rows_[row];
  switch (column) {
    case kNameColumn:
      InvalidateNameIndex();
      entry.name.Assign(text);
      break;
    case kLongitudeColumn:
    case kLatitudeColumn: entry.Coordinate(ColumnAxis(column)).Assign(ColumnAxis(column), text); break;
    case kOrderColumn: entry.order = OrderNumber(text); break;
    default: entry.distance.Assign(text);
  }
}

void ItineraryTable::SwapCell(std::size_t row, int column, CellText& text) {
  if (column == kNameColumn) {
    InvalidateNameIndex();
    std::swap(rows_[row].name, text);
    return;
  }
  if (column == kLongitudeColumn || column == kLatitudeColumn) {  // the old cell's text may be its own block
    const Axis axis = ColumnAxis(column);
    const CoordinateCell old = std::move(rows_[row].Coordinate(axis));
    rows_[row].Coordinate(axis).Assign(axis, text.View());
    text.Assign(old.Value(axis));
    return;
  }
  const CellValue old = rows_[row].Cell(column);  // a number's text, or a pooled distance text
  SetCell(row, column, text.View());
  text.Assign(old);
}

void ItineraryTable::SwapContents(std::size_t a, std::size_t b) {
  if (a == b) return;
  ItineraryEntry& first = rows_[a];
  ItineraryEntry& second = rows_[b];
  std::swap(first.status, second.status);
  std::swap(first.name, second.name);
  std::swap(first.longitude, second.longitude);
  std::swap(first.latitude, second.latitude);
  InvalidateNameIndex();
}

std::vector<ItineraryEntry> ItineraryTable::RemoveRows(const std::vector<std::uint32_t>& indexes) {
  std::vector<ItineraryEntry> removed;
  if (indexes.empty()) return removed;
  removed.reserve(indexes.size());
  std::size_t next = 0;
  std::size_t write = indexes.front();
  for (std::size_t read = indexes.front(); read < rows_.size(); ++read) {
    if (next < indexes.size() && indexes[next] == read) {
      removed.push_back(std::move(rows_[read]));
      ++next;
      continue;
    }
    if (write != read) rows_[write] = std::move(rows_[read]);
    ++write;
  }
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(write), rows_.end());
  InvalidateNameIndex();
  return removed;
}

void ItineraryTable::InsertRows(std::vector<std::uint32_t> finalIndexes, std::vector<ItineraryEntry> entries) {
  if (entries.empty()) return;
  for (auto& entry : entries)
    if (entry.id == 0 || entry.id >= nextId_) entry.id = nextId_++;
  const std::size_t oldCount = rows_.size();
  rows_.resize(oldCount + entries.size());
  // Filled from the back: every old row moves once, to its final place.
  std::size_t pending = entries.size();
  std::size_t source = oldCount;
  for (std::size_t target = rows_.size(); pending > 0 && target > 0;) {
    --target;
    if (finalIndexes[pending - 1] == target) {
      rows_[target] = std::move(entries[--pending]);
    } else {
      rows_[target] = std::move(rows_[--source]);
    }
  }
  InvalidateNameIndex();
}

void ItineraryTable::SwapRows(std::size_t a, std::size_t b) {
  if (a == b) return;
  std::swap(rows_[a], rows_[b]);
  InvalidateNameIndex();
}

namespace {

// Asks for a row's memory ahead of its move: the moves of a permutation jump around the
// table, and waiting for each row in turn would cost most of the time.
void PrefetchRow(const ItineraryEntry* row) {
#if defined(__GNUC__)
  const char* bytes = reinterpret_cast<const char*>(row);
  // A row need not start a cache line: its last byte may lie one line further.
  for (std::size_t offset = 0; offset < sizeof(ItineraryEntry); offset += 64) __builtin_prefetch(bytes + offset, 1);
  __builtin_prefetch(bytes + sizeof(ItineraryEntry) - 1, 1);
#else
  (void)row;
#endif
}

}  // namespace

void ItineraryTable::Permute(const std::vector<std::uint32_t>& order) {
  // In place, one cycle at a time: each row moves once and no second table is allocated.
  constexpr int kAhead = 8;
  std::vector<bool> placed(rows_.size());
  for (std::size_t start = 0; start < rows_.size(); ++start) {
    if (placed[start]) continue;
    placed[start] = true;
    if (order[start] == start) continue;
    std::size_t ahead = order[start];
    for (int k = 0; k < kAhead && ahead != start; ++k, ahead = order[ahead]) PrefetchRow(&rows_[ahead]);
    ItineraryEntry first = std::move(rows_[start]);
    std::size_t target = start;
    for (std::size_t source = order[target]; source != start; source = order[target]) {
      if (ahead != start) {
        PrefetchRow(&rows_[ahead]);
        ahead = order[ahead];
      }
      rows_[target] = std::move(rows_[source]);
      placed[source] = true;
      target = source;
    }
    rows_[target] = std::move(first);
  }
  InvalidateNameIndex();
}

void ItineraryTable::SetFocused(std::size_t row) {
  // The hint finds the old focus at once while rows are appended (an import focuses each
  // new row); otherwise one scan clears it.
  if (focusHint_ < rows_.size() && rows_[focusHint_].focused) {
    rows_[focusHint_].focused = false;
  } else {
    for (auto& entry : rows_) entry.focused = false;
  }
  rows_[row].focused = true;
  focusHint_ = row;
}

void ItineraryTable::ClearSelection() {
  for (auto& entry : rows_) entry.selected = false;
}

void ItineraryTable::ClearSelectionAndFocus() {
  for (auto& entry : rows_) entry.selected = entry.focused = false;
}

std::size_t ItineraryTable::SelectedCount() const {
  std::size_t count = 0;
  for (const auto& entry : rows_) count += entry.selected ? 1 : 0;
  return count;
}

long long ItineraryTable::FirstSelected() const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) return static_cast<long long>(i);
  return -1;
}

long long ItineraryTable::FocusedRow() const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].focused) return static_cast<long long>(i);
  return -1;
}

long long ItineraryTable::FindEntryByName(TextView name, long long exceptRow) const {
  if (!nameIndex_) nameIndex_ = std::make_unique<NameIndex>();
  for (std::size_t row = nameIndex_->indexedRows; row < rows_.size(); ++row)
    nameIndex_->rowsByHash.emplace(HashName(rows_[row].Name()), row);
  nameIndex_->indexedRows = rows_.size();
  long long first = -1;
  auto [begin, end] = nameIndex_->rowsByHash.equal_range(HashName(name));
  for (auto it = begin; it != end; ++it) {
    const auto row = static_cast<long long>(it->second);
    if (row != exceptRow && rows_[it->second].Name() == name && (first < 0 || row < first)) first = row;
  }
  return first;
}

long long ItineraryTable::FindRowById(RowId id) const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].id == id) return static_cast<long long>(i);
  return -1;
}

void ItineraryTable::InvalidateNameIndex() { nameIndex_.reset(); }

namespace {

// Counts the rows still present among the first i and finds the k-th present row, each
// in O(log n): a Fenwick tree over presence flags.
class PresenceTree {
 public:
  explicit PresenceTree(std::size_t count) : tree_(count + 1) {
    for (std::size_t i = 1; i <= count; ++i) tree_[i] = static_cast<std::uint32_t>(i & (~i + 1));
    top_ = 1;
    while (top_ * 2 <= count) top_ *= 2;
  }
  // Index of the present row with rank k (0-based); the row is then marked absent.
  std::size_t TakeRank(std::size_t k) {
    std::size_t position = 0;
    for (std::size_t step = top_; step > 0; step /= 2) {
      if (position + step < tree_.size() && tree_[position + step] <= k) {
        position += step;
        k -= tree_[position];
      }
    }
    for (std::size_t i = position + 1; i < tree_.size(); i += i & (~i + 1)) --tree_[i];
    return position;
  }

 private:
  std::vector<std::uint32_t> tree_;
  std::size_t top_ = 0;
};

}  // namespace

std::vector<std::uint32_t> RemovalsToOriginalIndexes(const std::vector<std::uint32_t>& removals, std::size_t rowCount) {
  std::vector<std::uint32_t> original;
  original.reserve(removals.size());
  PresenceTree present(rowCount);
  std::size_t remaining = rowCount;
  for (std::uint32_t index : removals) {
    if (index >= remaining) return {};
    original.push_back(static_cast<std::uint32_t>(present.TakeRank(index)));
    --remaining;
  }
  return original;
}

std::vector<std::uint32_t> InsertionsToFinalIndexes(const std::vector<std::uint32_t>& insertions, std::size_t rowCount) {
  // The last insertion lands where it asked; each earlier one takes its rank among the
  // places the later ones leave free.
  const std::size_t finalCount = rowCount + insertions.size();
  std::vector<std::uint32_t> placed(insertions.size());
  PresenceTree places(finalCount);
  for (std::size_t j = insertions.size(); j-- > 0;) {
    const std::size_t countThen = rowCount + j;
    const std::size_t index = insertions[j] > countThen ? countThen : insertions[j];
    placed[j] = static_cast<std::uint32_t>(places.TakeRank(index));
  }
  return placed;
}

std::array<int, kColumnCount> ColumnDisplayOrder(bool lngFirst) {
  return {kOrderColumn, kDistanceColumn, kNameColumn, FirstCoordinateColumn(lngFirst), SecondCoordinateColumn(lngFirst)};
}

ColumnLayout DefaultColumnLayout(int column, bool distanceShown, bool modernVisuals) {
  switch (column) {
    case kNameColumn: return {200, false};
    case kLongitudeColumn:
    case kLatitudeColumn: return {100, false};
    case kOrderColumn: return {modernVisuals ? 80 : 82, true};
    default: return {distanceShown ? 100 : 0, true};
  }
}

}  // namespace wayloom
