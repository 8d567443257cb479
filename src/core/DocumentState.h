// The document: the table, where it came from, its flags and the settings it is edited with.
#pragma once

#include "core/CoordinateText.h"
#include "core/ItineraryTable.h"
#include "core/Settings.h"
#include "core/UndoJournal.h"

namespace wayloom {

constexpr int kUntitledString = 14200;      // "未命名"
constexpr int kFavouritesTitleString = 14201;
constexpr int kItnFormat = 1;

struct Document {
  Text path;                  // empty for a new document
  Text title;                 // file name without folder and extension
  int format = kItnFormat;    // FileFormat index
  bool modified = false;
  bool autoSaving = false;    // automatic save or batch conversion: no dialogs, no progress
  int duplicateAnswer = 5004; // remembered answer of the duplicate-name dialog during one read
  int duplicatesDropped = 0;
};

// Hears every change of rows, from the recorded row operations and from undo and redo
// (the check-results list attaches here). Row indexes are the table's at the time of the
// call. The undo journal is not a listener: the recorded operations write to it directly.
class RowRecorder {
 public:
  virtual ~RowRecorder() = default;
  virtual void RowInserted(std::size_t row, EntryStatus status, long long baseRow) {}
  virtual void RowDeleting(std::size_t row, const ItineraryEntry& entry) {}
  virtual void CellChanging(std::size_t row, int column, TextView oldText) {}
  // The cell holds its new text (also after a display-form change of the coordinates).
  virtual void CellChanged(std::size_t row, int column) {}
  virtual void StatusChanging(std::size_t row, EntryStatus oldStatus) {}
  // Rows a and b exchanged their contents (name, coordinates, status); row ids stay with
  // the positions, so a list that keeps rows by id exchanges the two ids.
  virtual void RowsSwapped(std::size_t a, std::size_t b) {}
  // The planner copied row source into newRow and will delete source: references to
  // source follow to newRow.
  virtual void RowReplaced(std::size_t source, std::size_t newRow) {}
  // The table is about to be emptied for a new document: the listener lets go of it.
  virtual void TableCleared() {}
};

struct DocumentState;

// The calls commands owe the map pane. The map comes later; without one nothing happens.
class MapLink {
 public:
  virtual ~MapLink() = default;
  virtual void SyncAll(const DocumentState& doc) {}      // the rows changed
  virtual void SelectEntry(const DocumentState& doc) {}  // the selection changed (from the status timer)
  virtual void SetOption(int option) {}                  // a display option changed (10 metric, 11 imperial)
  virtual void CloseInfo() {}                            // close the map's information window
};

class Collation;

// The base point of the distances, precomputed from the base row's coordinates.
struct BasePoint {
  double longitude = 0;  // degrees
  double latitude = 0;
  double longitudeRadians = 0;
  double sinLatitude = 0;
  double cosLatitude = 1;
};

struct SortArrow {
  int column = -1;  // the header column showing an arrow, -1 for none
  bool ascending = false;
};

struct DocumentState {
  ItineraryTable table;
  Document document;
  Settings settings = DefaultSettings(true);
  long long baseRow = -1;       // the distance base row, -1 when none
  bool baseRowPinned = false;   // row 0 is a base point inserted at the top
  BasePoint basePoint;
  UndoJournal journal;
  RowRecorder* recorder = nullptr;

  // The column F2 edits and 1213/1214 sort, the remembered sort direction (descending
  // at start-up, kept by New) and the header's sort arrow.
  int currentColumn = kNameColumn;
  bool sortAscending = false;
  SortArrow sortArrow;

  MapLink* map = nullptr;                // nullptr: no map
  const Collation* collation = nullptr;  // name order for sorting; nullptr: UTF-16 code units

  // Flags the window turns into its title and status bar on the next timer tick.
  bool titleDirty = true;
  bool statusResetPending = false;
  bool selectPending = false;

  CoordinateFormat Format() const {
    return {settings.Get(Option::DmsFormat), settings.Get(Option::CompassDirection)};
  }
  // Rows a whole-table write covers (the pinned base row is never written).
  std::size_t FirstWrittenRow() const { return baseRowPinned && !table.Empty() ? 1 : 0; }
  void SetModified(bool on) {
    document.modified = on;
    titleDirty = true;
  }
};

// The window title: document title, "*" when modified, " - " and the product name.
Text WindowTitle(const Document& document);

inline void MapSyncAll(DocumentState& doc) {
  if (doc.map) doc.map->SyncAll(doc);
}
inline void MapSelectEntry(DocumentState& doc) {
  if (doc.map) doc.map->SelectEntry(doc);
}
inline void MapCloseInfo(DocumentState& doc) {
  if (doc.map) doc.map->CloseInfo();
}
inline void MapSetOption(DocumentState& doc, int option) {
  if (doc.map) doc.map->SetOption(option);
}

}  // namespace wayloom
