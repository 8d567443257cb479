// Which commands are enabled or checked, as pure functions of the table and the document:
// the window only applies the result to its toolbar buttons and menus.
#pragma once

#include <array>

#include "core/CommandIds.h"
#include "core/DocumentState.h"

namespace wayloom {


// What the rules need besides the document.
struct CommandStateInputs {
  bool canUndo = false;
  bool canRedo = false;
  bool rowClipboardAvailable = false;    // the program's or the sibling's row format is on the clipboard
  bool plainTextOnClipboard = false;     // CF_TEXT, without either row format
  bool findTextEmpty = true;
  bool checkWindowOpen = false;
  bool deviceServiceInstalled = false;
  bool siblingWindowExists = false;      // a top-level window of the companion editor
  bool mapTempFileSet = false;
  bool earthTempFileSet = false;
  bool backgroundInUse = false;
  bool menuBarShown = true;
  bool toolbarShown = true;
  bool statusBarShown = true;
};

struct CommandState {
  bool enabled = true;
  bool checked = false;
};

// Commands 1000..1062: the toolbar's store after UpdateCommandStates, with the extra
// rules of the main menu (1020, 1021, 1031, 1032 and the checked marks) when forMenu.
struct CommandStates {
  std::array<CommandState, IDM_LAST - IDM_FIRST + 1> commands;
  const CommandState& operator[](int command) const { return commands[command - IDM_FIRST]; }
  CommandState& operator[](int command) { return commands[command - IDM_FIRST]; }
};
CommandStates UpdateCommandStates(const DocumentState& doc, const CommandStateInputs& inputs, bool forMenu);

// The header pop-up (1203..1214) for the column last right-clicked (-1: none).
struct HeaderMenuStates {
  std::array<CommandState, IDM_LAST_HEADER - IDM_FIRST_HEADER + 1> commands;
  const CommandState& operator[](int command) const { return commands[command - IDM_FIRST_HEADER]; }
  CommandState& operator[](int command) { return commands[command - IDM_FIRST_HEADER]; }
};
HeaderMenuStates HeaderMenuCommandStates(const DocumentState& doc, int clickedColumn);

}  // namespace wayloom
