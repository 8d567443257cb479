#include "editing/Clipboard.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "core/TextRules.h"
#include "editing/EntryEditing.h"
#include "formats/ReadContext.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {

constexpr int kCopyingText = 13119;
constexpr int kPastingText = 13120;
constexpr int kDuplicatesDroppedMessage = 14214;
constexpr int kClipboardUnavailableMessage = 14256;
constexpr int kClipboardMemoryMessage = 14257;

constexpr std::size_t kRowBlockSpare = 628;   // the row block grows when less remains
constexpr std::size_t kTextBlockSpare = 608;  // the text block: this plus 2 bytes per unit written
constexpr std::size_t kRecordHeaderBytes = 20;
constexpr std::size_t kCopiedCellUnits = 255;
constexpr std::size_t kCopiedCoordinateUnits = 31;
constexpr std::size_t kPastedTextUnits = 63;
constexpr char16_t kByteOrderMark = 0xFEFF;

void ShowInformation(Ui& ui, int message, const FormatArg& arg = FormatArg()) {
  ui.ShowMessage(message, arg, MessageIcon::Information);
}

// ---- writing blocks ----

// A block being built: the bytes written and the size allocated for it, grown a step at
// a time up to a limit.
class GrowingBlock {
 public:
  explicit GrowingBlock(std::size_t limit) : limit_(limit) {}

  bool Grow() {
    if (limit_ < kClipboardBlockStep || allocated_ > limit_ - kClipboardBlockStep) return false;
    // The memory itself grows geometrically, so that a large copy moves its bytes a few
    // times rather than once per step. Running out of it fails the copy with its message
    // instead of ending the program.
    const std::size_t needed = allocated_ + kClipboardBlockStep;
    if (bytes_.capacity() < needed) {
      try {
        bytes_.reserve(std::max(needed, 2 * bytes_.capacity()));
      } catch (const std::bad_alloc&) {
        return false;
      }
    }
    allocated_ = needed;
    return true;
  }
  // Grows until bytes more fit; false when the limit is reached first.
  bool Fit(std::size_t bytes) {
    while (Remaining() < bytes)
      if (!Grow()) return false;
    return true;
  }
  std::size_t Remaining() const { return allocated_ - bytes_.size(); }
  std::size_t Used() const { return bytes_.size(); }
  std::size_t Allocated() const { return allocated_; }

  void Unit(char16_t unit) {
    bytes_.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  void Units(TextView text) {
    for (char16_t unit : text) Unit(unit);
  }
  void Int32(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<std::uint8_t>(bits >> shift));
  }
  // The used bytes: the block the clipboard gets has exactly their size.
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::size_t limit_;
  std::size_t allocated_ = 0;
  std::vector<std::uint8_t> bytes_;
};

Text CopiedCell(const DocumentState& doc, std::size_t row, int column) {
  Text text(doc.table.Cell(row, column));
  CutToUnits(text, kCopiedCellUnits);
  return text;
}

// Plain signed decimal text of a coordinate cell; an empty cell stays empty (the DMS
// reading would otherwise make it 0.00000).
Text CopiedCoordinate(const DocumentState& doc, std::size_t row, int column) {
  const Text display = CopiedCell(doc, row, column);
  return display.empty() ? display : DisplayToDecimal(display, doc.Format());
}

// ---- reading blocks ----

class BlockReader {
 public:
  explicit BlockReader(std::span<const std::uint8_t> block) : block_(block) {}

  std::size_t Remaining() const { return block_.size() - position_; }
  bool Int32(std::int32_t& value) {
    if (Remaining() < 4) return false;
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = bits << 8 | block_[position_ + static_cast<std::size_t>(i)];
    value = static_cast<std::int32_t>(bits);
    position_ += 4;
    return true;
  }
  char16_t Unit() {
    const char16_t unit = static_cast<char16_t>(block_[position_] | block_[position_ + 1] << 8);
    position_ += 2;
    return unit;
  }
  // A field of units (the caller has checked they are there): its text ends at its first
  // NUL, or at the field's end when it has none.
  Text Field(std::size_t units) {
    Text text;
    bool ended = false;
    for (std::size_t i = 0; i < units; ++i) {
      const char16_t unit = Unit();
      if (unit == 0) ended = true;
      if (!ended) text.push_back(unit);
    }
    return text;
  }
  void Skip(std::size_t units) { position_ += 2 * units; }

