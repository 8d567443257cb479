// The recent files in the File menu: items 1100-1108 after the export item's separator,
// followed by a separator of their own, texts shortened to the menu's width.
#pragma once

#include <windows.h>

#include "core/Settings.h"
#include "editing/DocumentCommands.h"
#include "platform/FileStore.h"

namespace wayloom {

// The environment's folders that a displayed path names by their localised names.
ShellFolders CurrentShellFolders();
// Rebuilds the items from the list; shown is the number of items now in the menu.
void RebuildRecentFilesMenu(HWND window, HMENU fileMenu, const Settings& settings, int& shown);
// Greys the items whose file is missing or is a folder (when the File menu opens).
void GreyMissingRecentFiles(HMENU fileMenu, const Settings& settings, FileStore& files);

}  // namespace wayloom
