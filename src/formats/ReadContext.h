// What every reader needs besides the bytes: the document, the duplicate-name question
// and progress reporting.
#pragma once

#include "core/DocumentState.h"
#include "platform/Ui.h"

namespace wayloom {

struct ReadContext {
  DocumentState& doc;
  Ui& ui;
  FileProgress* progress = nullptr;
};

// "Check Name": when a row of this name exists, asks dialog 6000 (or applies the
// remembered "keep all" / "drop all" answer). True when the new row is to be dropped;
// a dropped row is counted in duplicatesDropped.
bool AskDuplicate(ReadContext& context, TextView name);

// Inserts a row read from a file at the end of the table, after the duplicate question
// when "Check Name" is on. Returns the row index, or -1 when the row was dropped.
long long AppendReadRow(ReadContext& context, TextView name, EntryStatus status, TransferMode mode);

}  // namespace wayloom
