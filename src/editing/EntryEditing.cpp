#include "editing/EntryEditing.h"

#include <algorithm>
#include <vector>

#include "core/CommandIds.h"
#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {

constexpr int kMergingText = 13115;
constexpr int kDeletingText = 13116;
constexpr int kClearingText = 13117;
constexpr int kCuttingText = 13118;
constexpr std::size_t kMaxSequenceDigits = 9;

bool IsPinnedBaseRow(const DocumentState& doc, std::size_t row) { return row == 0 && doc.baseRowPinned; }

// Merge and clear cover the selected rows when some but not all are selected, otherwise
// every row; never the pinned base row.
std::vector<std::size_t> RowsToChange(const DocumentState& doc) {
  const ItineraryTable& table = doc.table;
  const std::size_t selected = table.SelectedCount();
  const bool all = selected == 0 || selected == table.RowCount();
  std::vector<std::size_t> rows;
  for (std::size_t row = doc.FirstWrittenRow(); row < table.RowCount(); ++row)
    if (all || table.Row(row).selected) rows.push_back(row);
  return rows;
}

bool AllDigits(TextView text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char16_t c) { return IsAsciiDigit(c); });
}

std::size_t DigitCount(unsigned long long value) {
  std::size_t digits = 1;
  while (value >= 10) value /= 10, ++digits;
  return digits;
}

Text Padded(unsigned long long value, std::size_t width) {
  Text digits = IntegerText(static_cast<long long>(value));
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

void MarkModified(DocumentState& doc, std::size_t row) {
  if (!IsPinnedBaseRow(doc, row)) doc.SetModified(true);
}

}  // namespace

void DeleteSelectedEntries(CommandContext& context, bool cutting) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (table.SelectedCount() == 0) return;
  const int command = cutting ? IDM_CUT : IDM_DELETE;
  context.ui.SetWaitCursor(true);
  context.ui.PressToolbarButton(command, true);
  context.ui.ShowStatusText(LoadText(cutting ? kCuttingText : kDeletingText));
  context.ui.SuspendRedraw(true);
  BeginUndoGroup(doc.journal);

  std::vector<std::uint32_t> rows;
  for (std::size_t row = 0; row < table.RowCount(); ++row)
    if (table.Row(row).selected) rows.push_back(static_cast<std::uint32_t>(row));
  const bool pinnedDeleted = doc.baseRowPinned && rows.front() == 0;
  DeleteRowsRecorded(doc, rows);
  if (pinnedDeleted) doc.baseRowPinned = false;

  table.ClearSelectionAndFocus();
  if (!table.Empty()) {
    const std::size_t row = std::min<std::size_t>(rows.front(), table.RowCount() - 1);
    table.SetSelected(row, true);
    table.SetFocused(row);
    context.ui.EnsureRowVisible(static_cast<long long>(row));
  }
  RenumberOrder(table);
  context.ui.FitColumn(kOrderColumn, false);
  SetBaseRow(context, -1, true);  // the base row found again by its marker
  context.ui.TableChanged();
  context.ui.SuspendRedraw(false);
  context.ui.PressToolbarButton(command, false);
  context.ui.SetWaitCursor(false);

  if (!(pinnedDeleted && rows.size() == 1)) doc.SetModified(true);
  doc.titleDirty = true;
  doc.statusResetPending = true;
  MapSyncAll(doc);
}

bool MergeFieldsAcceptable(const MergeFieldsChoice& choice) {
  const bool prefixName = choice.prefix == MergeField::Name;
  const bool suffixName = choice.suffix == MergeField::Name;
  if (prefixName == suffixName) return false;  // exactly one side is the name
  const MergeField edited = prefixName ? choice.suffix : choice.prefix;
  Text text = choice.text;
  CleanText(text);
  if (text.empty()) return false;
  if (edited == MergeField::Sequence) return AllDigits(text) && text.size() <= kMaxSequenceDigits;
  return choice.text.size() <= kMaxNameUnits;
}

void MergeFields(CommandContext& context, FieldDialogs& dialogs) {
  if (context.doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_MERGE_FIELDS, true);
  const auto choice = dialogs.AskMergeFields();
  context.ui.PressToolbarButton(IDM_MERGE_FIELDS, false);
  if (choice) ApplyMergeFields(context, *choice);
}

void ApplyMergeFields(CommandContext& context, const MergeFieldsChoice& choice) {
  DocumentState& doc = context.doc;
  if (doc.table.Empty() || !MergeFieldsAcceptable(choice)) return;
  context.ui.ShowStatusText(LoadText(kMergingText));
  BeginUndoGroup(doc.journal);
  const std::vector<std::size_t> rows = RowsToChange(doc);

  // Sequence numbers: "01" pads to the longer of the typed text and the last number given.
  Text sequence = choice.text;
  CleanText(sequence);
  unsigned long long next = 0;
  std::size_t width = 0;
  const bool numbering = choice.prefix == MergeField::Sequence || choice.suffix == MergeField::Sequence;
  if (numbering) {
    for (char16_t c : sequence) next = next * 10 + static_cast<unsigned>(c - u'0');
    if (sequence.size() > 1 && sequence[0] == u'0' && !rows.empty())
      width = std::max(sequence.size(), DigitCount(next + rows.size() - 1));
  }

  bool changed = false;
  for (std::size_t row : rows) {
    const Text number = numbering ? Padded(next++, width) : Text();
    auto part = [&](MergeField field) -> Text {
      switch (field) {
        case MergeField::Text: return choice.text;
        case MergeField::Sequence: return number;
        case MergeField::Name: return Text(doc.table.Cell(row, kNameColumn));
      }
      return Text();
    };
    Text name = part(choice.prefix) + part(choice.suffix);
    CutToUnits(name, kMaxNameUnits);
    if (!NormaliseName(name)) continue;
    if (SetCellRecorded(doc, row, kNameColumn, name)) changed = true;
  }

  context.ui.FitColumn(kNameColumn, false);
  doc.selectPending = true;
  doc.titleDirty = true;
  doc.statusResetPending = true;
  if (changed) doc.SetModified(true);
  MapSyncAll(doc);
}

