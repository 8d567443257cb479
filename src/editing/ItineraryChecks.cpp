#include "editing/ItineraryChecks.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "planning/Distances.h"
#include "platform/Collation.h"

namespace wayloom {

namespace {

constexpr int kFirstTitle = 14294;       // + phase
constexpr int kFirstStatusText = 13124;  // + phase
constexpr int kCompletedMessage = 14298;

bool IsPinned(const DocumentState& doc, std::size_t row) { return row == 0 && doc.baseRowPinned; }

bool ReadDegrees(TextView text, const DocumentState& doc, double& degrees) {
  if (text.empty()) return false;
  const auto value = CoordinateTextToDegrees(text, doc.Format());
  if (value) degrees = *value;
  return value.has_value();
}

// Signed comparison of two result items by a column (ascending).
int CompareItems(const CheckResultItem& a, const CheckResultItem& b, int column, const DocumentState& doc) {
  switch (column) {
    case kNameColumn: {
      const Collation& collation = CheckCollation(doc);
      const int logical = collation.CompareLogical(a.name, b.name);
      return logical != 0 ? logical : collation.CompareLocale(a.name, b.name);
    }
    case kLongitudeColumn:
    case kLatitudeColumn: {
      // An empty (or unreadable) text sorts first.
      double first = 0, second = 0;
      const bool hasFirst = ReadDegrees(a.Cell(column), doc, first);
      const bool hasSecond = ReadDegrees(b.Cell(column), doc, second);
      if (!hasFirst || !hasSecond) return hasFirst ? 1 : hasSecond ? -1 : 0;
      return first < second ? -1 : first > second ? 1 : 0;
    }
    case kDistanceColumn: return a.key < b.key ? -1 : a.key > b.key ? 1 : 0;
    default: return 0;
  }
}

}  // namespace

TextView CheckResultItem::Cell(int column) const {
  switch (column) {
    case kNameColumn: return name;
    case kLongitudeColumn: return longitude;
    case kLatitudeColumn: return latitude;
    case kDistanceColumn: return distance;
    default: return TextView();
  }
}

// The results list.

const std::vector<CheckResultItem>& CheckResults::Items() const {
  Compact();
  return items_;
}

int CheckResults::TitleId() const {
  return kFirstTitle + static_cast<int>(run_ ? run_->phase : CheckPhase::BlankCoordinates);
}

bool CheckResults::ColumnShown(int column) const {
  if (column == kOrderColumn) return false;
  if (column == kDistanceColumn) return run_ && run_->phase == CheckPhase::NearDistances;
  return column >= 0 && column < kColumnCount;
}

bool CheckResults::CanDelete() const {
  const auto& items = Items();
  return std::any_of(items.begin(), items.end(), [](const CheckResultItem& item) { return item.selected; });
}

bool CheckResults::CanDeleteAll() const { return !Items().empty(); }

bool CheckResults::CanGoTo() const {
  const auto& items = Items();
  return std::count_if(items.begin(), items.end(), [](const CheckResultItem& item) { return item.selected; }) == 1;
}

void CheckResults::SetItemSelected(std::size_t item, bool selected) {
  Compact();
  if (item < items_.size()) items_[item].selected = selected;
}

void CheckResults::SetItemFocused(std::size_t item) {
  Compact();
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i].focused = i == item;
}

void CheckResults::SelectionChanged(CommandContext& context) {
  if (!CanGoTo()) return;
  const auto it = std::find_if(items_.begin(), items_.end(), [](const CheckResultItem& item) { return item.selected; });
  const long long row = context.doc.table.FindRowById(it->rowId);
  if (row < 0) return;
  ItineraryTable& table = context.doc.table;
  table.ClearSelectionAndFocus();
  table.SetSelected(static_cast<std::size_t>(row), true);
  table.SetFocused(static_cast<std::size_t>(row));
  context.ui.EnsureRowVisible(row);
  context.doc.selectPending = true;
}

void CheckResults::SelectOnly(CommandContext& context, std::size_t item) {
  Compact();
  if (item >= items_.size()) return;
  for (std::size_t i = 0; i < items_.size(); ++i) items_[i].selected = i == item;
  SetItemFocused(item);
  SelectionChanged(context);
}

void CheckResults::GoTo(CommandContext& context) {
  if (!CanGoTo()) return;
  SelectionChanged(context);
  context.ui.FocusTable();
}

void CheckResults::DeleteSelected(CommandContext& context) {
  std::vector<RowId> ids;
  for (const CheckResultItem& item : Items())
    if (item.selected) ids.push_back(item.rowId);
  DeleteRowsOf(context, ids);
}

