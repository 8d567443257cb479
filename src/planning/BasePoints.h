// Base points: the entry whose coordinates the Distance column measures from. Command
// 1041 makes the selected entry the base row; command 1042 opens the personal list of up
// to 100 named base points kept in the ini file (section "Base Points") and puts the
// chosen one at the top of the table as the pinned row 0. Opening a file can insert the
// remembered entry the same way (InsertBasePointRow).
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "core/CommandContext.h"

namespace wayloom {

constexpr int kBasePointLimit = 100;
constexpr int kBasePointDialogMinimumSize = 360;

// Controls of the base-point dialog.
constexpr int kBasePointOk = 1;
constexpr int kBasePointCancel = 2;
constexpr int kBasePointListControl = 5350;
constexpr int kBasePointSet = 5351;  // also a double-click on a list row
constexpr int kBasePointMoveUp = 5352;
constexpr int kBasePointMoveDown = 5353;
constexpr int kBasePointAdd = 5354;
constexpr int kBasePointDelete = 5355;
constexpr int kBasePointDeleteAll = 5356;
constexpr int kBasePointExportAll = 5357;

// One entry of the list: its name and its coordinates as the table shows them.
struct BasePointEntry {
  Text name;
  Text longitude;
  Text latitude;
  bool selected = false;  // the list row is selected (the window keeps this up to date)
};
// The personal list, in memory while the dialog is open; at most kBasePointLimit entries.
using BasePointList = std::vector<BasePointEntry>;

// An ini value "name>longitude>latitude" read as an entry, its coordinates in the given
// display form. nullopt when it is not an entry: an empty or blank name, or a coordinate
// (each read from at most 31 characters) that the table would not store.
std::optional<BasePointEntry> ReadBasePointValue(TextView value, CoordinateFormat format);
// The ini value of an entry: the name and the coordinates as plain signed decimals.
Text BasePointValue(const BasePointEntry& entry, CoordinateFormat format);

// The list's columns from left to right: the name, then the two coordinates in the
// table's order (longitude first only with "Lng First"); each column's header text is
// string 14100 + the column id, and its cell is BasePointCell.
std::array<int, 3> BasePointListColumns(bool lngFirst);
TextView BasePointCell(const BasePointEntry& entry, int column);

// Inserts the remembered base point as the pinned row 0, as opening a file does while
// "Show Distance" and "Auto BP" are on: the keys "BP List n" are tried from the remembered
// position down to 1, passing over missing keys; a value that is not an entry ends the
// search. Returns true when a row was inserted (the Order column is then renumbered; the
// caller computes the distances from row 0).
bool InsertBasePointRow(CommandContext& context);

// 1041: the one selected entry becomes the base row (a pinned row 0 goes first). One undo step.
void SetBasePointFromSelection(CommandContext& context);
// 1042: runs the base-point dialog; when it closes by setting a base point, row 0 is
// selected and becomes the base row.
class BasePointWindow;
void MyBasePoints(CommandContext& context, BasePointWindow& window);

// What a press of a dialog button leaves the window to do.
struct BasePointStep {
  bool closes = false;
  int result = 0;          // when closing: 1 (a base point was set) or 2
  long long showRow = -1;  // the list row to scroll into view, -1 for none
};

// The model of the base-point dialog: the list read from the ini file, its selection,
// the remembered position and the buttons' work. The window shows the entries and their
// selection, sets `selected` as the user selects, asks Enabled after every change, and
// forwards each button press (and a row's double-click as kBasePointSet) to Press.
class BasePointDialog {
 public:
  // Opening: reads the list and the dialog's size, selects the remembered entry.
  explicit BasePointDialog(CommandContext& context);

  bool Enabled(int controlId) const;
  // Does the button's work when it is enabled (Cancel always).
  BasePointStep Press(int controlId);

  std::size_t SelectedCount() const;
  long long FirstSelected() const;  // -1 when none
  void SelectOnly(long long row);   // -1 clears the selection

  BasePointList entries;
  long long remembered = 0;  // the dialog's copy of the remembered position
  bool changed = false;      // the list was edited
  bool exported = false;     // every entry was appended to the table
  // The window's size: read on opening (at least 360 each; the window also keeps it
  // inside the work area), kept up to date as it is resized, written on closing.
  int width = kBasePointDialogMinimumSize;
  int height = kBasePointDialogMinimumSize;
  long long openRow = -1;    // the row selected on opening, for the window to show

 private:
  BasePointStep SetBasePoint();
  BasePointStep Move(bool up);
  BasePointStep AddFromTable();
  BasePointStep DeleteSelected();
  BasePointStep ExportAll();
  // Closing: the list when it changed (OK and set), the size always.
  void Save(bool withList);

  CommandContext& context_;
};

// The window of the base-point dialog 6009 over its model: returns the dialog's result
// (1 when an entry was set as the base point, 2 otherwise).
class BasePointWindow {
 public:
  virtual ~BasePointWindow() = default;
  virtual int RunBasePointDialog(BasePointDialog& dialog) { return 2; }
};

}  // namespace wayloom