Text WithoutLeadingNumber(TextView name) {
  std::size_t digits = 0;
  while (digits < name.size() && IsAsciiDigit(name[digits])) ++digits;
  if (digits == 0 || digits == name.size()) return Text(name);
  Text rest(name.substr(digits));
  CleanText(rest);
  return rest.empty() ? Text(name) : rest;
}

Text WithoutTrailingNumber(TextView name) {
  std::size_t end = name.size();
  while (end > 0 && IsAsciiDigit(name[end - 1])) --end;
  if (end == name.size() || end == 0) return Text(name);
  Text rest(name.substr(0, end));
  CleanText(rest);
  return rest.empty() ? Text(name) : rest;
}

void ClearFields(CommandContext& context, FieldDialogs& dialogs) {
  if (context.doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, true);
  const auto choice = dialogs.AskClearFields();
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, false);
  if (choice) ApplyClearFields(context, *choice);
}

void ApplyClearFields(CommandContext& context, const ClearFieldsChoice& choice) {
  DocumentState& doc = context.doc;
  const bool coordinates = choice.longitude || choice.latitude;
  if (doc.table.Empty() || !(choice.leadingNumber || choice.trailingNumber || coordinates)) return;
  context.ui.ShowStatusText(LoadText(kClearingText));
  BeginUndoGroup(doc.journal);
  for (std::size_t row : RowsToChange(doc)) {
    if (choice.leadingNumber || choice.trailingNumber) {
      Text name(doc.table.Cell(row, kNameColumn));
      if (choice.leadingNumber) name = WithoutLeadingNumber(name);
      if (choice.trailingNumber) name = WithoutTrailingNumber(name);
      if (SetCellRecorded(doc, row, kNameColumn, name)) MarkModified(doc, row);
    }
    if (choice.longitude && SetCellRecorded(doc, row, kLongitudeColumn, TextView())) MarkModified(doc, row);
    if (choice.latitude && SetCellRecorded(doc, row, kLatitudeColumn, TextView())) MarkModified(doc, row);
  }
  if (coordinates) {
    RenumberOrder(doc.table);
    if (doc.baseRow >= 0) SetBaseRow(context, doc.baseRow, true);
  }
  context.ui.FitColumns();
  doc.selectPending = true;
  doc.titleDirty = true;
  doc.statusResetPending = true;
  MapSyncAll(doc);
}

void ClearWholeColumn(CommandContext& context, int column) {
  DocumentState& doc = context.doc;
  if (column != kLongitudeColumn && column != kLatitudeColumn) return;
  if (doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, true);
  context.ui.ShowStatusText(LoadText(kClearingText));
  BeginUndoGroup(doc.journal);
  bool changed = false;
  for (std::size_t row = doc.FirstWrittenRow(); row < doc.table.RowCount(); ++row)
    changed = SetCellRecorded(doc, row, column, TextView()) || changed;
  if (changed) {
    doc.SetModified(true);
    RenumberOrder(doc.table);
    if (doc.baseRow >= 0) SetBaseRow(context, doc.baseRow, true);
    context.ui.FitColumn(column, false);
    MapSyncAll(doc);
  }
  doc.titleDirty = true;
  doc.statusResetPending = true;
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, false);
}

void ClearColumnAddresses(CommandContext& context) {
  DocumentState& doc = context.doc;
  if (doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, true);
  context.ui.ShowStatusText(LoadText(kClearingText));
  BeginUndoGroup(doc.journal);
  bool changed = false;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const TextView name = doc.table.Row(row).Name();
    const std::size_t at = name.rfind(u'@');
    if (at == TextView::npos || name.find(u'@') == 0) continue;
    Text cut(name.substr(0, at));
    CleanText(cut);
    if (SetCellRecorded(doc, row, kNameColumn, cut)) {
      MarkModified(doc, row);
      changed = true;
    }
  }
  if (changed) {
    context.ui.FitColumn(kNameColumn, false);
    MapSyncAll(doc);
  }
  doc.titleDirty = true;
  doc.statusResetPending = true;
  context.ui.PressToolbarButton(IDM_CLEAR_FIELDS, false);
}

void ToggleLngFirst(CommandContext& context) {
  Settings& settings = context.doc.settings;
  settings.Set(Option::LngFirst, !settings.Get(Option::LngFirst));
  context.ui.ApplyColumnOrder();
}

void ToggleCoordinateForm(CommandContext& context, CoordinateSwitch which) {
  ReformatAllCoordinates(context.doc, which);
  context.ui.TableChanged();
  context.ui.FitColumn(kLongitudeColumn, false);
  context.ui.FitColumn(kLatitudeColumn, false);
  MapSyncAll(context.doc);
}

}  // namespace wayloom
