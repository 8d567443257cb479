// The one table of the main window's commands: each id with its handler, its toolbar image
// and its keys. The window dispatches from it, builds its accelerator table and its
// default toolbar from it, and applies the command states to what it lists.
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
  void (*run)(MainWindowState& state);
  int toolbarImage;  // index in the toolbar's image list; -1: no button
  CommandKey keys[2];
};

std::span<const CommandEntry> MainCommands();
// The entry of id, or nullptr when the window has no such command.
const CommandEntry* FindCommand(int id);
// The accelerator table of every key in the list (the caller destroys it).
HACCEL CreateMainAccelerators();

}  // namespace wayloom
