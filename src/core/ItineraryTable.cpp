#include "core/ItineraryTable.h"

#include <functional>
#include <unordered_map>

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
  entry.cells[kNameColumn].Assign(name);
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

void ItineraryTable::SetCell(std::size_t row, int column, TextView text) {
  if (column == kNameColumn) InvalidateNameIndex();
  rows_[row].cells[column].Assign(text);
}

void ItineraryTable::SwapRows(std::size_t a, std::size_t b) {
  if (a == b) return;
  std::swap(rows_[a], rows_[b]);
  InvalidateNameIndex();
}

void ItineraryTable::Permute(const std::vector<std::uint32_t>& order) {
  std::vector<ItineraryEntry> reordered;
  reordered.reserve(rows_.size());
  for (std::uint32_t from : order) reordered.push_back(std::move(rows_[from]));
  rows_.swap(reordered);
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