 private:
  std::span<const std::uint8_t> block_;
  std::size_t position_ = 0;
};

// ---- pasting rows ----

// Pasted rows wait here and enter the table together, so that a paste into a long table
// moves its rows once rather than once per pasted row.
struct PendingRows {
  std::vector<ItineraryEntry> entries;
  std::vector<const ClipboardRow*> sources;  // their coordinates
  std::unordered_set<Text> names;            // "Check Name": names waiting, not yet in the table
};

// Inserts the pending rows at index, selected, the last one focused, then stores their
// coordinates. Returns the index after them.
std::size_t InsertPendingRows(DocumentState& doc, std::size_t index, PendingRows& pending) {
  const std::size_t count = pending.entries.size();
  if (count == 0) return index;
  InsertRowsRecorded(doc, index, std::move(pending.entries));
  doc.table.SetFocused(index + count - 1);
  for (std::size_t k = 0; k < count; ++k) {
    SetCoordinateFromText(doc, index + k, Axis::Longitude, pending.sources[k]->longitude, CoordinateSource::Degrees);
    SetCoordinateFromText(doc, index + k, Axis::Latitude, pending.sources[k]->latitude, CoordinateSource::Degrees);
  }
  pending.entries.clear();
  pending.sources.clear();
  pending.names.clear();
  return index + count;
}

// The own block when the clipboard has it, else the sibling's; no rows when it has
// neither; nullopt when the block does not read.
std::optional<std::vector<ClipboardRow>> TakeRowBlock(ClipboardStore& clipboard, RowBlockFormat& format) {
  for (RowBlockFormat candidate : {RowBlockFormat::Own, RowBlockFormat::Sibling}) {
    const auto id = candidate == RowBlockFormat::Own ? ClipboardFormat::OwnRows : ClipboardFormat::SiblingRows;
    if (!clipboard.Has(id)) continue;
    const auto block = clipboard.Get(id);
    if (!block) continue;
    format = candidate;
    return ReadRowBlock(*block, candidate);
  }
  return std::vector<ClipboardRow>();
}

// ---- coordinates as text ----

bool IsCompassLetter(char16_t c) { return c == u'E' || c == u'W' || c == u'S' || c == u'N'; }
bool IsLatitudeLetter(char16_t c) { return c == u'S' || c == u'N'; }

char16_t FirstCompassLetter(TextView text) {
  for (char16_t c : text)
    if (IsCompassLetter(c)) return c;
  return 0;
}

// The value with a compass letter in place of its sign ("-25.5" -> "S 25.5").
Text WithCompassLetter(Text value, Axis axis) {
  if (value.empty()) return value;
  const bool longitude = axis == Axis::Longitude;
  if (value[0] == u'-') {
    value[0] = u' ';
    value.insert(0, 1, longitude ? u'W' : u'S');
  } else {
    value.insert(0, longitude ? u"E " : u"N ");
  }
  return value;
}

// The split point of a pasted coordinate text: a comma; else a compass letter (the next
// one when the text starts with one, which begins the second part; else right after the
// first one); else the first space. False when there is none or nothing follows it.
bool SplitCoordinateText(TextView text, TextView& first, TextView& second) {
  std::size_t end = TextView::npos;  // end of the first part
  std::size_t start = 0;             // start of the second part
  if (const std::size_t comma = text.find(u','); comma != TextView::npos) {
    end = comma;
    start = comma + 1;
  } else if (const std::size_t letter = text.find_first_of(u"EWSN"); letter != TextView::npos) {
    if (letter > 0) {
      end = start = letter + 1;
    } else if (const std::size_t next = text.find_first_of(u"EWSN", 1); next != TextView::npos) {
      end = start = next;
    }
  }
  if (end == TextView::npos) {
    const std::size_t space = text.find(u' ');
    if (space == TextView::npos) return false;
    end = space;
    start = space + 1;
  }
  first = text.substr(0, end);
  second = text.substr(std::min(start, text.size()));
  return second.find_first_not_of(u' ') != TextView::npos;
}

}  // namespace

