// Helpers for the tests of editing and planning commands: a document with a command
// context, a Ui that answers every dialog and remembers what the commands showed, an
// in-memory clipboard and ini file, and the undo round trip every command must survive.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/CommandIds.h"
#include "TestSupport.h"
#include "core/RowOperations.h"
#include "editing/CellEdit.h"
#include "editing/Clipboard.h"
#include "editing/DocumentCommands.h"
#include "editing/EntryEditing.h"
#include "editing/FindReplace.h"
#include "editing/ItineraryChecks.h"
#include "editing/UndoCommands.h"
#include "planning/BasePoints.h"
#include "planning/Distances.h"
#include "planning/RoutePlanner.h"
#include "platform/posix/PortableCollation.h"
#include "platform/posix/PosixFileStore.h"

namespace wayloom::testing {

// 22:05:09 on 5 December 2024, always.
class FrozenClock : public Clock {
 public:
  LocalTime Now() const override { return {2024, 12, 5, 22, 5, 9}; }
  std::uint32_t TickCount() const override { return ticks; }
  std::uint32_t ticks = 12345;
};

// The clipboard in memory; blocks are returned whole, padding included.
class MemoryClipboard : public ClipboardStore {
 public:
  bool Open() override { return !openFails && !open && (open = true); }
  void Close() override {
    EXPECT_TRUE(open);
    open = false;
  }
  bool Empty() override {
    EXPECT_TRUE(open);
    blocks.clear();
    return true;
  }
  bool Put(ClipboardFormat format, std::vector<std::uint8_t> bytes) override {
    EXPECT_TRUE(open);
    if (putFails) return false;
    blocks[format] = std::move(bytes);
    return true;
  }
  bool Has(ClipboardFormat format) override { return blocks.contains(format); }
  std::optional<std::vector<std::uint8_t>> Get(ClipboardFormat format) override {
    EXPECT_TRUE(open);
    if (!blocks.contains(format)) return std::nullopt;
    return blocks[format];
  }
  std::map<ClipboardFormat, std::vector<std::uint8_t>> blocks;
  bool open = false, openFails = false, putFails = false;
};

// Answers every dialog of the editing commands with its scripted choice (none: Cancel)
// and remembers what the window was asked to show.
class RecordingUi : public ScriptedUi,
                    public FieldDialogs,
                    public SearchDialogs,
                    public PlanDialog,
                    public BasePointWindow,
                    public CheckWindows {
 public:
  void PressToolbarButton(int command, bool pressed) override {
    (pressed ? pressedButtons : releasedButtons).push_back(command);
  }
  void ShowSortArrow(int column, bool ascending) override {
    arrowColumn = column;
    arrowAscending = ascending;
  }
  void EnsureRowVisible(long long row) override { scrolledTo.push_back(row); }
  void SuspendRedraw(bool suspend) override { redrawSuspended = suspend; }
  void FitColumn(int column, bool explicitFit) override { fitted.push_back(column); }
  void ShowCellEditor(const CellEditorRequest& request) override {
    editorRequests.push_back(request);
    editorVisible = true;
  }
  void HideCellEditor() override { editorVisible = false; }
  void PostCommand(int command, long long parameter) override { posted.push_back({command, parameter}); }
  void ShowMarquee(TextView text) override { marquees.push_back(TextToUtf8(text)); }
  void EndProgress() override { ++progressEnded; }
  void FocusTable() override { ++tableFocused; }

  std::optional<MergeFieldsChoice> AskMergeFields() override { return merge; }
  std::optional<ClearFieldsChoice> AskClearFields() override { return clear; }
  std::optional<SearchOptions> AskFind(const SearchOptions& shown) override { return Search(shown); }
  std::optional<SearchOptions> AskReplace(const SearchOptions& shown) override { return Search(shown); }
  bool AskPlanOptions(PlanOptions& options, std::size_t) override {
    planShown.push_back(options);
    if (plan) options = *plan;
    return plan.has_value();
  }
  int RunBasePointDialog(BasePointDialog& dialog) override { return basePoints ? basePoints(dialog) : 2; }
  bool AskCheckOptions(CheckOptions& options, std::size_t rowCount) override {
    checkAskedRows.push_back(rowCount);
    if (check) options = *check;
    return check.has_value();
  }
  void ShowCheckResults(CheckResults&) override { ++checkShown; }
  void HideCheckResults(CheckResults&) override { ++checkHidden; }
  void CloseCheckResults(CheckResults&) override { ++checkClosed; }

  std::vector<int> pressedButtons, releasedButtons;
  int arrowColumn = -2;  // -2: never set
  bool arrowAscending = false;
  std::vector<long long> scrolledTo;
  bool redrawSuspended = false;
  std::vector<int> fitted;
  std::vector<CellEditorRequest> editorRequests;
  bool editorVisible = false;
  std::vector<std::pair<int, long long>> posted;
  std::vector<std::string> marquees;
  int progressEnded = 0, tableFocused = 0;

  std::optional<MergeFieldsChoice> merge;
  std::optional<ClearFieldsChoice> clear;
  std::optional<SearchOptions> search;
  std::vector<std::string> searchShown;  // the find texts the dialogs were opened with
  std::optional<PlanOptions> plan;
  std::vector<PlanOptions> planShown;
  std::function<int(BasePointDialog&)> basePoints;
  std::optional<CheckOptions> check;
  std::vector<std::size_t> checkAskedRows;
  int checkShown = 0, checkHidden = 0, checkClosed = 0;

 private:
  std::optional<SearchOptions> Search(const SearchOptions& shown) {
    searchShown.push_back(TextToUtf8(shown.findText));
    return search;
  }
};

class CountingMap : public MapLink {
 public:
  void SyncAll(const DocumentState&) override { ++syncs; }
  void SetOption(int option) override { options.push_back(option); }
  int syncs = 0;
  std::vector<int> options;
};

struct EditFixture {
  EditFixture() {
    doc.collation = &collation;
    doc.map = &map;
    context.clipboard = &clipboard;
    context.profile = &profile;
  }
  explicit EditFixture(const std::vector<std::string>& rows) : EditFixture() { Load(rows); }

