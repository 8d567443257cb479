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
  enable({1003}, m && savable);
  enable({1004}, savable);
  enable({1006, 1015, 1017, 1018, 1033, 1034}, s > 0);
  enable({1009}, in.canUndo);
  enable({1010}, in.canRedo);
  enable({1012, 1014, 1035, 1036}, s == 1);
  enable({1013, 1016, 1022, 1023, 1025, 1027, 1028}, r > 0);
  enable({1019}, in.rowClipboardAvailable);
  enable({1024, 1026}, !in.findTextEmpty && r > 0);
  enable({1029}, in.deviceServiceInstalled && located);
  enable({1030}, s > 0 && in.siblingWindowExists);
  enable({1037}, r > 2);
  enable({1038}, s == 1 && (f > 1 || (f == 1 && !p)));
  enable({1039}, s == 1 && (f != 0 || !p) && f < r - 1);
  enable({1040, 1043, 1044}, reorderable);
  enable({1041}, showDistance && s == 1 && (f != 0 || !p) && located);
  enable({1042}, showDistance);
  enable({1045}, in.mapTempFileSet);
  enable({1046}, in.earthTempFileSet);
  states[1028].checked = in.checkWindowOpen;
  states[1055].checked = in.backgroundInUse;

  if (forMenu) {
    enable({1020}, s == 1);
    enable({1021}, s > 0 && in.plainTextOnClipboard);
    enable({1031, 1032}, r > 0);
    const Settings& settings = doc.settings;
    states[1048].checked = in.menuBarShown;
    states[1049].checked = in.toolbarShown;
    states[1056].checked = in.statusBarShown;
    states[1050].checked = settings.Get(Option::LargeToolbar);
    states[1051].checked = settings.Get(Option::WrapToolbar);
    enable({1050, 1051, 1052, 1053}, in.toolbarShown);
  }
  return states;
}

HeaderMenuStates HeaderMenuCommandStates(const DocumentState& doc, int column) {
  const Settings& settings = doc.settings;
  const long long r = static_cast<long long>(doc.table.RowCount());
  const long long unpinned = r - (doc.baseRowPinned && r > 0 ? 1 : 0);
  const bool distanceShown = settings.Get(Option::ShowDistance);
  HeaderMenuStates states;
  states[1203].checked = settings.Get(Option::LngFirst);
  states[1204].checked = settings.Get(Option::DmsFormat);
  states[1205].checked = settings.Get(Option::CompassDirection);
  states[1207].enabled = (column == kLongitudeColumn || column == kLatitudeColumn) && r > 0;
  states[1208].enabled = column == kNameColumn && r > 0;
  states[1209].checked = distanceShown;
  states[1210].checked = settings.Get(Option::MetricUnit);
  states[1211].enabled = states[1212].enabled = distanceShown;
  states[1211].checked = settings.adjacentDistance != 0;
  states[1212].checked = settings.adjacentDistance == 0;
  const bool sortable = unpinned >= 2 && column >= 0 && column != kOrderColumn &&
                        !(column == kDistanceColumn && doc.baseRow < 0);
  states[1213].enabled = states[1214].enabled = sortable;
  return states;
}

}  // namespace wayloom
