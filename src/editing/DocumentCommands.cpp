#include "editing/DocumentCommands.h"

#include "core/CommandIds.h"
#include "core/RowOperations.h"
#include "formats/FileFormat.h"
#include "formats/FileTransfer.h"
#include "formats/ItnFormat.h"
#include "core/UndoJournal.h"
#include "platform/Collation.h"
#include "planning/BasePoints.h"
#include "planning/Distances.h"
#include "planning/SortTable.h"

namespace wayloom {

namespace {

constexpr int kEntryLimitQuestion = 14220;
constexpr int kReadingFavouritesProgress = 13111;
constexpr int kFavouritesFormat = 0;
constexpr char16_t kFavouritesFileName[] = u"MapSettings.cfg";
constexpr int kDuplicatesDropped = 14214;
constexpr int kSaveQuestion = 14215;
constexpr int kDiscardQuestion = 14292;
constexpr int kOnlyOneFile = 14293;
constexpr int kUnsupportedExtension = 14423;
constexpr int kDesktopName = 14250;
constexpr int kMyDocumentsName = 14252;
constexpr int kSharedDocumentsName = 14253;
constexpr int kPublicDocumentsName = 14254;

int ProgressText(TransferMode mode) {
  switch (mode) {
    case TransferMode::Open: return 13107;
    case TransferMode::Save: return 13108;
    case TransferMode::Import: return 13109;
    default: return 13110;
  }
}

int DialogTitle(TransferMode mode) {
  switch (mode) {
    case TransferMode::Open: return 14210;
    case TransferMode::Save: return 14211;
    case TransferMode::Import: return 14212;
    default: return 14213;
  }
}

bool IsSaving(TransferMode mode) { return mode == TransferMode::Save || mode == TransferMode::Export; }

// Messages and questions of a transfer. While saving automatically no dialog opens:
// questions take their silent answer and messages are not shown.
class TransferDialogs {
 public:
  TransferDialogs(CommandContext& context, TextView path) : context_(context), fileName_(PathFileName(path)) {}
  void Warn(int id) {
    if (!Silent()) context_.ui.ShowMessage(id, fileName_, MessageIcon::Warning);
  }
  bool Ask(int id, const FormatArg& arg, MessageIcon icon, bool silentAnswer) {
    if (Silent()) return silentAnswer;
    return context_.ui.ShowMessage(id, arg, icon, MessageButtons::OkCancel, true) == MessageResult::Ok;
  }
  TextView FileName() const { return fileName_; }

