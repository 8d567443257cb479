// The itinerary checks (command 1028): entries with a blank coordinate, groups of entries
// lying within a chosen distance of one another, and groups of entries with similar names,
// in that order. Each group waits in the modeless results window (dialog 6007), which
// follows every edit of the table through the row listener while it waits. Here: the run
// and its results list; the dialog's rules are in CheckOptions.h, the scans in CheckScan.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/CommandContext.h"
#include "editing/CheckOptions.h"
#include "editing/CheckScan.h"

namespace wayloom {

class CheckResults;

// The check dialog 6006 and the modeless results window 6007 over a run's result items.
class CheckWindows {
 public:
  virtual ~CheckWindows() = default;
  // The dialog: true for OK, with options changed.
  virtual bool AskCheckOptions(CheckOptions& options, std::size_t rowCount) { return false; }
  // The results window: show and activate it, repaint its list after the items changed,
  // hide it (Continue), destroy it.
  virtual void ShowCheckResults(CheckResults& results) {}
  virtual void CheckResultsChanged(CheckResults& results) {}
  virtual void HideCheckResults(CheckResults& results) {}
  virtual void CloseCheckResults(CheckResults& results) {}
};

// One row of the results list.
struct CheckResultItem {
  RowId rowId = 0;
  std::int32_t key = kCheckPlainKey;  // the distance in metres to the reference in a near group
  Text name;
  Text longitude;
  Text latitude;
  Text distance;
  bool selected = false;
  bool focused = false;

  // The text under a table column id (the Order column is always empty).
  TextView Cell(int column) const;
};

// The checks: their options for the program's lifetime, and while a run exists its state
// and the results list the window shows. While a run exists it listens to the table as
// doc.recorder.
class CheckResults : public RowRecorder {
 public:
  CheckOptions options;
  // This object's share of the main window's ModalDepth: 1 from command 1028 or Continue
  // until a group is shown or the run ends (the scans are modal), else 0.
  int modalDepth = 0;

  explicit CheckResults(CheckWindows& windows);
  ~CheckResults() override;
  CheckResults(const CheckResults&) = delete;
  CheckResults& operator=(const CheckResults&) = delete;

  CheckWindows& Windows() { return windows_; }
  bool Running() const { return run_.has_value(); }
  const std::optional<CheckRun>& Run() const { return run_; }
  const std::vector<CheckResultItem>& Items() const;
  // Window title: 14294 + phase.
  int TitleId() const;
  // The list's columns are the table's, in its display order; Order always has width 0,
  // Distance width 0 outside the near-distance phase.
  bool ColumnShown(int column) const;
  int SortColumn() const { return sortColumn_; }
  bool SortAscending() const { return sortAscending_; }
  bool SortMarkShown() const { return sortMarkShown_; }
  bool CanDelete() const;     // 5251: some item selected
  bool CanDeleteAll() const;  // 5252: some item
  bool CanGoTo() const;       // 5253: exactly one item selected

  // The window's calls. Selection changes are set item by item, then SelectionChanged:
  // with exactly one item selected, the table selects, focuses and shows its row.
  void SetItemSelected(std::size_t item, bool selected);
  void SetItemFocused(std::size_t item);
  void SelectionChanged(CommandContext& context);
  void SelectOnly(CommandContext& context, std::size_t item);
  void GoTo(CommandContext& context);             // 5253 and a double-click: the table focused
  void DeleteSelected(CommandContext& context);   // 5251, one undo step
  void DeleteAll(CommandContext& context);        // 5252
  void Continue(CommandContext& context);         // 5254
  void Cancel(CommandContext& context);           // 2 and closing
  // A click on a column title of the results list.
  void ClickColumnTitle(const DocumentState& doc, int column);

  // Starts a run with the options: the blank-coordinate phase, then on. The listener
  // keeps context until the run ends, so it must live as long (the main window's does).
  void Start(CommandContext& context);

  // The row listener. Rows inserted after the start take no part.
  void RowInserted(std::size_t row, EntryStatus status, long long baseRow) override;
  void RowDeleting(std::size_t row, const ItineraryEntry& entry) override;
  void CellChanged(std::size_t row, int column) override;
  void StatusChanging(std::size_t row, EntryStatus oldStatus) override;
  void RowsSwapped(std::size_t a, std::size_t b) override;
  void RowReplaced(std::size_t source, std::size_t newRow) override;
  void TableCleared() override;

 private:
  enum class ScanEnd { Shown, Stopped, Exhausted };

  void Advance(CommandContext& context);
  ScanEnd ScanBlankCoordinates(CommandContext& context);
  // The group of the reference at slot r: the slots and their keys, r first.
  using GroupFinder = std::function<void(std::size_t r, std::vector<std::size_t>& slots, std::vector<std::int32_t>& keys)>;
  // One scan phase from the current position: a group is shown, Esc ends the run.
  ScanEnd ScanGroups(CommandContext& context, CheckPhase phase, const GroupFinder& findGroup);
  ScanEnd ScanNearDistances(CommandContext& context);
  ScanEnd ScanSimilarNames(CommandContext& context);
  void ShowResults(CommandContext& context);
  void Finish(CommandContext& context, bool completed);
  void PrepareScan(const DocumentState& doc, CheckPhase phase);
  ScanEnd ShowGroup(CommandContext& context, const std::vector<std::size_t>& slots,
                    const std::vector<std::int32_t>& keys);

  void AddItem(const ItineraryEntry& entry, std::int32_t key, const Text& distance);
  void ClearItems();
  void Compact() const;
  CheckResultItem* ItemOf(RowId id);
  void CopyTexts(CheckResultItem& item, const ItineraryEntry& entry) const;
  void SetDistance(CheckResultItem& item, long long referenceRow, long long row) const;
  long long ReferenceRow() const;
  void RecomputeDistances();
  void Changed();
  void DeleteRowsOf(CommandContext& context, const std::vector<RowId>& ids);

  CheckWindows& windows_;
  std::optional<CheckRun> run_;
  CommandContext* context_ = nullptr;  // while a run exists
  // What the scans read of every row once, kept between groups until the rows change.
  std::unique_ptr<CheckScanData> scan_;
  // Deleted rows' items die in place and are removed at the next read, so that deleting
  // many listed rows costs one pass.
  mutable std::vector<CheckResultItem> items_;
  mutable std::unordered_map<RowId, std::size_t> itemOfId_;
  mutable bool deadItems_ = false;
  mutable long long referenceHint_ = -1;  // the reference row's last known index
  int sortColumn_ = kNameColumn;
  bool sortAscending_ = false;
  bool sortMarkShown_ = false;
};

// Command 1028: with a run, its window is activated; otherwise the dialog 6006, and on OK
// a run.
void CheckItinerary(CommandContext& context, CheckResults& checks);

}  // namespace wayloom