void CheckResults::DeleteAll(CommandContext& context) {
  Compact();
  for (CheckResultItem& item : items_) item.selected = true;
  DeleteSelected(context);
}

void CheckResults::DeleteRowsOf(CommandContext& context, const std::vector<RowId>& ids) {
  if (!run_ || ids.empty()) return;
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  context.ui.SuspendRedraw(true);
  BeginUndoGroup(doc.journal);
  for (CheckResultItem& item : items_) item.focused = false;

  std::unordered_map<RowId, std::size_t> rowOfId;
  rowOfId.reserve(table.RowCount());
  for (std::size_t row = 0; row < table.RowCount(); ++row) rowOfId.emplace(table.Row(row).id, row);
  std::vector<std::uint32_t> rows;
  for (RowId id : ids) {
    const auto it = rowOfId.find(id);
    if (it != rowOfId.end()) rows.push_back(static_cast<std::uint32_t>(it->second));
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  if (!rows.empty()) {
    const bool pinnedDeleted = IsPinned(doc, rows.front());
    DeleteRowsRecorded(doc, rows);  // each row's item goes with it (RowDeleting)
    if (pinnedDeleted) doc.baseRowPinned = false;
    if (rows.size() > (pinnedDeleted ? 1u : 0u)) doc.SetModified(true);
  }

  if (Items().size() < 2) sortMarkShown_ = false;
  context.ui.SuspendRedraw(false);
  Changed();
  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  SetBaseRow(context, -1, true);  // the base row found again by its marker
  context.ui.TableChanged();
  doc.titleDirty = true;
  MapSyncAll(doc);
}

void CheckResults::Continue(CommandContext& context) {
  if (!run_) return;
  ++modalDepth;
  windows_.HideCheckResults(*this);
  sortMarkShown_ = false;
  ClearItems();
  if (run_->phase == CheckPhase::BlankCoordinates) {
    run_->phase = CheckPhase::NearDistances;
    run_->position = 0;
  } else {
    ++run_->position;
  }
  Advance(context);
}

void CheckResults::Cancel(CommandContext& context) {
  if (run_) Finish(context, false);
}

void CheckResults::ClickColumnTitle(const DocumentState& doc, int column) {
  Compact();
  if (!run_ || items_.size() < 2 || column < 0 || column >= kColumnCount || column == kOrderColumn) return;
  if (column == kDistanceColumn && run_->phase != CheckPhase::NearDistances) return;
  if (column == sortColumn_) {
    sortAscending_ = !sortAscending_;
  } else {
    sortColumn_ = column;
  }
  sortMarkShown_ = true;
  const bool ascending = sortAscending_;
  std::stable_sort(items_.begin(), items_.end(), [&](const CheckResultItem& a, const CheckResultItem& b) {
    const int order = CompareItems(a, b, column, doc);
    return ascending ? order < 0 : order > 0;
  });
  itemOfId_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) itemOfId_[items_[i].rowId] = i;
}

// The run.

void CheckResults::Start(CommandContext& context) {
  DocumentState& doc = context.doc;
  ClearItems();
  CheckRun run;
  run.rowIds.reserve(doc.table.RowCount());
  run.slotOfId.reserve(doc.table.RowCount());
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    run.slotOfId.emplace(doc.table.Row(row).id, run.rowIds.size());
    run.rowIds.push_back(doc.table.Row(row).id);
  }
  run_ = std::move(run);
  scan_.reset();
  sortColumn_ = kNameColumn;
  sortAscending_ = false;
  sortMarkShown_ = false;
  context_ = &context;
  doc.recorder = this;
  Advance(context);
}

void CheckResults::Advance(CommandContext& context) {
  CheckRun& run = *run_;
  if (run.phase == CheckPhase::BlankCoordinates) {
    if (options.blankCoordinates && ScanBlankCoordinates(context) == ScanEnd::Shown) return;
    run.phase = CheckPhase::NearDistances;
    run.position = 0;
  }
  if (run.phase == CheckPhase::NearDistances) {
    if (options.nearDistance && ScanNearDistances(context) != ScanEnd::Exhausted) return;
    run.phase = CheckPhase::SimilarNames;
    run.position = 0;
  }
  if (options.similarNames && ScanSimilarNames(context) != ScanEnd::Exhausted) return;
  Finish(context, true);
}

