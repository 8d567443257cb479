#include "editing/FindReplace.h"

#include <algorithm>
#include <random>
#include <vector>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {

constexpr int kReplacingText = 13122;
constexpr int kNudgingText = 13123;
constexpr std::size_t kMaxSearchUnits = 255;
constexpr std::size_t kMaxNudgeUnits = 31;

// Simple one-to-one lower-casing, so that positions in the folded text are positions in
// the text: ASCII, Latin-1, Latin Extended-A, Greek, Cyrillic and full-width Latin.
char16_t FoldCase(char16_t c) {
  if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x100 && c <= 0x17F) {
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    if (c == 0x178) return 0xFF;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c & 1) ? static_cast<char16_t>(c + 1) : c;
    return (c & 1) ? c : static_cast<char16_t>(c + 1);
  }
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return static_cast<char16_t>(c + 0x25);
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return static_cast<char16_t>(c + 0x3F);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F))
    return (c & 1) ? c : static_cast<char16_t>(c + 1);
  if (c == 0x4C0) return 0x4CF;
  if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? static_cast<char16_t>(c + 1) : c;
  if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
  return c;
}

Text Folded(TextView text) {
  Text folded(text);
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

std::vector<int> SearchedColumns(const SearchOptions& options) {
  if (options.namesOnly) return {kNameColumn};
  return {kNameColumn, kLongitudeColumn, kLatitudeColumn};
}

bool RowMatches(const DocumentState& doc, const SearchOptions& options, const Text& foldedFind, std::size_t row) {
  for (int column : SearchedColumns(options)) {
    const CellValue cell = doc.table.Cell(row, column);
    if (options.matchCase ? cell.find(options.findText) != TextView::npos
                          : Folded(cell).find(foldedFind) != Text::npos)
      return true;
  }
  return false;
}

void SelectAndFocus(ItineraryTable& table, std::size_t row) {
  table.SetSelected(row, true);
  table.SetFocused(row);
}

bool IsPinnedBaseRow(const DocumentState& doc, std::size_t row) { return row == 0 && doc.baseRowPinned; }

// The replacement in one row's searched cells; true when a cell was stored changed.
bool ReplaceInRow(CommandContext& context, const SearchOptions& options, std::size_t row) {
  DocumentState& doc = context.doc;
  bool changed = false;
  for (int column : SearchedColumns(options)) {
    Text old(doc.table.Cell(row, column));
    CutToUnits(old, kMaxSearchUnits);
    Text text = ReplaceOccurrences(old, options.findText, options.replaceText, options.matchCase);
    if (text.size() > kMaxSearchUnits) continue;
    CleanText(text);
    if (text == old) continue;
    if (column == kNameColumn) {
      if (text.empty() || text.find_first_of(u"|>") != Text::npos) continue;
      if (doc.settings.Get(Option::CheckName) && doc.table.FindEntryByName(text, static_cast<long long>(row)) >= 0)
        continue;
      if (SetCellRecorded(doc, row, column, text)) changed = true;
    } else {
      // The result must read as a coordinate of the cell's axis; it is stored in the
      // current display form.
      const bool longitude = column == kLongitudeColumn;
      const auto display =
          ParseCoordinateInput(text, longitude ? CoordinateKind::Longitude : CoordinateKind::Latitude, doc.Format());
      if (!display) continue;
      const Text before(doc.table.Cell(row, column));
      SetCoordinateFromText(doc, row, longitude ? Axis::Longitude : Axis::Latitude,
                            DisplayToDecimal(*display, doc.Format()), CoordinateSource::Degrees);
      if (doc.table.Cell(row, column) != before) changed = true;
    }
  }
  if (changed && !IsPinnedBaseRow(doc, row)) doc.SetModified(true);
  return changed;
}

}  // namespace

bool TextContains(TextView text, TextView what, bool matchCase) {
  if (what.empty()) return false;
  return matchCase ? text.find(what) != TextView::npos : Folded(text).find(Folded(what)) != Text::npos;
}

