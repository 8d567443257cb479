// What portable commands ask of the window: message boxes, dialogs, progress, polling.
// The Win32 shell implements it with real windows; tests script the answers.
#pragma once

#include <optional>

#include "core/StringTable.h"
#include "core/Text.h"

namespace wayloom {

enum class MessageIcon { Information, Warning, Question, Exclamation };
enum class MessageButtons { Ok, OkCancel, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

// Buttons of the duplicate-name dialog 6000.
enum DuplicateAnswer : int { kKeepAll = 2, kDrop = 5002, kDropAll = 5003, kKeep = 5004 };
// Buttons of the overwrite dialog 6001.
enum OverwriteAnswer : int { kOverwriteYes = 6, kOverwriteAll = 5002, kOverwriteNo = 7, kOverwriteNone = 5003, kOverwriteCancel = 2 };

enum class TransferMode { Open, Save, Import, Export };

struct FileChoice {
  Text path;
  int listPosition = 1;  // 1-based position of the chosen type in the dialog's list
};

// The in-place cell editor as the window shows it: over the cell (row, column), holding
// text, all of it selected, at most limit characters typed.
struct CellEditorRequest {
  std::size_t row = 0;
  int column = 0;
  Text text;
  std::size_t limit = 255;
};

// What the merge-fields dialog 6002 returns: the prefix and suffix choices and the text of
// the enabled edit (the text, or the first sequence number as digits).
enum class MergeField { Text, Sequence, Name };
struct MergeFieldsChoice {
  MergeField prefix = MergeField::Text;
  MergeField suffix = MergeField::Name;
  Text text;
};

// What the clear-fields dialog 6003 returns: its four check boxes.
struct ClearFieldsChoice {
  bool leadingNumber = false;   // 5100
  bool trailingNumber = false;  // 5101
  bool longitude = false;       // 5102
  bool latitude = false;        // 5103
};

// The find and replace texts and options, kept for the program's lifetime; the find
// (6004) and replace (6005) dialogs show them and return them changed.
struct SearchOptions {
  Text findText;     // at most 255 characters
  Text replaceText;  // at most 255 characters
  bool matchCase = false;
  bool namesOnly = false;
  bool allMatches = false;
};

// The choices of the planning dialog 6008, kept for the program's lifetime (not saved).
struct PlanOptions {
  bool roundTrip = false;     // 5300 round trip, else 5302 one-way
  bool fixedLast = false;     // 5304: the last row stays the destination (one-way only)
  bool roadDistance = false;  // 5306 road distances (at most 10 rows), else 5307 straight line
};

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

class BasePointDialog;
class CheckResults;

class Ui {
 public:
  virtual ~Ui() = default;

  // A message box with the product name as caption: the string formatted with its one
  // argument. defaultCancel makes Cancel the default button.
  virtual MessageResult ShowMessage(int stringId, const FormatArg& arg, MessageIcon icon,
                                    MessageButtons buttons = MessageButtons::Ok, bool defaultCancel = false) = 0;

  // Dialog 6000 for a name already in the table: returns a DuplicateAnswer.
  virtual int AskDuplicate(TextView name) { return kKeep; }
  // Dialog 6001 for a conversion target that exists: returns an OverwriteAnswer.
  virtual int AskOverwrite(TextView fileName) { return kOverwriteNo; }

  // The open or save dialog. title is the dialog title; filters come from FileDialogFilters.
  virtual std::optional<FileChoice> ChooseFileDialog(TransferMode mode, TextView title, TextView initialName,
                                                     TextView initialFolder, int listPosition) {
    return std::nullopt;
  }

  // Status bar part 0, and the progress bar placed after the text.
  virtual void ShowStatusText(TextView text) {}
  virtual void ShowProgress(TextView text, int percent) {}
  virtual void EndProgress() {}
  // Dispatches paint and timer messages; with checkEsc, true when Esc was pressed.
  virtual bool PollStop(bool checkEsc) { return false; }
  virtual void SetWaitCursor(bool on) {}
  virtual void SuspendRedraw(bool suspend) {}