 private:
  bool Silent() const { return context_.doc.document.autoSaving; }
  CommandContext& context_;
  Text fileName_;
};

bool WriteFile(CommandContext& context, TransferMode mode, TextView path, int formatIndex) {
  DocumentState& doc = context.doc;
  TransferDialogs dialogs(context, path);
  if (formatIndex == kItnFormat) {
    const std::size_t counted = doc.table.RowCount() - doc.FirstWrittenRow();
    if (counted > kItnEntryLimit &&
        !dialogs.Ask(kEntryLimitQuestion, kItnEntryLimit, MessageIcon::Question, true))
      return false;
  }
  context.ui.SetWaitCursor(true);
  FileProgress progress(context.ui, ProgressText(mode), doc.document.autoSaving);
  FileAccess access{context.ui, context.files, context.codec, &progress};
  int result = WriteDocumentFile(access, doc, mode, path, formatIndex);
  if (result == kReadOnlyQuestion) {
    if (dialogs.Ask(kReadOnlyQuestion, dialogs.FileName(), MessageIcon::Warning, false)) {
      result = context.files.ClearReadOnly(path) ? WriteDocumentFile(access, doc, mode, path, formatIndex)
                                                 : kCannotSaveFile;
    } else {
      result = -1;  // cancelled: no further message
    }
  }
  context.ui.EndProgress();
  context.ui.SetWaitCursor(false);
  if (result != 0) {
    if (result > 0) dialogs.Warn(result);
    return false;
  }
  if (mode == TransferMode::Save) doc.SetModified(false);
  return true;
}

bool ReadFile(CommandContext& context, TransferMode mode, TextView path, int formatIndex, bool includeHomeAndRecent) {
  DocumentState& doc = context.doc;
  context.ui.SetWaitCursor(true);
  context.ui.SuspendRedraw(true);
  const int progressText = formatIndex == kFavouritesFormat ? kReadingFavouritesProgress : ProgressText(mode);
  FileProgress progress(context.ui, progressText, doc.document.autoSaving);
  FileAccess access{context.ui, context.files, context.codec, &progress, includeHomeAndRecent};
  const int result = ReadDocumentFile(access, doc, mode, path, formatIndex);
  if (result == 0) {
    progress.Report(1, 1);
    if (mode == TransferMode::Open && doc.settings.Get(Option::ShowDistance) && doc.settings.Get(Option::AutoBP))
      InsertBasePointRow(context);
    // Distances from row 0 after an open, from the base row after an import.
    SetBaseRow(context, mode == TransferMode::Open ? 0 : -1, false);
  }
  context.ui.TableChanged();
  if (result == 0) {
    context.ui.FitColumns();
    if (doc.document.duplicatesDropped > 0 && !doc.document.autoSaving)
      context.ui.ShowMessage(kDuplicatesDropped, doc.document.duplicatesDropped, MessageIcon::Information);
  }
  context.ui.EndProgress();
  context.ui.SuspendRedraw(false);
  context.ui.SetWaitCursor(false);
  if (result != 0) TransferDialogs(context, path).Warn(result);
  return result == 0;
}

// After any open or save the automatic save waits a whole period again.
void RestartAutoSave(CommandContext& context) {
  const Settings& settings = context.doc.settings;
  if (settings.Get(Option::BackupFile)) context.ui.RestartAutoSaveTimer(settings.backupInterval);
}

// includeHomeAndRecent: the favourites dialog's check box, for the device favourites.
bool Transfer(CommandContext& context, TransferMode mode, TextView path, int format, bool includeHomeAndRecent) {
  DocumentState& doc = context.doc;
  if (IsSaving(mode)) {
    const bool ok = WriteFile(context, mode, path, format);
    if (mode == TransferMode::Save) RestartAutoSave(context);
    return ok;
  }

  const std::size_t rowsBefore = doc.table.RowCount();
  const bool ok = ReadFile(context, mode, path, format, includeHomeAndRecent);
  if (mode == TransferMode::Open) {
    RestartAutoSave(context);
    if (ok) {
      doc.sortArrow.column = -1;  // the old sort marks do not describe the new rows
      context.ui.ShowSortArrow(-1, doc.sortAscending);
      if (!doc.table.Empty()) {
        doc.table.SetSelected(0, true);
        doc.table.SetFocused(0);
      }
      doc.SetModified(doc.document.duplicatesDropped > 0);
    } else {
      doc.SetModified(false);
      NewDocument(context);
    }
  } else {
    const long long first = doc.table.FirstSelected();
    if (first >= 0) context.ui.EnsureRowVisible(first);
    if (doc.table.RowCount() != rowsBefore) {
      doc.SetModified(true);
      MapSyncAll(doc);
    }
  }
  doc.selectPending = true;
  doc.statusResetPending = true;
  return ok;
}

}  // namespace

bool TransferFile(CommandContext& context, TransferMode mode, TextView path, int format) {
  return Transfer(context, mode, path, format, false);
}

void NewDocument(CommandContext& context) {
  DocumentState& doc = context.doc;
  if (doc.document.modified && !ConfirmDiscard(context)) return;
  if (doc.recorder) doc.recorder->TableCleared();  // closes the check results
  doc.table.Clear();
  ResetJournal(doc.journal);
  doc.baseRow = -1;
  doc.baseRowPinned = false;
  ResetSortHeader(context);
  doc.document.title = Text(LoadText(kUntitledString));
  doc.document.path.clear();
  doc.document.format = kItnFormat;
  doc.SetModified(false);
  context.ui.ResetColumns();
  context.ui.TableChanged();
}

bool ConfirmDiscard(CommandContext& context) {
  DocumentState& doc = context.doc;
  const std::size_t rows = doc.table.RowCount();
  const bool empty = rows == 0 || (rows == 1 && doc.baseRowPinned);
  if (empty) {
    return context.ui.ShowMessage(kDiscardQuestion, doc.document.title, MessageIcon::Question,
                                  MessageButtons::OkCancel, true) == MessageResult::Ok;
  }
  switch (context.ui.ShowMessage(kSaveQuestion, doc.document.title, MessageIcon::Question,
                                 MessageButtons::YesNoCancel)) {
    case MessageResult::No: return true;
    case MessageResult::Yes: SaveDocument(context); return !doc.document.modified;
    default: return false;
  }
}

void OpenDocument(CommandContext& context) {
  if (context.doc.document.modified && !ConfirmDiscard(context)) return;
  ChooseFile(context, TransferMode::Open);
}

bool SaveDocument(CommandContext& context) {
  const Document& document = context.doc.document;
  if (!document.path.empty() && document.format != 4)
    return TransferFile(context, TransferMode::Save, document.path, document.format);
  if (document.autoSaving) return false;
  return SaveDocumentAs(context);
}

bool SaveDocumentAs(CommandContext& context) { return ChooseFile(context, TransferMode::Save); }

bool OpenPath(CommandContext& context, TextView path) {
  Document& document = context.doc.document;
  context.ui.PressToolbarButton(IDM_OPEN, true);
  const bool discard = !document.modified || ConfirmDiscard(context);
  context.ui.PressToolbarButton(IDM_OPEN, false);
  if (!discard) return false;
  document.path = Text(path);
  document.title = PathTitle(path);
  document.format = FormatForOpening(PathExtension(path));
  context.doc.titleDirty = true;
  const bool ok = TransferFile(context, TransferMode::Open, path, document.format);
  if (ok) AddRecentFile(context.doc.settings, path, context.doc.collation);
  return ok;
}

bool OpenFavourites(CommandContext& context, TextView mapFolder, bool includeHomeAndRecent) {
  DocumentState& doc = context.doc;
  if (doc.document.modified && !ConfirmDiscard(context)) return false;
  const Text path = FavouritesPath(mapFolder);
  doc.document.path = path;
  doc.document.format = kFavouritesFormat;
  if (!Transfer(context, TransferMode::Open, path, kFavouritesFormat, includeHomeAndRecent)) return false;
  // A later save asks for a name.
  doc.document.title = Text(LoadText(kFavouritesTitleString));
  doc.document.path.clear();
  doc.titleDirty = true;
  return true;
}

Text FavouritesPath(TextView mapFolder) { return JoinPath(mapFolder, kFavouritesFileName); }

bool ChooseFile(CommandContext& context, TransferMode mode) {
  Document& document = context.doc.document;
  const bool saving = IsSaving(mode);
  const TextView folder = context.files.IsDirectory(document.path) ? TextView() : PathFolder(document.path);
  const int position = saving ? SaveListPosition(document.format) : OpenListPosition(document.format);
  auto choice = context.ui.ChooseFileDialog(mode, LoadText(DialogTitle(mode)), document.title, folder, position);
  if (!choice) return false;
  Text path = choice->path;
  int format;
  if (saving) {
    // A name typed without an extension gets the chosen type's.
    if (PathExtension(path).empty()) {
      const auto& pattern = GetFileFormat(FormatFromSaveListPosition(choice->listPosition)).pattern;
      path += TextView(pattern).substr(1);
    }
    const SaveTarget target = SaveTargetFor(path, choice->listPosition);
    path = target.path;
    format = target.format;
  } else {
    format = FormatForOpening(PathExtension(path));
  }
  if (!TransferFile(context, mode, path, format)) return false;
  AddRecentFile(context.doc.settings, path, context.doc.collation);
  if (mode == TransferMode::Open || mode == TransferMode::Save) {
    document.path = path;
    document.title = PathTitle(path);
    if (mode == TransferMode::Save) document.format = format;  // an open keeps what the reader found
    context.doc.titleDirty = true;
  }
  return true;
}

void AddRecentFile(Settings& settings, TextView path, const Collation* collation) {
  if (!settings.Get(Option::RecentFile)) return;
  auto& list = settings.recentFiles;
  // Windows compares paths without regard to the case of any letter, not only ASCII ones.
  const auto folded = [collation](TextView text) {
    Text result(text);
    if (collation) collation->FoldCase(result);
    else for (char16_t& c : result) c = AsciiUpper(c);
    return result;
  };
  const Text key = folded(path);
  std::size_t found = list.size();
  for (std::size_t i = 0; i < list.size(); ++i)
    if (list[i].size() == path.size() && folded(list[i]) == key) {
      found = i;
      break;
    }
  if (found == list.size()) {
    list.insert(list.begin(), Text(path));
  } else {
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(found));
    list.insert(list.begin(), Text(path));
  }
  const std::size_t limit = settings.fileCount >= 1 && settings.fileCount <= 9 ? settings.fileCount : 7;
  if (list.size() > limit) list.resize(limit);
}

