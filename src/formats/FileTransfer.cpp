#include "formats/FileTransfer.h"

#include <algorithm>

#include "core/RowOperations.h"
#include "core/UndoJournal.h"
#include "formats/FileFormat.h"
#include "formats/ItnFormat.h"

namespace wayloom {

int ReadDocumentFile(FileAccess& access, DocumentState& doc, TransferMode mode, TextView path, int formatIndex) {
  const FileFormat& format = GetFileFormat(formatIndex);
  std::unique_ptr<FileBytes> file;
  switch (access.files.OpenWholeFile(path, format.terminator.size(), file)) {
    case ReadResult::Ok: break;
    case ReadResult::OpenFailed: return kCannotOpenFile;
    case ReadResult::NoMemory: return kNoMemoryForFile;
    case ReadResult::ReadFailed: return kCannotReadFile;
  }
  const std::span<std::uint8_t> data = file->Bytes();
  const std::size_t byteCount = data.size() - format.terminator.size();
  std::copy(format.terminator.begin(), format.terminator.end(), data.begin() + static_cast<std::ptrdiff_t>(byteCount));

  if (mode == TransferMode::Open && doc.recorder) doc.recorder->TableCleared();  // closes the check results
  RowRecorder* recorder = doc.recorder;
  if (mode == TransferMode::Open) {
    doc.table.Clear();
    doc.baseRow = -1;
    doc.baseRowPinned = false;
    // An opened file starts a new undo history, and its rows are not recorded.
    ResetJournal(doc.journal);
    SuspendRecording(doc.journal);
    doc.recorder = nullptr;  // nor reported to the check results
  } else {
    doc.table.ClearSelection();
    BeginUndoGroup(doc.journal);  // the whole import is one undo step
  }
  doc.document.duplicateAnswer = kKeep;
  doc.document.duplicatesDropped = 0;

  ReadContext reading{doc, access.ui, access.progress, access.codec, formatIndex, access.includeHomeAndRecent, file.get()};
  const int result = format.reader ? format.reader(reading, data, byteCount, mode) : kContentNotUnderstood;
  doc.recorder = recorder;
  if (result == 0 && mode == TransferMode::Open) doc.document.format = reading.format;
  RenumberOrder(doc.table);
  return result;
}

int WriteDocumentFile(FileAccess& access, const DocumentState& doc, TransferMode mode, TextView path, int formatIndex) {
  const FileFormat& format = GetFileFormat(formatIndex);
  if (!format.writer) return kCannotSaveFile;
  CreateResult created;
  auto file = access.files.CreateOutput(path, created);
  if (created == CreateResult::ReadOnly) return kReadOnlyQuestion;
  if (created != CreateResult::Ok || !file) return kCannotSaveFile;
  BufferedWriter writer(*file);
  WriteContext writing{doc, writer, mode, access.progress, access.codec, formatIndex};
  const int result = format.writer(writing);
  if (result != 0) return result;
  return file->Commit() ? 0 : kDiskWriteError;
}

}  // namespace wayloom