  // The table view: rows changed (count or cells), column widths.
  virtual void TableChanged() {}
  virtual void ResetColumns() {}
  virtual void FitColumns() {}
  virtual void EnsureRowVisible(long long row) {}
  // Fits one column: an explicit fit always, showing its status text; otherwise only
  // with "Auto Column".
  virtual void FitColumn(int column, bool explicitFit) {}
  // The header's sort arrow: column -1 shows none.
  virtual void ShowSortArrow(int column, bool ascending) {}
  // A command's toolbar button shown pressed while the command works.
  virtual void PressToolbarButton(int command, bool pressed) {}
  virtual void FocusTable() {}

  // The in-place cell editor: shown over a cell with its text selected and focused, or
  // hidden. A message of the editor (a refused commit) is owned by the editor.
  virtual void ShowCellEditor(const CellEditorRequest& request) {}
  virtual void HideCellEditor() {}
  virtual MessageResult ShowEditorMessage(int stringId, MessageIcon icon, MessageButtons buttons) {
    return ShowMessage(stringId, FormatArg(), icon, buttons);
  }
  // Posts a command to the main window, handled after the current one returns.
  virtual void PostCommand(int command, long long parameter) {}

  // The dialogs of merge fields (6002), clear fields (6003), find (6004) and replace
  // (6005); nullopt is Cancel.
  virtual std::optional<MergeFieldsChoice> AskMergeFields() { return std::nullopt; }
  virtual std::optional<ClearFieldsChoice> AskClearFields() { return std::nullopt; }
  virtual std::optional<SearchOptions> AskFind(const SearchOptions& shown) { return std::nullopt; }
  virtual std::optional<SearchOptions> AskReplace(const SearchOptions& shown) { return std::nullopt; }

  // The automatic-save timer starts again with its period in minutes (after an open or a
  // save while "Backup File" is on).
  virtual void RestartAutoSaveTimer(int minutes) {}

  // A marquee progress bar after a status text (planner, checks); EndProgress removes it.
  virtual void ShowMarquee(TextView text) {}

  // The planning dialog 6008: true for OK, with options changed; rowCount decides whether
  // road distances can be chosen.
  virtual bool AskPlanOptions(PlanOptions& options, std::size_t rowCount) { return false; }
  // The check dialog 6006: true for OK, with options changed.
  virtual bool AskCheckOptions(CheckOptions& options, std::size_t rowCount) { return false; }
  // The modeless check-results window 6007 over the run's result items: show and activate
  // it, repaint its list after the items changed, hide it (Continue), destroy it.
  virtual void ShowCheckResults(CheckResults& results) {}
  virtual void CheckResultsChanged(CheckResults& results) {}
  virtual void HideCheckResults(CheckResults& results) {}
  virtual void CloseCheckResults(CheckResults& results) {}
  // The base-point dialog 6009 over its list: returns the dialog's result (1 when an
  // entry was set as the base point, 2 otherwise).
  virtual int RunBasePointDialog(BasePointDialog& dialog) { return 2; }
};

// File progress in the status bar: percent of done against total, shown only when it
// changes and never while an automatic save or a batch conversion runs.
class FileProgress {
 public:
  FileProgress(Ui& ui, int textId, bool silent) : ui_(ui), textId_(textId), silent_(silent) {}
  void Report(unsigned long long total, unsigned long long done) {
    if (silent_ || total == 0) return;
    unsigned long long percent = done >= total ? 100 : done * 100 / total;
    if (static_cast<int>(percent) == lastPercent_) return;
    lastPercent_ = static_cast<int>(percent);
    ui_.ShowProgress(FormatString(textId_, lastPercent_), lastPercent_);
  }

 private:
  Ui& ui_;
  int textId_;
  bool silent_;
  int lastPercent_ = -1;
};

}  // namespace wayloom
