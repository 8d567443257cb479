#include "shell/CommandTable.h"

#include <vector>

#include "core/CommandIds.h"
#include "editing/Clipboard.h"
#include "editing/DocumentCommands.h"
#include "editing/EntryEditing.h"
#include "editing/FindReplace.h"
#include "editing/ItineraryChecks.h"
#include "editing/UndoCommands.h"
#include "planning/BasePoints.h"
#include "planning/Distances.h"
#include "planning/RouteOrder.h"
#include "planning/RoutePlanner.h"
#include "planning/SortTable.h"
#include "shell/MainMenus.h"
#include "shell/MainWindow.h"

namespace wayloom {
namespace {

CommandContext& Context(MainWindowState& s) { return s.editor.context; }
CellEditor& Cells(MainWindowState& s) { return s.editor.cellEditor; }

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kAlt = FALT;
constexpr BYTE kShift = FSHIFT;

// Toolbar images are the buttons' positions: 1000-1007, 1009-1019, 1022-1030, 1033-1047,
// 1054, 1055 and 1057-1062 have one, in this order. Commands of the map and the device
// (1022, 1029, 1030, 1045-1047) and those whose dialogs are still to come (1002, 1007,
// 1057) have a place here but no handler yet.
constexpr CommandEntry kCommands[] = {
    {IDM_NEW, [](MainWindowState& s) { NewDocument(Context(s)); }, 0, {{kCtrl, 'N'}}},
    {IDM_OPEN, [](MainWindowState& s) { OpenDocument(Context(s)); }, 1, {{kCtrl, 'O'}}},
    {IDM_OPEN_FAVOURITES, nullptr, 2, {{kAlt, 'R'}}},
    {IDM_SAVE, [](MainWindowState& s) { SaveDocument(Context(s)); }, 3, {{kCtrl, 'S'}}},
    {IDM_SAVE_AS, [](MainWindowState& s) { SaveDocumentAs(Context(s)); }, 4, {{kAlt, 'S'}}},
    {IDM_IMPORT, [](MainWindowState& s) { ImportFile(Context(s)); }, 5, {{kCtrl, 'I'}}},
    {IDM_EXPORT, [](MainWindowState& s) { ExportFile(Context(s)); }, 6, {{kCtrl, 'E'}}},
    {IDM_CONVERT, nullptr, 7, {{kAlt, 'B'}}},
    {IDM_EXIT, [](MainWindowState& s) { PostMessageW(s.window, WM_CLOSE, 0, 0); }, -1, {{kAlt, VK_F4}}},
    {IDM_UNDO, [](MainWindowState& s) { Undo(Context(s)); }, 8, {{kCtrl, 'Z'}}},
    {IDM_REDO, [](MainWindowState& s) { Redo(Context(s)); }, 9, {{kCtrl, 'Y'}}},
    {IDM_ADD, [](MainWindowState& s) { AddEntry(Context(s), Cells(s)); }, 10, {}},
    {IDM_INSERT, [](MainWindowState& s) { InsertEntry(Context(s), Cells(s)); }, 11, {{0, VK_INSERT}}},
    {IDM_MERGE_FIELDS, [](MainWindowState& s) { MergeFields(Context(s), s.ui); }, 12, {{kCtrl, 'W'}}},
    {IDM_EDIT, [](MainWindowState& s) { EditSelectedEntry(Context(s), Cells(s)); }, 13, {{0, VK_F2}}},
    {IDM_DELETE, [](MainWindowState& s) { DeleteSelectedEntries(Context(s)); }, 14, {{0, VK_DELETE}}},
    {IDM_CLEAR_FIELDS, [](MainWindowState& s) { ClearFields(Context(s), s.ui); }, 15, {{kCtrl, 'L'}}},
    {IDM_CUT, [](MainWindowState& s) { CutRows(Context(s)); }, 16, {{kCtrl, 'X'}, {kShift, VK_DELETE}}},
    {IDM_COPY_ROWS, [](MainWindowState& s) { CopyRows(Context(s)); }, 17, {{kCtrl, 'C'}, {kCtrl, VK_INSERT}}},
    {IDM_PASTE_ROWS, [](MainWindowState& s) { PasteRows(Context(s)); }, 18, {{kCtrl, 'V'}, {kShift, VK_INSERT}}},
    {IDM_COPY_COORDINATES, [](MainWindowState& s) { CopyCoordinates(Context(s)); }, -1, {{kAlt, 'C'}}},
    {IDM_PASTE_COORDINATES, [](MainWindowState& s) { PasteCoordinates(Context(s)); }, -1, {{kAlt, 'V'}}},
    {IDM_LOOK_UP_ADDRESS, nullptr, 19, {{kAlt, 'A'}}},
    {IDM_FIND, [](MainWindowState& s) { Find(Context(s), s.ui, s.editor.search); }, 20, {{kCtrl, 'F'}}},
    {IDM_FIND_NEXT, [](MainWindowState& s) { FindNext(Context(s), s.editor.search); }, 21, {{0, VK_F3}}},
    {IDM_REPLACE, [](MainWindowState& s) { Replace(Context(s), s.ui, s.editor.search); }, 22, {{kCtrl, 'H'}}},
    {IDM_REPLACE_NEXT, [](MainWindowState& s) { ReplaceNext(Context(s), s.editor.search); }, 23, {{0, VK_F4}}},
    {IDM_NUDGE, [](MainWindowState& s) { NudgeCoordinates(Context(s), s.clock); }, 24, {{kAlt, 'M'}}},
    {IDM_CHECK, [](MainWindowState& s) { CheckItinerary(Context(s), s.editor.checks); }, 25, {{kCtrl, 'G'}}},
    {IDM_ADD_FAVOURITE, nullptr, 26, {{kCtrl, 'R'}}},
    {IDM_SEND_TO_COMPANION, nullptr, 27, {{kAlt, 'X'}}},
    {IDM_SELECT_ALL, [](MainWindowState& s) { SelectAllRows(s.editor.doc); }, -1, {{kCtrl, 'A'}}},
    {IDM_INVERT_SELECTION, [](MainWindowState& s) { InvertSelection(s.editor.doc); }, -1, {{kCtrl, 'B'}}},
    {IDM_DESTINATION, [](MainWindowState& s) { SetDestination(Context(s), true); }, 28, {{0, VK_F7}}},
    {IDM_VIA_POINT, [](MainWindowState& s) { SetDestination(Context(s), false); }, 29, {{0, VK_F8}}},
    {IDM_TO_PASS, [](MainWindowState& s) { SetPassed(Context(s), false); }, 30, {{0, VK_F9}}},
    {IDM_PASSED, [](MainWindowState& s) { SetPassed(Context(s), true); }, 31, {{0, VK_F10}}},
    {IDM_PLAN,
     [](MainWindowState& s) { PlanRoute(Context(s), s.ui, s.editor.plan, DistanceMatrixHost(&s.profile)); },
     32,
     {{kAlt, 'E'}}},
    {IDM_MOVE_UP, [](MainWindowState& s) { MoveUp(Context(s)); }, 33, {{kCtrl, 'U'}}},
    {IDM_MOVE_DOWN, [](MainWindowState& s) { MoveDown(Context(s)); }, 34, {{kCtrl, 'D'}}},
    {IDM_REVERSE, [](MainWindowState& s) { ReverseRoute(Context(s)); }, 35, {{kAlt, 'N'}}},
    {IDM_SET_BASE_POINT, [](MainWindowState& s) { SetBasePointFromSelection(Context(s)); }, 36, {{kCtrl, 'P'}}},
    {IDM_MY_BASE_POINTS, [](MainWindowState& s) { MyBasePoints(Context(s), s.ui); }, 37, {{kCtrl, 'M'}}},
    {IDM_SORT_ASCENDING, [](MainWindowState& s) { SortNames(Context(s), true); }, 38, {{kCtrl, 'J'}}},
    {IDM_SORT_DESCENDING, [](MainWindowState& s) { SortNames(Context(s), false); }, 39, {{kCtrl, 'K'}}},
    {IDM_MAP, nullptr, 40, {{0, VK_F5}}},
    {IDM_EARTH, nullptr, 41, {{0, VK_F6}}},
    {IDM_UPDATE_EPHEMERIS, nullptr, 42, {{kCtrl, 'Q'}}},
    {IDM_SHOW_MENU_BAR, [](MainWindowState& s) { ToggleMenuBar(s); }, -1, {{kCtrl | kAlt, 'M'}}},
    {IDM_SHOW_TOOLBAR, nullptr, -1, {{kCtrl | kAlt, 'T'}}},
    {IDM_LARGE_TOOLBAR, nullptr, -1, {}},
    {IDM_WRAP_TOOLBAR, nullptr, -1, {}},
    {IDM_TOOLBAR_BACKGROUND, nullptr, -1, {}},
    {IDM_CUSTOMISE_TOOLBAR, nullptr, -1, {}},
    {IDM_TABLE_FONT, nullptr, 43, {}},
    {IDM_TABLE_PICTURE, nullptr, 44, {}},
    {IDM_SHOW_STATUS_BAR, [](MainWindowState& s) { ToggleStatusBar(s); }, -1, {{kCtrl | kAlt, 'S'}}},
    {IDM_PREFERENCES, nullptr, 45, {{0, VK_F12}}},
    {IDM_LINK_DEVICE_MAKER, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_DEVICE_MAKER); }, 46, {}},
    {IDM_LINK_FORUM, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_FORUM); }, 47, {}},
    {IDM_LINK_HOME_PAGE, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_HOME_PAGE); }, 48, {}},
    {IDM_LINK_MAIL, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_MAIL); }, 49, {}},
    {IDM_ABOUT, [](MainWindowState& s) { ShowAboutBox(s); }, 50, {{0, VK_F1}}},
    {IDM_OPEN_COMMAND_LINE, [](MainWindowState& s) { OpenPath(Context(s), s.commandLinePath); }, -1, {}},
    {IDM_RELAYOUT, [](MainWindowState& s) { Relayout(s); }, -1, {}},
    {IDM_SELECT_EDITED_ROW,
     [](MainWindowState& s) { SelectEditedRow(Context(s), Cells(s), static_cast<long long>(s.commandParameter)); },
     -1,
     {}},
    {IDM_LNG_FIRST, [](MainWindowState& s) { ToggleLngFirst(Context(s)); }, -1, {}},
    {IDM_DMS_FORMAT, [](MainWindowState& s) { ToggleCoordinateForm(Context(s), CoordinateSwitch::Dms); }, -1, {}},
    {IDM_COMPASS_LETTERS, [](MainWindowState& s) { ToggleCoordinateForm(Context(s), CoordinateSwitch::Compass); },
     -1, {}},
    {IDM_FIT_COLUMNS, [](MainWindowState& s) { s.table.FitColumns(true); }, -1, {}},
    {IDM_CLEAR_COLUMN, [](MainWindowState& s) { ClearWholeColumn(Context(s), s.headerColumn); }, -1, {}},
    {IDM_CLEAR_ADDRESSES, [](MainWindowState& s) { ClearColumnAddresses(Context(s)); }, -1, {}},
    {IDM_SHOW_DISTANCE, [](MainWindowState& s) { ToggleDistanceColumn(Context(s)); }, -1, {}},
    {IDM_METRIC, [](MainWindowState& s) { ToggleMetricUnit(Context(s)); }, -1, {}},
    {IDM_ADJACENT_DISTANCE, [](MainWindowState& s) { SetDistanceMode(Context(s), true); }, -1, {}},
    {IDM_BASE_DISTANCE, [](MainWindowState& s) { SetDistanceMode(Context(s), false); }, -1, {}},
    {IDM_SORT_COLUMN_ASCENDING, [](MainWindowState& s) { SortCurrentColumn(Context(s), true); }, -1, {}},
    {IDM_SORT_COLUMN_DESCENDING, [](MainWindowState& s) { SortCurrentColumn(Context(s), false); }, -1, {}},
    {IDM_CONTEXT_MENU_KEY, [](MainWindowState& s) { OpenContextMenuForKey(s); }, -1, {{0, VK_APPS}}},
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
