#include "shell/Win32Ui.h"

#include <commdlg.h>

#include <vector>

#include "core/CommandIds.h"
#include "formats/FileFormat.h"
#include "shell/dialogs/CheckOptionsDialog.h"
#include "shell/dialogs/BasePointsDialog.h"
#include "shell/dialogs/ClearFieldsDialog.h"
#include "shell/dialogs/DuplicateNameDialog.h"
#include "shell/dialogs/MergeFieldsDialog.h"
#include "shell/dialogs/OverwriteDialog.h"
#include "shell/dialogs/PlanDialog.h"
#include "shell/dialogs/SearchDialog.h"
#include "platform/win32/WideText.h"
#include "shell/dialogs/PathChoiceDialog.h"

namespace wayloom {
namespace {

constexpr int kReadyString = 13100;
// Room for the chosen path, far beyond MAX_PATH for long folder names.
constexpr DWORD kPathBufferUnits = 32768;
// Paint messages handled by one poll: a window that never validates cannot hang a read.
constexpr int kMaxPaintsPerPoll = 64;

MessageResult ResultOf(int buttonId) {
  switch (buttonId) {
    case IDOK: return MessageResult::Ok;
    case IDYES: return MessageResult::Yes;
    case IDNO: return MessageResult::No;
    default: return MessageResult::Cancel;
  }
}

// "text\0pattern\0...\0\0" as the common dialogs take it.
std::wstring FilterList(bool saving) {
  std::wstring list;
  for (const DialogFilter& filter : FileDialogFilters(saving)) {
    list += ToWide(filter.text);
    list += L'\0';
    list += ToWide(filter.pattern);
    list += L'\0';
  }
  list += L'\0';
  return list;
}

}  // namespace

UINT MessageBoxFlags(MessageIcon icon, MessageButtons buttons, bool defaultCancel) {
  UINT flags = 0;
  switch (icon) {
    case MessageIcon::Information: flags |= MB_ICONINFORMATION; break;
    case MessageIcon::Warning: flags |= MB_ICONWARNING; break;
    case MessageIcon::Question: flags |= MB_ICONQUESTION; break;
    case MessageIcon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
  }
  switch (buttons) {
    case MessageButtons::Ok: flags |= MB_OK; break;
    case MessageButtons::OkCancel: flags |= MB_OKCANCEL | (defaultCancel ? MB_DEFBUTTON2 : 0); break;
    case MessageButtons::YesNoCancel: flags |= MB_YESNOCANCEL | (defaultCancel ? MB_DEFBUTTON3 : 0); break;
  }
  return flags;
}

MessageResult Win32Ui::ShowMessage(int stringId, const FormatArg& arg, MessageIcon icon, MessageButtons buttons,
                                   bool defaultCancel) {
  std::wstring text = ToWide(FormatString(stringId, arg));
  std::wstring caption = ToWide(LoadText(kProductNameString));
  ModalScope modal;
  return ResultOf(MessageBoxW(owner_, text.c_str(), caption.c_str(), MessageBoxFlags(icon, buttons, defaultCancel)));
}

std::optional<FileChoice> Win32Ui::ChooseFileDialog(TransferMode mode, TextView title, TextView initialName,
                                                    TextView initialFolder, int listPosition) {
  bool saving = mode == TransferMode::Save || mode == TransferMode::Export;
  std::wstring filters = FilterList(saving);
  std::wstring titleText = ToWide(title);
  std::wstring folder = ToWide(initialFolder);
  std::vector<wchar_t> path(kPathBufferUnits, L'\0');
  std::size_t nameUnits = initialName.size() < kPathBufferUnits - 1 ? initialName.size() : kPathBufferUnits - 1;
  for (std::size_t i = 0; i < nameUnits; ++i) path[i] = static_cast<wchar_t>(initialName[i]);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filters.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(listPosition);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = kPathBufferUnits;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = titleText.empty() ? nullptr : titleText.c_str();
  dialog.lpstrDefExt = L"itn";
  dialog.Flags = saving ? (OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT) : (OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);

  constexpr int kCommandOfMode[] = {IDM_OPEN, IDM_SAVE_AS, IDM_IMPORT, IDM_EXPORT};
  DialogFrame frame = FrameFor(kCommandOfMode[static_cast<int>(mode)]);
  FrameFileDialog(dialog, frame);
  ModalScope modal;
  BOOL chosen = saving ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  FileChoice choice;
  choice.path = FromWide(path.data());
  choice.listPosition = static_cast<int>(dialog.nFilterIndex);
  return choice;
}

int Win32Ui::AskOverwrite(TextView fileName) {
  DialogFrame frame = FrameFor(IDM_CONVERT);
  return RunOverwriteDialog(Instance(), frame, fileName);
}

PathChoice Win32Ui::AskPathChoice(TextView question, const PathSummary& summary) {
  DialogFrame frame = FrameFor(0);  // asked while reading, whichever command reads
  return RunPathChoiceDialog(Instance(), frame, question, summary);
}

void Win32Ui::ShowStatusText(TextView text) { statusBar_.SetText(0, text); }

void Win32Ui::ShowProgress(TextView text, int percent) { statusBar_.ShowProgress(text, percent); }

void Win32Ui::EndProgress() {
  statusBar_.HideProgress();
  statusBar_.SetText(0, LoadText(kReadyString));
}

bool Win32Ui::PollStop(bool checkEsc) {
  MSG message;
  for (int i = 0; i < kMaxPaintsPerPoll && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    DispatchMessageW(&message);
  }
  while (owner_ && PeekMessageW(&message, owner_, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&message);
  if (!checkEsc) return false;
  // One key a poll; any key but Esc is dropped, and Esc drops the clicks queued with it.
  if (!PeekMessageW(&message, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE)) return false;
  if (message.wParam != VK_ESCAPE) return false;
  for (UINT dropped : {WM_SYSKEYDOWN, WM_NCLBUTTONDOWN, WM_LBUTTONDOWN})
    while (PeekMessageW(&message, nullptr, dropped, dropped, PM_REMOVE)) {
    }
  return true;
}

void Win32Ui::SetWaitCursor(bool on) { SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW)); }