std::optional<CopiedRows> BuildCopiedRows(const DocumentState& doc, std::size_t maxBlockBytes) {
  const ItineraryTable& table = doc.table;
  const bool lngFirst = doc.settings.Get(Option::LngFirst);
  const int firstColumn = FirstCoordinateColumn(lngFirst);
  const int secondColumn = SecondCoordinateColumn(lngFirst);
  GrowingBlock rows(maxBlockBytes), text(maxBlockBytes);
  if (!rows.Grow() || !text.Grow()) return std::nullopt;
  rows.Int32(static_cast<std::int32_t>(table.SelectedCount()));
  text.Unit(kByteOrderMark);

  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    if (!table.Row(row).selected) continue;
    if (rows.Remaining() < kRowBlockSpare && !rows.Grow()) return std::nullopt;
    if (text.Remaining() < kTextBlockSpare + text.Used() && !text.Grow()) return std::nullopt;

    const Text name = CopiedCell(doc, row, kNameColumn);
    Text coordinates[kColumnCount];
    for (int column : {kLongitudeColumn, kLatitudeColumn}) coordinates[column] = CopiedCoordinate(doc, row, column);
    const Text& longitude = coordinates[kLongitudeColumn];
    const Text& latitude = coordinates[kLatitudeColumn];
    const EntryStatus status = table.Row(row).status;

    // Cells of at most 255 units always fit the spare room; the checks keep it so.
    const std::size_t recordUnits = name.size() + longitude.size() + latitude.size() + 4;
    const std::size_t lineUnits = name.size() + longitude.size() + latitude.size() + 6;
    if (!rows.Fit(kRecordHeaderBytes + 2 * recordUnits) || !text.Fit(2 * (lineUnits + 1))) return std::nullopt;

    for (const Text* field : {&name, &longitude, &latitude}) rows.Int32(static_cast<std::int32_t>(field->size() + 1));
    rows.Int32(0);
    rows.Int32(0);
    for (const Text* field : {&name, &longitude, &latitude}) {
      rows.Units(*field);
      rows.Unit(0);
    }
    rows.Unit(status);

    text.Units(name);
    text.Unit(u'\t');
    text.Units(coordinates[firstColumn]);
    text.Unit(u'\t');
    text.Units(coordinates[secondColumn]);
    text.Unit(u'\t');
    text.Unit(static_cast<char16_t>(u'0' + (status & 3)));
    text.Units(u"\r\n");
  }
  text.Unit(0);

  CopiedRows copied;
  copied.rowBlockAllocated = rows.Allocated();
  copied.textBlockAllocated = text.Allocated();
  copied.rowBlock = rows.Take();
  copied.textBlock = text.Take();
  return copied;
}

std::optional<std::vector<ClipboardRow>> ReadRowBlock(std::span<const std::uint8_t> block, RowBlockFormat format) {
  BlockReader reader(block);
  std::int32_t count = 0;
  if (!reader.Int32(count) || count < 0) return std::nullopt;
  std::vector<ClipboardRow> rows;
  rows.reserve(std::min<std::size_t>(static_cast<std::size_t>(count), reader.Remaining() / kRecordHeaderBytes));
  const bool own = format == RowBlockFormat::Own;
  for (std::int32_t i = 0; i < count; ++i) {
    std::int32_t lengths[5];
    std::uint64_t units = own ? 1 : 0;  // the own block's status unit
    for (std::int32_t& length : lengths) {
      if (!reader.Int32(length) || length < 0) return std::nullopt;
      units += static_cast<std::uint64_t>(length);
    }
    if (units > reader.Remaining() / 2) return std::nullopt;
    ClipboardRow& row = rows.emplace_back();
    row.name = reader.Field(static_cast<std::size_t>(lengths[0]));
    row.longitude = reader.Field(static_cast<std::size_t>(lengths[1]));
    row.latitude = reader.Field(static_cast<std::size_t>(lengths[2]));
    reader.Skip(static_cast<std::size_t>(lengths[3]) + static_cast<std::size_t>(lengths[4]));
    row.status = own ? reader.Unit() : kStatusDestination;
  }
  return rows;
}

