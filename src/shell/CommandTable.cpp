#include "shell/CommandTable.h"

#include "shell/CompanionLink.h"

#include <algorithm>
#include <initializer_list>
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
#include "shell/MapPane.h"
#include "shell/TableLook.h"
#include "shell/dialogs/ConversionBrowser.h"
#include "shell/dialogs/EphemerisDialog.h"
#include "shell/dialogs/FavouritesBrowser.h"

namespace wayloom {
namespace {

CommandContext& Context(MainWindowState& s) { return s.editor.context; }
CellEditor& Cells(MainWindowState& s) { return s.editor.cellEditor; }

constexpr BYTE kCtrl = FCONTROL;
constexpr BYTE kAlt = FALT;
constexpr BYTE kShift = FSHIFT;

constexpr CommandEntry kCommands[] = {
    {IDM_NEW, [](MainWindowState& s) { NewDocument(Context(s)); }, {{kCtrl, 'N'}}},
    {IDM_OPEN, [](MainWindowState& s) { OpenDocument(Context(s)); }, {{kCtrl, 'O'}}},
    {IDM_OPEN_FAVOURITES,
     [](MainWindowState& s) { OpenFavouritesFromBrowser(Context(s), s.ui.FrameFor(IDM_OPEN_FAVOURITES), s.favourites); },
     {{kAlt, 'R'}}},
    {IDM_SAVE, [](MainWindowState& s) { SaveDocument(Context(s)); }, {{kCtrl, 'S'}}},
    {IDM_SAVE_AS, [](MainWindowState& s) { SaveDocumentAs(Context(s)); }, {{kAlt, 'S'}}},
    {IDM_IMPORT, [](MainWindowState& s) { ImportFile(Context(s)); }, {{kCtrl, 'I'}}},
    {IDM_EXPORT, [](MainWindowState& s) { ExportFile(Context(s)); }, {{kCtrl, 'E'}}},
    {IDM_CONVERT, [](MainWindowState& s) { ConvertFolderFromBrowser(Context(s), s.ui.FrameFor(IDM_CONVERT), s.conversion); },
     {{kAlt, 'B'}}},
    {IDM_EXIT, [](MainWindowState& s) { PostMessageW(s.window, WM_CLOSE, 0, 0); }, {{kAlt, VK_F4}}},
    {IDM_UNDO, [](MainWindowState& s) { Undo(Context(s)); }, {{kCtrl, 'Z'}}},
    {IDM_REDO, [](MainWindowState& s) { Redo(Context(s)); }, {{kCtrl, 'Y'}}},
    {IDM_ADD, [](MainWindowState& s) { AddEntry(Context(s), Cells(s)); }, {}},
    {IDM_INSERT, [](MainWindowState& s) { InsertEntry(Context(s), Cells(s)); }, {{0, VK_INSERT}}},
    {IDM_MERGE_FIELDS, [](MainWindowState& s) { MergeFields(Context(s), s.ui); }, {{kCtrl, 'W'}}},
    {IDM_EDIT, [](MainWindowState& s) { EditSelectedEntry(Context(s), Cells(s)); }, {{0, VK_F2}}},
    {IDM_DELETE, [](MainWindowState& s) { DeleteSelectedEntries(Context(s)); }, {{0, VK_DELETE}}},
    {IDM_CLEAR_FIELDS, [](MainWindowState& s) { ClearFields(Context(s), s.ui); }, {{kCtrl, 'L'}}},
    {IDM_CUT, [](MainWindowState& s) { CutRows(Context(s)); }, {{kCtrl, 'X'}, {kShift, VK_DELETE}}},
    {IDM_COPY_ROWS, [](MainWindowState& s) { CopyRows(Context(s)); }, {{kCtrl, 'C'}, {kCtrl, VK_INSERT}}},
    {IDM_PASTE_ROWS, [](MainWindowState& s) { PasteRows(Context(s)); }, {{kCtrl, 'V'}, {kShift, VK_INSERT}}},
    {IDM_COPY_COORDINATES, [](MainWindowState& s) { CopyCoordinates(Context(s)); }, {{kAlt, 'C'}}},
    {IDM_PASTE_COORDINATES, [](MainWindowState& s) { PasteCoordinates(Context(s)); }, {{kAlt, 'V'}}},
    {IDM_LOOK_UP_ADDRESS, [](MainWindowState& s) { LookUpAddressesFramed(s); }, {{kAlt, 'A'}}},
    {IDM_FIND, [](MainWindowState& s) { Find(Context(s), s.ui, s.editor.search); }, {{kCtrl, 'F'}}},
    {IDM_FIND_NEXT, [](MainWindowState& s) { FindNext(Context(s), s.editor.search); }, {{0, VK_F3}}},
    {IDM_REPLACE, [](MainWindowState& s) { Replace(Context(s), s.ui, s.editor.search); }, {{kCtrl, 'H'}}},
    {IDM_REPLACE_NEXT, [](MainWindowState& s) { ReplaceNext(Context(s), s.editor.search); }, {{0, VK_F4}}},
    {IDM_NUDGE, [](MainWindowState& s) { NudgeCoordinates(Context(s), s.clock); }, {{kAlt, 'M'}}},
    {IDM_CHECK, [](MainWindowState& s) { CheckItinerary(Context(s), s.editor.checks); }, {{kCtrl, 'G'}}},
    {IDM_ADD_FAVOURITE, [](MainWindowState& s) { AddToDeviceFavourites(s); }, {{kCtrl, 'R'}}},
    {IDM_SEND_TO_COMPANION, [](MainWindowState& s) { SendToCompanion(s); }, {{kAlt, 'X'}}},
    {IDM_SELECT_ALL, [](MainWindowState& s) { SelectAllRows(s.editor.doc); }, {{kCtrl, 'A'}}},
    {IDM_INVERT_SELECTION, [](MainWindowState& s) { InvertSelection(s.editor.doc); }, {{kCtrl, 'B'}}},
    {IDM_DESTINATION, [](MainWindowState& s) { SetDestination(Context(s), true); }, {{0, VK_F7}}},
    {IDM_VIA_POINT, [](MainWindowState& s) { SetDestination(Context(s), false); }, {{0, VK_F8}}},
    {IDM_TO_PASS, [](MainWindowState& s) { SetPassed(Context(s), false); }, {{0, VK_F9}}},
    {IDM_PASSED, [](MainWindowState& s) { SetPassed(Context(s), true); }, {{0, VK_F10}}},
    {IDM_PLAN,
     [](MainWindowState& s) { PlanRoute(Context(s), s.ui, s.editor.plan, DistanceMatrixHost(&s.profile)); },
     {{kAlt, 'E'}}},
    {IDM_MOVE_UP, [](MainWindowState& s) { MoveUp(Context(s)); }, {{kCtrl, 'U'}}},
    {IDM_MOVE_DOWN, [](MainWindowState& s) { MoveDown(Context(s)); }, {{kCtrl, 'D'}}},
    {IDM_REVERSE, [](MainWindowState& s) { ReverseRoute(Context(s)); }, {{kAlt, 'N'}}},
    {IDM_SET_BASE_POINT, [](MainWindowState& s) { SetBasePointFromSelection(Context(s)); }, {{kCtrl, 'P'}}},
    {IDM_MY_BASE_POINTS, [](MainWindowState& s) { MyBasePoints(Context(s), s.ui); }, {{kCtrl, 'M'}}},
    {IDM_SORT_ASCENDING, [](MainWindowState& s) { SortNames(Context(s), true); }, {{kCtrl, 'J'}}},
    {IDM_SORT_DESCENDING, [](MainWindowState& s) { SortNames(Context(s), false); }, {{kCtrl, 'K'}}},
    {IDM_MAP, [](MainWindowState& s) { ShowMap(s); }, {{0, VK_F5}}},
    {IDM_EARTH, [](MainWindowState& s) { ShowInEarth(s); }, {{0, VK_F6}}},
    {IDM_UPDATE_EPHEMERIS, [](MainWindowState& s) { UpdateEphemeris(s); }, {{kCtrl, 'Q'}}},
    {IDM_SHOW_MENU_BAR, [](MainWindowState& s) { ToggleMenuBar(s); }, {{kCtrl | kAlt, 'M'}}},
    {IDM_SHOW_TOOLBAR, [](MainWindowState& s) { ToggleToolbar(s); }, {{kCtrl | kAlt, 'T'}}},
    {IDM_LARGE_TOOLBAR, [](MainWindowState& s) { ToolbarCommand(s, IDM_LARGE_TOOLBAR); }, {}},
    {IDM_WRAP_TOOLBAR, [](MainWindowState& s) { ToolbarCommand(s, IDM_WRAP_TOOLBAR); }, {}},
    {IDM_TOOLBAR_BACKGROUND, [](MainWindowState& s) { ToolbarCommand(s, IDM_TOOLBAR_BACKGROUND); }, {}},
    {IDM_CUSTOMISE_TOOLBAR, [](MainWindowState& s) { ToolbarCommand(s, IDM_CUSTOMISE_TOOLBAR); }, {}},
    {IDM_TABLE_FONT, [](MainWindowState& s) { ChooseTableFont(s); }, {}},
    {IDM_TABLE_PICTURE, [](MainWindowState& s) { ToggleTablePicture(s); }, {}},
    {IDM_SHOW_STATUS_BAR, [](MainWindowState& s) { ToggleStatusBar(s); }, {{kCtrl | kAlt, 'S'}}},
    {IDM_PREFERENCES, [](MainWindowState& s) { ShowPreferences(s); }, {{0, VK_F12}}},
    {IDM_LINK_DEVICE_MAKER, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_DEVICE_MAKER); }, {}},
    {IDM_LINK_FORUM, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_FORUM); }, {}},
    {IDM_LINK_HOME_PAGE, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_HOME_PAGE); }, {}},
    {IDM_LINK_MAIL, [](MainWindowState& s) { OpenWebLink(s, IDM_LINK_MAIL); }, {}},
    {IDM_ABOUT, [](MainWindowState& s) { ShowAboutBox(s); }, {{0, VK_F1}}},
    {IDM_OPEN_COMMAND_LINE, [](MainWindowState& s) { OpenPath(Context(s), s.commandLinePath); }, {}},
    {IDM_RELAYOUT, [](MainWindowState& s) { Relayout(s); }, {}},
    {IDM_SELECT_EDITED_ROW,
     [](MainWindowState& s) { SelectEditedRow(Context(s), Cells(s), static_cast<long long>(s.commandParameter)); },
     {}},
    {IDM_LNG_FIRST, [](MainWindowState& s) { ToggleLngFirst(Context(s)); }, {}},
    {IDM_DMS_FORMAT, [](MainWindowState& s) { ToggleCoordinateForm(Context(s), CoordinateSwitch::Dms); }, {}},
    {IDM_COMPASS_LETTERS, [](MainWindowState& s) { ToggleCoordinateForm(Context(s), CoordinateSwitch::Compass); },
     {}},
    {IDM_FIT_COLUMNS, [](MainWindowState& s) { s.table.FitColumns(true); }, {}},
    {IDM_CLEAR_COLUMN, [](MainWindowState& s) { ClearWholeColumn(Context(s), s.headerColumn); }, {}},
    {IDM_CLEAR_ADDRESSES, [](MainWindowState& s) { ClearColumnAddresses(Context(s)); }, {}},
    {IDM_SHOW_DISTANCE, [](MainWindowState& s) { ToggleDistanceColumn(Context(s)); }, {}},
    {IDM_METRIC, [](MainWindowState& s) { ToggleMetricUnit(Context(s)); }, {}},
    {IDM_ADJACENT_DISTANCE, [](MainWindowState& s) { SetDistanceMode(Context(s), true); }, {}},
    {IDM_BASE_DISTANCE, [](MainWindowState& s) { SetDistanceMode(Context(s), false); }, {}},
    {IDM_SORT_COLUMN_ASCENDING, [](MainWindowState& s) { SortCurrentColumn(Context(s), true); }, {}},
    {IDM_SORT_COLUMN_DESCENDING, [](MainWindowState& s) { SortCurrentColumn(Context(s), false); }, {}},
    {IDM_CONTEXT_MENU_KEY, [](MainWindowState& s) { OpenContextMenuForKey(s); }, {{0, VK_APPS}}},
};

}  // namespace

std::span<const CommandEntry> MainCommands() { return kCommands; }

const CommandEntry* FindCommand(int id) {
  for (const CommandEntry& entry : kCommands)
    if (entry.id == id) return &entry;
  return nullptr;
}

namespace {

HACCEL CreateAccelerators(std::initializer_list<int> leftOut) {
  std::vector<ACCEL> keys;
  for (const CommandEntry& entry : kCommands) {
    if (std::find(leftOut.begin(), leftOut.end(), entry.id) != leftOut.end()) continue;
    for (const CommandKey& key : entry.keys)
      if (key.key) keys.push_back({static_cast<BYTE>(FVIRTKEY | key.modifiers), key.key, static_cast<WORD>(entry.id)});
  }
  return CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
}

}  // namespace

HACCEL CreateMainAccelerators() { return CreateAccelerators({}); }

HACCEL CreateMapAccelerators() {
  return CreateAccelerators({IDM_CUT, IDM_COPY_ROWS, IDM_PASTE_ROWS, IDM_DELETE, IDM_CONTEXT_MENU_KEY});
}

}  // namespace wayloom
