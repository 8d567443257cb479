// The portable commands' Ui on real windows: message boxes owned by the main window,
// the common file dialogs, the status bar's progress and the table view.
#pragma once

#include <windows.h>

#include "editing/Editor.h"
#include "shell/DialogSupport.h"
#include "shell/InPlaceEditor.h"
#include "shell/StatusBar.h"
#include "shell/TableView.h"
#include "shell/dialogs/CheckResultsWindow.h"
#include "shell/Toolbar.h"

namespace wayloom {

// The main window's automatic-save timer ("Backup Interval" minutes).
constexpr UINT_PTR kAutoSaveTimer = 10;

class Win32Ui : public EditorUi {
 public:
  Win32Ui(TableView& table, StatusBar& statusBar, Toolbar& toolbar)
      : table_(table), statusBar_(statusBar), toolbar_(toolbar) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void SetCellEditor(InPlaceEditor* editor) { cellEditor_ = editor; }
  void SetSettings(const Settings* settings) { settings_ = settings; }
  // The commands the check-results window's buttons run.
  void SetCommandContext(CommandContext* context) { context_ = context; }
  // The modeless check-results window while it exists (its keys go through IsDialogMessage).
  HWND CheckResultsHandle() const { return checkWindow_.Handle(); }
  // What a dialog opened by command needs: owner, icon, fading.
  DialogFrame FrameFor(int command) const;

  MessageResult ShowMessage(int stringId, const FormatArg& arg, MessageIcon icon, MessageButtons buttons,
                            bool defaultCancel) override;
  std::optional<FileChoice> ChooseFileDialog(TransferMode mode, TextView title, TextView initialName,
                                             TextView initialFolder, int listPosition) override;
  PathChoice AskPathChoice(TextView question, const PathSummary& summary) override;
  int AskOverwrite(TextView fileName) override;

  void ShowStatusText(TextView text) override;
  void ShowProgress(TextView text, int percent) override;
  void EndProgress() override;
  bool PollStop(bool checkEsc) override;
  void SetWaitCursor(bool on) override;
  void SuspendRedraw(bool suspend) override;

  void TableChanged() override;
  void ResetColumns() override;
  void FitColumns() override;
  void FitColumn(int column, bool explicitFit) override;
  void ApplyColumnOrder() override;
  void ShowSortArrow(int column, bool ascending) override;
  void EnsureRowVisible(long long row) override;
  void FocusTable() override;
  void ShowCellEditor(const CellEditorRequest& request) override;
  void HideCellEditor() override;
  void PostCommand(int command, long long parameter) override;
  void PressToolbarButton(int command, bool pressed) override;
  void ShowMarquee(TextView text) override;

  bool AskPlanOptions(PlanOptions& options, std::size_t rowCount) override;
  std::optional<SearchOptions> AskFind(const SearchOptions& shown) override;
  std::optional<SearchOptions> AskReplace(const SearchOptions& shown) override;
  std::optional<ClearFieldsChoice> AskClearFields() override;
  std::optional<MergeFieldsChoice> AskMergeFields() override;
  int AskDuplicate(TextView name) override;
  int RunBasePointDialog(BasePointDialog& dialog) override;
  void RestartAutoSaveTimer(int minutes) override;

  bool AskCheckOptions(CheckOptions& options, std::size_t rowCount) override;
  void ShowCheckResults(CheckResults& results) override;
  void CheckResultsChanged(CheckResults& results) override;
  void HideCheckResults(CheckResults& results) override;
  void CloseCheckResults(CheckResults& results) override;

 private:
  HINSTANCE Instance() const;

  HWND owner_ = nullptr;
  InPlaceEditor* cellEditor_ = nullptr;
  const Settings* settings_ = nullptr;
  CommandContext* context_ = nullptr;
  CheckResultsWindow checkWindow_;
  TableView& table_;
  StatusBar& statusBar_;
  Toolbar& toolbar_;
};

// MB_ flags of a message box as the portable code asks for it.
UINT MessageBoxFlags(MessageIcon icon, MessageButtons buttons, bool defaultCancel);

}  // namespace wayloom
