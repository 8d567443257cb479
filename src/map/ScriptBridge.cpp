#include "map/ScriptBridge.h"

#include <array>

#include "core/CoordinateText.h"
#include "core/NumberText.h"
#include "core/RowOperations.h"
#include "core/StringTable.h"
#include "core/TextRules.h"
#include "core/UndoJournal.h"
#include "editing/Clipboard.h"
#include "planning/Distances.h"

namespace wayloom {

namespace {

constexpr int kPageReadyString = kProductNameString;   // "Wayloom"
constexpr int kPageFailedString = 14323;               // "Terminate Google Maps"
constexpr int kDoneStatusString = 14358;               // "完成"
constexpr int kScriptSchemeString = 14359;             // "javascript"
constexpr int kFirstLinkNameString = 14360;            // "OnAdd" .. "OnFwRemove"
constexpr int kLastLinkNameString = 14394;
constexpr int kVoidString = 14395;                     // "void"
constexpr int kReadyHint = 13100, kMouseHint = 13101, kStreetViewHint = 13102;
constexpr int kFittingColumnsText = 13137;

// PutGoogleMaps command numbers.
constexpr int kPutMarker = 0, kPutSelect = 1, kPutCloseInfo = 3, kPutFlushFrom = 18;

// A message longer than this, or with more fields than an operation takes, is not the
// page's: it is dropped before it touches the table.
constexpr std::size_t kMaxMessageUnits = 4096;
constexpr std::size_t kMaxFields = 6;

// The hint of each link name 14360..14394: the first thirty follow 13140.. in step, the
// local-search, IQ Routes and camera variants share an earlier hint.
int LinkHint(int nameString) {
  switch (nameString) {
    case 14390: return 13140;  // OnLsAdd
    case 14391: return 13141;  // OnLsInsert
    case 14392: return 13150;  // OnLsImage
    case 14393: return 13140;  // OnIqrAdd
    case 14394: return 13142;  // OnFwRemove
    default: return 13140 + (nameString - kFirstLinkNameString);
  }
}

Text JoinedHint(int second) {
  Text hint(LoadText(kReadyHint));
  hint += u"  ";
  hint += LoadText(second);
  return hint;
}

}  // namespace

std::optional<PageMessage> ParsePageMessage(TextView text) {
  if (text.size() > kMaxMessageUnits || text.size() < 3 || text[0] != u'<' || text[1] != u'\t') return std::nullopt;
  PageMessage message;
  std::size_t at = 2;
  std::size_t end = text.find(u'\t', at);
  TextView digit = text.substr(at, end == TextView::npos ? TextView::npos : end - at);
  if (digit.size() != 1 || digit[0] < u'0' || digit[0] > u'5') return std::nullopt;
  message.operation = digit[0] - u'0';
  while (end != TextView::npos) {
    at = end + 1;
    end = text.find(u'\t', at);
    message.fields.emplace_back(text.substr(at, end == TextView::npos ? TextView::npos : end - at));
    if (message.fields.size() > kMaxFields) return std::nullopt;
  }
  const std::size_t n = message.fields.size();
  bool shapeOk = false;
  switch (message.operation) {
    case 0: case 1: case 4: shapeOk = n == 3; break;
    case 2: shapeOk = n == 0 || n == 6; break;
    case 3: shapeOk = n == 0 || n == 3; break;
    case 5:
      shapeOk = n == 4 && message.fields[3].size() == 1 && message.fields[3][0] >= u'0' &&
                message.fields[3][0] <= u'2';
      break;
  }
  if (!shapeOk) return std::nullopt;
  // The page prints a negative zero as "-0.00000"; the table's decimal text is "0.00000".
  for (std::size_t i = 0; i < n; ++i) {
    const bool coordinate = i != 0 && i != 3;
    if (coordinate && message.fields[i] == u"-0.00000") message.fields[i] = u"0.00000";
  }
  return message;
}

ScriptBridge::ScriptBridge(CommandContext& context, CellEditor& cellEditor, MapPane& pane)
    : context_(context), cellEditor_(cellEditor), pane_(pane) {}

void ScriptBridge::PageNavigated(ScriptHost* host) {
  host_ = host;
  pageReady_ = false;
}

std::optional<Text> ScriptBridge::Put(const std::vector<ScriptArg>& args) {
  if (!host_ || !pageReady_ || !pane_.PaneVisible()) return std::nullopt;
  return host_->Call(u"PutGoogleMaps", args);
}

void ScriptBridge::SyncAll(const DocumentState& doc) {
  if (!host_ || !pageReady_ || !pane_.PaneVisible()) return;
  const CoordinateFormat format = doc.Format();
  int marker = 0;
  for (std::size_t row = 0; row < doc.table.RowCount(); ++row) {
    const ItineraryEntry& entry = doc.table.Row(row);
    if (entry.Name().empty() || !entry.HasBothCoordinates()) continue;
    Put({kPutMarker, ++marker, Text(entry.Name()), DisplayToDecimal(entry.Cell(kLongitudeColumn), format),
         DisplayToDecimal(entry.Cell(kLatitudeColumn), format), (entry.status & kStatusDestination) ? 1 : 0});
  }
  Put({kPutMarker, -(marker + 1)});
}

void ScriptBridge::SelectEntry(const DocumentState& doc) {
  const long long first = doc.table.FirstSelected();
  if (first < 0) return;
  int marker = 0;
  if (doc.table.Row(static_cast<std::size_t>(first)).HasBothCoordinates()) {
    for (long long row = 0; row <= first; ++row)
      if (doc.table.Row(static_cast<std::size_t>(row)).HasBothCoordinates()) ++marker;
  }
  Put({kPutSelect, marker});
}

void ScriptBridge::SetOption(int option) { Put({option}); }

void ScriptBridge::CloseInfo() { Put({kPutCloseInfo}); }

void ScriptBridge::StatusTextChanged(TextView text, bool splitterDragging) {
  if (cellEditor_.open || splitterDragging) return;
  if (text.empty()) {
    pane_.RestoreStatusText();
    return;
  }
  if (text == LoadText(kDoneStatusString)) {
    ++doneCount_;
    if (doneCount_ % 8 == 0)
      pane_.ShowHint(JoinedHint(kMouseHint));
    else if (doneCount_ % 8 == 4)
      pane_.ShowHint(JoinedHint(kStreetViewHint));
    else
      pane_.RestoreStatusText();
    return;
  }
  const TextView scheme = LoadText(kScriptSchemeString);
  if (text.starts_with(scheme) && text.size() > scheme.size() && text[scheme.size()] == u':') {
    const TextView call = text.substr(scheme.size() + 1);
    for (int id = kFirstLinkNameString; id <= kVoidString; ++id) {
      const TextView name = LoadText(id);
      if (call.size() > name.size() && call.starts_with(name) && call[name.size()] == u'(') {
        if (id == kVoidString)
          pane_.RestoreStatusText();
        else
          pane_.ShowHint(LoadText(LinkHint(id)));
        return;
      }
    }
  }
  pane_.ShowHint(text);
}

void ScriptBridge::Poll() {
  if (!pane_.PaneVisible() || !host_) return;
  const std::optional<Text> text = host_->Call(u"GetGoogleMaps", {});
  if (!text || text->empty()) return;
  DocumentState& doc = context_.doc;
  if (!pageReady_) {
    if (*text == LoadText(kPageReadyString)) {
      pageReady_ = true;
      doc.selectPending = true;
      pane_.RestoreStatusText();
    } else if (*text == LoadText(kPageFailedString)) {
      pane_.ClosePane();
    }
    return;
  }
  std::optional<PageMessage> message = ParsePageMessage(*text);
  if (!message) return;
  if (cellEditor_.open) {  // the page changed under the editor: the edit is dropped
    CancelCellEdit(context_, cellEditor_);
    return;
  }
  ApplyMessage(*message);
  doc.selectPending = false;  // the page already shows what the user did there
}

void ScriptBridge::ApplyMessage(PageMessage& message) {
  DocumentState& doc = context_.doc;
  ItineraryTable& table = doc.table;
  Ui& ui = context_.ui;
  const int operation = message.operation;
  std::vector<Text>& fields = message.fields;
  std::size_t target = table.RowCount();
  if (!flushingNames_) {
    if (operation == 1) target = RowInsertionPoint(doc);
    table.ClearSelection();
    if (operation != 3 && operation != 5) BeginUndoGroup(doc.journal);
  }
  if (fields.empty()) {
    if (operation == 2) {
      flushingNames_ = true;
      FlushNames();
    }
    return;
  }

  std::size_t row = table.RowCount();
  if (operation >= 2) {
    const CoordinateFormat format = doc.Format();
    for (std::size_t i = 0; i < table.RowCount(); ++i) {
      const ItineraryEntry& entry = table.Row(i);
      if (entry.Name() == fields[0] && DisplayToDecimal(entry.Cell(kLongitudeColumn), format) == fields[1] &&
          DisplayToDecimal(entry.Cell(kLatitudeColumn), format) == fields[2]) {
        row = i;
        break;
      }
    }
    if (row == table.RowCount()) return;  // no such entry (any more): dropped
  }

  const bool pinnedBase = row == 0 && doc.baseRowPinned;
  switch (operation) {
    case 4:
      DeleteRowRecorded(doc, row);
      SetBaseRow(context_, -1, true);  // found again by its marker
      if (!flushingNames_) SyncAll(doc);
      if (pinnedBase)
        doc.baseRowPinned = false;
      else
        doc.SetModified(true);
      ui.TableChanged();
      break;
    case 3:
    case 5:
      table.SetSelected(row, true);
      table.SetFocused(row);
      if (!flushingNames_) ui.EnsureRowVisible(static_cast<long long>(row));
      ui.TableChanged();
      if (operation == 5) BeginCellEdit(context_, cellEditor_, row, fields[3][0] - u'0');
      return;  // neither renumbers
    case 2:
      fields.erase(fields.begin(), fields.begin() + 3);
      [[fallthrough]];
    default:
      if (!StoreEntry(operation, row, target, fields)) return;
      break;
  }
  if (!flushingNames_) RenumberOrder(table);
}

bool ScriptBridge::StoreEntry(int operation, std::size_t row, std::size_t target, const std::vector<Text>& fields) {
  DocumentState& doc = context_.doc;
  ItineraryTable& table = doc.table;
  Ui& ui = context_.ui;
  Text name = fields[0];
  if (!NormaliseName(name)) return false;  // a blank name makes no entry and no change
  if (operation == 2) {
    SetCellRecorded(doc, row, kNameColumn, name);
  } else {
    const EntryStatus passed = target < table.RowCount() ? (table.Row(target).status & kStatusPassed) : 0;
    row = InsertRowRecorded(doc, target, name, static_cast<EntryStatus>(kStatusDestination | passed), false);
  }
  SetCoordinateFromText(doc, row, Axis::Longitude, fields[1], CoordinateSource::DegreesClearing);
  SetCoordinateFromText(doc, row, Axis::Latitude, fields[2], CoordinateSource::DegreesClearing);
  if (doc.baseRow != -1) UpdateRowDistance(context_, row);
  if (!(row == 0 && doc.baseRowPinned)) doc.SetModified(true);
  if (doc.settings.Get(Option::AutoColumn)) {
    ui.ShowStatusText(LoadText(kFittingColumnsText));
    ui.FitColumns();
    doc.statusResetPending = true;
  }
  if (!flushingNames_) SyncAll(doc);
  table.SetSelected(row, true);
  table.SetFocused(row);
  ui.TableChanged();
  if (!flushingNames_) ui.EnsureRowVisible(static_cast<long long>(row));
  return true;
}

void ScriptBridge::FlushNames() {
  // Each answer is the number of a marker whose name the page changed, its change message
  // now queued; the next question starts after it. The numbers only grow, so a page that
  // answers otherwise cannot keep this loop going.
  long long previous = 0;
  std::optional<Text> answer = Put({kPutFlushFrom});
  while (answer) {
    const ParsedNumber parsed = ParseDecimalPrefix(*answer);
    const long long marker = parsed.found && parsed.value < 1e9 ? static_cast<long long>(parsed.value) : 0;
    if (marker <= previous) break;
    previous = marker;
    Poll();
    answer = Put({static_cast<int>(marker) + kPutFlushFrom});
  }
  flushingNames_ = false;
  SyncAll(context_.doc);
  RenumberOrder(context_.doc.table);
  context_.ui.TableChanged();
}

}  // namespace wayloom