Text ReplaceOccurrences(TextView text, TextView what, TextView with, bool matchCase) {
  if (what.empty()) return Text(text);
  const Text haystack = matchCase ? Text(text) : Folded(text);
  const Text needle = matchCase ? Text(what) : Folded(what);
  Text out;
  std::size_t position = 0;
  for (std::size_t hit; (hit = haystack.find(needle, position)) != Text::npos; position = hit + needle.size()) {
    out.append(text.substr(position, hit - position));
    out.append(with);
  }
  out.append(text.substr(position));
  return out;
}

long long FindFrom(DocumentState& doc, const SearchOptions& options, std::size_t start, bool selectAll) {
  ItineraryTable& table = doc.table;
  table.ClearSelectionAndFocus();
  const std::size_t count = table.RowCount();
  if (start >= count) return 0;
  if (options.findText.empty()) return selectAll ? 0 : -1;
  const Text foldedFind = Folded(options.findText);
  if (selectAll) {
    for (std::size_t row = start; row < count; ++row)
      if (RowMatches(doc, options, foldedFind, row)) SelectAndFocus(table, row);
    return 0;
  }
  for (std::size_t step = 0; step < count; ++step) {
    const std::size_t row = (start + step) % count;
    if (RowMatches(doc, options, foldedFind, row)) {
      SelectAndFocus(table, row);
      return static_cast<long long>(row);
    }
  }
  return -1;
}

bool ReplaceIn(CommandContext& context, const SearchOptions& options, std::size_t start, bool all) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  BeginUndoGroup(doc.journal);
  table.ClearSelection();
  const std::size_t count = table.RowCount();
  if (start >= count || options.findText.empty()) return false;
  bool changed = false;
  const std::size_t steps = all ? count - start : count;
  for (std::size_t step = 0; step < steps; ++step) {
    const std::size_t row = (start + step) % count;
    if (!ReplaceInRow(context, options, row)) continue;
    changed = true;
    if (!all) break;
    SelectAndFocus(table, row);
  }
  if (changed) doc.titleDirty = true;
  return changed;
}

void Find(CommandContext& context, SearchDialogs& dialogs, SearchOptions& options) {
  DocumentState& doc = context.doc;
  if (doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_FIND, true);
  auto answer = dialogs.AskFind(options);
  context.ui.PressToolbarButton(IDM_FIND, false);
  if (!answer || answer->findText.empty()) return;
  options = std::move(*answer);
  CutToUnits(options.findText, kMaxSearchUnits);
  CutToUnits(options.replaceText, kMaxSearchUnits);
  FindFrom(doc, options, 0, options.allMatches);
  context.ui.EnsureRowVisible(doc.table.FirstSelected());
}

void FindNext(CommandContext& context, const SearchOptions& options) {
  DocumentState& doc = context.doc;
  const std::size_t count = doc.table.RowCount();
  if (count == 0 || options.findText.empty()) return;
  const long long first = doc.table.FirstSelected();
  const std::size_t start = first < 0 ? 0 : static_cast<std::size_t>(first + 1) % count;
  context.ui.EnsureRowVisible(FindFrom(doc, options, start, false));
}

void Replace(CommandContext& context, SearchDialogs& dialogs, SearchOptions& options) {
  DocumentState& doc = context.doc;
  if (doc.table.Empty()) return;
  context.ui.PressToolbarButton(IDM_REPLACE, true);
  auto answer = dialogs.AskReplace(options);
  context.ui.PressToolbarButton(IDM_REPLACE, false);
  if (!answer || answer->findText.empty()) return;
  options = std::move(*answer);
  CutToUnits(options.findText, kMaxSearchUnits);
  CutToUnits(options.replaceText, kMaxSearchUnits);
  if (!options.allMatches) {
    context.ui.PostCommand(IDM_FIND_NEXT, 0);
    return;
  }
  context.ui.ShowStatusText(LoadText(kReplacingText));
  if (ReplaceIn(context, options, 0, true)) {
    MapSyncAll(doc);
    if (!options.namesOnly && doc.baseRow >= 0) SetBaseRow(context, doc.baseRow, true);
  }
  context.ui.EnsureRowVisible(doc.table.FirstSelected());
  doc.statusResetPending = true;
}

