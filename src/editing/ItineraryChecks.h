// The itinerary checks (command 1028): entries with a blank coordinate, groups of entries
// lying within a chosen distance of one another, and groups of entries with similar names,
// in that order. Each group waits in the modeless results window (dialog 6007), which
// follows every edit of the table through the row listener while it waits.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/CommandContext.h"

namespace wayloom {

// The choices of the check dialog 6006, kept for the program's lifetime (not saved).
enum class DistanceUnit { Kilometre, Metre, Mile, Foot };
struct CheckOptions {
  bool similarNames = false;      // 5200
  bool nearDistance = false;      // 5201
  bool blankCoordinates = false;  // 5205
  unsigned distanceValue = 0;     // edit 5202, at most 9 digits
  DistanceUnit distanceUnit = DistanceUnit::Kilometre;  // radios 5203 / 5204
  int threshold = 0;              // metres, derived on OK
};

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

constexpr int kCheckDistanceFormatMessage = 14297;  // "距離的數字格式錯誤"
constexpr std::size_t kMaxCheckDistanceDigits = 9;

// The check dialog 6006. The window copies between its controls and CheckOptions; the
// decisions are here.

// Metres of value in unit: km x 1000, m, mi x 1609.344 and ft x 0.3048, truncated. A count
// beyond the signed 32-bit range becomes INT32_MAX (every located pair is then near).
std::int32_t CheckThreshold(unsigned value, DistanceUnit unit);
// The unit of radio 5203 (the large unit) or 5204 under the "Metric Unit" setting.
DistanceUnit CheckUnitForRadio(bool largeUnitRadio, bool metric);
inline bool IsLargeCheckUnit(DistanceUnit unit) { return unit == DistanceUnit::Kilometre || unit == DistanceUnit::Mile; }

struct CheckDialogControls {
  bool pairChecks;  // 5200 and 5201: with fewer than 2 rows they are unticked and disabled
  bool distance;    // edit 5202 and radios 5203/5204: while 5201 is ticked
  bool ok;          // while some box is ticked
};
CheckDialogControls CheckDialogEnabling(const CheckOptions& shown, std::size_t rowCount);
// OK pressed: options holds the three boxes and the unit as shown. With nearDistance the
// edit text, cleaned, must be at most 9 digits (empty means 0); then distanceValue and
// threshold are set and 0 returned. Otherwise 14297: the dialog shows it and stays open
// with the text selected.
int AcceptCheckOptions(CheckOptions& options, TextView distanceText);

enum class CheckPhase : int { SimilarNames = 0, NearDistances = 1, BlankCoordinates = 2 };

// Item keys: the reference row of a near-distance group, and rows without a distance.
constexpr std::int32_t kCheckReferenceKey = INT32_MIN;
constexpr std::int32_t kCheckPlainKey = INT32_MAX;

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

struct CheckRun {
  CheckPhase phase = CheckPhase::BlankCoordinates;
  // The ids of the rows when the run started, in table order; a deleted row leaves 0, so
  // every other id keeps its place and the reference row stays on its entry.
  std::vector<RowId> rowIds;
  std::unordered_map<RowId, std::size_t> slotOfId;  // id -> index in rowIds
  std::size_t position = 0;                         // index in rowIds of the reference row
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
  struct ScanData;

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
  bool RowsHold(const ItineraryTable& table, const std::vector<std::size_t>& slots) const;
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
  std::unique_ptr<ScanData> scan_;
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