CheckResults::ScanEnd CheckResults::ScanBlankCoordinates(CommandContext& context) {
  const ItineraryTable& table = context.doc.table;
  context.ui.ShowMarquee(LoadText(kFirstStatusText + static_cast<int>(CheckPhase::BlankCoordinates)));
  for (long long row : CheckSlotRows(table, *run_)) {
    if (row < 0) continue;
    const ItineraryEntry& entry = table.Row(static_cast<std::size_t>(row));
    if (!entry.HasBothCoordinates()) AddItem(entry, kCheckPlainKey, Text());
  }
  if (items_.empty()) return ScanEnd::Exhausted;
  ShowResults(context);
  return ScanEnd::Shown;
}

CheckResults::CheckResults(CheckWindows& windows) : windows_(windows) {}
CheckResults::~CheckResults() = default;

void CheckResults::PrepareScan(const DocumentState& doc, CheckPhase phase) {
  if (!scan_ || scan_->phase != phase) scan_ = std::make_unique<CheckScanData>(PrepareCheckScan(doc, *run_, phase));
}

CheckResults::ScanEnd CheckResults::ShowGroup(CommandContext& context, const std::vector<std::size_t>& slots,
                                              const std::vector<std::int32_t>& keys) {
  const bool metric = context.doc.settings.Get(Option::MetricUnit);
  for (std::size_t k = 0; k < slots.size(); ++k) {
    const std::int32_t key = keys[k];
    const bool measured = key != kCheckReferenceKey && key != kCheckPlainKey;
    AddItem(context.doc.table.Row(static_cast<std::size_t>(scan_->rows[slots[k]])), key,
            measured ? FormatDistance(key, metric) : Text());
  }
  ShowResults(context);
  return ScanEnd::Shown;
}

CheckResults::ScanEnd CheckResults::ScanGroups(CommandContext& context, CheckPhase phase, const GroupFinder& findGroup) {
  DocumentState& doc = context.doc;
  CheckRun& run = *run_;
  context.ui.ShowMarquee(LoadText(kFirstStatusText + static_cast<int>(phase)));
  context.ui.SetWaitCursor(true);
  PrepareScan(doc, phase);
  const std::size_t count = run.rowIds.size();
  std::vector<std::size_t> slots;
  std::vector<std::int32_t> keys;
  bool refreshed = false;
  while (run.position < count) {
    findGroup(run.position, slots, keys);
    if (slots.size() > 1) {
      if (CheckRowsHold(doc.table, run, *scan_, slots)) return ShowGroup(context, slots, keys);
      if (!refreshed) {  // read the rows again and look at this position once more
        refreshed = true;
        scan_.reset();
        PrepareScan(doc, phase);
        continue;
      }
    }
    if (context.ui.PollStop(true)) {
      Finish(context, false);
      return ScanEnd::Stopped;
    }
    ++run.position;
  }
  return ScanEnd::Exhausted;
}

CheckResults::ScanEnd CheckResults::ScanNearDistances(CommandContext& context) {
  const std::int32_t threshold = options.threshold;
  return ScanGroups(context, CheckPhase::NearDistances, [&](std::size_t r, auto& slots, auto& keys) {
    FindNearGroup(*scan_, r, threshold, slots, keys);
  });
}

CheckResults::ScanEnd CheckResults::ScanSimilarNames(CommandContext& context) {
  return ScanGroups(context, CheckPhase::SimilarNames, [&](std::size_t r, auto& slots, auto& keys) {
    FindSimilarGroup(*scan_, r, slots, keys);
  });
}

void CheckResults::ShowResults(CommandContext& context) {
  context.ui.EndProgress();
  context.ui.SetWaitCursor(false);
  context.doc.statusResetPending = true;
  SelectOnly(context, 0);
  windows_.ShowCheckResults(*this);
  if (modalDepth > 0) --modalDepth;
}

void CheckResults::Finish(CommandContext& context, bool completed) {
  context.ui.EndProgress();
  context.ui.SetWaitCursor(false);
  windows_.CloseCheckResults(*this);
  if (context.doc.recorder == this) context.doc.recorder = nullptr;
  run_.reset();
  scan_.reset();
  context_ = nullptr;
  ClearItems();
  sortMarkShown_ = false;
  context.doc.statusResetPending = true;
  if (completed) context.ui.ShowMessage(kCompletedMessage, FormatArg(), MessageIcon::Information);
  if (modalDepth > 0) --modalDepth;
}

// Items.