void ReplaceNext(CommandContext& context, const SearchOptions& options) {
  DocumentState& doc = context.doc;
  const std::size_t count = doc.table.RowCount();
  if (count == 0 || options.findText.empty()) return;
  if (doc.table.SelectedCount() == 0) {
    context.ui.PostCommand(IDM_FIND_NEXT, 0);
    return;
  }
  const auto current = static_cast<std::size_t>(doc.table.FirstSelected());
  long long found = FindFrom(doc, options, current, false);
  if (found == static_cast<long long>(current)) {
    // Only the current row is replaced: a refused replacement there does not reach into
    // rows the user has not seen.
    BeginUndoGroup(doc.journal);
    doc.table.ClearSelection();
    if (ReplaceInRow(context, options, current)) {
      doc.titleDirty = true;
      MapSyncAll(doc);
      if (!options.namesOnly && doc.baseRow >= 0) UpdateRowDistance(context, current);
    }
    found = FindFrom(doc, options, (current + 1) % count, false);
  }
  context.ui.EnsureRowVisible(found);
}

void NudgeCoordinates(CommandContext& context, const Clock& clock) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  if (table.Empty()) return;
  context.ui.SetWaitCursor(true);
  context.ui.PressToolbarButton(IDM_NUDGE, true);
  context.ui.ShowStatusText(LoadText(kNudgingText));
  BeginUndoGroup(doc.journal);
  std::mt19937 random(clock.TickCount());
  const CoordinateFormat format = doc.Format();
  const bool onlySelected = table.SelectedCount() > 0;
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    if (onlySelected && !table.Row(row).selected) continue;
    if (!table.Row(row).HasBothCoordinates()) continue;
    bool changed = false;
    for (Axis axis : {Axis::Longitude, Axis::Latitude}) {
      const int column = axis == Axis::Longitude ? kLongitudeColumn : kLatitudeColumn;
      const int delta = static_cast<int>(random() % 5) - 2;
      const CellValue value = table.Cell(row, column);
      TextView text = value;
      if (text.size() > kMaxNudgeUnits) text = text.substr(0, kMaxNudgeUnits);
      const auto units = CoordinateTextToUnits(text, format);
      if (!units) continue;  // not a coordinate: left as it is
      const std::int64_t limit = AxisLimitUnits(axis);
      const std::int64_t moved = std::clamp<std::int64_t>(*units + delta, -limit, limit);
      const auto formatted = FormatCoordinateUnits(axis, static_cast<double>(moved), true, format);
      if (formatted && SetCellRecorded(doc, row, column, *formatted)) changed = true;
    }
    if (changed && !IsPinnedBaseRow(doc, row)) doc.SetModified(true);
  }
  MapSyncAll(doc);
  if (doc.baseRow >= 0) SetBaseRow(context, doc.baseRow, true);
  context.ui.PressToolbarButton(IDM_NUDGE, false);
  context.ui.SetWaitCursor(false);
  doc.selectPending = true;
  doc.titleDirty = true;
  doc.statusResetPending = true;
}

void SelectAllRows(DocumentState& doc) {
  ItineraryTable& table = doc.table;
  for (std::size_t row = 0; row < table.RowCount(); ++row) table.SetSelected(row, true);
}

void InvertSelection(DocumentState& doc) {
  ItineraryTable& table = doc.table;
  std::vector<bool> wasSelected(table.RowCount());
  for (std::size_t row = 0; row < table.RowCount(); ++row) wasSelected[row] = table.Row(row).selected;
  table.ClearSelectionAndFocus();
  for (std::size_t row = table.RowCount(); row-- > 0;) table.SetSelected(row, !wasSelected[row]);
}

}  // namespace wayloom