  // Rows "name|longitude|latitude|status" (coordinates in degrees, either may be empty),
  // added as opening a file adds them: without undo records, then numbered and with the
  // distances computed. The document is unmodified.
  void Load(const std::vector<std::string>& rows) {
    SuspendRecording(doc.journal);
    for (const std::string& row : rows) {
      std::vector<std::string> fields(1);
      for (char c : row) c == '|' ? void(fields.emplace_back()) : fields.back().push_back(c);
      fields.resize(4);
      const int status = fields[3].empty() ? kStatusDestination : std::stoi(fields[3]);
      const std::size_t index =
          InsertRowRecorded(doc, SIZE_MAX, Utf8ToText(fields[0]), static_cast<EntryStatus>(status), false);
      SetCoordinateFromText(doc, index, Axis::Longitude, Utf8ToText(fields[1]), CoordinateSource::Degrees);
      SetCoordinateFromText(doc, index, Axis::Latitude, Utf8ToText(fields[2]), CoordinateSource::Degrees);
    }
    RenumberOrder(doc.table);
    SetBaseRow(context, -1, false);
    doc.SetModified(false);
  }
  // Row 0 becomes a pinned base point.
  void Pin() {
    doc.baseRowPinned = true;
    SetBaseRow(context, 0, false);
  }

