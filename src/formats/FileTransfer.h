// The reading and writing steps shared by the document commands and batch conversion:
// whole-file reads with the format's terminator, safe writes. They show no message: they
// return 0 or the id of the message the caller shows.
#pragma once

#include "core/DocumentState.h"
#include "formats/ReadContext.h"
#include "platform/FileStore.h"
#include "platform/TextCodec.h"
#include "platform/Ui.h"

namespace wayloom {

constexpr int kCannotReadFile = 14216;
constexpr int kCannotOpenFile = 14217;
constexpr int kNoMemoryForFile = 14218;
constexpr int kContentNotUnderstood = 14219;
constexpr int kCannotSaveFile = 14221;
constexpr int kReadOnlyQuestion = 14255;

struct FileAccess {
  Ui& ui;
  FileStore& files;
  const TextCodec* codec = nullptr;
  FileProgress* progress = nullptr;
  bool includeHomeAndRecent = false;  // device favourites: also the home and recent places
};

// Reads path in format into doc: an open first empties the table (and forgets the base
// row); an import clears the selection and appends. Counts dropped duplicates in
// doc.document. On success the reader's detected format is stored on an open and the
// Order column is renumbered.
int ReadDocumentFile(FileAccess& access, DocumentState& doc, TransferMode mode, TextView path, int format);

// Writes doc (every row for save, the selection for export) to path. Returns 0,
// kReadOnlyQuestion when the target is read-only (nothing written), kCannotSaveFile when
// it cannot be created, or the writer's code; a failed write leaves the old file as it was.
int WriteDocumentFile(FileAccess& access, const DocumentState& doc, TransferMode mode, TextView path, int format);

}  // namespace wayloom
