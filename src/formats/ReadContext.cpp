#include "formats/ReadContext.h"

#include "core/RowOperations.h"

namespace wayloom {

bool AskDuplicate(ReadContext& context, TextView name) {
  Document& document = context.doc.document;
  if (document.duplicateAnswer == kKeepAll) return false;
  if (context.doc.table.FindEntryByName(name) < 0) return false;
  if (document.duplicateAnswer != kDropAll) document.duplicateAnswer = context.ui.AskDuplicate(name);
  const bool drop = document.duplicateAnswer == kDrop || document.duplicateAnswer == kDropAll;
  if (drop) ++document.duplicatesDropped;
  return drop;
}

long long AppendReadRow(ReadContext& context, TextView name, EntryStatus status, TransferMode mode) {
  if (context.doc.settings.Get(Option::CheckName) && AskDuplicate(context, name)) return -1;
  return static_cast<long long>(
      InsertRowRecorded(context.doc, SIZE_MAX, name, status, mode == TransferMode::Import));
}

}  // namespace wayloom
