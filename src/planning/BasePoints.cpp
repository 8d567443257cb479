#include "planning/BasePoints.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "core/CommandIds.h"
#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {

constexpr char16_t kSection[] = u"Base Points";
constexpr char16_t kInsertListKey[] = u"Insert List";
constexpr char16_t kWidthKey[] = u"Width";
constexpr char16_t kHeightKey[] = u"Height";
constexpr std::size_t kMaxCoordinateUnits = 31;
constexpr int kFittingColumnsText = 13137;

Text ListKey(long long n) { return u"BP List " + IntegerText(n); }

// Puts an entry into row 0 as the pinned base row: a pinned row already there is
// replaced, otherwise a row is inserted. Destination, passed when row 0 was.
void PinEntry(DocumentState& doc, const BasePointEntry& entry) {
  ItineraryTable& table = doc.table;
  const EntryStatus passed = table.Empty() ? 0 : static_cast<EntryStatus>(table.Row(0).status & kStatusPassed);
  const auto status = static_cast<EntryStatus>(kStatusDestination | passed);
  const bool inserted = !doc.baseRowPinned || table.Empty();
  if (!inserted) {
    SetStatusRecorded(doc, 0, status, kNameColumn, entry.name);
  } else {
    doc.baseRowPinned = true;  // before the insert, so that its record knows the row
    InsertRowRecorded(doc, 0, entry.name, status, false);
    if (doc.baseRow >= 0) ++doc.baseRow;  // the base row moved down with the rest
  }
  SetCellRecorded(doc, 0, kLongitudeColumn, entry.longitude);
  SetCellRecorded(doc, 0, kLatitudeColumn, entry.latitude);
  // A pinned row that had lost its coordinates was no base row: it becomes one again, and
  // a redo must know that as well as the command does.
  if (!inserted && doc.baseRow != 0) RecordBaseRowChange(doc, 0);
}

// Column widths after a change of rows; with "Auto Column" the status bar says so.
void FitAllColumns(CommandContext& context) {
  if (context.doc.settings.Get(Option::AutoColumn)) {
    context.ui.ShowStatusText(LoadText(kFittingColumnsText));
    context.doc.statusResetPending = true;
  }
  context.ui.FitColumns();
}

}  // namespace

std::optional<BasePointEntry> ReadBasePointValue(TextView value, CoordinateFormat format) {
  const std::size_t nameEnd = value.find(u'>');
  if (nameEnd == 0 || nameEnd == TextView::npos) return std::nullopt;
  BasePointEntry entry;
  entry.name = Text(value.substr(0, nameEnd));
  if (!NormaliseName(entry.name)) return std::nullopt;
  const TextView rest = value.substr(nameEnd + 1);
  const std::size_t longitudeEnd = rest.find(u'>');
  TextView longitude = rest.substr(0, longitudeEnd);
  TextView latitude = longitudeEnd == TextView::npos ? TextView() : rest.substr(longitudeEnd + 1);
  longitude = longitude.substr(0, kMaxCoordinateUnits);
  latitude = latitude.substr(0, kMaxCoordinateUnits);
  auto longitudeText = CoordinateCellText(longitude, Axis::Longitude, CoordinateSource::Degrees, format);
  auto latitudeText = CoordinateCellText(latitude, Axis::Latitude, CoordinateSource::Degrees, format);
  if (!longitudeText || !latitudeText) return std::nullopt;
  entry.longitude = std::move(*longitudeText);
  entry.latitude = std::move(*latitudeText);
  return entry;
}

Text BasePointValue(const BasePointEntry& entry, CoordinateFormat format) {
  return entry.name + u">" + DisplayToDecimal(entry.longitude, format) + u">" + DisplayToDecimal(entry.latitude, format);
}

std::array<int, 3> BasePointListColumns(bool lngFirst) {
  return {kNameColumn, FirstCoordinateColumn(lngFirst), SecondCoordinateColumn(lngFirst)};
}

TextView BasePointCell(const BasePointEntry& entry, int column) {
  switch (column) {
    case kNameColumn: return entry.name;
    case kLongitudeColumn: return entry.longitude;
    case kLatitudeColumn: return entry.latitude;
    default: return TextView();
  }
}

bool InsertBasePointRow(CommandContext& context) {
  DocumentState& doc = context.doc;
  Profile* profile = context.profile;
  if (!profile) return false;
  const int remembered = std::clamp(doc.settings.baseListIndex, 0, kBasePointLimit - 1) + 1;
  for (int n = remembered; n >= 1; --n) {
    const std::optional<Text> value = profile->ReadString(kSection, ListKey(n));
    if (!value) continue;
    const std::optional<BasePointEntry> entry = ReadBasePointValue(*value, doc.Format());
    if (!entry) return false;
    PinEntry(doc, *entry);
    RenumberOrder(doc.table);
    if (n != remembered) {
      profile->WriteInt(kSection, kInsertListKey, n);
      doc.settings.baseListIndex = n - 1;
    }
    return true;
  }
  return false;
}