bool OpenRecent(CommandContext& context, std::size_t index) {
  const auto& list = context.doc.settings.recentFiles;
  if (index >= list.size()) return false;
  const Text path = list[index];  // the list changes while the file opens
  return OpenPath(context, path);
}

void OpenDroppedFiles(CommandContext& context, const std::vector<Text>& paths, bool onMapPane) {
  if (onMapPane || paths.empty()) return;
  if (paths.size() > 1) {
    context.ui.ShowMessage(kOnlyOneFile, FormatArg(), MessageIcon::Information);
    return;
  }
  const TextView path = paths.front();
  if (!IsKnownExtension(PathExtension(path), true)) {
    context.ui.ShowMessage(kUnsupportedExtension, PathFileName(path), MessageIcon::Information);
    return;
  }
  OpenPath(context, path);
}

void AutoSave(CommandContext& context) {
  Document& document = context.doc.document;
  if (document.autoSaving || !document.modified || context.doc.table.Empty()) return;
  document.autoSaving = true;
  SaveDocument(context);
  document.autoSaving = false;
}

namespace {

// The rest of path after folder and a backslash, when path starts so (without regard to
// case); nullopt otherwise.
std::optional<TextView> AfterFolder(TextView path, TextView folder) {
  while (!folder.empty() && folder.back() == u'\\') folder.remove_suffix(1);
  if (folder.empty() || path.size() <= folder.size() || path[folder.size()] != u'\\' ||
      !EqualsIgnoringAsciiCase(path.substr(0, folder.size()), folder))
    return std::nullopt;
  return path.substr(folder.size() + 1);
}

// The rest after name when it is the whole text or followed by a backslash.
std::optional<TextView> AfterName(TextView rest, TextView name) {
  if (rest.size() < name.size() || !EqualsIgnoringAsciiCase(rest.substr(0, name.size()), name)) return std::nullopt;
  rest.remove_prefix(name.size());
  if (!rest.empty() && rest.front() != u'\\') return std::nullopt;
  return rest;
}

}  // namespace