Text ReadTextBlock(std::span<const std::uint8_t> block) {
  Text text;
  for (std::size_t i = 0; i + 1 < block.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(block[i] | block[i + 1] << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

Text CoordinatesCopyText(const DocumentState& doc, std::size_t row) {
  Text latitude(doc.table.Cell(row, kLatitudeColumn));
  Text longitude(doc.table.Cell(row, kLongitudeColumn));
  CutToUnits(latitude, kCopiedCoordinateUnits);
  CutToUnits(longitude, kCopiedCoordinateUnits);
  if (!doc.settings.Get(Option::CompassDirection)) {
    latitude = WithCompassLetter(std::move(latitude), Axis::Latitude);
    longitude = WithCompassLetter(std::move(longitude), Axis::Longitude);
  }
  return latitude + u", " + longitude;
}

PastedCoordinates ReadPastedCoordinates(TextView clipboardText, bool lngFirst) {
  Text text(clipboardText.substr(0, kPastedTextUnits));
  for (char16_t& c : text) c = AsciiUpper(c);
  if (const std::size_t tab = text.find(u'\t'); tab != Text::npos) text[tab] = u',';
  CleanText(text);

  PastedCoordinates result;
  TextView first, second;
  if (!SplitCoordinateText(text, first, second)) return result;
  const char16_t a = FirstCompassLetter(first);
  const char16_t b = FirstCompassLetter(second);
  bool firstIsLatitude;
  if (IsLatitudeLetter(a)) {
    firstIsLatitude = true;
  } else if (a != 0 && b == 0) {
    firstIsLatitude = false;
  } else if (b != 0) {
    firstIsLatitude = !IsLatitudeLetter(b);
  } else {
    firstIsLatitude = FirstCoordinateColumn(lngFirst) == kLatitudeColumn;
  }
  result.longitudeFirst = !firstIsLatitude;
  auto firstValue = ParseCoordinateInput(first, CoordinateKind::Plain, CoordinateFormat());
  auto secondValue = ParseCoordinateInput(second, CoordinateKind::Plain, CoordinateFormat());
  result.latitude = firstIsLatitude ? std::move(firstValue) : std::move(secondValue);
  result.longitude = firstIsLatitude ? std::move(secondValue) : std::move(firstValue);
  return result;
}

bool CopyRows(CommandContext& context, std::size_t maxBlockBytes) {
  DocumentState& doc = context.doc;
  Ui& ui = context.ui;
  ClipboardStore* clipboard = context.clipboard;
  ui.PressToolbarButton(IDM_COPY_ROWS, true);
  if (!clipboard || !clipboard->Open()) {
    ShowInformation(ui, kClipboardUnavailableMessage);
    ui.PressToolbarButton(IDM_COPY_ROWS, false);
    return false;
  }
  ui.SetWaitCursor(true);
  ui.ShowStatusText(LoadText(kCopyingText));

  int failure = 0;
  std::optional<CopiedRows> copied = BuildCopiedRows(doc, maxBlockBytes);
  if (!copied) {
    failure = kClipboardMemoryMessage;
  } else if (!clipboard->Empty()) {
    failure = kClipboardUnavailableMessage;
  } else if (!clipboard->Put(ClipboardFormat::OwnRows, std::move(copied->rowBlock)) ||
             !clipboard->Put(ClipboardFormat::UnicodeText, std::move(copied->textBlock))) {
    failure = kClipboardMemoryMessage;
  }
  copied.reset();
  clipboard->Close();
  ui.SetWaitCursor(false);
  if (failure) ShowInformation(ui, failure);
  ui.PressToolbarButton(IDM_COPY_ROWS, false);
  doc.statusResetPending = true;
  return failure == 0;
}

void CutRows(CommandContext& context, std::size_t maxBlockBytes) {
  if (CopyRows(context, maxBlockBytes)) DeleteSelectedEntries(context, /*cutting=*/true);
}

std::size_t RowInsertionPoint(const DocumentState& doc) {
  const long long firstSelected = doc.table.FirstSelected();
  if (firstSelected < 0) return doc.table.RowCount();
  return firstSelected == 0 && doc.baseRowPinned ? 1 : static_cast<std::size_t>(firstSelected);
}

void InsertReceivedRows(CommandContext& context, const std::vector<ClipboardRow>& rows, RowBlockFormat format,
                        std::size_t insertAt) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  Ui& ui = context.ui;
  doc.document.duplicatesDropped = 0;
  doc.document.duplicateAnswer = kKeep;
  const std::size_t rowCountBefore = table.RowCount();
  insertAt = std::min(insertAt, rowCountBefore);
  const std::size_t firstInsertAt = insertAt;
  const EntryStatus passed = insertAt < rowCountBefore ? (table.Row(insertAt).status & kStatusPassed) : 0;
  table.ClearSelection();

  const bool checkName = doc.settings.Get(Option::CheckName);
  ReadContext reading{doc, ui};
  PendingRows pending;
  for (const ClipboardRow& row : rows) {
    Text name = row.name;
    if (!NormaliseName(name)) continue;  // a blank name is no row, and no duplicate
    if (checkName) {
      // The question must see the rows of this paste that are still waiting.
      if (pending.names.contains(name)) insertAt = InsertPendingRows(doc, insertAt, pending);
      if (AskDuplicate(reading, name)) continue;
      pending.names.insert(name);
    }
    const EntryStatus destination =
        format == RowBlockFormat::Own ? static_cast<EntryStatus>(row.status & kStatusDestination) : kStatusDestination;
    ItineraryEntry& entry = pending.entries.emplace_back();
    entry.name.Assign(name);
    entry.status = destination | passed;
    entry.selected = true;
    pending.sources.push_back(&row);
  }
  InsertPendingRows(doc, insertAt, pending);

  RenumberOrder(table);
  SetBaseRow(context, -1, true);  // the base row found again by its marker
  ui.FitColumns();
  ui.TableChanged();
  ui.SuspendRedraw(false);
  if (table.RowCount() != rowCountBefore) {
    ui.EnsureRowVisible(static_cast<long long>(firstInsertAt));
    doc.SetModified(true);
    MapSyncAll(doc);
  }
  if (doc.document.duplicatesDropped != 0) ShowInformation(ui, kDuplicatesDroppedMessage, doc.document.duplicatesDropped);
}

void PasteRows(CommandContext& context) {
  DocumentState& doc = context.doc;
  Ui& ui = context.ui;
  ClipboardStore* clipboard = context.clipboard;
  ui.SetWaitCursor(true);
  ui.PressToolbarButton(IDM_PASTE_ROWS, true);
  doc.document.duplicatesDropped = 0;
  auto finish = [&] {
    ui.PressToolbarButton(IDM_PASTE_ROWS, false);
    ui.SetWaitCursor(false);
    doc.statusResetPending = true;
  };
  if (!clipboard || !clipboard->Open()) {
    ShowInformation(ui, kClipboardUnavailableMessage);
    finish();
    return;
  }
  ui.SuspendRedraw(true);
  ui.ShowStatusText(LoadText(kPastingText));
  BeginUndoGroup(doc.journal);
  RowBlockFormat format = RowBlockFormat::Own;
  // The rows are copied out of the block, so the clipboard is free again before any question.
  const std::optional<std::vector<ClipboardRow>> rows = TakeRowBlock(*clipboard, format);
  clipboard->Close();
  if (!rows) {
    ui.SuspendRedraw(false);
    ShowInformation(ui, kClipboardMemoryMessage);
    finish();
    return;
  }

  InsertReceivedRows(context, *rows, format, RowInsertionPoint(doc));
  finish();
}

void CopyCoordinates(CommandContext& context) {
  DocumentState& doc = context.doc;
  ClipboardStore* clipboard = context.clipboard;
  const long long row = doc.table.FirstSelected();
  if (row < 0) return;
  if (!clipboard || !clipboard->Open()) {
    ShowInformation(context.ui, kClipboardUnavailableMessage);
    return;
  }
  const Text text = CoordinatesCopyText(doc, static_cast<std::size_t>(row));
  std::vector<std::uint8_t> block;
  block.reserve(2 * (text.size() + 1));
  for (char16_t unit : text) {
    block.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    block.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  block.insert(block.end(), {0, 0});
  int failure = 0;
  if (!clipboard->Empty()) {
    failure = kClipboardUnavailableMessage;
  } else if (!clipboard->Put(ClipboardFormat::UnicodeText, std::move(block))) {
    failure = kClipboardMemoryMessage;
  }
  clipboard->Close();
  if (failure) ShowInformation(context.ui, failure);
}

void PasteCoordinates(CommandContext& context) {
  DocumentState& doc = context.doc;
  ItineraryTable& table = doc.table;
  Ui& ui = context.ui;
  ClipboardStore* clipboard = context.clipboard;
  if (!clipboard || !clipboard->Open()) {
    ShowInformation(ui, kClipboardUnavailableMessage);
    return;
  }
  ui.ShowStatusText(LoadText(kPastingText));
  BeginUndoGroup(doc.journal);
  const auto block = clipboard->Get(ClipboardFormat::UnicodeText);
  clipboard->Close();
  const PastedCoordinates values =
      ReadPastedCoordinates(block ? ReadTextBlock(*block) : Text(), doc.settings.Get(Option::LngFirst));

  const Axis firstAxis = values.longitudeFirst ? Axis::Longitude : Axis::Latitude;
  const Axis secondAxis = values.longitudeFirst ? Axis::Latitude : Axis::Longitude;
  auto value = [&](Axis axis) -> TextView {
    const std::optional<Text>& text = axis == Axis::Longitude ? values.longitude : values.latitude;
    return text ? TextView(*text) : TextView();
  };
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    if (!table.Row(row).selected) continue;
    const Text longitude(table.Cell(row, kLongitudeColumn)), latitude(table.Cell(row, kLatitudeColumn));
    SetCoordinateFromText(doc, row, firstAxis, value(firstAxis), CoordinateSource::DegreesClearing);
    SetCoordinateFromText(doc, row, secondAxis, value(secondAxis), CoordinateSource::DegreesClearing);
    // The same coordinates pasted back change nothing and record nothing: not modified.
    const bool changed = table.Cell(row, kLongitudeColumn) != longitude || table.Cell(row, kLatitudeColumn) != latitude;
    if (changed && !(row == 0 && doc.baseRowPinned)) doc.SetModified(true);
  }

  RenumberOrder(table);
  ui.FitColumn(kOrderColumn, false);
  if (doc.baseRow != -1) SetBaseRow(context, doc.baseRow, true);
  ui.FitColumn(kLongitudeColumn, false);
  ui.FitColumn(kLatitudeColumn, false);
  if (doc.settings.Get(Option::ShowDistance)) ui.FitColumn(kDistanceColumn, false);
  ui.TableChanged();
  if (const long long first = table.FirstSelected(); first >= 0) ui.EnsureRowVisible(first);
  MapSyncAll(doc);
  doc.selectPending = true;
  doc.titleDirty = true;
  doc.statusResetPending = true;
}

}  // namespace wayloom
