// What every reader needs besides the bytes: the document, the duplicate-name question
// and progress reporting.
#pragma once

#include "core/DocumentState.h"
#include "platform/FileStore.h"
#include "platform/TextCodec.h"
#include "platform/Ui.h"

namespace wayloom {

struct ReadContext {
  DocumentState& doc;
  Ui& ui;
  FileProgress* progress = nullptr;
  const TextCodec* codec = nullptr;  // nullptr: BuiltInTextCodec()
  // The format being read; readers that detect an encoding (delimited text) set the
  // exact format (9-20) here so that a later save writes the same.
  int format = 1;
  // Device favourites: also read the home and recent places.
  bool includeHomeAndRecent = false;
  // The file's bytes, told how far the reader has got (nullptr: a buffer of the caller's).
  FileBytes* source = nullptr;

  const TextCodec& Codec() const { return codec ? *codec : BuiltInTextCodec(); }
  // The reader has passed offset in this pass.
  void Passed(std::size_t offset) const {
    if (source) source->ReleaseBefore(offset);
  }
};

// What a writer needs: the rows, where the bytes go and how.
struct WriteContext {
  const DocumentState& doc;
  BufferedWriter& out;
  TransferMode mode;
  FileProgress* progress = nullptr;
  const TextCodec* codec = nullptr;  // nullptr: BuiltInTextCodec()
  int format = 1;                    // the exact format written (delimited text: 9-20)
  bool numberPlacemarks = false;     // KML for Google Earth: "#1 " / "#2' " name prefixes

  const TextCodec& Codec() const { return codec ? *codec : BuiltInTextCodec(); }
};

// "Check Name": when a row of this name exists, asks dialog 6000 (or applies the
// remembered "keep all" / "drop all" answer). True when the new row is to be dropped;
// a dropped row is counted in duplicatesDropped.
bool AskDuplicate(ReadContext& context, TextView name);

// Inserts a row read from a file at the end of the table, after the duplicate question
// when "Check Name" is on. Returns the row index, or -1 when the row was dropped.
long long AppendReadRow(ReadContext& context, TextView name, EntryStatus status, TransferMode mode);

}  // namespace wayloom
