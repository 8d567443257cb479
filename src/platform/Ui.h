// What portable commands ask of the window: message boxes, dialogs, progress, polling.
// The Win32 shell implements it with real windows; tests script the answers.
#pragma once

#include <cstddef>
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

// What a file without waypoints holds instead (GPX routes and tracks, KML paths), with
// their point counts, and the reader's choice among them.
struct PathSummary {
  std::size_t routes = 0, routePoints = 0;
  std::size_t tracks = 0, trackPoints = 0;
};
enum class PathAnswer { Cancel, RoutePoints, Track };
struct PathChoice {
  PathAnswer answer = PathAnswer::Cancel;
  std::size_t trackEntries = 48;  // the track is reduced to at most this many (the device reads 48)
};

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

  // Asks which points of a file without waypoints to read: question is the text describing
  // what the file holds. Cancel reads nothing.
  virtual PathChoice AskPathChoice(TextView question, const PathSummary& summary) { return {}; }

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
  // The columns' display order again, after "Lng First" changed.
  virtual void ApplyColumnOrder() {}
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

  // The automatic-save timer starts again with its period in minutes (after an open or a
  // save while "Backup File" is on).
  virtual void RestartAutoSaveTimer(int minutes) {}

  // A marquee progress bar after a status text (planner, checks); EndProgress removes it.
  virtual void ShowMarquee(TextView text) {}
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
