// The document: the table, where it came from, its flags and the settings it is edited with.
#pragma once

#include "core/CoordinateText.h"
#include "core/ItineraryTable.h"
#include "core/Settings.h"

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

// Hears every recorded row change before it happens (the undo journal and the
// check-results list attach here). Row indexes are the table's at the time of the call.
class RowRecorder {
 public:
  virtual ~RowRecorder() = default;
  virtual void RowInserted(std::size_t row, EntryStatus status, long long baseRow) {}
  virtual void RowDeleting(std::size_t row, const ItineraryEntry& entry) {}
  virtual void CellChanging(std::size_t row, int column, TextView oldText) {}
  virtual void StatusChanging(std::size_t row, EntryStatus oldStatus) {}
};

struct DocumentState {
  ItineraryTable table;
  Document document;
  Settings settings = DefaultSettings(true);
  long long baseRow = -1;       // the distance base row, -1 when none
  bool baseRowPinned = false;   // row 0 is a base point inserted at the top
  RowRecorder* recorder = nullptr;

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

}  // namespace wayloom