void CheckResults::AddItem(const ItineraryEntry& entry, std::int32_t key, const Text& distance) {
  CheckResultItem item;
  item.rowId = entry.id;
  item.key = key;
  CopyTexts(item, entry);
  item.distance = distance;
  itemOfId_[entry.id] = items_.size();
  items_.push_back(std::move(item));
}

void CheckResults::ClearItems() {
  items_.clear();
  itemOfId_.clear();
  deadItems_ = false;
  referenceHint_ = -1;
}

void CheckResults::Compact() const {
  if (!deadItems_) return;
  std::erase_if(items_, [](const CheckResultItem& item) { return item.rowId == 0; });
  itemOfId_.clear();
  for (std::size_t i = 0; i < items_.size(); ++i) itemOfId_[items_[i].rowId] = i;
  deadItems_ = false;
}

CheckResultItem* CheckResults::ItemOf(RowId id) {
  const auto it = itemOfId_.find(id);
  return it == itemOfId_.end() ? nullptr : &items_[it->second];
}

void CheckResults::CopyTexts(CheckResultItem& item, const ItineraryEntry& entry) const {
  item.name.assign(entry.Name());
  item.longitude.assign(entry.Cell(kLongitudeColumn));
  item.latitude.assign(entry.Cell(kLatitudeColumn));
}

// The row of the near group's reference item, or -1 when it has none (its row was deleted).
long long CheckResults::ReferenceRow() const {
  if (!run_ || run_->phase != CheckPhase::NearDistances || items_.empty()) return -1;
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [](const CheckResultItem& item) { return item.rowId != 0 && item.key == kCheckReferenceKey; });
  if (it == items_.end()) return -1;
  const ItineraryTable& table = context_->doc.table;
  const bool hintHolds = referenceHint_ >= 0 && static_cast<std::size_t>(referenceHint_) < table.RowCount() &&
                         table.Row(static_cast<std::size_t>(referenceHint_)).id == it->rowId;
  if (!hintHolds) referenceHint_ = table.FindRowById(it->rowId);
  return referenceHint_;
}

void CheckResults::SetDistance(CheckResultItem& item, long long referenceRow, long long row) const {
  if (item.key == kCheckReferenceKey) return;
  const DocumentState& doc = context_->doc;
  const std::int32_t metres = referenceRow < 0 || row < 0
                                  ? kDistanceUnavailable
                                  : DistanceBetweenRows(doc, static_cast<std::size_t>(referenceRow), static_cast<std::size_t>(row));
  item.key = metres;
  item.distance = metres == kDistanceUnavailable ? Text() : FormatDistance(metres, doc.settings.Get(Option::MetricUnit));
}

// Every item's distance against the reference row again, in one pass over the table.
void CheckResults::RecomputeDistances() {
  const long long reference = ReferenceRow();
  if (reference < 0) return;
  const ItineraryTable& table = context_->doc.table;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    if (CheckResultItem* item = ItemOf(table.Row(row).id)) SetDistance(*item, reference, static_cast<long long>(row));
}

void CheckResults::Changed() {
  if (context_) windows_.CheckResultsChanged(*this);
}

// The row listener.

void CheckResults::RowDeleting(std::size_t row, const ItineraryEntry& entry) {
  scan_.reset();
  if (!run_) return;
  const RowId id = entry.id;
  bool wasReference = false;
  if (const auto slot = run_->slotOfId.find(id); slot != run_->slotOfId.end()) {
    wasReference = slot->second == run_->position;
    run_->rowIds[slot->second] = 0;
    run_->slotOfId.erase(slot);
  }
  const auto item = itemOfId_.find(id);
  if (item == itemOfId_.end() && !wasReference) return;
  if (item != itemOfId_.end()) {
    items_[item->second].rowId = 0;
    itemOfId_.erase(item);
    deadItems_ = true;
  }
  if (wasReference && run_->phase == CheckPhase::NearDistances) {
    for (CheckResultItem& other : items_) {
      other.key = kCheckPlainKey;
      other.distance.clear();
    }
  }
  Changed();
}

void CheckResults::CellChanged(std::size_t row, int column) {
  scan_.reset();
  if (!run_ || column > kLatitudeColumn) return;
  const ItineraryEntry& entry = context_->doc.table.Row(row);
  CheckResultItem* item = ItemOf(entry.id);
  if (!item) return;
  CopyTexts(*item, entry);
  if (column != kNameColumn && run_->phase == CheckPhase::NearDistances) {
    if (item->key == kCheckReferenceKey) {
      referenceHint_ = static_cast<long long>(row);
      RecomputeDistances();
    } else {
      SetDistance(*item, ReferenceRow(), static_cast<long long>(row));
    }
  }
  Changed();
}

