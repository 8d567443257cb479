// The one table of the main window's commands: each id with its handler and its keys. The
// window dispatches from it and builds its accelerator table from it; the toolbar's images
// are core/ToolbarLayout's.
#pragma once

#include <windows.h>

#include <span>

namespace wayloom {

struct MainWindowState;

struct CommandKey {
  BYTE modifiers = 0;  // FCONTROL, FALT, FSHIFT (FVIRTKEY is implied)
  WORD key = 0;        // virtual-key code; 0: no key
};

struct CommandEntry {
  int id;
  void (*run)(MainWindowState& state);  // nullptr: listed, not handled yet
  CommandKey keys[2];
};

std::span<const CommandEntry> MainCommands();
// The entry of id, or nullptr when the window has no such command.
const CommandEntry* FindCommand(int id);
// The accelerator table of every key in the list (the caller destroys it).
HACCEL CreateMainAccelerators();
// Accelerator table 2000, for keys typed in the map page: the main table without the keys
// of cut, copy, paste and delete and the Applications key, which edit text in the page.
HACCEL CreateMapAccelerators();

}  // namespace wayloom
