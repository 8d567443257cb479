#include "map/EarthExport.h"

#include "core/CommandIds.h"
#include "formats/FileTransfer.h"
#include "formats/ItnFormat.h"
#include "formats/KmlFormat.h"

namespace wayloom {

namespace {

constexpr int kExportProgressText = 13110;
constexpr int kKmlFormatIndex = 2;

// 0, or the message: 14221 when the file cannot be created, else the writer's.
int WriteNumberedKml(CommandContext& context, TextView path) {
  CreateResult created;
  std::unique_ptr<OutputFile> file = context.files.CreateOutput(path, created);
  if (created != CreateResult::Ok || !file) return kCannotSaveFile;
  FileProgress progress(context.ui, kExportProgressText, false);
  BufferedWriter writer(*file);
  WriteContext writing{context.doc, writer, TransferMode::Export, &progress, context.codec, kKmlFormatIndex, true};
  const int result = WriteKml(writing);
  context.ui.EndProgress();
  if (result != 0) return result;
  return file->Commit() ? 0 : kDiskWriteError;
}

}  // namespace

bool WriteEarthFile(CommandContext& context, TextView path) {
  context.ui.PressToolbarButton(IDM_EARTH, true);
  const int message = WriteNumberedKml(context, path);
  if (message != 0) context.ui.ShowMessage(message, FormatArg(path), MessageIcon::Warning);
  context.ui.PressToolbarButton(IDM_EARTH, false);
  context.doc.statusResetPending = true;
  return message == 0;
}

}  // namespace wayloom