void CheckResults::StatusChanging(std::size_t row, EntryStatus oldStatus) {
  if (run_ && ItemOf(context_->doc.table.Row(row).id)) Changed();  // the list draws rows by status
}

void CheckResults::RowsSwapped(std::size_t a, std::size_t b) {
  scan_.reset();
  if (!run_ || a == b) return;
  const ItineraryTable& table = context_->doc.table;
  const RowId idA = table.Row(a).id, idB = table.Row(b).id;
  // The ids stay with the positions: the run follows its entries to the other id.
  constexpr std::size_t kNone = SIZE_MAX;
  auto& slots = run_->slotOfId;
  const auto slotA = slots.find(idA), slotB = slots.find(idB);
  const std::size_t fromA = slotA == slots.end() ? kNone : slotA->second;
  const std::size_t fromB = slotB == slots.end() ? kNone : slotB->second;
  slots.erase(idA);
  slots.erase(idB);
  if (fromA != kNone) {
    run_->rowIds[fromA] = idB;
    slots[idB] = fromA;
  }
  if (fromB != kNone) {
    run_->rowIds[fromB] = idA;
    slots[idA] = fromB;
  }

  const auto itemA = itemOfId_.find(idA), itemB = itemOfId_.find(idB);
  const std::size_t listedA = itemA == itemOfId_.end() ? kNone : itemA->second;
  const std::size_t listedB = itemB == itemOfId_.end() ? kNone : itemB->second;
  if (listedA == kNone && listedB == kNone) return;
  itemOfId_.erase(idA);
  itemOfId_.erase(idB);
  // The items take their rows' texts again: a reverse reported each cell before the swap.
  bool referenceMoved = false;
  auto follow = [&](std::size_t index, RowId id, std::size_t row) {
    CheckResultItem& item = items_[index];
    item.rowId = id;
    itemOfId_[id] = index;
    CopyTexts(item, table.Row(row));
    referenceMoved = referenceMoved || item.key == kCheckReferenceKey;
  };
  if (listedA != kNone) follow(listedA, idB, b);
  if (listedB != kNone) follow(listedB, idA, a);
  if (run_->phase == CheckPhase::NearDistances) {
    if (referenceMoved) {
      referenceHint_ = -1;
      RecomputeDistances();
    } else {
      const long long reference = ReferenceRow();
      if (listedA != kNone) SetDistance(items_[listedA], reference, static_cast<long long>(b));
      if (listedB != kNone) SetDistance(items_[listedB], reference, static_cast<long long>(a));
    }
  }
  Changed();
}

void CheckResults::RowReplaced(std::size_t source, std::size_t newRow) {
  scan_.reset();
  if (!run_) return;
  const ItineraryTable& table = context_->doc.table;
  const RowId from = table.Row(source).id, to = table.Row(newRow).id;
  if (const auto slot = run_->slotOfId.find(from); slot != run_->slotOfId.end()) {
    const std::size_t index = slot->second;
    run_->slotOfId.erase(slot);
    run_->rowIds[index] = to;
    run_->slotOfId[to] = index;
  }
  const auto item = itemOfId_.find(from);
  if (item == itemOfId_.end()) return;
  const std::size_t index = item->second;
  itemOfId_.erase(item);
  itemOfId_[to] = index;
  items_[index].rowId = to;
  CopyTexts(items_[index], table.Row(newRow));
  referenceHint_ = -1;
  Changed();
}

void CheckResults::RowInserted(std::size_t row, EntryStatus status, long long baseRow) { scan_.reset(); }

void CheckResults::TableCleared() {
  if (run_ && context_) Finish(*context_, false);
}

void CheckItinerary(CommandContext& context, CheckResults& checks) {
  if (checks.Running()) {
    checks.Windows().ShowCheckResults(checks);
    return;
  }
  const std::size_t rows = context.doc.table.RowCount();
  if (rows == 0) return;
  ++checks.modalDepth;
  context.ui.PressToolbarButton(IDM_CHECK, true);
  const bool ok = checks.Windows().AskCheckOptions(checks.options, rows);
  context.ui.PressToolbarButton(IDM_CHECK, false);
  if (!ok) {
    --checks.modalDepth;
    return;
  }
  if (rows < 2) checks.options.similarNames = checks.options.nearDistance = false;
  context.doc.statusResetPending = false;
  checks.Start(context);
}

}  // namespace wayloom
