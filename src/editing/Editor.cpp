#include "editing/Editor.h"

namespace wayloom {

Editor::Editor(EditorUi& editorUi, const EditorServices& services)
    : ui(editorUi),
      clock(services.clock),
      context{doc, editorUi, services.files, services.codec, services.clipboard, services.http,
              services.profile},
      cellEditor(services.clock),
      checks(editorUi) {}

CommandStates Editor::States(CommandStateInputs inputs, bool forMenu) const {
  inputs.canUndo = CanUndo(doc.journal);
  inputs.canRedo = CanRedo(doc.journal);
  if (ClipboardStore* clipboard = context.clipboard) {
    inputs.rowClipboardAvailable =
        clipboard->Has(ClipboardFormat::OwnRows) || clipboard->Has(ClipboardFormat::SiblingRows);
    inputs.plainTextOnClipboard = !inputs.rowClipboardAvailable && clipboard->Has(ClipboardFormat::UnicodeText);
  }
  inputs.findTextEmpty = search.findText.empty();
  inputs.checkWindowOpen = checks.Running();
  return UpdateCommandStates(doc, inputs, forMenu);
}

}  // namespace wayloom