void SetBasePointFromSelection(CommandContext& context) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (!doc.settings.Get(Option::ShowDistance) || table.SelectedCount() != 1) return;
  const auto selected = static_cast<std::size_t>(table.FirstSelected());
  if ((selected == 0 && doc.baseRowPinned) || !table.Row(selected).HasBothCoordinates()) return;
  BeginUndoGroup(doc.journal);
  if (doc.baseRowPinned) {
    DeleteRowRecorded(doc, 0);
    doc.baseRowPinned = false;
    RenumberOrder(table);
    MapSyncAll(doc);
  }
  const long long row = table.FirstSelected();
  RecordBaseRowChange(doc, row);
  SetBaseRow(context, row, true);
  FitAllColumns(context);
  context.ui.TableChanged();
  doc.titleDirty = true;
  doc.statusResetPending = true;
}

void MyBasePoints(CommandContext& context, BasePointWindow& window) {
  DocumentState& doc = context.doc;
  if (!doc.settings.Get(Option::ShowDistance)) return;
  context.ui.PressToolbarButton(IDM_MY_BASE_POINTS, true);
  int result;
  {
    BasePointDialog dialog(context);
    result = window.RunBasePointDialog(dialog);
  }
  context.ui.PressToolbarButton(IDM_MY_BASE_POINTS, false);
  if (result != 1 || doc.table.Empty()) return;
  ItineraryTable& table = doc.table;
  table.ClearSelectionAndFocus();
  table.SetSelected(0, true);
  table.SetFocused(0);
  RenumberOrder(table);
  SetBaseRow(context, 0, true);
  FitAllColumns(context);
  MapSyncAll(doc);
  context.ui.TableChanged();
  doc.titleDirty = true;
  doc.statusResetPending = true;
  doc.selectPending = true;
}

// ---- the dialog ----

BasePointDialog::BasePointDialog(CommandContext& context) : context_(context) {
  remembered = std::max(context.doc.settings.baseListIndex, 0);
  entries.reserve(kBasePointLimit);
  if (Profile* profile = context.profile) {
    // Reading stops at the first missing key; values that are not entries are passed over.
    const CoordinateFormat format = context.doc.Format();
    for (int n = 1; n <= kBasePointLimit; ++n) {
      const std::optional<Text> value = profile->ReadString(kSection, ListKey(n));
      if (!value) break;
      if (auto entry = ReadBasePointValue(*value, format)) entries.push_back(std::move(*entry));
    }
    width = std::max(profile->ReadInt(kSection, kWidthKey, kBasePointDialogMinimumSize), kBasePointDialogMinimumSize);
    height = std::max(profile->ReadInt(kSection, kHeightKey, kBasePointDialogMinimumSize), kBasePointDialogMinimumSize);
  }
  if (!entries.empty()) {
    openRow = std::min<long long>(remembered, static_cast<long long>(entries.size()) - 1);
    SelectOnly(openRow);
  }
}

std::size_t BasePointDialog::SelectedCount() const {
  return static_cast<std::size_t>(
      std::count_if(entries.begin(), entries.end(), [](const BasePointEntry& entry) { return entry.selected; }));
}

long long BasePointDialog::FirstSelected() const {
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (entries[i].selected) return static_cast<long long>(i);
  return -1;
}

void BasePointDialog::SelectOnly(long long row) {
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i].selected = static_cast<long long>(i) == row;
}

bool BasePointDialog::Enabled(int controlId) const {
  const std::size_t selected = SelectedCount();
  const long long first = FirstSelected();
  const auto size = static_cast<long long>(entries.size());
  switch (controlId) {
    case kBasePointSet: return selected == 1;
    case kBasePointMoveUp: return selected == 1 && first > 0;
    case kBasePointMoveDown: return selected == 1 && first < size - 1;
    case kBasePointAdd: return context_.doc.table.FirstSelected() >= 0 && size < kBasePointLimit;
    case kBasePointDelete: return selected > 0;
    case kBasePointDeleteAll: return size > 0;
    case kBasePointExportAll: return size > 0 && !exported;
    case kBasePointOk: return changed;
    case kBasePointCancel: return true;
    default: return false;
  }
}

BasePointStep BasePointDialog::Press(int controlId) {
  if (!Enabled(controlId)) return {};
  switch (controlId) {
    case kBasePointSet: return SetBasePoint();
    case kBasePointMoveUp: return Move(true);
    case kBasePointMoveDown: return Move(false);
    case kBasePointAdd: return AddFromTable();
    case kBasePointDelete: return DeleteSelected();
    case kBasePointDeleteAll:
      entries.clear();
      remembered = 0;
      changed = true;
      return {};
    case kBasePointExportAll: return ExportAll();
    case kBasePointOk:
      context_.doc.settings.baseListIndex = static_cast<int>(remembered);
      Save(true);
      return {true, 2, -1};
    case kBasePointCancel:
      Save(false);
      return {true, 2, -1};
    default: return {};
  }
}