  void Select(std::initializer_list<std::size_t> rows) {
    doc.table.ClearSelectionAndFocus();
    for (std::size_t row : rows) doc.table.SetSelected(row, true);
    if (rows.size() > 0) doc.table.SetFocused(*rows.begin());
  }
  std::vector<std::size_t> Selected() const {
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i)
      if (doc.table.Row(i).selected) rows.push_back(i);
    return rows;
  }
  std::vector<std::string> Names() const { return Column(kNameColumn); }
  std::vector<int> Statuses() const {
    std::vector<int> statuses;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i) statuses.push_back(doc.table.Row(i).status);
    return statuses;
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < doc.table.RowCount(); ++i) texts.push_back(TextToUtf8(doc.table.Cell(i, column)));
    return texts;
  }
  std::vector<std::string> Rows() const { return testing::Rows(doc); }

  // The cell editor's Enter, Esc and Tab as the window sends them, with the posted 1202
  // handled afterwards.
  bool Enter(const std::string& text) { return Posted(CommitCellEdit(context, editor, Utf8ToText(text))); }
  void Esc() {
    CancelCellEdit(context, editor);
    Posted(true);
  }
  bool Tab(const std::string& text, bool backwards = false) {
    return Posted(TabCellEdit(context, editor, Utf8ToText(text), backwards));
  }
  bool Posted(bool result) {
    for (const auto& [command, row] : ui.posted)
      if (command == IDM_SELECT_EDITED_ROW) SelectEditedRow(context, editor, row);
    ui.posted.clear();
    return result;
  }
  std::string EditorText() const { return TextToUtf8(ui.editorRequests.back().text); }

  DocumentState doc;
  RecordingUi ui;
  PosixFileStore files;
  CommandContext context{doc, ui, files};
  PortableCollation collation;
  CountingMap map;
  MemoryClipboard clipboard;
  MemoryProfile profile;
  FrozenClock clock;
  CellEditor editor{clock};
};

// Everything undo must bring back: every cell, status and distance key, the base row, the
// pinned flag and the modified flag.
struct DocumentPicture {
  std::vector<std::string> rows;
  long long baseRow;
  bool pinned;
  bool modified;
  bool operator==(const DocumentPicture&) const = default;
};

inline DocumentPicture Picture(const DocumentState& doc) {
  DocumentPicture picture{{}, doc.baseRow, doc.baseRowPinned, doc.document.modified};
  for (std::size_t i = 0; i < doc.table.RowCount(); ++i) {
    const ItineraryEntry& entry = doc.table.Row(i);
    std::string row;
    for (int column = 0; column < kColumnCount; ++column) row += TextToUtf8(entry.Cell(column)) + "|";
    picture.rows.push_back(row + std::to_string(entry.status) + "|" + std::to_string(entry.sortKey));
  }
  return picture;
}

inline void PrintTo(const DocumentPicture& picture, std::ostream* out) {
  *out << "base " << picture.baseRow << (picture.pinned ? " pinned" : "") << (picture.modified ? " modified" : "");
  for (const auto& row : picture.rows) *out << "\n  " << row;
}

// Whether the passed rows are a leading run, as every command keeps them.
inline bool PassedRowsLead(const DocumentState& doc) {
  bool toPassSeen = false;
  for (std::size_t i = 0; i < doc.table.RowCount(); ++i) {
    const bool passed = (doc.table.Row(i).status & kStatusPassed) != 0;
    if (passed && toPassSeen) return false;
    toPassSeen = toPassSeen || !passed;
  }
  return true;
}

// Runs command, which must change the document as one undo step: the rows are then
// expected (when given), one Undo must bring back the document as it was and one Redo
// the document the command left. Returns that document.
inline DocumentPicture ExpectUndoRedo(EditFixture& f, const std::function<void()>& command,
                                      const std::vector<std::string>& rows = {}) {
  const DocumentPicture before = Picture(f.doc);
  command();
  const DocumentPicture after = Picture(f.doc);
  if (!rows.empty()) {
    EXPECT_EQ(f.Rows(), rows);
  }
  EXPECT_NE(after, before) << "the command changed nothing";
  Undo(f.context);
  EXPECT_EQ(Picture(f.doc), before) << "after Undo";
  Redo(f.context);
  EXPECT_EQ(Picture(f.doc), after) << "after Redo";
  return after;
}

}  // namespace wayloom::testing
