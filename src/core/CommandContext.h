// What a command works with: the document and the services of the system around it.
#pragma once

#include "core/DocumentState.h"
#include "platform/ClipboardStore.h"
#include "platform/FileStore.h"
#include "platform/HttpClient.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "platform/Ui.h"

namespace wayloom {

struct CommandContext {
  DocumentState& doc;
  Ui& ui;
  FileStore& files;
  const TextCodec* codec = nullptr;  // nullptr: BuiltInTextCodec()
  ClipboardStore* clipboard = nullptr;  // nullptr: the clipboard cannot be opened
  HttpClient* http = nullptr;           // nullptr: no internet session can be opened
  Profile* profile = nullptr;           // the ini file (base points); nullptr: none
};

}  // namespace wayloom