BasePointStep BasePointDialog::SetBasePoint() {
  DocumentState& doc = context_.doc;
  BeginUndoGroup(doc.journal);
  const long long selected = FirstSelected();
  PinEntry(doc, entries[static_cast<std::size_t>(selected)]);
  context_.ui.EnsureRowVisible(0);
  doc.settings.baseListIndex = static_cast<int>(selected);
  if (context_.profile) context_.profile->WriteInt(kSection, kInsertListKey, selected + 1);
  Save(true);
  return {true, 1, -1};
}

BasePointStep BasePointDialog::Move(bool up) {
  const long long row = FirstSelected();
  const long long target = up ? row - 1 : row + 1;
  // The whole entries change places, so the selection goes with the moved one.
  std::swap(entries[static_cast<std::size_t>(row)], entries[static_cast<std::size_t>(target)]);
  if (remembered == row) {
    remembered = target;
  } else if (remembered == target) {
    remembered = row;
  }
  changed = true;
  const long long last = static_cast<long long>(entries.size()) - 1;
  return {false, 0, up ? std::max(target - 3, 0LL) : std::min(target + 3, last)};
}

BasePointStep BasePointDialog::AddFromTable() {
  const ItineraryTable& table = context_.doc.table;
  std::unordered_map<TextView, std::size_t> byName;
  for (std::size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].name, i);  // the first of a name counts
  long long firstTouched = -1;
  for (std::size_t row = 0; row < table.RowCount() && entries.size() < static_cast<std::size_t>(kBasePointLimit); ++row) {
    const ItineraryEntry& source = table.Row(row);
    if (!source.selected || !source.HasBothCoordinates()) continue;
    std::size_t index;
    if (const auto found = byName.find(source.Name()); found != byName.end()) {
      index = found->second;
    } else {
      index = entries.size();
      entries.push_back({Text(source.Name()), Text(), Text(), false});  // capacity reserved: names stay put
      byName.emplace(entries[index].name, index);
    }
    entries[index].longitude = Text(source.Cell(kLongitudeColumn));
    entries[index].latitude = Text(source.Cell(kLatitudeColumn));
    if (firstTouched < 0) firstTouched = static_cast<long long>(index);
  }
  if (firstTouched >= 0) SelectOnly(firstTouched);
  changed = true;
  return {false, 0, firstTouched};
}

BasePointStep BasePointDialog::DeleteSelected() {
  long long firstDeleted = -1;
  long long deletedAbove = 0;
  bool rememberedDeleted = false;
  BasePointList kept;
  kept.reserve(kBasePointLimit);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto index = static_cast<long long>(i);
    if (!entries[i].selected) {
      kept.push_back(std::move(entries[i]));
      continue;
    }
    if (firstDeleted < 0) firstDeleted = index;
    if (index == remembered) rememberedDeleted = true;
    if (index < remembered) ++deletedAbove;
  }
  entries = std::move(kept);
  remembered = rememberedDeleted ? 0 : remembered - deletedAbove;
  long long show = -1;
  if (!entries.empty()) show = std::min(firstDeleted, static_cast<long long>(entries.size()) - 1);
  SelectOnly(show);
  changed = true;
  return {false, 0, show};
}

BasePointStep BasePointDialog::ExportAll() {
  DocumentState& doc = context_.doc;
  ItineraryTable& table = doc.table;
  BeginUndoGroup(doc.journal);
  table.ClearSelection();
  const std::size_t firstNew = table.RowCount();
  for (const BasePointEntry& entry : entries) {
    const std::size_t row = InsertRowRecorded(doc, SIZE_MAX, entry.name, kStatusDestination, true);
    SetCellRecorded(doc, row, kLongitudeColumn, entry.longitude);
    SetCellRecorded(doc, row, kLatitudeColumn, entry.latitude);
  }
  RenumberOrder(table);
  SetBaseRow(context_, doc.baseRow, true);
  FitAllColumns(context_);
  context_.ui.EnsureRowVisible(static_cast<long long>(firstNew));
  context_.ui.TableChanged();
  MapSyncAll(doc);
  doc.SetModified(true);
  doc.statusResetPending = true;
  exported = true;
  return {};
}

void BasePointDialog::Save(bool withList) {
  Profile* profile = context_.profile;
  if (!profile) return;
  if (withList && changed) {
    // The section is rewritten whole: the list without gaps, and no key left behind it
    // that a later read (or the search of InsertBasePointRow) would take up.
    const CoordinateFormat format = context_.doc.Format();
    const auto size = static_cast<int>(entries.size());
    for (int i = 0; i < size; ++i) profile->WriteString(kSection, ListKey(i + 1), BasePointValue(entries[i], format));
    for (int n = size + 1; n <= kBasePointLimit; ++n)
      if (profile->ReadString(kSection, ListKey(n))) profile->DeleteKey(kSection, ListKey(n));
    profile->WriteInt(kSection, kInsertListKey, context_.doc.settings.baseListIndex + 1LL);
  }
  profile->WriteInt(kSection, kWidthKey, std::max(width, kBasePointDialogMinimumSize));
  profile->WriteInt(kSection, kHeightKey, std::max(height, kBasePointDialogMinimumSize));
}

}  // namespace wayloom
