#include "core/CommandStates.h"

namespace wayloom {

namespace {

// The selected row has both a longitude and a latitude (only asked with one row selected).
bool SelectedRowLocated(const ItineraryTable& table, long long first) {
  return first >= 0 && table.Row(static_cast<std::size_t>(first)).HasBothCoordinates();
}

}  // namespace

CommandStates UpdateCommandStates(const DocumentState& doc, const CommandStateInputs& in, bool forMenu) {
  const ItineraryTable& table = doc.table;
  const long long r = static_cast<long long>(table.RowCount());
  const long long s = static_cast<long long>(table.SelectedCount());
  const long long f = table.FirstSelected();
  const bool p = doc.baseRowPinned && r > 0;
  const bool m = doc.document.modified;
  const bool located = s == 1 && SelectedRowLocated(table, f);
  const bool showDistance = doc.settings.Get(Option::ShowDistance);
  const bool savable = r > 1 || (r == 1 && !p);
  const bool reorderable = r > 2 || (r == 2 && !p);

  CommandStates states;
  auto enable = [&](std::initializer_list<int> commands, bool on) {
    for (int command : commands) states[command].enabled = on;
  };
  enable({IDM_SAVE}, m && savable);
  enable({IDM_SAVE_AS}, savable);
  enable({IDM_EXPORT, IDM_DELETE, IDM_CUT, IDM_COPY_ROWS, IDM_DESTINATION, IDM_VIA_POINT}, s > 0);
  enable({IDM_UNDO}, in.canUndo);
  enable({IDM_REDO}, in.canRedo);
  enable({IDM_INSERT, IDM_EDIT, IDM_TO_PASS, IDM_PASSED}, s == 1);
  enable({IDM_MERGE_FIELDS, IDM_CLEAR_FIELDS, IDM_LOOK_UP_ADDRESS, IDM_FIND, IDM_REPLACE, IDM_NUDGE, IDM_CHECK}, r > 0);
  enable({IDM_PASTE_ROWS}, in.rowClipboardAvailable);
  enable({IDM_FIND_NEXT, IDM_REPLACE_NEXT}, !in.findTextEmpty && r > 0);
  enable({IDM_ADD_FAVOURITE}, in.deviceServiceInstalled && located);
  enable({IDM_SEND_TO_COMPANION}, s > 0 && in.siblingWindowExists);
  enable({IDM_PLAN}, r > 2);
  enable({IDM_MOVE_UP}, s == 1 && (f > 1 || (f == 1 && !p)));
  enable({IDM_MOVE_DOWN}, s == 1 && (f != 0 || !p) && f < r - 1);
  enable({IDM_REVERSE, IDM_SORT_ASCENDING, IDM_SORT_DESCENDING}, reorderable);
  enable({IDM_SET_BASE_POINT}, showDistance && s == 1 && (f != 0 || !p) && located);
  enable({IDM_MY_BASE_POINTS}, showDistance);
  enable({IDM_MAP}, in.mapTempFileSet);
  enable({IDM_EARTH}, in.earthTempFileSet);
  states[IDM_CHECK].checked = in.checkWindowOpen;
  states[IDM_TABLE_PICTURE].checked = in.backgroundInUse;

  if (forMenu) {
    enable({IDM_COPY_COORDINATES}, s == 1);
    enable({IDM_PASTE_COORDINATES}, s > 0 && in.plainTextOnClipboard);
    enable({IDM_SELECT_ALL, IDM_INVERT_SELECTION}, r > 0);
    const Settings& settings = doc.settings;
    states[IDM_SHOW_MENU_BAR].checked = in.menuBarShown;
    states[IDM_SHOW_TOOLBAR].checked = in.toolbarShown;
    states[IDM_SHOW_STATUS_BAR].checked = in.statusBarShown;
    states[IDM_LARGE_TOOLBAR].checked = settings.Get(Option::LargeToolbar);
    states[IDM_WRAP_TOOLBAR].checked = settings.Get(Option::WrapToolbar);
    enable({IDM_LARGE_TOOLBAR, IDM_WRAP_TOOLBAR, IDM_TOOLBAR_BACKGROUND, IDM_CUSTOMISE_TOOLBAR}, in.toolbarShown);
  }
  return states;
}

HeaderMenuStates HeaderMenuCommandStates(const DocumentState& doc, int column) {
  const Settings& settings = doc.settings;
  const long long r = static_cast<long long>(doc.table.RowCount());
  const long long unpinned = r - (doc.baseRowPinned && r > 0 ? 1 : 0);
  const bool distanceShown = settings.Get(Option::ShowDistance);
  HeaderMenuStates states;
  states[IDM_LNG_FIRST].checked = settings.Get(Option::LngFirst);
  states[IDM_DMS_FORMAT].checked = settings.Get(Option::DmsFormat);
  states[IDM_COMPASS_LETTERS].checked = settings.Get(Option::CompassDirection);
  states[IDM_CLEAR_COLUMN].enabled = (column == kLongitudeColumn || column == kLatitudeColumn) && r > 0;
  states[IDM_CLEAR_ADDRESSES].enabled = column == kNameColumn && r > 0;
  states[IDM_SHOW_DISTANCE].checked = distanceShown;
  states[IDM_METRIC].checked = settings.Get(Option::MetricUnit);
  states[IDM_ADJACENT_DISTANCE].enabled = states[IDM_BASE_DISTANCE].enabled = distanceShown;
  states[IDM_ADJACENT_DISTANCE].checked = settings.adjacentDistance != 0;
  states[IDM_BASE_DISTANCE].checked = settings.adjacentDistance == 0;
  const bool sortable = unpinned >= 2 && column >= 0 && column != kOrderColumn &&
                        !(column == kDistanceColumn && doc.baseRow < 0);
  states[IDM_SORT_COLUMN_ASCENDING].enabled = states[IDM_SORT_COLUMN_DESCENDING].enabled = sortable;
  return states;
}

}  // namespace wayloom