Text DisplayPath(TextView path, const ShellFolders& folders) {
  const bool later = folders.majorVersion >= 6;
  struct Known {
    TextView name;
    int stringId;
  };
  const Known known[] = {
      {u"Desktop", kDesktopName},
      {u"My Documents", kMyDocumentsName},
      {u"Documents", later ? kMyDocumentsName : kSharedDocumentsName},
      {u"Users\\Public\\Documents", later ? kPublicDocumentsName : kSharedDocumentsName},
  };
  // The longest matching variable wins, as the path is written with variables.
  std::optional<TextView> rest;
  std::size_t matched = 0;
  for (TextView folder : {TextView(folders.userProfile), TextView(folders.allUsersProfile), TextView(folders.systemDrive)}) {
    const auto after = AfterFolder(path, folder);
    if (after && folder.size() > matched) {
      rest = after;
      matched = folder.size();
    }
  }
  if (rest) {
    for (const Known& k : known) {
      if (const auto tail = AfterName(*rest, k.name)) return Text(LoadText(k.stringId)) + Text(*tail);
    }
  }
  return Text(path);
}

Text RecentMenuText(std::size_t index, TextView path, const ShellFolders& folders) {
  Text text = u"&";
  text += static_cast<char16_t>(u'1' + index % 9);
  text += u' ';
  return text + DisplayPath(path, folders);
}

bool RecentItemEnabled(FileStore& files, TextView path) { return files.Exists(path) && !files.IsDirectory(path); }

}  // namespace wayloom
