// The editor: one document with its undo journal, the in-place cell editor, the search,
// plan and check options and the check run, wired to the services the commands use. The
// window, the command-line tool and the tests each hold one; nothing of it is global.
#pragma once

#include "core/CommandContext.h"
#include "core/CommandStates.h"
#include "editing/CellEdit.h"
#include "editing/EntryEditing.h"
#include "editing/FindReplace.h"
#include "editing/ItineraryChecks.h"
#include "planning/BasePoints.h"
#include "planning/RoutePlanner.h"
#include "platform/Clock.h"

namespace wayloom {

// Everything the commands ask of the window: the common calls and every dialog.
class EditorUi : public Ui,
                 public FieldDialogs,
                 public SearchDialogs,
                 public PlanDialog,
                 public BasePointWindow,
                 public CheckWindows {};

// The system around the editor. files and clock must outlive it; the others may be
// missing (nullptr), as CommandContext says.
struct EditorServices {
  FileStore& files;
  const Clock& clock;
  const TextCodec* codec = nullptr;
  ClipboardStore* clipboard = nullptr;
  HttpClient* http = nullptr;
  Profile* profile = nullptr;
};

class Editor {
 public:
  Editor(EditorUi& ui, const EditorServices& services);
  Editor(const Editor&) = delete;
  Editor& operator=(const Editor&) = delete;

  EditorUi& ui;
  const Clock& clock;
  DocumentState doc;
  CommandContext context;  // the document and the services, for the commands
  CellEditor cellEditor;
  SearchOptions search;    // kept for the program's lifetime, changed by the dialogs' OK
  PlanOptions plan;        // likewise
  CheckResults checks;     // the check options and, while it runs, the check run

  // Which commands can run now, from the document, the journal, the clipboard, the find
  // text and the check window; the window adds what only it knows (its bars, the map).
  CommandStates States(CommandStateInputs inputs, bool forMenu) const;
};

}  // namespace wayloom
