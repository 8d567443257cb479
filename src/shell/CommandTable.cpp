#include "shell/CommandTable.h"

#include <vector>

#include "core/CommandIds.h"
#include "editing/Clipboard.h"
#include "editing/DocumentCommands.h"
#include "editing/EntryEditing.h"
#include "editing/FindReplace.h"
#include "editing/UndoCommands.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace {

CommandContext& Context(MainWindowState& state) { return state.editor.context; }

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kAlt = FALT;
constexpr BYTE kShift = FSHIFT;

// Toolbar images are the buttons' positions: 1000-1007, 1009-1019, 1022-1030, 1033-1047,
// 1054, 1055 and 1057-1062 have one, in this order.
constexpr CommandEntry kCommands[] = {
    {IDM_NEW, [](MainWindowState& s) { NewDocument(Context(s)); }, 0, {{kCtrl, 'N'}}},
    {IDM_OPEN, [](MainWindowState& s) { OpenDocument(Context(s)); }, 1, {{kCtrl, 'O'}}},
    {IDM_SAVE, [](MainWindowState& s) { SaveDocument(Context(s)); }, 3, {{kCtrl, 'S'}}},
    {IDM_SAVE_AS, [](MainWindowState& s) { SaveDocumentAs(Context(s)); }, 4, {{kAlt, 'S'}}},
    {IDM_IMPORT, [](MainWindowState& s) { ImportFile(Context(s)); }, 5, {{kCtrl, 'I'}}},
    {IDM_EXPORT, [](MainWindowState& s) { ExportFile(Context(s)); }, 6, {{kCtrl, 'E'}}},
    {IDM_EXIT, [](MainWindowState& s) { PostMessageW(s.window, WM_CLOSE, 0, 0); }, -1, {}},
    {IDM_UNDO, [](MainWindowState& s) { Undo(Context(s)); }, 8, {{kCtrl, 'Z'}}},
    {IDM_REDO, [](MainWindowState& s) { Redo(Context(s)); }, 9, {{kCtrl, 'Y'}}},
    {IDM_DELETE, [](MainWindowState& s) { DeleteSelectedEntries(Context(s)); }, 14, {{0, VK_DELETE}}},
    {IDM_CUT, [](MainWindowState& s) { CutRows(Context(s)); }, 16, {{kCtrl, 'X'}, {kShift, VK_DELETE}}},
    {IDM_COPY_ROWS, [](MainWindowState& s) { CopyRows(Context(s)); }, 17, {{kCtrl, 'C'}, {kCtrl, VK_INSERT}}},
    {IDM_PASTE_ROWS, [](MainWindowState& s) { PasteRows(Context(s)); }, 18, {{kCtrl, 'V'}, {kShift, VK_INSERT}}},
    {IDM_COPY_COORDINATES, [](MainWindowState& s) { CopyCoordinates(Context(s)); }, -1, {{kAlt, 'C'}}},
    {IDM_PASTE_COORDINATES, [](MainWindowState& s) { PasteCoordinates(Context(s)); }, -1, {{kAlt, 'V'}}},
    {IDM_SELECT_ALL, [](MainWindowState& s) { SelectAllRows(s.editor.doc); }, -1, {{kCtrl, 'A'}}},
    {IDM_INVERT_SELECTION, [](MainWindowState& s) { InvertSelection(s.editor.doc); }, -1, {{kCtrl, 'B'}}},
    {IDM_OPEN_COMMAND_LINE, [](MainWindowState& s) { OpenPath(Context(s), s.commandLinePath); }, -1, {}},
};

}  // namespace

std::span<const CommandEntry> MainCommands() { return kCommands; }

const CommandEntry* FindCommand(int id) {
  for (const CommandEntry& entry : kCommands)
    if (entry.id == id) return &entry;
  return nullptr;
}

HACCEL CreateMainAccelerators() {
  std::vector<ACCEL> keys;
  for (const CommandEntry& entry : kCommands)
    for (const CommandKey& key : entry.keys)
      if (key.key) keys.push_back({static_cast<BYTE>(FVIRTKEY | key.modifiers), key.key, static_cast<WORD>(entry.id)});
  return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

}  // namespace wayloom