void Win32Ui::SuspendRedraw(bool suspend) { table_.SuspendRedraw(suspend); }

void Win32Ui::TableChanged() { table_.SyncFromTable(); }

void Win32Ui::ResetColumns() { table_.ResetColumns(); }

void Win32Ui::FitColumns() { table_.FitColumns(false); }

void Win32Ui::FitColumn(int column, bool explicitFit) { table_.FitColumn(column, explicitFit); }

void Win32Ui::ApplyColumnOrder() { table_.ApplyColumnOrder(); }

void Win32Ui::ShowSortArrow(int column, bool ascending) { table_.ShowSortArrow(column, ascending); }

void Win32Ui::EnsureRowVisible(long long row) { table_.EnsureRowVisible(row); }

void Win32Ui::FocusTable() {
  if (table_.Handle()) SetFocus(table_.Handle());
}

void Win32Ui::ShowCellEditor(const CellEditorRequest& request) {
  if (cellEditor_) cellEditor_->Show(request);
}

void Win32Ui::HideCellEditor() {
  if (cellEditor_) cellEditor_->Hide();
}

void Win32Ui::PressToolbarButton(int command, bool pressed) { toolbar_.Press(command, pressed); }

void Win32Ui::ShowMarquee(TextView text) { statusBar_.ShowMarquee(text); }

DialogFrame Win32Ui::FrameFor(int command) const {
  DialogFrame frame;
  frame.owner = owner_;
  frame.command = command;
  frame.fade = settings_ && settings_->Get(Option::FadeWindow);
  frame.smallImages = toolbar_.SmallImages();
  frame.image = toolbar_.ImageOf(command);
  return frame;
}

HINSTANCE Win32Ui::Instance() const { return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner_, GWLP_HINSTANCE)); }

bool Win32Ui::AskPlanOptions(PlanOptions& options, std::size_t rowCount) {
  DialogFrame frame = FrameFor(IDM_PLAN);
  return RunPlanDialog(Instance(), frame, options, rowCount);
}

std::optional<SearchOptions> Win32Ui::AskFind(const SearchOptions& shown) {
  DialogFrame frame = FrameFor(IDM_FIND);
  return RunSearchDialog(Instance(), frame, shown, false);
}

std::optional<SearchOptions> Win32Ui::AskReplace(const SearchOptions& shown) {
  DialogFrame frame = FrameFor(IDM_REPLACE);
  return RunSearchDialog(Instance(), frame, shown, true);
}

std::optional<MergeFieldsChoice> Win32Ui::AskMergeFields() {
  DialogFrame frame = FrameFor(IDM_MERGE_FIELDS);
  return RunMergeFieldsDialog(Instance(), frame);
}

std::optional<ClearFieldsChoice> Win32Ui::AskClearFields() {
  DialogFrame frame = FrameFor(IDM_CLEAR_FIELDS);
  return RunClearFieldsDialog(Instance(), frame);
}

bool Win32Ui::AskCheckOptions(CheckOptions& options, std::size_t rowCount) {
  DialogFrame frame = FrameFor(IDM_CHECK);
  const bool metric = !settings_ || settings_->Get(Option::MetricUnit);
  return RunCheckOptionsDialog(Instance(), frame, options, rowCount, metric);
}

void Win32Ui::ShowCheckResults(CheckResults& results) {
  CheckWindowHost host;
  host.context = context_;
  host.table = table_.Handle();
  host.activated = [this] {
    if (cellEditor_ && cellEditor_->Visible()) cellEditor_->Cancel();
  };
  checkWindow_.Show(results, FrameFor(IDM_CHECK), host);
}

void Win32Ui::CheckResultsChanged(CheckResults& results) { checkWindow_.Refresh(results); }

void Win32Ui::HideCheckResults(CheckResults& results) { checkWindow_.Hide(); }

void Win32Ui::CloseCheckResults(CheckResults& results) { checkWindow_.Close(); }

int Win32Ui::AskDuplicate(TextView name) {
  DialogFrame frame = FrameFor(0);  // asked while reading or pasting, whichever command it is
  return RunDuplicateNameDialog(Instance(), frame, name);
}

int Win32Ui::RunBasePointDialog(BasePointDialog& dialog) {
  DialogFrame frame = FrameFor(IDM_MY_BASE_POINTS);
  HWND table = table_.Handle();
  BasePointListLook look;
  look.font = reinterpret_cast<HFONT>(SendMessageW(table, WM_GETFONT, 0, 0));
  look.textColour = ListView_GetTextColor(table);
  look.gridLines = (ListView_GetExtendedListViewStyle(table) & LVS_EX_GRIDLINES) != 0;
  look.lngFirst = settings_ && settings_->Get(Option::LngFirst);
  return RunBasePointsDialog(Instance(), frame, dialog, look);
}

void Win32Ui::PostCommand(int command, long long parameter) {
  if (owner_) PostMessageW(owner_, WM_COMMAND, static_cast<WPARAM>(command), static_cast<LPARAM>(parameter));
}

void Win32Ui::RestartAutoSaveTimer(int minutes) {
  if (owner_) SetTimer(owner_, kAutoSaveTimer, static_cast<UINT>(minutes) * 60u * 1000u, nullptr);
}

}  // namespace wayloom

